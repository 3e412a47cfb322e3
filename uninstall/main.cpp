// qmRemove: asks a running program, found by its window title, to close before it is removed.
// Only wiring: the command line from argv.
#include "common/CommandLine.h"
#include "uninstall/CloseWindow.h"

int main(int argc, char** argv) {
    // argv arrives split already; rejoining it lets the one splitting rule decide, as on Windows.
    return pellmar::RemoveMain(pellmar::ParseCommandLine(pellmar::RebuildCommandLine(argc, argv)));
}
