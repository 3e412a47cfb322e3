// The configuration window's behaviour: the start of the replication core at the end of its
// construction, the commands of the tray menu, the list, the buttons and the list menu, the exit
// flag, and the close that hides unless the program is exiting. Starts and stops the session,
// which the tray program owns.
#pragma once

#include <memory>
#include <vector>

#include "tray/ui/MainFormView.h"
#include "tray/ui/TrayAttention.h"

namespace pellmar {

// Thread contract: main thread only; view, services and session outlive the presenter.
class MainFormPresenter {
public:
    MainFormPresenter(MainFormView& view, MainFormServices& services, MonitorSession& session);
    ~MainFormPresenter();

    // The end of the window's construction: updater, session, list. Without a tray the window is
    // shown at once, since nothing else could reach it.
    void Construct(bool trayAvailable);
    void TrayAvailabilityChanged(bool trayAvailable);

    void Configure();
    void ViewLog();
    // "Restore..." in the tray menu and the list menu: for the selected monitor, else the first.
    void Restore();
    void Exit();
    // A close request to the application window (updater, uninstall helper).
    void AppWindowCloseRequested();

    void Add();
    void Edit();  // also a double-click in the list
    void Delete();
    // The Delete key in the list: the selected monitor goes after a question that names it.
    void DeleteKeyPressed();
    void Enable() { SetSelectedStatus(1); }
    void Disable() { SetSelectedStatus(0); }
    void ListClicked();
    // Every few seconds while the window is shown: the status column and the pane follow what
    // each monitor is doing.
    void RefreshStates();
    // Every few seconds, shown or not: what the tray icon shows now (see TrayAttention).
    TrayLook RefreshTray(std::chrono::steady_clock::time_point now);
    void AutostartClicked();
    void Apply();
    void Close();  // "Close" button or Enter

    // The window is asked to close (close box or PostClose): true when it may close, which is
    // only while exiting, after the session has stopped and gone.
    bool CloseRequested();

    bool Exiting() const { return exiting_; }
    // The running session; nullptr once the exit has stopped it.
    MonitorSession* Session() const { return session_; }
    // The session's monitors were changed from outside the window: the list is drawn anew.
    void SessionChanged();

private:
    class ListUpdate;
    void FillList();
    MonitorRowTexts RowOf(int index) const;
    std::vector<ScannerValues> OtherMonitors(MonitorId except) const;
    ScannerValues ValuesOfRow(int index) const;
    MonitorDetails DetailsOfRow(int index) const;
    void ShowSelected();
    void SetSelectedStatus(std::int32_t status);
    void HideOrMinimise();
    void StopSession();

    MainFormView& view_;
    MainFormServices& services_;
    MonitorSession* session_;
    std::vector<MonitorId> rows_;  // one per list row, in the session's order
    bool exiting_ = false;
    bool trayAvailable_ = true;
    bool listUpdating_ = false;
    TrayAttention attention_;
};

}  // namespace pellmar
