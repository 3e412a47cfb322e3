// The local wall clock as calendar fields (no time zone is ever applied by the callers).
#pragma once

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

}  // namespace pellmar::platform
