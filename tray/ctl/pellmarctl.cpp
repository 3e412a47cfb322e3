// pellmarctl: the configuration and event log windows as a command line, for hosts without a
// desktop. See `pellmarctl --help`; exit codes 0 done, 1 usage error, 2 failure (a damaged
// database among them, found at start or at its first failing statement).
#include "platform/ErrorReporter.h"
#include "platform/ProgramArguments.h"
#include "tray/ctl/CtlClient.h"
#include "tray/ctl/CtlCommand.h"
#include "tray/db/DatabaseCheck.h"
#include "tray/shell/DataLocations.h"
#include "tray/shell/ProgramVersion.h"

#include <atomic>
#include <cstdio>

namespace {

// Prints as the default reporter does, and remembers whether a statement met a damaged file.
class DamageWatchingReporter final : public pellmar::platform::ErrorReporter {
public:
    void Report(const std::string& caption, const std::string& text, pellmar::platform::ErrorIcon icon) override {
        if (pellmar::IsDamageError(text)) damage_ = true;
        stderr_.Report(caption, text, icon);
    }
    bool DamageSeen() const { return damage_; }

private:
    pellmar::platform::StderrErrorReporter stderr_;
    std::atomic<bool> damage_{false};
};

int Refuse(const std::string& databasePath, const std::string& problem) {
    std::fprintf(stderr, "pellmarctl: %s\n", pellmar::DamagedDatabaseAdvice(databasePath, problem).c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Folder paths among the arguments must reach the store as UTF-8 whatever the code page.
    std::vector<std::string> arguments = pellmar::platform::ProgramArguments(argc, argv);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::printf("pellmarctl %s\n", pellmar::kProgramVersion);
        return pellmar::ctl::kExitDone;
    }
    // Help and usage errors are answered before the data folder is settled: settling writes the
    // settings file, which a packager's man page generator or a mistyped command must not leave.
    const pellmar::ctl::ParseResult parsed = pellmar::ctl::ParseCommand(arguments, "/");
    if (!parsed.command || parsed.command->help) return pellmar::ctl::RunControl(arguments);
    const std::string databasePath = pellmar::SettleDataLocations().databasePath;
    if (const std::optional<std::string> damage = pellmar::DatabaseDamage(databasePath)) {
        return Refuse(databasePath, *damage);
    }
    DamageWatchingReporter reporter;
    pellmar::platform::InstallErrorReporter(&reporter);
    const int code = pellmar::ctl::RunControl(arguments);
    pellmar::platform::InstallErrorReporter(nullptr);
    return reporter.DamageSeen() ? Refuse(databasePath, "a statement found it malformed") : code;
}
