// Formatting by hand: the pictures are fixed, only the designators come from the locale.
#include "tray/log/LogFormat.h"

#include <cstdio>

#include "platform/Locale.h"

namespace pellmar {

std::string LogDateText(DateTime t) {
    DateTimeFields f = DecodeDateTime(t);
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%04d", f.month, f.day, f.year);
    return text;
}

std::string LogTimeText(DateTime t, const std::string& amDesignator, const std::string& pmDesignator) {
    DateTimeFields f = DecodeDateTime(t);
    int hour12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", hour12, f.minute, f.second);
    const std::string& designator = f.hour < 12 ? amDesignator : pmDesignator;
    return designator.empty() ? std::string(text) : std::string(text) + " " + designator;
}

std::string LogTimeText(DateTime t) {
    return LogTimeText(t, platform::AmDesignator(), platform::PmDesignator());
}

}  // namespace pellmar
