// Date and time texts of the event log: the pictures "M/d/yyyy" and "h:mm:ss tt" (no leading
// zero on month, day and 12-hour hour; four-digit year; two-digit minutes and seconds; the
// locale's AM/PM designator). The one-argument forms ask the platform: on Windows the user's locale
// writes the pictures (its calendar and designators apply); on Linux only the designators are its.
#pragma once

#include <string>

#include "tray/util/DateTime.h"

namespace pellmar {

std::string LogDateText(DateTime t);
// Pure: the picture written by hand with these designators. An empty designator (a locale without
// a 12-hour clock) is replaced by "AM" or "PM".
std::string LogTimeText(DateTime t, const std::string& amDesignator, const std::string& pmDesignator);
std::string LogTimeText(DateTime t);

}  // namespace pellmar
