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

// The window services the helper uses, replaceable in tests (pauses in particular).
struct CloseWindowServices {
    std::function<platform::WindowHandle(const std::string&)> find = platform::FindAppWindow;
    std::function<void(platform::WindowHandle, std::chrono::milliseconds)> sendClose = platform::SendCloseRequest;
    std::function<void(std::chrono::milliseconds)> pause;  // unset: a real sleep
    int pauses = 7;
    std::chrono::milliseconds pauseLength{500};
    // How long the close request waits for the window's handler; a hung program does not answer.
    std::chrono::milliseconds closeLimit{5000};
};

void CloseWindowByTitle(const std::string& title, const CloseWindowServices& services = {});

// The whole run from the split command line (parameters 1..): "/T:" (any ASCII case) and a title.
// Always returns 0.
int RemoveMain(const std::vector<std::string>& parameters, const CloseWindowServices& services = {});

}  // namespace pellmar
