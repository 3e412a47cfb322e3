// Engine choice at Start and the hand-back of the engine's events. The engine gets no exceptions
// and reports deletions always: this scanner's own event path decides both.
#include "tray/monitor/PerRootFolderScanner.h"

#include "platform/FolderSignal.h"

#include <stdexcept>
#include <utility>

namespace pellmar {

PerRootFolderScanner::PerRootFolderScanner(ScannerContext& context, ScannerCreator records, ScannerCreator signals)
    : FolderScanner(context), context_(context), records_(std::move(records)), signals_(std::move(signals)) {
    UseEngine(ScannerVariant::DetailedRecords);
}

PerRootFolderScanner::~PerRootFolderScanner() {
    if (engine_) engine_->Stop();
}

void PerRootFolderScanner::UseEngine(ScannerVariant variant) {
    const ScannerCreator& creator = variant == ScannerVariant::DetailedRecords ? records_ : signals_;
    std::unique_ptr<FolderScanner> engine = creator(context_);
    if (!engine) throw std::logic_error("The folder scanner variant made no scanner");
    engine->SetOnChange([this](FolderScanner&, std::unique_ptr<ChangeEvent> event) { Forward(*event); });
    engine->SetOnLost([this](FolderScanner&) { ReportLost(); });
    engine->SetOnTrouble(
        [this](FolderScanner&, const std::string& message, bool stopped) { ReportTrouble(message, stopped); });
    engine_ = std::move(engine);
    variant_ = variant;
}

void PerRootFolderScanner::Start() {
    const ScannerVariant wanted = platform::IsChangeBlindFileSystem(root_) ? ScannerVariant::ChangeSignals
                                                                           : ScannerVariant::DetailedRecords;
    if (wanted != variant_) {
        engine_->Stop();
        UseEngine(wanted);
    }
    engine_->SetRoot(root_);
    engine_->SetSubfolders(subfolders_);
    engine_->GetFilters() = filters_;
    engine_->SetDeletions(true);
    engine_->SetHasVersions(GetHasVersions());
    engine_->SetBackupPath(GetBackupPath());
    engine_->Start();
}

void PerRootFolderScanner::Stop() { engine_->Stop(); }

// The engine already built a record; this scanner's path builds its own, with its own settings,
// and hands it to the session as coming from this scanner.
void PerRootFolderScanner::Forward(const ChangeEvent& event) {
    switch (event.jobtype) {
        case ChangeCreated: ReportCreated(event.src); break;
        case ChangeDeleted: ReportDeleted(event.src); break;
        default: ReportModified(event.src); break;
    }
}

}  // namespace pellmar
