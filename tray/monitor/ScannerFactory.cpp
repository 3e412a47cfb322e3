// The settings store may force one engine; otherwise, with both given, each monitor picks by its
// folder's file system at every Start.
#include "tray/monitor/ScannerFactory.h"

#include <stdexcept>

#include "platform/Environment.h"
#include "tray/monitor/EngineSettings.h"
#include "tray/monitor/PerRootFolderScanner.h"

namespace pellmar {
namespace {

const ScannerCreator* FindCreator(const ScannerEngines& engines, ScannerVariant variant) {
    const ScannerCreator& creator =
        variant == ScannerVariant::DetailedRecords ? engines.changeRecords : engines.changeSignals;
    return creator ? &creator : nullptr;
}

std::unique_ptr<FolderScanner> CreateOfVariant(ScannerContext& context, const ScannerEngines& engines,
                                               ScannerVariant wanted) {
    ScannerVariant other = wanted == ScannerVariant::DetailedRecords ? ScannerVariant::ChangeSignals
                                                                     : ScannerVariant::DetailedRecords;
    const ScannerCreator* creator = FindCreator(engines, wanted);
    if (creator == nullptr) creator = FindCreator(engines, other);
    if (creator == nullptr) throw std::logic_error("No folder scanner engine is given");
    std::unique_ptr<FolderScanner> scanner = (*creator)(context);
    if (!scanner) throw std::logic_error("The folder scanner engine made no scanner");
    return scanner;
}

std::unique_ptr<FolderScanner> CreateForSettings(ScannerContext& context, const ScannerEngines& engines) {
    const EngineChoice choice = ReadEngineSettings().choice;
    if (choice == EngineChoice::Snapshot || choice == EngineChoice::Rescan)
        return CreateOfVariant(context, engines, ScannerVariant::ChangeSignals);
    if (choice == EngineChoice::Notification) return CreateOfVariant(context, engines, ScannerVariant::DetailedRecords);
    if (!platform::HasDetailedChangeRecords()) return CreateOfVariant(context, engines, ScannerVariant::ChangeSignals);
    if (!engines.changeRecords || !engines.changeSignals)
        return CreateOfVariant(context, engines, ScannerVariant::DetailedRecords);
    return std::make_unique<PerRootFolderScanner>(context, engines.changeRecords, engines.changeSignals);
}

}  // namespace

std::unique_ptr<FolderScanner> CreateScanner(ScannerContext& context, const ScannerEngines& engines) {
    std::unique_ptr<FolderScanner> scanner = CreateForSettings(context, engines);
    scanner->SetDeletions(true);
    scanner->SetSubfolders(true);
    return scanner;
}

}  // namespace pellmar
