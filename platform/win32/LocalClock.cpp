// Local wall clock from GetLocalTime; other moments through the time zone's rules for their own
// date, so a summer time stays a summer time when read in winter.
#include "platform/LocalClock.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

LocalTimeFields FieldsOf(const SYSTEMTIME& time) {
    LocalTimeFields fields;
    fields.year = time.wYear;
    fields.month = time.wMonth;
    fields.day = time.wDay;
    fields.hour = time.wHour;
    fields.minute = time.wMinute;
    fields.second = time.wSecond;
    fields.millisecond = time.wMilliseconds;
    return fields;
}

}  // namespace

LocalTimeFields LocalTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FieldsOf(now);
}

std::optional<LocalTimeFields> LocalTimeAt(std::int64_t unixSeconds) {
    // 100 ns ticks from 1601-01-01, the system's own epoch.
    constexpr std::int64_t kEpochDifferenceSeconds = 11644473600;
    if (unixSeconds < -kEpochDifferenceSeconds) return std::nullopt;
    const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + kEpochDifferenceSeconds) * 10000000u;
    const FILETIME utcTicks{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&utcTicks, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::nullopt;
    return FieldsOf(local);
}

}  // namespace pellmar::platform
