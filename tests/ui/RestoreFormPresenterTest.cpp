// The restore window's commands on real monitored and backup folders, with the real restore
// thread and the real database: a file back to a version, a folder as it was at a time, into
// another folder, and a cancel between two files. The view and the questions are fakes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>

#include "tests/support/TempFolder.h"
#include "tests/ui/FakeMainForm.h"
#include "tray/ctl/DatabaseStore.h"
#include "tray/ui/RestoreFormPresenter.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

// Posted work waits until the test's thread runs it. `holdPost` (counted from 1) makes that Post
// wait until released, so the test can act while the restore thread stands between two files.
class ManualDispatcher final : public platform::Dispatcher {
public:
    bool Send(std::function<void()> work, std::stop_token) override {
        work();
        return true;
    }
    void Post(std::function<void()> work) override {
        std::unique_lock lock(mutex_);
        queue_.push_back(std::move(work));
        const bool hold = ++posts_ == holdPost;
        changed_.notify_all();
        if (hold) changed_.wait(lock, [this] { return released_; });
    }
    bool IsOwningThread() const override { return true; }

    // Runs posted work until `done` holds; false after a generous deadline.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!changed_.wait_until(lock, deadline, [this] { return !queue_.empty(); })) return false;
            std::function<void()> work = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            work();
        }
        return true;
    }
    bool WaitForHeldPost() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [this] { return posts_ >= holdPost; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    int holdPost = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    int posts_ = 0;
    bool released_ = false;
};

class FakeRestoreView final : public RestoreFormView {
public:
    void ShowMonitors(const std::vector<std::string>& shown, int index) override {
        monitors = shown;
        selectedMonitor = index;
    }
    void ShowTree(const std::vector<RestoreTreeNode>& shown) override { nodes = shown; }
    int SelectedNode() const override { return node; }
    void SelectNode(int index) override { node = index; }
    void ShowCopies(const std::vector<RestoreCopyRow>& rows) override { copies = rows; }
    int SelectedCopy() const override { return copy; }
    void SelectCopy(int row) override { copy = row; }
    void ShowPreview(const RestorePreview& shown) override { preview = shown; }
    DateTime PointInTime() const override { return at; }
    void SetPointInTime(DateTime value) override { at = value; }
    void SetPointInTimeEnabled(bool enabled) override { atEnabled = enabled; }
    void SetRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
    void SetRunning(bool value) override { running = value; }
    void ShowStatus(const std::string& text) override { status = text; }

    // Selects the tree node with that name, as a click does.
    int Node(const std::string& name) const {
        for (std::size_t n = 0; n < nodes.size(); ++n)
            if (nodes[n].name == name) return static_cast<int>(n);
        return -1;
    }

    std::vector<std::string> monitors;
    int selectedMonitor = -1;
    std::vector<RestoreTreeNode> nodes;
    int node = -1;
    std::vector<RestoreCopyRow> copies;
    int copy = -1;
    RestorePreview preview;
    DateTime at = 0;
    bool atEnabled = false, restoreEnabled = false, running = false;
    std::string status;
};

class Answers final : public Prompter {
public:
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseForFolder(const std::string&) override { return folder; }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        return yes;
    }
    std::optional<std::string> folder;
    bool yes = true;
    std::vector<std::string> questions;
};

class RestoreFormPresenterTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    std::string watched = folder / "watched", backup = folder / "backup";
    std::vector<std::string> log;
    test::FakeSession session{log};
    FakeRestoreView view;
    Answers answers;
    ManualDispatcher dispatcher;

    RestoreFormPresenterTest() {
        fs::create_directories(watched + "/sub");
        fs::create_directories(backup + "/sub");
        ScannerValues monitor;
        monitor.root = watched;
        monitor.backuppath = backup;
        monitor.hasversions = true;
        monitor.maxversions = 10;
        session.Fill({monitor});
        session.locations.databasePath = folder / "pellmar.db";
        session.locations.tempFilePath = folder / "temp/";
        ctl::DatabaseStore create(session.locations.databasePath, true);
    }

    static void Kept(const std::string& path, const std::string& content, int hoursAgo) {
        WriteFile(path, content);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    }

    std::vector<std::string> LogMessages() {
        ctl::DatabaseStore store(session.locations.databasePath, false);
        LogListModel rows;
        store.LoadLog(&rows);
        std::vector<std::string> messages;
        for (const LogListRow& row : rows.Rows()) messages.push_back(row.description);
        return messages;
    }

    void Select(RestoreFormPresenter& presenter, const std::string& name) {
        view.node = view.Node(name);
        ASSERT_GE(view.node, 0) << name;
        presenter.NodeSelected();
    }

    bool RunToEnd(RestoreFormPresenter& presenter) {
        return dispatcher.RunUntil([&] { return !presenter.Running(); });
    }
};

TEST_F(RestoreFormPresenterTest, AFileGoesBackToTheChosenVersionAndTodaysContentBecomesItsNextVersion) {
    Kept(backup + "/report.1.txt", "first draft", 3);
    Kept(backup + "/report.2.txt", "second draft", 2);
    Kept(backup + "/sub/notes.1.txt", "notes", 1);
    WriteFile(watched + "/report.txt", "today");
    RestoreFormPresenter presenter(view, session, answers, dispatcher);
    presenter.Shown(0);
    ASSERT_EQ(std::vector<std::string>{watched}, view.monitors);
    ASSERT_EQ(4u, view.nodes.size());  // the monitored folder, report.txt, sub, notes.txt
    EXPECT_EQ(view.Node("sub"), view.nodes[static_cast<std::size_t>(view.Node("notes.txt"))].parent);

    Select(presenter, "report.txt");
    ASSERT_EQ(2u, view.copies.size());
    EXPECT_EQ("2", view.copies[0].version);
    EXPECT_EQ("current", view.copies[0].note);
    EXPECT_EQ("12 bytes", view.copies[0].size);
    EXPECT_FALSE(view.atEnabled);
    EXPECT_EQ("second draft", view.preview.text);
    view.copy = 1;
    presenter.CopySelected();
    EXPECT_EQ("first draft", view.preview.text);

    answers.yes = false;
    presenter.Restore();
    EXPECT_FALSE(presenter.Running());
    EXPECT_EQ("today", ReadFile(watched + "/report.txt"));
    ASSERT_EQ(1u, answers.questions.size());
    EXPECT_NE(std::string::npos, answers.questions[0].find("version 1")) << answers.questions[0];
    EXPECT_NE(std::string::npos, answers.questions[0].find("replaces " + watched + "/report.txt"));

    answers.yes = true;
    presenter.Restore();
    ASSERT_TRUE(RunToEnd(presenter));
    EXPECT_EQ("first draft", ReadFile(watched + "/report.txt"));
    EXPECT_EQ("today", ReadFile(backup + "/report.3.txt"));
    EXPECT_EQ("Restored 1 file from the backup.", view.status);
    EXPECT_FALSE(view.running);
    // Told before the write and after it, so the host does not back the restored file up again.
    ASSERT_GE(session.ownWrites.size(), 2u);
    EXPECT_EQ(std::vector<std::string>{watched + "/report.txt"}, session.ownWrites.front());
    EXPECT_EQ(std::vector<std::string>{watched + "/report.txt"}, session.ownWrites.back());
    EXPECT_EQ(std::vector<std::string>{"Restored 1 file from the backup."}, LogMessages());
    // The copy kept of today's content is listed at once, for the same file.
    EXPECT_EQ(view.Node("report.txt"), view.node);
    ASSERT_EQ(3u, view.copies.size());
    EXPECT_EQ("3", view.copies[0].version);
}

TEST_F(RestoreFormPresenterTest, AFolderGoesBackToAPointInTimeInItsPlaceOrIntoAnotherFolder) {
    Kept(backup + "/a.1.txt", "a then", 10);
    Kept(backup + "/a.2.txt", "a later", 2);
    Kept(backup + "/sub/b.1.txt", "b then", 8);
    Kept(backup + "/c.1.txt", "c is newer", 1);
    WriteFile(watched + "/a.txt", "a now");
    WriteFile(watched + "/c.txt", "c now");
    const std::string elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    RestoreFormPresenter presenter(view, session, answers, dispatcher);
    presenter.Shown(session.monitors.front().id);
    EXPECT_TRUE(view.atEnabled);  // the monitored folder is selected first
    view.at = AddHours(DateTimeNow(), -5);

    answers.folder = elsewhere;
    presenter.RestoreTo();
    ASSERT_TRUE(RunToEnd(presenter));
    EXPECT_EQ("a then", ReadFile(elsewhere + "/a.txt"));
    EXPECT_EQ("b then", ReadFile(elsewhere + "/sub/b.txt"));
    EXPECT_FALSE(fs::exists(elsewhere + "/c.txt"));  // nothing of it was kept by then
    EXPECT_EQ("a now", ReadFile(watched + "/a.txt"));
    EXPECT_EQ("Restored 2 files from the backup.", view.status);
    EXPECT_NE(std::string::npos, answers.questions.back().find("into " + elsewhere));

    Select(presenter, "sub");
    presenter.Restore();
    ASSERT_TRUE(RunToEnd(presenter));
    EXPECT_EQ("b then", ReadFile(watched + "/sub/b.txt"));
    EXPECT_EQ("a now", ReadFile(watched + "/a.txt"));  // outside the folder chosen
    EXPECT_EQ("c now", ReadFile(watched + "/c.txt"));
    EXPECT_EQ(2u, LogMessages().size());

    view.at = AddHours(DateTimeNow(), -20);
    presenter.Restore();
    EXPECT_FALSE(presenter.Running());
    EXPECT_NE(std::string::npos, view.status.find("held nothing")) << view.status;
}

TEST_F(RestoreFormPresenterTest, CancelStopsBeforeTheNextFileAndTheLogCountsWhatWasRestored) {
    for (const char* name : {"a", "b", "c"}) {
        Kept(backup + "/" + name + ".1.txt", std::string(name) + " then", 3);
        WriteFile(watched + "/" + name + ".txt", "now");
    }
    RestoreFormPresenter presenter(view, session, answers, dispatcher);
    presenter.Shown(0);
    view.at = DateTimeNow();
    dispatcher.holdPost = 2;  // the progress before the second file
    presenter.Restore();
    ASSERT_TRUE(presenter.Running());
    EXPECT_TRUE(view.running);
    // Released whatever happens: the presenter's end waits for the restore thread.
    EXPECT_TRUE(dispatcher.WaitForHeldPost());
    presenter.Cancel();
    dispatcher.Release();
    ASSERT_TRUE(RunToEnd(presenter));

    EXPECT_EQ("a then", ReadFile(watched + "/a.txt"));
    EXPECT_EQ("now", ReadFile(watched + "/b.txt"));
    EXPECT_EQ("now", ReadFile(watched + "/c.txt"));
    EXPECT_EQ("Restored 1 file from the backup. Cancelled: 2 not restored.", view.status);
    EXPECT_EQ(std::vector<std::string>{"Restored 1 file from the backup."}, LogMessages());
    EXPECT_EQ(std::vector<std::string>{watched + "/a.txt"}, session.ownWrites.back());
    EXPECT_FALSE(view.running);
}

}  // namespace
}  // namespace pellmar
