// Runs the test thread's window messages while waiting for a condition, as the program's main
// loop would: a generous deadline, never a fixed sleep.
#pragma once

#include "tests/support/TestEnvironment.h"

#include <windows.h>

namespace pellmar::test {

inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(60)) {
    return WaitUntil([&] {
        PumpMessages();
        return condition();
    }, deadline);
}

}  // namespace pellmar::test
