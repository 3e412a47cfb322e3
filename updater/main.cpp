// qmUpdate: brings an application up to the version published on its update location.
// Only wiring: the command line as UTF-8 items, a private folder for the description, the built-in
// key, the system services, the window entry.
#include "common/CommandLine.h"
#include "common/Utf8Path.h"
#include "platform/ProgramArguments.h"
#include "platform/TemporaryFolder.h"
#include "updater/AppMain.h"
#include "updater/UpdateKey.h"
#include "updater/UpdateServices.h"
#include "updater/UpdateWindow.h"

#include <filesystem>
#include <iostream>

namespace {

// The description folder goes with the run, whichever way it ends.
class PrivateFolder {
public:
    PrivateFolder() : path_(pellmar::platform::MakePrivateTemporaryFolder("qmUpdate-")) {}
    ~PrivateFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(pellmar::PathFromUtf8(path_), ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace pellmar;
    // The items arrive split already: each is one parameter, under the rules' other effects.
    std::vector<std::string> parameters = ParseArgumentVector(platform::ProgramArguments(argc, argv));
    PrivateFolder folder;
    if (folder.Path().empty() && parameters.size() >= 4) {
        std::cerr << "qmUpdate: no private temporary folder can be made; no update check.\n";
        return kExitNoVersion;
    }
    std::unique_ptr<UpdateServices> services = MakeSystemUpdateServices();
    UpdaterSetup setup{folder.Path(), BuiltInUpdateKey(), std::cout, std::cerr};
    return UpdaterMain(parameters, setup, *services,
                       [&services](const UpdatePrompt& prompt) { return ShowUpdateWindow(prompt, *services); });
}
