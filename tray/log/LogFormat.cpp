// The pictures are fixed. Where the platform formats pictures by the user's locale (Windows) that
// formatter writes them; otherwise, and for moments it cannot write, they are written by hand
// with only the designators from the locale. The decoding of a DateTime is tray/util's.
#include "tray/log/LogFormat.h"

#include <charconv>

#include "platform/Locale.h"

namespace pellmar {
namespace {

constexpr char kDatePicture[] = "M/d/yyyy";
constexpr char kTimePicture[] = "h:mm:ss tt";

// printf's "%0*d": at least `width` characters, the sign counted, zeros after the sign.
void AppendNumber(std::string& text, int value, int width = 0) {
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;  // an int always fits
    const char* start = digits;
    if (value < 0) {
        text += '-';
        ++start;
        --width;
    }
    for (int pad = width - static_cast<int>(end - start); pad > 0; --pad) text += '0';
    text.append(start, static_cast<std::size_t>(end - start));
}

// "%d/%d/%04d"
std::string HandDateText(const DateTimeFields& f) {
    std::string text;
    AppendNumber(text, f.month);
    text += '/';
    AppendNumber(text, f.day);
    text += '/';
    AppendNumber(text, f.year, 4);
    return text;
}

std::string DateTextOf(const DateTimeFields& f) {
    if (std::optional<std::string> text = platform::UserDateText(f, kDatePicture)) return *text;
    return HandDateText(f);
}

// "%d:%02d:%02d", a space and the designator.
std::string HandTimeText(const DateTimeFields& f, const std::string& amDesignator, const std::string& pmDesignator) {
    const int hour12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
    std::string text;  // "12:59:59 PM" fits the string itself: no allocation for the common designators
    AppendNumber(text, hour12);
    text += ':';
    AppendNumber(text, f.minute, 2);
    text += ':';
    AppendNumber(text, f.second, 2);
    const std::string& designator = f.hour < 12 ? amDesignator : pmDesignator;
    // Many 24-hour locales (de_DE, fr_FR) have no designators; without one, 1:05 and 13:05 would
    // read the same, so the English ones keep the 12-hour text unambiguous.
    text += ' ';
    if (designator.empty()) {
        text += f.hour < 12 ? "AM" : "PM";
    } else {
        text += designator;
    }
    return text;
}

std::string TimeTextOf(const DateTimeFields& f, const std::string& am, const std::string& pm) {
    // The locale's own text would leave a locale without designators ambiguous; see above.
    if (!am.empty() && !pm.empty()) {
        if (std::optional<std::string> text = platform::UserTimeText(f, kTimePicture)) return *text;
    }
    return HandTimeText(f, am, pm);
}

}  // namespace

std::string LogDateText(DateTime t) { return DateTextOf(DecodeDateTime(t)); }

std::string LogTimeText(DateTime t, const std::string& amDesignator, const std::string& pmDesignator) {
    return HandTimeText(DecodeDateTime(t), amDesignator, pmDesignator);
}

std::string LogTimeText(DateTime t) {
    return TimeTextOf(DecodeDateTime(t), platform::AmDesignator(), platform::PmDesignator());
}

LogMomentTexts::LogMomentTexts() : am_(platform::AmDesignator()), pm_(platform::PmDesignator()) {}

void LogMomentTexts::Set(DateTime t) {
    if (set_ && t == moment_) return;
    const DateTimeFields f = DecodeDateTime(t);
    if (!set_ || f.year != year_ || f.month != month_ || f.day != day_) {
        date_ = DateTextOf(f);
        year_ = f.year;
        month_ = f.month;
        day_ = f.day;
    }
    time_ = TimeTextOf(f, am_, pm_);
    moment_ = t;
    set_ = true;
}

}  // namespace pellmar
