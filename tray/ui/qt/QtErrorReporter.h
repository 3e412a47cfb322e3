// The Qt program's error reporter: a Qt message box with the error icon and the given caption
// ("Pellmar"), shown on the main thread as MainThreadErrorReporter hands it over.
#pragma once

#include "tray/ui/MainThreadErrorReporter.h"

namespace pellmar {

class QtErrorReporter final : public MainThreadErrorReporter {
public:
    explicit QtErrorReporter(platform::Dispatcher& dispatcher);
};

}  // namespace pellmar
