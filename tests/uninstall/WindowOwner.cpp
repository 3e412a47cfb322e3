// Test helper program: owns an application window with the title argv[1]. Mode "close" ends the
// program when asked to close; "ignore" keeps the window. Writes argv[3] once the window exists.
// Ends by itself after a minute at the latest, so no test leaves it behind.
#include "platform/AppWindow.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    std::string mode = argv[2];
    std::mutex mutex;
    std::condition_variable closed;
    bool closeRequested = false;
    auto window = pellmar::platform::AppWindow::Register(argv[1], [&] {
        if (mode != "close") return;
        std::lock_guard lock(mutex);
        closeRequested = true;
        closed.notify_all();
    });
    if (!window) return 3;
    std::string ready = argv[3];
    {
        std::ofstream out(ready + ".tmp");
        out << window->Handle();
    }
    std::rename((ready + ".tmp").c_str(), ready.c_str());
    std::unique_lock lock(mutex);
    closed.wait_for(lock, std::chrono::minutes(1), [&] { return closeRequested; });
    return 0;
}
