// Carrying out one parsed pellmarctl command against a backend: the setup dialog's checks and the
// mask language's messages before a save, the log window's rule that only Warning entries can be
// cancelled, and the reply texts with their exit code. Runs where the backend lives.
#pragma once

#include <string>

#include "tray/ctl/ControlBackend.h"
#include "tray/ctl/CtlCommand.h"

namespace pellmar::ctl {

struct CtlReply {
    int exitCode = kExitDone;
    std::string out;  // for stdout
    std::string err;  // for stderr: one line per problem
};

// Thread contract: the backend's thread. A help request or a parse failure is the caller's.
CtlReply Execute(const CtlCommand& command, ControlBackend& backend);

// A failure reply: `message` as one "pellmarctl: " line on stderr.
CtlReply Failure(int exitCode, const std::string& message);

}  // namespace pellmar::ctl
