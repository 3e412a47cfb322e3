// The event log window's behaviour: loading the entries newest first, the caption with the
// number of events, the detail pane of the clicked row, "Cancel Operation" for Warning entries
// only and the reload after a cancel (with the count anew and an empty pane). The rows live in a LogListModel that the view shows
// through a model of its toolkit (no widget per row).
#pragma once

#include <string>

#include "tray/log/LogList.h"
#include "tray/session/MonitorSession.h"

namespace pellmar {

struct LogDetail {
    std::string date;
    std::string time;
    std::string type;
    std::string operation;
    std::string source;
    std::string destination;
    std::string description;
};

// Thread contract: main thread only.
class LogFormView {
public:
    virtual ~LogFormView() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Updates suspended: the rows of the model are about to change / have changed.
    virtual void BeginRowsUpdate() = 0;
    virtual void EndRowsUpdate() = 0;
    virtual int SelectedRow() const = 0;  // -1 without a selection
    virtual void SelectRow(int row) = 0;
    virtual void ShowDetail(const LogDetail& detail) = 0;
    virtual void SetCancelVisible(bool visible) = 0;
};

inline constexpr int kWarningImage = 1;

class LogFormPresenter {
public:
    LogFormPresenter(LogFormView& view, LogStore& store);

    const LogListModel& Rows() const { return rows_; }

    void Shown();  // once per showing
    void ListClicked();
    void CancelOperation();
    // Every few seconds while the window is shown: entries logged since are shown, and the
    // selected entry stays selected.
    void Refresh();

private:
    int Reload();
    void ShowCount(int count);
    void ShowDetailOf(int row);

    LogFormView& view_;
    LogStore& store_;
    LogListModel rows_;
    std::string caption_;  // the window's own caption, before the count
    std::int64_t newest_ = -1;  // the newest entry when last loaded
};

}  // namespace pellmar
