// CreateScanner and the registry of scanner variants. The host registers the concrete classes,
// so this library needs no link-time knowledge of any engine.
#include <map>
#include <stdexcept>

#include "platform/Environment.h"
#include "tray/monitor/FolderScanner.h"

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

std::unique_ptr<FolderScanner> CreateScanner(ScannerContext& context) {
    ScannerVariant wanted = platform::HasDetailedChangeRecords() ? ScannerVariant::DetailedRecords
                                                                 : ScannerVariant::ChangeSignals;
    ScannerVariant other = wanted == ScannerVariant::DetailedRecords ? ScannerVariant::ChangeSignals
                                                                     : ScannerVariant::DetailedRecords;
    const ScannerCreator* creator = FindCreator(wanted);
    if (creator == nullptr) creator = FindCreator(other);
    if (creator == nullptr) throw std::logic_error("No folder scanner variant is registered");
    std::unique_ptr<FolderScanner> scanner = (*creator)(context);
    if (!scanner) throw std::logic_error("The folder scanner variant made no scanner");
    scanner->SetDeletions(true);
    scanner->SetSubfolders(true);
    return scanner;
}

}  // namespace pellmar
