// The Win32 program's error reporter: a task-modal message box with the error icon and the given
// caption ("Pellmar"), shown on the main thread as MainThreadErrorReporter hands it over.
#pragma once

#include "tray/ui/MainThreadErrorReporter.h"

namespace pellmar {

class Win32ErrorReporter final : public MainThreadErrorReporter {
public:
    explicit Win32ErrorReporter(platform::Dispatcher& dispatcher);
};

}  // namespace pellmar
