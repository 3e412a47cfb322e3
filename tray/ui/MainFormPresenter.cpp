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

MainFormPresenter::MainFormPresenter(MainFormView& view, MainFormServices& services)
    : view_(view), services_(services) {}

MainFormPresenter::~MainFormPresenter() { StopSession(); }

void MainFormPresenter::Construct(bool trayAvailable) {
    view_.CentreOnScreen();
    services_.InstallStagedUpdater();
    services_.LaunchUpdater();
    session_ = services_.CreateSession();
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
    for (int index = 0; index < session_->Count(); ++index) {
        rows_.push_back(session_->Item(index));
        view_.AppendRow(RowOf(index));
    }
}

std::vector<ScannerValues> MainFormPresenter::OtherMonitors(MonitorHandle except) const {
    std::vector<ScannerValues> others;
    if (!session_) return others;
    for (const MonitorHandle monitor : rows_)
        if (monitor != except) others.push_back(session_->Values(monitor));
    return others;
}

MonitorRowTexts MainFormPresenter::RowOf(int index) const {
    const MonitorHandle monitor = rows_[static_cast<std::size_t>(index)];
    return MonitorRow(session_->Values(monitor), session_->StatusOf(monitor));
}

MonitorDetails MainFormPresenter::DetailsOfRow(int index) const {
    const MonitorHandle monitor = rows_[static_cast<std::size_t>(index)];
    return DetailsOf(session_->Values(monitor), session_->StatusOf(monitor));
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

void MainFormPresenter::ViewLog() {
    if (session_) services_.RunLogWindow(*session_);
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
    const std::optional<ScannerValues> values = services_.RunSetupDialog(nullptr, OtherMonitors(nullptr));
    if (!values || !session_) return;
    WaitCursor wait(view_);
    {
        ListUpdate update(*this);
        rows_.push_back(session_->Save(nullptr, *values));
        view_.AppendRow(RowOf(static_cast<int>(rows_.size()) - 1));
    }
    // The new monitor is the one shown, so it is the one selected too.
    view_.SelectRow(static_cast<int>(rows_.size()) - 1);
    ShowSelected();
}

void MainFormPresenter::Edit() {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    MonitorHandle monitor = rows_[static_cast<std::size_t>(row)];
    const ScannerValues current = session_->Values(monitor);
    const std::optional<ScannerValues> values = services_.RunSetupDialog(&current, OtherMonitors(monitor));
    // An exit may have been requested while the dialog was open: the session is gone then.
    if (!values || !session_) return;
    WaitCursor wait(view_);
    {
        ListUpdate update(*this);
        rows_[static_cast<std::size_t>(row)] = session_->Save(monitor, *values);
        view_.SetRow(row, RowOf(row));
    }
    view_.SelectRow(row);
    ShowSelected();
}

void MainFormPresenter::Delete() {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    WaitCursor wait(view_);
    {
        ListUpdate update(*this);
        session_->Delete(rows_[static_cast<std::size_t>(row)]);
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
    const std::string root = session_->Values(rows_[static_cast<std::size_t>(row)]).root;
    if (services_.Confirm("Delete the monitor of " + root + "? Its backups stay where they are.")) Delete();
}

void MainFormPresenter::SetSelectedStatus(std::int32_t status) {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
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
    session_.reset();
}

}  // namespace pellmar
