// AM/PM designators from nl_langinfo, which follows the LC_TIME the process has set
// (the C locale until the host calls setlocale). The C library has no formatter for pictures of
// that notation, so the callers write them.
#include "platform/Locale.h"

#include <langinfo.h>

namespace pellmar::platform {
namespace {

std::string LangInfo(nl_item item, const char* fallback) {
    const char* text = nl_langinfo(item);
    // Copied at once: the buffer may be overwritten by the next call or a locale change.
    return text ? std::string(text) : std::string(fallback);
}

}  // namespace

std::string AmDesignator() { return LangInfo(AM_STR, "AM"); }
std::string PmDesignator() { return LangInfo(PM_STR, "PM"); }

std::optional<std::string> UserDateText(const LocalTimeFields&, const std::string&) { return std::nullopt; }
std::optional<std::string> UserTimeText(const LocalTimeFields&, const std::string&) { return std::nullopt; }

}  // namespace pellmar::platform
