// The event log window's behaviour.
#include "tray/ui/LogFormPresenter.h"

namespace pellmar {

LogFormPresenter::LogFormPresenter(LogFormView& view, LogStore& store) : view_(view), store_(store) {}

int LogFormPresenter::Reload() {
    newest_ = store_.NewestEntryId();
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

// New entries come first, so the selected one moves down by their number.
void LogFormPresenter::Refresh() {
    const std::int64_t newest = store_.NewestEntryId();
    if (newest < 0 || newest == newest_) return;
    const int before = rows_.Count();
    const int selected = view_.SelectedRow();
    const int count = Reload();
    ShowCount(count);
    const int moved = selected < 0 ? -1 : selected + (count - before);
    if (moved >= 0 && moved < count) {
        view_.SelectRow(moved);
        ShowDetailOf(moved);
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
