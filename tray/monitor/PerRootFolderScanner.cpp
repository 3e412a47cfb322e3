// Engine choice at Start. The engine gets no exceptions and reports deletions always: it forwards
// every path to this scanner, whose own event path decides both.
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
    engine->ForwardReportsTo(*this);
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

}  // namespace pellmar
