// Folder change signals on Windows: not wired to change notifications yet. Every folder counts as
// blind, so its owner rescans it on its timer; the detailed-records engine is the one used here.
#include "platform/FolderSignal.h"

namespace pellmar::platform {
namespace {

class TimerOnlySignalSet final : public FolderSignalSet {
public:
    SignalKind Add(const std::string&, bool, std::shared_ptr<Event>) override { return SignalKind::Blind; }
};

}  // namespace

std::unique_ptr<FolderSignalSet> FolderSignalSet::Open() { return std::make_unique<TimerOnlySignalSet>(); }

bool IsChangeBlindFileSystem(const std::string&) { return false; }

}  // namespace pellmar::platform
