// Local wall clock from clock_gettime + localtime_r. localtime_r, unlike localtime, does not
// look at the time zone file again on every call.
#include "platform/LocalClock.h"

#include <ctime>

namespace pellmar::platform {
namespace {

std::optional<LocalTimeFields> FieldsAt(std::time_t time) {
    std::tm local{};
    if (!localtime_r(&time, &local)) return std::nullopt;
    LocalTimeFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    // A leap second reads as :60; the day count has no room for it.
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return fields;
}

}  // namespace

LocalTimeFields LocalTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    LocalTimeFields fields = FieldsAt(now.tv_sec).value_or(LocalTimeFields{});
    fields.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return fields;
}

std::optional<LocalTimeFields> LocalTimeAt(std::int64_t unixSeconds) {
    return FieldsAt(static_cast<std::time_t>(unixSeconds));
}

}  // namespace pellmar::platform
