// With no listener, the host lock decides: free, it is held for the whole command, so no host
// starts half-way and misses the change; held, a host is starting (it listens once its session
// runs), so the request is tried again for a while.
#include "tray/ctl/CtlClient.h"

#include "common/Utf8Path.h"
#include "platform/ControlChannel.h"
#include "platform/ErrorReporter.h"
#include "platform/HostLock.h"
#include "tray/ctl/Backends.h"
#include "tray/ctl/CtlProtocol.h"
#include "tray/shell/DataLocations.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace pellmar::ctl {
namespace {

constexpr int kStartAttempts = 100;                          // a host starting up: up to ~10 s
constexpr std::chrono::milliseconds kStartRetryPause{100};

int Print(const CtlReply& reply) {
    std::fwrite(reply.out.data(), 1, reply.out.size(), stdout);
    std::fwrite(reply.err.data(), 1, reply.err.size(), stderr);
    return reply.exitCode;
}

CtlReply RunDirectly(const std::string& request, const DataLocations& locations, bool createIfMissing) {
    platform::StderrErrorReporter reporter;
    platform::InstallErrorReporter(&reporter);
    DatabaseBackend backend(locations, createIfMissing);
    CtlReply reply = AnswerRequest(request, backend);
    platform::InstallErrorReporter(nullptr);
    return reply;
}

// One attempt: answered by the host, done directly, or nullopt when a host holds the lock but
// does not listen yet.
std::optional<CtlReply> Attempt(const std::string& request, const DataLocations& locations, const CtlCommand& command) {
    std::string text;
    switch (platform::SendControlRequest(ControlChannelName(locations.dataPath), request, &text)) {
    case platform::ControlResult::Answered: {
        CtlReply reply;
        if (DecodeReply(text, &reply)) return reply;
        return Failure(kExitFailure, "the host's answer could not be read");
    }
    case platform::ControlResult::Failed: return Failure(kExitFailure, "the host did not answer the request");
    case platform::ControlResult::NoListener: break;
    }
    std::unique_ptr<platform::HostLock> lock;
    if (platform::HostLock::TryAcquire(platform::HostLockPath(locations.dataPath), &lock) ==
        platform::HostLock::Result::HeldElsewhere) {
        return std::nullopt;
    }
    return RunDirectly(request, locations, command.verb == "add");
}

}  // namespace

int RunControl(const std::vector<std::string>& args) {
    std::error_code error;
    const std::string workingFolder = Utf8FromPath(std::filesystem::current_path(error));
    ParseResult parsed = ParseCommand(args, workingFolder);
    if (!parsed.command) return Print(Failure(kExitUsage, parsed.error));
    if (parsed.command->help) return Print({kExitDone, HelpText(parsed.command->verb), {}});
    const DataLocations locations = SettleDataLocations();
    const std::string request = EncodeRequest(workingFolder, args);
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (std::optional<CtlReply> reply = Attempt(request, locations, *parsed.command)) return Print(*reply);
        std::this_thread::sleep_for(kStartRetryPause);
    }
    return Print(Failure(kExitFailure, "a host runs on the data folder " + locations.dataPath +
                                           " but does not answer; is it an older version, or still starting?"));
}

}  // namespace pellmar::ctl
