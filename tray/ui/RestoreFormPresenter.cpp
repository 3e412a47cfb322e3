// The session is told of the targets before the restore writes them and again at each file, so
// the changes heard of its writes are never backed up as the user's, however long it runs; once
// it has ended, of the files it wrote.
#include "tray/ui/RestoreFormPresenter.h"

#include "platform/FileSystem.h"
#include "tray/log/LogFormat.h"
#include "tray/restore/RestorePlan.h"
#include "tray/session/HostRestore.h"

namespace pellmar {

struct RestoreFormPresenter::Plan {
    std::vector<RestoreItem> items;
    std::string path;  // the file or folder restored, for the log entry
    std::string question;
};

namespace {

std::string MomentText(DateTime t) { return LogDateText(t) + " " + LogTimeText(t); }

std::string CopyWords(const KeptCopy& copy) {
    return (copy.number == 0 ? std::string("the backup copy") : "version " + std::to_string(copy.number)) + " of " +
           MomentText(copy.modified);
}

std::string ResultText(const RestoreResult& result) {
    std::string text = RestoredMessage(result.restored);
    std::size_t unchanged = 0, failed = 0, notDone = 0;
    std::string problem;
    for (const RestoredFile& file : result.files) {
        if (file.outcome == RestoreOutcome::Unchanged) ++unchanged;
        if (file.outcome == RestoreOutcome::NotDone) ++notDone;
        if (file.outcome == RestoreOutcome::Failed && failed++ == 0) problem = file.target + ": " + file.problem;
    }
    if (unchanged) text += " " + std::to_string(unchanged) + " already held that content.";
    if (failed) text += " " + std::to_string(failed) + " could not be restored (" + problem + ").";
    if (result.cancelled) text += " Cancelled: " + std::to_string(notDone) + " not restored.";
    return text;
}

}  // namespace

RestoreFormPresenter::RestoreFormPresenter(RestoreFormView& view, MonitorSession& session, Prompter& prompter,
                                           platform::Dispatcher& dispatcher)
    : view_(view), session_(session), prompter_(prompter), dispatcher_(dispatcher) {}

RestoreFormPresenter::~RestoreFormPresenter() { Closing(); }

void RestoreFormPresenter::Shown(MonitorId monitor) {
    monitors_ = session_.Monitors();
    std::vector<std::string> folders;
    int selected = 0;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        if (monitors_[i] == monitor) selected = static_cast<int>(i);
        const std::optional<ScannerValues> values = session_.Values(monitors_[i]);
        folders.push_back(values ? values->root : std::string());
    }
    view_.ShowMonitors(folders, monitors_.empty() ? -1 : selected);
    view_.SetPointInTime(DateTimeNow());
    view_.SetRunning(false);
    if (monitors_.empty()) {
        view_.SetRestoreEnabled(false);
        view_.SetPointInTimeEnabled(false);
        view_.ShowStatus("There is no monitor to restore from.");
        return;
    }
    LoadMonitor(selected);
}

void RestoreFormPresenter::MonitorChosen(int index) {
    if (!Running() && index >= 0 && index < static_cast<int>(monitors_.size())) LoadMonitor(index);
}

void RestoreFormPresenter::LoadMonitor(int index) {
    monitor_ = session_.Values(monitors_[static_cast<std::size_t>(index)]);
    files_ = monitor_ ? ListBackup(*monitor_, monitor_->root, session_.Locations().tempFilePath)
                      : std::vector<FileHistory>{};
    tree_ = BuildRestoreTree(monitor_ ? monitor_->root : std::string(), files_);
    view_.ShowTree(tree_.nodes);
    view_.SelectNode(0);
    view_.ShowStatus(files_.empty() ? "The backup holds nothing of this folder yet." : "");
    ShowNode(0);
}

void RestoreFormPresenter::NodeSelected() {
    const int node = view_.SelectedNode();
    if (!Running() && node >= 0 && node < static_cast<int>(tree_.nodes.size()) && node != node_) ShowNode(node);
}

void RestoreFormPresenter::ShowNode(int node) {
    node_ = node;
    const int file = tree_.files[static_cast<std::size_t>(node)];
    view_.SetPointInTimeEnabled(file < 0);
    if (file < 0) {
        view_.ShowCopies({});
        view_.ShowPreview({RestorePreview::Kind::None, "A folder is restored as it was at the time given.", {}});
        view_.SetRestoreEnabled(!FilesBelow(tree_, node).empty());
        return;
    }
    view_.ShowCopies(CopyRows(files_[static_cast<std::size_t>(file)]));
    view_.SelectCopy(0);
    view_.SetRestoreEnabled(true);
    CopySelected();
}

void RestoreFormPresenter::CopySelected() {
    if (node_ < 0 || tree_.files[static_cast<std::size_t>(node_)] < 0) return;
    const FileHistory& file = files_[static_cast<std::size_t>(tree_.files[static_cast<std::size_t>(node_)])];
    const int row = view_.SelectedCopy();
    if (row < 0 || row >= static_cast<int>(file.copies.size())) return;
    view_.ShowPreview(PreviewOf(file.copies[file.copies.size() - 1 - static_cast<std::size_t>(row)]));
}

std::optional<RestoreFormPresenter::Plan> RestoreFormPresenter::PlanSelected(
    const std::optional<std::string>& toFolder) const {
    if (!monitor_ || node_ < 0) return std::nullopt;
    const std::string& path = tree_.paths[static_cast<std::size_t>(node_)];
    const std::string into = toFolder ? " into " + *toFolder : "";
    const int file = tree_.files[static_cast<std::size_t>(node_)];
    if (file >= 0) {
        const FileHistory& history = files_[static_cast<std::size_t>(file)];
        const int row = view_.SelectedCopy();
        if (row < 0 || row >= static_cast<int>(history.copies.size())) return std::nullopt;
        const KeptCopy& copy = history.copies[history.copies.size() - 1 - static_cast<std::size_t>(row)];
        std::optional<RestoreItem> item = PlanVersion(history, copy.number, path, toFolder);
        if (!item) return std::nullopt;
        const std::string replaced = platform::FileExists(item->target)
                                         ? "\nIt replaces " + item->target + "; the file there now is kept first."
                                         : "";
        return Plan{{*item}, path, "Restore " + path + " to " + CopyWords(copy) + into + "?" + replaced};
    }
    std::vector<FileHistory> below;
    for (const std::size_t index : FilesBelow(tree_, node_)) below.push_back(files_[index]);
    const DateTime at = view_.PointInTime();
    Plan plan{PlanPointInTime(below, at, path, toFolder), path, {}};
    plan.question = "Restore the " + std::to_string(plan.items.size()) + " files of " + path + " as they were at " +
                    MomentText(at) + into + "?\nIt replaces the files there now; each is kept first.";
    return plan;
}

void RestoreFormPresenter::Restore() { Start(std::nullopt); }

void RestoreFormPresenter::RestoreTo() {
    if (Running() || !monitor_) return;
    if (std::optional<std::string> folder = prompter_.BrowseForFolder({})) Start(std::move(folder));
}

void RestoreFormPresenter::Start(std::optional<std::string> toFolder) {
    if (Running()) return;
    std::optional<Plan> plan = PlanSelected(toFolder);
    if (!plan) return;
    if (plan->items.empty()) {
        view_.ShowStatus("The backup held nothing of " + plan->path + " at " + MomentText(view_.PointInTime()) + ".");
        return;
    }
    if (!prompter_.Confirm(plan->question)) return;
    targets_.clear();
    for (const RestoreItem& item : plan->items) targets_.push_back(item.target);
    session_.IgnoreOwnWrites(targets_);
    view_.SetRunning(true);
    view_.ShowStatus("Restoring...");
    worker_ = std::jthread([this, database = session_.Locations().databasePath, monitor = *monitor_,
                            work = std::move(*plan), alive = std::weak_ptr<int>(alive_)](std::stop_token stop) {
        RestoreDatabase store(database);
        result_ = RestoreAndLog(store, monitor, work.items, work.path, [&](std::size_t done, std::size_t total) {
            dispatcher_.Post([this, alive, done, total] {
                if (alive.lock()) Progress(done, total);
            });
            return !stop.stop_requested();
        });
        dispatcher_.Post([this, alive] {
            if (alive.lock()) Finished();
        });
    });
}

void RestoreFormPresenter::Progress(std::size_t done, std::size_t total) {
    if (!Running()) return;
    session_.IgnoreOwnWrites(targets_);
    if (!worker_.get_stop_token().stop_requested())
        view_.ShowStatus("Restoring file " + std::to_string(done + 1) + " of " + std::to_string(total) + "...");
}

void RestoreFormPresenter::Cancel() {
    if (!Running()) return;
    worker_.request_stop();
    view_.ShowStatus("Cancelling after the file being restored...");
}

void RestoreFormPresenter::Finished() {
    if (!Running()) return;
    worker_.join();
    session_.IgnoreOwnWrites(WrittenTargets(result_));
    view_.SetRunning(false);
    // What the restore kept is in the backup now, so the tree and the copies are read again.
    const std::string shown = node_ >= 0 ? tree_.paths[static_cast<std::size_t>(node_)] : std::string();
    files_ = ListBackup(*monitor_, monitor_->root, session_.Locations().tempFilePath);
    tree_ = BuildRestoreTree(monitor_->root, files_);
    view_.ShowTree(tree_.nodes);
    int node = 0;
    for (std::size_t n = 0; n < tree_.paths.size(); ++n)
        if (tree_.paths[n] == shown) node = static_cast<int>(n);
    view_.SelectNode(node);
    ShowNode(node);
    view_.ShowStatus(ResultText(result_));
}

void RestoreFormPresenter::Closing() {
    if (!Running()) return;
    worker_.request_stop();
    worker_.join();
    session_.IgnoreOwnWrites(WrittenTargets(result_));
}

}  // namespace pellmar
