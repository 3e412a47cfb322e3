#include "tray/util/DateTime.h"

#include <cmath>
#include <limits>

namespace pellmar {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;
constexpr int kDaysBeforeMonth[2][13] = {
    {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int64_t DaysBeforeYear(std::int64_t year) {
    std::int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

void SplitDayNumber(std::int64_t dayNumber, DateTimeFields& fields) {
    std::int64_t year = (dayNumber - 1) * 400 / 146097 + 1;  // estimate, corrected below
    while (DaysBeforeYear(year) >= dayNumber) --year;
    while (DaysBeforeYear(year + 1) < dayNumber) ++year;
    int dayOfYear = static_cast<int>(dayNumber - DaysBeforeYear(year));
    const int* before = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0];
    int month = 12;
    while (month > 1 && before[month] >= dayOfYear) --month;
    fields.year = static_cast<int>(year);
    fields.month = month;
    fields.day = dayOfYear - before[month];
}

}  // namespace

DateTime EncodeDateTime(const DateTimeFields& f) {
    std::int64_t days = DaysBeforeYear(f.year) + kDaysBeforeMonth[IsLeapYear(f.year) ? 1 : 0][f.month] + f.day;
    std::int64_t ms = ((static_cast<std::int64_t>(f.hour) * 60 + f.minute) * 60 + f.second) * 1000 + f.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay);
}

DateTimeFields DecodeDateTime(DateTime t) {
    double whole = std::floor(t);
    std::int64_t dayNumber = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround((t - whole) * static_cast<double>(kMillisecondsPerDay));
    if (ms >= kMillisecondsPerDay) {  // rounding reached midnight of the next day
        ms -= kMillisecondsPerDay;
        ++dayNumber;
    }
    DateTimeFields fields;
    SplitDayNumber(dayNumber < 1 ? 1 : dayNumber, fields);
    fields.hour = static_cast<int>(ms / 3600000);
    fields.minute = static_cast<int>(ms / 60000 % 60);
    fields.second = static_cast<int>(ms / 1000 % 60);
    fields.millisecond = static_cast<int>(ms % 1000);
    return fields;
}

DateTime DateTimeNow() { return EncodeDateTime(platform::LocalTimeNow()); }

std::int32_t DateTimeToUnixTime(DateTime t) {
    // nearbyint follows the default rounding mode, round-half-to-even.
    double seconds = std::nearbyint((t - kUnixEpochDay) * 86400.0);
    if (!(seconds >= std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (seconds > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(seconds);
}

DateTime UnixTimeToDateTime(std::int32_t seconds) { return seconds / 86400.0 + kUnixEpochDay; }

DateTime AddHours(DateTime t, std::int64_t hours) {
    long double extended = (static_cast<long double>(t) * 24.0L + static_cast<long double>(hours)) / 24.0L;
    return static_cast<double>(extended);
}

DateTime AddDays(std::int32_t days, DateTime t) {
    DateTime rounded = EncodeDateTime(DecodeDateTime(t));
    return EncodeDateTime(DecodeDateTime(rounded + days));
}

}  // namespace pellmar
