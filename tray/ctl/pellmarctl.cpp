// pellmarctl: the configuration and event log windows as a command line, for hosts without a
// desktop. See `pellmarctl --help`; exit codes 0 done, 1 usage error, 2 failure.
#include "platform/ProgramArguments.h"
#include "tray/ctl/CtlClient.h"

int main(int argc, char** argv) {
    // Folder paths among the arguments must reach the store as UTF-8 whatever the code page.
    std::vector<std::string> arguments = pellmar::platform::ProgramArguments(argc, argv);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return pellmar::ctl::RunControl(arguments);
}
