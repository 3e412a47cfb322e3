// The configuration window (and its tray icon) as the presenter sees them, and the services the
// window calls on: the updater start, the session, the autostart entry, the setup dialog and the
// event log window. No toolkit.
#pragma once

#include <memory>
#include <optional>

#include "tray/model/ScannerValues.h"
#include "tray/session/MonitorSession.h"
#include "tray/ui/MonitorTexts.h"

namespace pellmar {

// Thread contract: main thread only.
class MainFormView {
public:
    virtual ~MainFormView() = default;
    virtual void BeginListUpdate() = 0;
    virtual void EndListUpdate() = 0;
    virtual void AppendRow(const MonitorRowTexts& row) = 0;
    virtual void SetRow(int index, const MonitorRowTexts& row) = 0;
    virtual void RemoveRow(int index) = 0;
    virtual int SelectedRow() const = 0;  // -1 without a selection
    virtual void SelectRow(int index) = 0;
    virtual void ShowDetails(const MonitorDetails& details) = 0;
    virtual void SetEditEnabled(bool enabled) = 0;
    virtual void SetDeleteEnabled(bool enabled) = 0;
    virtual void SetApplyEnabled(bool enabled) = 0;
    virtual bool AutostartChecked() const = 0;
    virtual void SetAutostartChecked(bool checked) = 0;
    virtual void SetWaitCursor(bool wait) = 0;
    virtual void CentreOnScreen() = 0;
    virtual void ShowAndActivate() = 0;
    virtual void HideWindow() = 0;
    virtual void MinimiseWindow() = 0;
    // Shows the window's own "View Log" and "Exit" buttons (for a desktop without a tray).
    virtual void SetWindowCommandsVisible(bool visible) = 0;
    // Asks the window to close later, through the same path as its close box.
    virtual void PostClose() = 0;
};

// Thread contract: main thread only; every call may be modal.
class MainFormServices {
public:
    virtual ~MainFormServices() = default;
    virtual void InstallStagedUpdater() = 0;
    virtual void LaunchUpdater() = 0;
    virtual bool ReadAutostart(bool current) = 0;  // `current` when the entry cannot be read
    // False when it could not be written; the services told the user why.
    virtual bool WriteAutostart(bool autostart) = 0;
    // Runs the setup dialog for a new (null) or an existing monitor; the values on OK.
    // `others`: the session's other monitors, which the dialog's checks compare with.
    virtual std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                        const std::vector<ScannerValues>& others) = 0;
    virtual void RunLogWindow(MonitorSession& session) = 0;
    // The restore window, opened for `monitor` (0: the first one).
    virtual void RunRestoreWindow(MonitorSession& session, MonitorId monitor) = 0;
    // The log id of the newest error the user has seen in the event log (0: none),
    // kept from one run to the next.
    virtual std::int64_t LastSeenProblem() = 0;
    virtual void SetLastSeenProblem(std::int64_t id) = 0;
    // A yes/no question over the window; true for yes.
    virtual bool Confirm(const std::string& question) = 0;
    // The exit has begun: the main thread is about to wait for the session's threads.
    virtual void ExitStarted() = 0;
};

}  // namespace pellmar
