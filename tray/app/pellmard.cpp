// pellmard: the replication core without windows, for servers and tests. Takes no arguments; reads
// the same settings file and database as the tray program. Ends on SIGINT or SIGTERM with code 0.
#include "tray/app/HeadlessHost.h"

int main() { return pellmar::RunHeadless(); }
