// Local wall clock from GetLocalTime.
#include "platform/LocalClock.h"

#include <windows.h>

namespace pellmar::platform {

LocalTimeFields LocalTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTimeFields fields;
    fields.year = now.wYear;
    fields.month = now.wMonth;
    fields.day = now.wDay;
    fields.hour = now.wHour;
    fields.minute = now.wMinute;
    fields.second = now.wSecond;
    fields.millisecond = now.wMilliseconds;
    return fields;
}

}  // namespace pellmar::platform
