// CreateScanner and the registry of scanner variants. The host registers the concrete classes,
// so this library needs no link-time knowledge of any engine. The settings store may force one
// engine; otherwise, with both registered, each monitor picks by its folder's file system.
#include <map>
#include <stdexcept>

#include "platform/Environment.h"
#include "tray/monitor/EngineSettings.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/PerRootFolderScanner.h"

namespace pellmar {
namespace {

std::map<ScannerVariant, ScannerCreator>& Creators() {
    static std::map<ScannerVariant, ScannerCreator> creators;
    return creators;
}

const ScannerCreator* FindCreator(ScannerVariant variant) {
    auto found = Creators().find(variant);
    return found == Creators().end() || !found->second ? nullptr : &found->second;
}

}  // namespace

void RegisterScannerVariant(ScannerVariant variant, ScannerCreator creator) {
    Creators()[variant] = std::move(creator);
}

namespace {

std::unique_ptr<FolderScanner> CreateOfVariant(ScannerContext& context, ScannerVariant wanted) {
    ScannerVariant other = wanted == ScannerVariant::DetailedRecords ? ScannerVariant::ChangeSignals
                                                                     : ScannerVariant::DetailedRecords;
    const ScannerCreator* creator = FindCreator(wanted);
    if (creator == nullptr) creator = FindCreator(other);
    if (creator == nullptr) throw std::logic_error("No folder scanner variant is registered");
    std::unique_ptr<FolderScanner> scanner = (*creator)(context);
    if (!scanner) throw std::logic_error("The folder scanner variant made no scanner");
    return scanner;
}

std::unique_ptr<FolderScanner> CreateForSettings(ScannerContext& context) {
    const EngineChoice choice = ReadEngineSettings().choice;
    if (choice == EngineChoice::Snapshot || choice == EngineChoice::Rescan)
        return CreateOfVariant(context, ScannerVariant::ChangeSignals);
    if (choice == EngineChoice::Notification) return CreateOfVariant(context, ScannerVariant::DetailedRecords);
    if (!platform::HasDetailedChangeRecords()) return CreateOfVariant(context, ScannerVariant::ChangeSignals);
    const ScannerCreator* records = FindCreator(ScannerVariant::DetailedRecords);
    const ScannerCreator* signals = FindCreator(ScannerVariant::ChangeSignals);
    if (records == nullptr || signals == nullptr) return CreateOfVariant(context, ScannerVariant::DetailedRecords);
    return std::make_unique<PerRootFolderScanner>(context, *records, *signals);
}

}  // namespace

std::unique_ptr<FolderScanner> CreateScanner(ScannerContext& context) {
    std::unique_ptr<FolderScanner> scanner = CreateForSettings(context);
    scanner->SetDeletions(true);
    scanner->SetSubfolders(true);
    return scanner;
}

}  // namespace pellmar
