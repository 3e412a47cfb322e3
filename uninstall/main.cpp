// qmRemove: asks a running program, found by its window title, to close before it is removed.
// Only wiring: the command line from argv.
#include "common/CommandLine.h"
#include "uninstall/CloseWindow.h"

int main(int argc, char** argv) {
    // argv arrives split already: each item is one parameter, under the rules' other effects.
    return pellmar::RemoveMain(pellmar::ParseArgumentVector(argc, argv));
}
