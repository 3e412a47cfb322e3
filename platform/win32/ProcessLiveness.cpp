// Process liveness through OpenProcess and a zero wait.
#include "platform/ProcessLiveness.h"

#include "platform/win32/UniqueHandle.h"

#include <windows.h>

namespace pellmar::platform {

bool ProcessHasEnded(std::uint64_t processId) {
    if (processId == GetCurrentProcessId() || processId > MAXDWORD) return false;
    win32::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId)));
    if (!process.Valid()) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace pellmar::platform
