// The engine choice: which change engine a new folder monitor gets. The engines are handed in by
// whoever owns the session, so this library needs no link-time knowledge of any of them.
#pragma once

#include <memory>

#include "tray/monitor/FolderScanner.h"

namespace pellmar {

// The engines a session may choose from; either may be empty (tests, a host with one engine).
struct ScannerEngines {
    ScannerCreator changeRecords;  // ScannerVariant::DetailedRecords
    ScannerCreator changeSignals;  // ScannerVariant::ChangeSignals
};

// A new scanner with `deletions` on, sub-folders on and everything else empty. Its engine: the
// one the settings store forces (EngineSettings), else, with both engines given and detailed
// records available, one that picks per Start by its folder's file system; else the engine the
// platform's capability asks for (the other one when that is not given).
// Throws std::logic_error when no engine is given. Main thread.
std::unique_ptr<FolderScanner> CreateScanner(ScannerContext& context, const ScannerEngines& engines);

}  // namespace pellmar
