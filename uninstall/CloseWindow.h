// qmRemove's work: find a window by its title, ask it once to close, and wait a short while for it
// to go. Every wait is bounded, the close request too, so an uninstall never hangs on a program
// that does not answer. Prints nothing and reports nothing. Runs on the helper's one thread.
#pragma once

#include "platform/AppWindow.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pellmar {

// How long the close request waits for the window's handler; a hung program does not answer.
constexpr std::chrono::milliseconds kCloseRequestLimit{5000};

// The window services the helper uses, replaceable in tests (pauses in particular).
struct CloseWindowServices {
    // A program busy for a while still gets its close: the title query waits as long as the close may.
    std::function<platform::WindowHandle(const std::string&)> find = [](const std::string& title) {
        return platform::FindAppWindow(title, kCloseRequestLimit);
    };
    std::function<void(platform::WindowHandle, std::chrono::milliseconds)> sendClose = platform::SendCloseRequest;
    std::function<void(std::chrono::milliseconds)> pause;  // unset: a real sleep
    int pauses = 7;
    std::chrono::milliseconds pauseLength{500};
    std::chrono::milliseconds closeLimit = kCloseRequestLimit;
};

void CloseWindowByTitle(const std::string& title, const CloseWindowServices& services = {});

// The whole run from the split command line (parameters 1..): "/T:" (any ASCII case) and a title.
// Always returns 0.
int RemoveMain(const std::vector<std::string>& parameters, const CloseWindowServices& services = {});

}  // namespace pellmar
