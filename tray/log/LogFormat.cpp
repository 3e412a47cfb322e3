// The pictures are fixed. Where the platform formats pictures by the user's locale (Windows) that
// formatter writes them; otherwise, and for moments it cannot write, they are written by hand
// with only the designators from the locale. The decoding of a DateTime is tray/util's.
#include "tray/log/LogFormat.h"

#include <cstdio>

#include "platform/Locale.h"

namespace pellmar {
namespace {

constexpr char kDatePicture[] = "M/d/yyyy";
constexpr char kTimePicture[] = "h:mm:ss tt";

}  // namespace

std::string LogDateText(DateTime t) {
    DateTimeFields f = DecodeDateTime(t);
    if (std::optional<std::string> text = platform::UserDateText(f, kDatePicture)) return *text;
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
    // Many 24-hour locales (de_DE, fr_FR) have no designators; without one, 1:05 and 13:05 would
    // read the same, so the English ones keep the 12-hour text unambiguous.
    if (designator.empty()) return std::string(text) + (f.hour < 12 ? " AM" : " PM");
    return std::string(text) + " " + designator;
}

std::string LogTimeText(DateTime t) {
    const std::string am = platform::AmDesignator();
    const std::string pm = platform::PmDesignator();
    // The locale's own text would leave a locale without designators ambiguous; see above.
    if (!am.empty() && !pm.empty()) {
        if (std::optional<std::string> text = platform::UserTimeText(DecodeDateTime(t), kTimePicture)) return *text;
    }
    return LogTimeText(t, am, pm);
}

}  // namespace pellmar
