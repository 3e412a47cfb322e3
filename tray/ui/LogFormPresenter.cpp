// The event log window's behaviour.
#include "tray/ui/LogFormPresenter.h"

namespace pellmar {

LogFormPresenter::LogFormPresenter(LogFormView& view, LogStore& store) : view_(view), store_(store) {}

int LogFormPresenter::Reload() {
    view_.BeginRowsUpdate();
    const int count = store_.LoadLogEntries(rows_);
    view_.EndRowsUpdate();
    return count;
}

void LogFormPresenter::ShowCount(int count) {
    view_.SetCaption(caption_ + "  " + std::to_string(count) + " Events");
}

void LogFormPresenter::Shown() {
    caption_ = view_.Caption();
    ShowCount(Reload());
    const int count = rows_.Count();
    if (count > 0) {
        view_.SelectRow(0);
        ShowDetailOf(0);
    }
}

void LogFormPresenter::ListClicked() {
    const int row = view_.SelectedRow();
    if (row >= 0 && row < rows_.Count()) ShowDetailOf(row);
}

void LogFormPresenter::ShowDetailOf(int row) {
    const LogListRow& entry = rows_.Row(row);
    view_.ShowDetail({entry.date, entry.time, entry.type, entry.operation, entry.item.src, entry.item.dest,
                      entry.description});
    view_.SetCancelVisible(entry.image == kWarningImage);
}

void LogFormPresenter::CancelOperation() {
    const int row = view_.SelectedRow();
    if (row < 0 || row >= rows_.Count()) return;
    store_.CancelJob(rows_.Row(row).item.jobid);
    // The reloaded list has no selection: the pane and the button must not keep showing the
    // cancelled entry, and the caption counts what is left.
    ShowCount(Reload());
    view_.ShowDetail({});
    view_.SetCancelVisible(false);
}

}  // namespace pellmar
