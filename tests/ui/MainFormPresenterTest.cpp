// The configuration window's behaviour against a fake window and session: start with and without
// monitors, the texts of rows and pane, Add/Edit/Delete/Enable/Disable with and without a
// selection, Apply, and the close that hides unless the program is exiting.
#include "tests/ui/FakeMainForm.h"

#include <gtest/gtest.h>

namespace pellmar::test {
namespace {

ScannerValues Monitor(const std::string& root, bool versions = false, std::int32_t max = 0) {
    ScannerValues values;
    values.root = root;
    values.backuppath = "/backup" + root;
    values.filters = {"*.doc", "*.txt"};
    values.exceptions = {"~$*.doc"};
    values.hasversions = versions;
    values.maxversions = max;
    values.status = 1;
    return values;
}

class MainFormPresenterTest : public ::testing::Test {
protected:
    void Construct(bool tray = true) { presenter.Construct(tray); }
    FakeSession& Session() { return session; }

    std::vector<std::string> log;
    FakeMainForm view{log};
    FakeServices services{log};
    FakeSession session{log};
    MainFormPresenter presenter{view, services, session};
};

TEST_F(MainFormPresenterTest, StartsTheUpdaterBeforeTheSessionAndLeavesAnEmptyListUntouched) {
    Construct();
    EXPECT_EQ(log, (std::vector<std::string>{"centre", "install staged updater", "launch updater", "start session"}));
    EXPECT_EQ(Session().starts, 1);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(view.details.root, "");
    EXPECT_FALSE(view.editEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_FALSE(view.visible);  // hidden behind the tray icon
}

TEST_F(MainFormPresenterTest, StartWithMonitorsSelectsTheFirstRowAndShowsItsSettings) {
    session.Fill({Monitor("/a", true, 10), Monitor("/b")});
    Construct();
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].folder, "/a");
    EXPECT_EQ(view.rows[0].types, "*.doc;*.txt");
    EXPECT_EQ(view.rows[0].status, "Active");
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.details.root, "/a");
    EXPECT_EQ(view.details.versions, "Yes, 10 versions maximum");
    EXPECT_EQ(view.details.exceptions, "~$*.doc");
    EXPECT_EQ(view.details.status, "Enabled");
    EXPECT_EQ(view.details.deletions, "Yes");
    EXPECT_EQ(view.details.exclusive, "No");
    EXPECT_TRUE(view.editEnabled);
    EXPECT_TRUE(view.deleteEnabled);
    EXPECT_EQ(view.updating, 0);
}

TEST_F(MainFormPresenterTest, AddSavesTheDialogValuesAsANewRowAndCancelSavesNothing) {
    Construct();
    services.dialogAnswers = {std::nullopt, Monitor("/new")};
    presenter.Add();
    EXPECT_TRUE(Session().monitors.empty());
    presenter.Add();
    ASSERT_EQ(Session().monitors.size(), 1u);
    EXPECT_FALSE(services.dialogSawExisting.back().has_value());
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].folder, "/new");
    EXPECT_EQ(view.details.versions, "No");
    EXPECT_TRUE(view.editEnabled);
    EXPECT_EQ(view.cursors, (std::vector<bool>{true, false}));
}

TEST_F(MainFormPresenterTest, EditRewritesTheSelectedRowFromTheDialog) {
    session.Fill({Monitor("/a"), Monitor("/b")});
    Construct();
    view.selected = 1;
    ScannerValues changed = Monitor("/b2", true, 3);
    changed.status = 0;
    services.dialogAnswers = {changed};
    presenter.Edit();
    EXPECT_EQ(services.dialogSawExisting.back()->root, "/b");
    EXPECT_EQ(view.rows[1].folder, "/b2");
    EXPECT_EQ(view.rows[1].status, "Disabled");
    EXPECT_EQ(view.details.versions, "Yes, 3 versions maximum");
    EXPECT_EQ(Session().monitors.back().root, "/b2");
}

TEST_F(MainFormPresenterTest, CommandsWithoutASelectionDoNothing) {
    session.Fill({Monitor("/a")});
    Construct();
    view.selected = -1;  // a right-click that selected nothing
    presenter.Edit();
    presenter.Delete();
    presenter.Enable();
    presenter.Disable();
    presenter.ListClicked();
    EXPECT_TRUE(services.dialogSawExisting.empty());
    EXPECT_EQ(Session().monitors.size(), 1u);
    EXPECT_EQ(Session().monitors.front().status, 1);
    EXPECT_EQ(view.rows.size(), 1u);
}

TEST_F(MainFormPresenterTest, DeleteRemovesAtOnceWithoutAQuestion) {
    session.Fill({Monitor("/a"), Monitor("/b")});
    Construct();
    view.selected = 0;
    presenter.Delete();
    ASSERT_EQ(Session().monitors.size(), 1u);
    EXPECT_EQ(Session().monitors.front().root, "/b");
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].folder, "/b");
    EXPECT_TRUE(services.dialogSawExisting.empty());
    // The row that took its place is selected and shown, and the commands name it.
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.details.root, "/b");
    presenter.Disable();
    EXPECT_EQ(Session().monitors.front().status, 0);
    presenter.Delete();
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(view.details.root, "");
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_FALSE(view.editEnabled);
}

TEST_F(MainFormPresenterTest, TheStatusSaysActiveOnlyWhileWatchingAndFollowsTheStateAsItChanges) {
    session.Fill({Monitor("/a"), Monitor("/b")});
    Construct();
    Session().states["/a"] = {MonitorState::BackupOffline, {}};
    Session().states["/b"] = {MonitorState::Stopped, "The monitored folder cannot be watched."};
    presenter.RefreshStates();
    EXPECT_EQ(view.rows[0].status, "Backup offline");
    EXPECT_EQ(view.details.status, "Backup offline");  // row 0 is selected
    EXPECT_EQ(view.rows[1].status, "Stopped");
    EXPECT_EQ(view.rows[1].statusTip, "Stopped: The monitored folder cannot be watched.");

    Session().states.clear();
    presenter.RefreshStates();
    EXPECT_EQ(view.rows[0].status, "Active");
    EXPECT_EQ(view.details.status, "Enabled");
    view.selected = 1;
    presenter.Disable();
    EXPECT_EQ(view.rows[1].status, "Disabled");
}

TEST_F(MainFormPresenterTest, TheDeleteKeyAsksNamingTheMonitorAndDeletesOnlyOnYes) {
    session.Fill({Monitor("/a"), Monitor("/b")});
    Construct();
    view.selected = 1;
    presenter.DeleteKeyPressed();
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_NE(services.questions[0].find("/b"), std::string::npos);
    EXPECT_EQ(Session().monitors.size(), 2u);
    services.confirmAnswer = true;
    presenter.DeleteKeyPressed();
    ASSERT_EQ(Session().monitors.size(), 1u);
    EXPECT_EQ(Session().monitors.front().root, "/a");
}

TEST_F(MainFormPresenterTest, TheNewMonitorIsSelectedAsWellAsShownSoDeleteNeverHitsAnother) {
    session.Fill({Monitor("/a")});
    Construct();
    ASSERT_EQ(view.selected, 0);
    services.dialogAnswers = {Monitor("/new")};
    presenter.Add();
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(view.details.root, "/new");
    presenter.Delete();
    ASSERT_EQ(Session().monitors.size(), 1u);
    EXPECT_EQ(Session().monitors.front().root, "/a");
}

TEST_F(MainFormPresenterTest, DisableAndEnableChangeRowAndPane) {
    session.Fill({Monitor("/a")});
    Construct();
    presenter.Disable();
    EXPECT_EQ(view.rows[0].status, "Disabled");
    EXPECT_EQ(view.details.status, "Disabled");
    presenter.Enable();
    EXPECT_EQ(view.rows[0].status, "Active");
    EXPECT_EQ(view.details.status, "Enabled");
}

// A database that cannot be written (locked, read-only): the list keeps showing what is stored.
TEST_F(MainFormPresenterTest, ChangesTheSessionCannotStoreLeaveTheListAsStored) {
    session.Fill({Monitor("/a")});
    Construct();
    session.refuseChanges = true;
    presenter.Disable();
    EXPECT_EQ(view.rows[0].status, "Active");
    EXPECT_EQ(view.details.status, "Enabled");
    presenter.Delete();
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.details.root, "/a");
    services.dialogAnswers = {Monitor("/b"), Monitor("/a2")};
    presenter.Add();
    EXPECT_EQ(view.rows.size(), 1u);
    presenter.Edit();
    EXPECT_EQ(view.rows[0].folder, "/a");
    EXPECT_EQ(view.selected, 0);
}

TEST_F(MainFormPresenterTest, TheTrayTellsEachProblemOnceAndForgetsLoggedErrorsOnceTheLogWasOpened) {
    session.Fill({Monitor("/a"), Monitor("/b")});
    Construct();
    const auto now = std::chrono::steady_clock::now();
    session.summary = {true, 2, "12/9/2026 1:00:00 PM", 0};
    TrayLook look = presenter.RefreshTray(now);
    EXPECT_FALSE(look.attention);
    EXPECT_EQ(look.tooltip, "Pellmar\n2 jobs waiting\nLast backup: 12/9/2026 1:00:00 PM");

    session.states["/a"] = {MonitorState::Stopped, "The monitored folder cannot be watched."};
    session.summary.newestProblem = 9;
    look = presenter.RefreshTray(now);
    ASSERT_TRUE(look.notice.has_value());
    EXPECT_EQ(look.notice->title, "Pellmar needs your attention");  // two at once: one notification
    EXPECT_EQ(look.notice->text, "The monitor of /a stopped: The monitored folder cannot be watched.\n"
                                 "Something went wrong with a backup. Choose \"View Log\" to see what.");
    session.summary.newestProblem = 12;  // more errors of the same burst
    EXPECT_FALSE(presenter.RefreshTray(now).notice);

    presenter.ViewLog();
    EXPECT_EQ(services.lastSeenProblem, 12);
    look = presenter.RefreshTray(now);
    EXPECT_TRUE(look.attention);
    EXPECT_EQ(look.tooltip.find("New errors"), std::string::npos) << look.tooltip;
    session.states.clear();
    EXPECT_FALSE(presenter.RefreshTray(now).attention);
    session.states["/a"] = {MonitorState::Stopped, {}};
    EXPECT_EQ(presenter.RefreshTray(now).notice->text, "The monitor of /a stopped: it hears no changes")
        << "a problem that comes back is told again";
}

TEST_F(MainFormPresenterTest, ApplyWritesTheCheckboxAndIsDisabledUntilTheNextClick) {
    Construct();
    services.autostartEntry = true;
    presenter.Configure();
    EXPECT_TRUE(view.autostart);
    EXPECT_TRUE(view.visible);
    view.autostart = false;
    presenter.AutostartClicked();
    EXPECT_TRUE(view.applyEnabled);
    presenter.Apply();
    EXPECT_FALSE(services.autostartEntry);
    EXPECT_FALSE(view.applyEnabled);

    // A refused write leaves Apply on, so the box is not taken for saved.
    services.autostartRefused = true;
    view.autostart = true;
    presenter.AutostartClicked();
    presenter.Apply();
    EXPECT_FALSE(services.autostartEntry);
    EXPECT_TRUE(view.applyEnabled);
}

TEST_F(MainFormPresenterTest, CloseHidesAndOnlyExitStopsTheSession) {
    Construct();
    presenter.Configure();
    presenter.Close();
    EXPECT_FALSE(view.visible);
    presenter.Configure();
    EXPECT_FALSE(presenter.CloseRequested());  // the close box
    EXPECT_FALSE(view.visible);
    FakeSession& session = Session();
    EXPECT_EQ(session.stops, 0);
    presenter.Exit();
    EXPECT_EQ(view.closePosts, 1);
    EXPECT_EQ(log.back(), "exit started");
    EXPECT_TRUE(presenter.CloseRequested());
    EXPECT_EQ(presenter.Session(), nullptr);
}

TEST_F(MainFormPresenterTest, ACloseRequestToTheApplicationWindowExitsOnce) {
    Construct();
    presenter.AppWindowCloseRequested();
    presenter.AppWindowCloseRequested();
    EXPECT_TRUE(presenter.Exiting());
    EXPECT_EQ(view.closePosts, 1);
    EXPECT_TRUE(presenter.CloseRequested());
}

TEST_F(MainFormPresenterTest, AnExitDuringTheSetupDialogSavesNothing) {
    session.Fill({Monitor("/a")});
    Construct();
    view.selected = 0;
    services.dialogAnswers = {Monitor("/changed")};
    // The dialog is answered after the program has closed underneath it.
    presenter.Exit();
    ASSERT_TRUE(presenter.CloseRequested());
    presenter.Edit();
    presenter.Add();
    EXPECT_TRUE(view.cursors.empty());
}

TEST_F(MainFormPresenterTest, WithoutATrayTheWindowShowsAndMinimisesInsteadOfHiding) {
    Construct(false);
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(view.windowCommands);
    presenter.Close();
    EXPECT_TRUE(view.visible);
    EXPECT_TRUE(view.minimised);
    presenter.TrayAvailabilityChanged(true);
    EXPECT_FALSE(view.windowCommands);
    presenter.Close();
    EXPECT_FALSE(view.visible);
}

}  // namespace
}  // namespace pellmar::test
