// qmUpdate: brings an application up to the version published on its update location.
// Only wiring: the command line as UTF-8 items, the system services, the window entry.
#include "common/CommandLine.h"
#include "common/Utf8Path.h"
#include "platform/ProgramArguments.h"
#include "updater/AppMain.h"
#include "updater/UpdateServices.h"
#include "updater/UpdateWindow.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    using namespace pellmar;
    // The items arrive split already: each is one parameter, under the rules' other effects.
    std::vector<std::string> parameters = ParseArgumentVector(platform::ProgramArguments(argc, argv));
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    // Without a known working directory, stay relative to it rather than fall back to the root.
    const std::string workingDirectory = (error || current.empty()) ? std::string(".") : Utf8FromPath(current);
    std::unique_ptr<UpdateServices> services = MakeSystemUpdateServices();
    return UpdaterMain(parameters, workingDirectory, std::cout, *services,
                       [&services](const UpdatePrompt& prompt) { return ShowUpdateWindow(prompt, *services); });
}
