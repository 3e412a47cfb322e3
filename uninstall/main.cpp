// qmRemove: asks a running program, found by its window title, to close before it is removed.
// Only wiring: the command line as UTF-8 items.
#include "common/CommandLine.h"
#include "platform/ProgramArguments.h"
#include "uninstall/CloseWindow.h"

int main(int argc, char** argv) {
    // The items arrive split already: each is one parameter, under the rules' other effects.
    return pellmar::RemoveMain(pellmar::ParseArgumentVector(pellmar::platform::ProgramArguments(argc, argv)));
}
