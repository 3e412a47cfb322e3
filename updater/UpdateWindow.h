// The entry to the update window that keeps Qt out of the updater's main: shows the prompt
// modally (creating the Qt application on first use) and returns when the window has closed.
// Main thread.
#pragma once

#include "updater/AppMain.h"
#include "updater/UpdateServices.h"

namespace pellmar {

// Without a display to show the window on, the prompt counts as declined. Returns how the update
// sequence ended (NotRun when "OK" was not pressed).
UpdateOutcome ShowUpdateWindow(const UpdatePrompt& prompt, UpdateServices& services);

}  // namespace pellmar
