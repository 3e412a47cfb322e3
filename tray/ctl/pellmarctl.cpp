// pellmarctl: the configuration and event log windows as a command line, for hosts without a
// desktop. See `pellmarctl --help`; exit codes 0 done, 1 usage error, 2 failure.
#include "tray/ctl/CtlClient.h"

int main(int argc, char** argv) { return pellmar::ctl::RunControl(std::vector<std::string>(argv + 1, argv + argc)); }
