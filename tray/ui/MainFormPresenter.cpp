// The configuration window's behaviour. The construction order is the program's start-up order:
// the updater first, then the session (its job queue thread before the monitors, the worker
// after), then the list.
#include "tray/ui/MainFormPresenter.h"

#include <algorithm>

namespace pellmar {
namespace {

// The wait cursor for the length of a session operation, the arrow again afterwards.
class WaitCursor {
public:
    explicit WaitCursor(MainFormView& view) : view_(view) { view_.SetWaitCursor(true); }
    ~WaitCursor() { view_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    MainFormView& view_;
};

}  // namespace

// While the presenter itself changes the list, the view's selection changes are not the user's.
class MainFormPresenter::ListUpdate {
public:
    explicit ListUpdate(MainFormPresenter& presenter) : presenter_(presenter) {
        presenter_.listUpdating_ = true;
        presenter_.view_.BeginListUpdate();
    }
    ~ListUpdate() {
        presenter_.view_.EndListUpdate();
        presenter_.listUpdating_ = false;
    }
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;

private:
    MainFormPresenter& presenter_;
};

MainFormPresenter::MainFormPresenter(MainFormView& view, MainFormServices& services, MonitorSession& session)
    : view_(view), services_(services), session_(&session) {}

MainFormPresenter::~MainFormPresenter() { StopSession(); }

void MainFormPresenter::Construct(bool trayAvailable) {
    view_.CentreOnScreen();
    services_.InstallStagedUpdater();
    services_.LaunchUpdater();
    session_->Start();
    FillList();
    if (!rows_.empty()) {
        view_.SelectRow(0);
        ListClicked();
    }
    TrayAvailabilityChanged(trayAvailable);
}

void MainFormPresenter::TrayAvailabilityChanged(bool trayAvailable) {
    trayAvailable_ = trayAvailable;
    view_.SetWindowCommandsVisible(!trayAvailable);
    if (!trayAvailable) Configure();
}

void MainFormPresenter::SessionChanged() {
    if (!session_) return;
    {
        ListUpdate update(*this);
        for (int index = static_cast<int>(rows_.size()) - 1; index >= 0; --index) view_.RemoveRow(index);
        rows_.clear();
    }
    FillList();
    ShowSelected();
}

void MainFormPresenter::FillList() {
    ListUpdate update(*this);
    rows_ = session_->Monitors();
    for (int index = 0; index < static_cast<int>(rows_.size()); ++index) view_.AppendRow(RowOf(index));
}

std::vector<ScannerValues> MainFormPresenter::OtherMonitors(MonitorId except) const {
    std::vector<ScannerValues> others;
    if (!session_) return others;
    for (const MonitorId monitor : rows_)
        if (monitor != except)
            if (std::optional<ScannerValues> values = session_->Values(monitor)) others.push_back(*values);
    return others;
}

// A monitor deleted by pellmarctl leaves its row until the redraw that follows; it shows empty.
ScannerValues MainFormPresenter::ValuesOfRow(int index) const {
    return session_->Values(rows_[static_cast<std::size_t>(index)]).value_or(ScannerValues{});
}

MonitorRowTexts MainFormPresenter::RowOf(int index) const {
    return MonitorRow(ValuesOfRow(index), session_->StatusOf(rows_[static_cast<std::size_t>(index)]));
}

MonitorDetails MainFormPresenter::DetailsOfRow(int index) const {
    return DetailsOf(ValuesOfRow(index), session_->StatusOf(rows_[static_cast<std::size_t>(index)]));
}

// States change by themselves (a drive unplugged, a catch-up that ends): the view asks now and then.
void MainFormPresenter::RefreshStates() {
    if (!session_ || listUpdating_) return;
    for (int index = 0; index < static_cast<int>(rows_.size()); ++index) view_.SetRow(index, RowOf(index));
    ShowSelected();
}

void MainFormPresenter::Configure() {
    view_.SetAutostartChecked(services_.ReadAutostart(view_.AutostartChecked()));
    view_.ShowAndActivate();
}

// What the window shows counts as seen, even what is logged while it is open.
void MainFormPresenter::ViewLog() {
    if (!session_) return;
    services_.RunLogWindow(*session_);
    if (!session_) return;  // an exit while the window was open
    const SessionSummary summary = session_->Summary();
    if (summary.readable) services_.SetLastSeenProblem(summary.newestProblem);
}

void MainFormPresenter::Restore() {
    if (!session_) return;
    const int row = view_.SelectedRow();
    const bool selected = row >= 0 && row < static_cast<int>(rows_.size());
    services_.RunRestoreWindow(*session_, selected ? rows_[static_cast<std::size_t>(row)] : 0);
}

TrayLook MainFormPresenter::RefreshTray(std::chrono::steady_clock::time_point now) {
    if (!session_) return {};
    std::vector<MonitorAttention> monitors;
    for (const MonitorId id : session_->Monitors())
        monitors.push_back({id, session_->Values(id).value_or(ScannerValues{}).root, session_->StatusOf(id)});
    return attention_.Look(monitors, session_->Summary(), services_.LastSeenProblem(), now);
}

void MainFormPresenter::Exit() {
    if (!exiting_) {
        exiting_ = true;
        services_.ExitStarted();
    }
    view_.PostClose();
}

void MainFormPresenter::AppWindowCloseRequested() {
    if (exiting_) return;
    Exit();
}

void MainFormPresenter::Add() {
    const std::optional<ScannerValues> values = services_.RunSetupDialog(nullptr, OtherMonitors(0));
    if (!values || !session_) return;
    WaitCursor wait(view_);
    // Not stored (the error box has said why): no row for a monitor the next start would not have.
    const MonitorId saved = session_->Save(0, *values);
    if (saved == 0) return;
    {
        ListUpdate update(*this);
        rows_.push_back(saved);
        view_.AppendRow(RowOf(static_cast<int>(rows_.size()) - 1));
    }
    // The new monitor is the one shown, so it is the one selected too.
    view_.SelectRow(static_cast<int>(rows_.size()) - 1);
    ShowSelected();
}

void MainFormPresenter::Edit() {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    const MonitorId monitor = rows_[static_cast<std::size_t>(row)];
    const ScannerValues current = ValuesOfRow(row);
    const std::optional<ScannerValues> values = services_.RunSetupDialog(&current, OtherMonitors(monitor));
    // An exit may have been requested while the dialog was open: the session is gone then.
    if (!values || !session_) return;
    WaitCursor wait(view_);
    // Whether or not it was stored, the row shows what the session now holds.
    session_->Save(monitor, *values);
    {
        ListUpdate update(*this);
        view_.SetRow(row, RowOf(row));
    }
    view_.SelectRow(row);
    ShowSelected();
}

void MainFormPresenter::Delete() {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    WaitCursor wait(view_);
    if (!session_->Delete(rows_[static_cast<std::size_t>(row)])) return;  // kept, as the database keeps it
    {
        ListUpdate update(*this);
        rows_.erase(rows_.begin() + row);
        view_.RemoveRow(row);
    }
    // The row that took its place is selected and shown; the pane never shows a deleted monitor.
    if (!rows_.empty()) view_.SelectRow(std::min(row, static_cast<int>(rows_.size()) - 1));
    ShowSelected();
}

void MainFormPresenter::DeleteKeyPressed() {
    const int row = view_.SelectedRow();
    if (!session_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
    const std::string root = ValuesOfRow(row).root;
    if (services_.Confirm("Delete the monitor of " + root + "? Its backups stay where they are.")) Delete();
}

void MainFormPresenter::SetSelectedStatus(std::int32_t status) {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    // A status that could not be stored is not shown either: the row says what the database holds.
    session_->SetStatus(rows_[static_cast<std::size_t>(row)], status);
    view_.SetRow(row, RowOf(row));
    ShowSelected();
}

// A click, the keyboard or the presenter itself changed the selection: the pane and the commands
// follow it, so that they always name the row the user sees selected.
void MainFormPresenter::ListClicked() {
    if (!listUpdating_) ShowSelected();
}

void MainFormPresenter::ShowSelected() {
    const int row = view_.SelectedRow();
    const bool selected = session_ && row >= 0 && row < static_cast<int>(rows_.size());
    view_.ShowDetails(selected ? DetailsOfRow(row) : MonitorDetails{});
    view_.SetEditEnabled(selected);
    view_.SetDeleteEnabled(selected);
}

void MainFormPresenter::AutostartClicked() { view_.SetApplyEnabled(true); }

// A refused write keeps Apply on: the box still says what the user wants, and it can be tried again.
void MainFormPresenter::Apply() {
    if (services_.WriteAutostart(view_.AutostartChecked())) view_.SetApplyEnabled(false);
}

void MainFormPresenter::Close() { HideOrMinimise(); }

void MainFormPresenter::HideOrMinimise() {
    if (trayAvailable_) {
        view_.HideWindow();
    } else {
        view_.MinimiseWindow();
    }
}

bool MainFormPresenter::CloseRequested() {
    if (!exiting_) {
        HideOrMinimise();
        return false;
    }
    StopSession();
    return true;
}

void MainFormPresenter::StopSession() {
    if (!session_) return;
    session_->StopMonitoring();
    rows_.clear();
    session_ = nullptr;
}

}  // namespace pellmar
