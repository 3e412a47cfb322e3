// pellmard: the replication core without windows, for servers and tests. Reads the same settings
// file and database as the tray program. Ends on SIGINT or SIGTERM with code 0; --help and
// --version print and end without touching the data folder.
#include "tray/app/HeadlessHost.h"
#include "tray/shell/ProgramVersion.h"

#include <cstdio>
#include <string>

namespace {

const char kHelp[] =
    "Usage: pellmard [--help] [--version]\n"
    "Runs Pellmar's replication host without windows: the folder monitors, pending jobs and event\n"
    "log of this user's data folder, as the tray program Pellmar does. Change its monitors with\n"
    "pellmarctl while it runs. It ends on SIGINT or SIGTERM once every change it has seen is stored.\n\n"
    "Options:\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n\n"
    "Exit codes: 0 ended by a signal, 1 usage error, 2 a damaged database (the message says how to\n"
    "move it aside), 3 another host (Pellmar or pellmard) runs on the same data folder.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return pellmar::RunHeadless();
    const std::string option = argv[1];
    if (argc == 2 && (option == "--help" || option == "-h")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && option == "--version") {
        std::printf("pellmard %s\n", pellmar::kProgramVersion);
        return 0;
    }
    // A mistyped option must not start a host that then runs unnoticed.
    std::fprintf(stderr, "pellmard: unexpected argument \"%s\"; see pellmard --help\n", option.c_str());
    return 1;
}
