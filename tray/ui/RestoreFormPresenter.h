// The restore window's behaviour: the monitor choice, the tree of what its backup holds, the kept
// copies of the selected file with their preview, and "Restore" / "Restore to..." of a copy or of
// a folder as it was at a point in time. The restore runs on a thread of its own, so the window
// stays responsive, and stops before its next file on "Cancel" or when the window closes.
#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dispatcher.h"
#include "tray/restore/Restore.h"
#include "tray/session/MonitorSession.h"
#include "tray/ui/Prompter.h"
#include "tray/ui/RestoreBrowse.h"

namespace pellmar {

// Thread contract: main thread only; view, session, prompter and dispatcher outlive the
// presenter. The restore thread reaches the main thread only through the dispatcher's Post.
class RestoreFormPresenter {
public:
    RestoreFormPresenter(RestoreFormView& view, MonitorSession& session, Prompter& prompter,
                         platform::Dispatcher& dispatcher);
    ~RestoreFormPresenter();
    RestoreFormPresenter(const RestoreFormPresenter&) = delete;
    RestoreFormPresenter& operator=(const RestoreFormPresenter&) = delete;

    // Once per showing, for `monitor` (0 or unknown: the first one).
    void Shown(MonitorId monitor);
    void MonitorChosen(int index);
    void NodeSelected();
    void CopySelected();
    void Restore();
    void RestoreTo();
    void Cancel();
    // The window is about to close: a running restore stops before its next file and is waited for.
    void Closing();
    bool Running() const { return worker_.joinable(); }

private:
    struct Plan;
    void LoadMonitor(int index);
    void ShowNode(int node);
    void Start(std::optional<std::string> toFolder);
    std::optional<Plan> PlanSelected(const std::optional<std::string>& toFolder) const;
    void Progress(std::size_t done, std::size_t total);
    void Finished();

    RestoreFormView& view_;
    MonitorSession& session_;
    Prompter& prompter_;
    platform::Dispatcher& dispatcher_;
    std::vector<MonitorId> monitors_;
    std::optional<ScannerValues> monitor_;
    std::vector<FileHistory> files_;
    RestoreTree tree_;
    int node_ = -1;
    std::vector<std::string> targets_;  // of the running restore
    RestoreResult result_;              // written by the restore thread, read after the join
    std::jthread worker_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // posted work runs only while it lives
};

}  // namespace pellmar
