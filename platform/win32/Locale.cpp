// AM/PM designators of the user's default locale (LOCALE_S1159 / LOCALE_S2359) and its formatting
// of date and time pictures (GetDateFormatEx / GetTimeFormatEx), all as wide text so texts outside
// the system code page survive.
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

SYSTEMTIME ToSystemTime(const LocalTimeFields& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.year);
    time.wMonth = static_cast<WORD>(when.month);
    time.wDay = static_cast<WORD>(when.day);
    time.wHour = static_cast<WORD>(when.hour);
    time.wMinute = static_cast<WORD>(when.minute);
    time.wSecond = static_cast<WORD>(when.second);
    time.wMilliseconds = static_cast<WORD>(when.millisecond);
    return time;
}

// The system's date range starts in 1601; earlier (or unrepresentable) moments are the caller's.
bool Representable(const LocalTimeFields& when) { return when.year >= 1601 && when.year <= 30827; }

template <typename Format>
std::optional<std::string> Formatted(Format format, const LocalTimeFields& when, const std::string& picture) {
    if (!Representable(when)) return std::nullopt;
    const SYSTEMTIME time = ToSystemTime(when);
    const std::wstring widePicture = win32::Widen(picture);
    wchar_t text[128] = {};
    const int length = format(LOCALE_NAME_USER_DEFAULT, 0, &time, widePicture.c_str(), text,
                              static_cast<int>(sizeof text / sizeof *text));
    if (length <= 1) return std::nullopt;
    return win32::Narrow(text, static_cast<std::size_t>(length - 1));
}

}  // namespace

std::string AmDesignator() { return LocaleText(LOCALE_S1159); }
std::string PmDesignator() { return LocaleText(LOCALE_S2359); }

std::optional<std::string> UserDateText(const LocalTimeFields& when, const std::string& picture) {
    return Formatted(
        [](LPCWSTR locale, DWORD flags, const SYSTEMTIME* time, LPCWSTR format, LPWSTR text, int size) {
            return GetDateFormatEx(locale, flags, time, format, text, size, nullptr);
        },
        when, picture);
}

std::optional<std::string> UserTimeText(const LocalTimeFields& when, const std::string& picture) {
    return Formatted(GetTimeFormatEx, when, picture);
}

}  // namespace pellmar::platform
