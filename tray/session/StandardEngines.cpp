#include "tray/session/StandardEngines.h"

#include "tray/monitor/notification/NTFolderScanner.h"
#include "tray/monitor/snapshot/Win9XFolderScanner.h"

namespace pellmar {

ScannerEngines StandardEngines(platform::Dispatcher& dispatcher) {
    return {NTFolderScannerCreator(dispatcher), Win9XFolderScannerCreator(dispatcher)};
}

}  // namespace pellmar
