// Test helper program: owns an application window with the title argv[1]. Mode "close" ends the
// program when asked to close; "ignore" keeps the window; "hang" never returns from the close
// handler, as a hung program would not; "slow" takes 4 s over its first close request (writing
// argv[3] + ".busy" as it begins) and ignores it, as a busy program would, then ends at the next.
// Writes argv[3] once the window exists.
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
    bool quitting = false;
    int requests = 0;
    std::string ready = argv[3];
    auto window = pellmar::platform::AppWindow::Register(argv[1], [&] {
        std::unique_lock lock(mutex);
        if (mode == "hang") closed.wait(lock, [&] { return quitting; });
        if (mode == "slow" && requests++ == 0) {
            std::ofstream(ready + ".busy") << "busy";
            closed.wait_for(lock, std::chrono::seconds(4), [&] { return quitting; });
            return;
        }
        if (mode == "slow") mode = "close";
        if (mode != "close") return;
        closeRequested = true;
        closed.notify_all();
    });
    if (!window) return 3;
    {
        std::ofstream out(ready + ".tmp");
        out << window->Handle();
    }
    std::rename((ready + ".tmp").c_str(), ready.c_str());
    std::unique_lock lock(mutex);
    closed.wait_for(lock, std::chrono::minutes(1), [&] { return closeRequested; });
    quitting = true;  // lets a hung handler return, so the window can be taken down
    closed.notify_all();
    lock.unlock();
    return 0;
}
