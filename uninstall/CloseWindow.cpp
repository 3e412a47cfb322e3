// Closing a window by title with a bounded wait for it to disappear.
#include "uninstall/CloseWindow.h"

#include "common/TextCase.h"

#include <thread>

namespace pellmar {

void CloseWindowByTitle(const std::string& title, const CloseWindowServices& services) {
    platform::WindowHandle window = services.find(title);
    if (window == 0) return;
    services.sendClose(window, services.closeLimit);
    for (int pause = 1; pause <= services.pauses; ++pause) {
        if (services.pause) services.pause(services.pauseLength);
        else std::this_thread::sleep_for(services.pauseLength);
        if (pause == services.pauses) return;
        // Searched by title again: another window with the same title keeps the wait going too.
        if (services.find(title) == 0) return;
    }
}

int RemoveMain(const std::vector<std::string>& parameters, const CloseWindowServices& services) {
    if (parameters.size() >= 2 && UpperCaseAscii(parameters[0]) == "/T:" && !parameters[1].empty()) {
        CloseWindowByTitle(parameters[1], services);
    }
    return 0;
}

}  // namespace pellmar
