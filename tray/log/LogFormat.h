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

// The texts of LogDateText and LogTimeText for one moment after the other, as a load of the whole
// event log needs them: the designators are asked once, when it is made, and a moment on the day
// of the one before keeps that day's date text (and the same moment both texts). One thread.
class LogMomentTexts {
public:
    LogMomentTexts();

    void Set(DateTime t);
    const std::string& Date() const { return date_; }
    const std::string& Time() const { return time_; }

private:
    std::string am_;
    std::string pm_;
    bool set_ = false;
    DateTime moment_ = 0;
    int year_ = 0, month_ = 0, day_ = 0;
    std::string date_;
    std::string time_;
};

}  // namespace pellmar
