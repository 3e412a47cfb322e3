// AM/PM designators of the user's default locale (LOCALE_S1159 / LOCALE_S2359).
// Only the two designators; the date and time pictures are fixed by the caller.
#include "platform/Locale.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
    char text[32] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, static_cast<int>(sizeof text)) == 0) return fallback;
    return text;
}

}  // namespace

std::string AmDesignator() { return LocaleText(LOCALE_S1159, "AM"); }
std::string PmDesignator() { return LocaleText(LOCALE_S2359, "PM"); }

}  // namespace pellmar::platform
