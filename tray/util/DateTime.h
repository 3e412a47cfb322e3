// The program's date-time value: a double whose whole part counts days in the proleptic Gregorian
// calendar (0001-01-01 is day 1, 1970-01-01 day 719163) and whose fraction is the time of day.
// Always local time; no time zone is applied anywhere. Pure functions except DateTimeNow.
#pragma once

#include <cstdint>

#include "platform/LocalClock.h"

namespace pellmar {

using DateTime = double;
using DateTimeFields = platform::LocalTimeFields;

inline constexpr double kUnixEpochDay = 719163.0;

DateTime EncodeDateTime(const DateTimeFields& fields);

// Calendar fields of t (t >= 1), the time of day rounded to whole milliseconds.
DateTimeFields DecodeDateTime(DateTime t);

// The current local time.
DateTime DateTimeNow();

// Whole seconds since 1970-01-01 00:00 of the local clock, halves rounded to even.
// Values outside the 32-bit range are clamped to it.
std::int32_t DateTimeToUnixTime(DateTime t);
DateTime UnixTimeToDateTime(std::int32_t seconds);

DateTime AddHours(DateTime t, std::int64_t hours);

// t + days with the time of day rounded to whole milliseconds; defined for t >= 1.
DateTime AddDays(std::int32_t days, DateTime t);

}  // namespace pellmar
