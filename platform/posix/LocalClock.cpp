// Local wall clock from clock_gettime + localtime_r.
#include "platform/LocalClock.h"

#include <ctime>

namespace pellmar::platform {

LocalTimeFields LocalTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    LocalTimeFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    // A leap second reads as :60; the day count has no room for it.
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    fields.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return fields;
}

}  // namespace pellmar::platform
