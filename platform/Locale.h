// The user's locale as far as the event log's date and time texts need it: the 12-hour clock's
// morning and afternoon designators, and, where the platform has one, its formatter of date and
// time pictures. Any thread; reads the process's current time locale (Windows: the user's).
#pragma once

#include <optional>
#include <string>

#include "platform/LocalClock.h"

namespace pellmar::platform {

// "AM" / "PM" in the C locale; may be empty in locales that do not use a 12-hour clock.
std::string AmDesignator();
std::string PmDesignator();

// `when` written by the user's locale after a date picture ("M/d/yyyy") or a time picture
// ("h:mm:ss tt") in the notation of GetDateFormat / GetTimeFormat, so the locale's calendar and
// designators apply. nullopt where the platform leaves the pictures to the caller (Linux) or
// cannot write that moment (Windows: a year before 1601).
std::optional<std::string> UserDateText(const LocalTimeFields& when, const std::string& picture);
std::optional<std::string> UserTimeText(const LocalTimeFields& when, const std::string& picture);

}  // namespace pellmar::platform
