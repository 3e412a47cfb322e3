// The local wall clock as calendar fields (no time zone is ever applied by the callers).
#pragma once

#include <cstdint>
#include <optional>

namespace pellmar::platform {

struct LocalTimeFields {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Now, in local time. Any thread.
LocalTimeFields LocalTimeNow();

// A moment given as whole seconds since 1970-01-01 UTC, in local time with that day's offset
// (milliseconds 0); nothing when the system cannot convert it. Any thread; reads no files.
std::optional<LocalTimeFields> LocalTimeAt(std::int64_t unixSeconds);

}  // namespace pellmar::platform
