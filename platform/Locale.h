// The user's locale as far as the event log's time texts need it: the 12-hour clock's
// morning and afternoon designators. Any thread; reads the process's current time locale.
#pragma once

#include <string>

namespace pellmar::platform {

// "AM" / "PM" in the C locale; may be empty in locales that do not use a 12-hour clock.
std::string AmDesignator();
std::string PmDesignator();

}  // namespace pellmar::platform
