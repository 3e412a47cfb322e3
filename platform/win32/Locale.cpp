// AM/PM designators of the user's default locale (LOCALE_S1159 / LOCALE_S2359), read as wide text
// so designators outside the system code page survive. The date and time pictures are the caller's.
#include "platform/Locale.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

std::string LocaleText(LCTYPE type) {
    wchar_t text[64] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(sizeof text / sizeof *text));
    return length > 1 ? win32::Narrow(text, static_cast<std::size_t>(length - 1)) : std::string();
}

}  // namespace

std::string AmDesignator() { return LocaleText(LOCALE_S1159); }
std::string PmDesignator() { return LocaleText(LOCALE_S2359); }

}  // namespace pellmar::platform
