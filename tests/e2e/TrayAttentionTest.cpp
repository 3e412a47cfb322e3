// The tray icon's look through the real session: a backup drive unplugged for minutes, and
// plugged back, as the configuration window's presenter sees it.
#include "tests/e2e/E2eFixture.h"
#include "tests/support/ScratchMount.h"
#include "tests/ui/FakeMainForm.h"
#include "tray/session/FolderMonitorSession.h"

#include <filesystem>

namespace pellmar {
namespace {

using namespace std::chrono_literals;
using test::WriteFile;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TrayAttentionTest : public test::E2eTest {
protected:
    TrayAttentionTest() { timings.keeper.lookInterval = 100ms; }
};

TEST_F(TrayAttentionTest, ABackupDriveGoneForMinutesTurnsTheIconTellsOnceAndComesBackPlain) {
    std::string why;
    if (!test::MountScratchFileSystem(backup, &why)) GTEST_SKIP() << why;
    std::vector<std::string> log;
    test::FakeMainForm view(log);
    test::FakeServices services(log);
    FolderMonitorSession session(*dispatcher, timings, engines);
    MainFormPresenter presenter(view, services, session);
    presenter.Construct(true);
    const MonitorId monitor = session.Save(0, Monitor(watched, backup));
    ASSERT_NE(monitor, 0);
    WriteFile(watched + "/a.txt", "a");
    ASSERT_TRUE(RunUntilFile(backup + "/a.txt", "a"));
    ASSERT_TRUE(RunUntil([&] { return session.Summary().pendingJobs == 0; }));
    const auto start = std::chrono::steady_clock::now();
    TrayLook look = presenter.RefreshTray(start);
    EXPECT_FALSE(look.attention);
    EXPECT_TRUE(Contains(look.tooltip, "Last backup: ")) << look.tooltip;

    ASSERT_TRUE(test::UnmountScratchFileSystem(backup));
    ASSERT_TRUE(RunUntil([&] { return session.StatusOf(monitor).state == MonitorState::BackupOffline; }));
    WriteFile(watched + "/b.txt", "b");
    ASSERT_TRUE(RunUntil([&] { return session.Summary().pendingJobs == 1; }));
    look = presenter.RefreshTray(start + 1s);
    EXPECT_FALSE(look.attention) << "a moment offline is not worth a word";
    look = presenter.RefreshTray(start + kBackupOfflineGrace + 1s);
    EXPECT_TRUE(look.attention);
    ASSERT_TRUE(look.notice.has_value());
    EXPECT_TRUE(Contains(look.notice->text, watched)) << look.notice->text;
    // One write may be heard as two changes (created, then written), each a job of its own.
    EXPECT_TRUE(Contains(look.tooltip, "1 job waiting") || Contains(look.tooltip, "2 jobs waiting")) << look.tooltip;
    EXPECT_TRUE(Contains(look.tooltip, "Backup folder offline: " + watched)) << look.tooltip;
    EXPECT_FALSE(presenter.RefreshTray(start + kBackupOfflineGrace + 3s).notice) << "told once";

    ASSERT_TRUE(test::MountScratchFileSystem(backup, &why)) << why;
    ASSERT_TRUE(RunUntil([&] { return session.StatusOf(monitor).state != MonitorState::BackupOffline; }));
    look = presenter.RefreshTray(start + kBackupOfflineGrace + 5s);
    EXPECT_FALSE(look.attention) << look.tooltip;
    EXPECT_TRUE(errors.Reports().empty());
    presenter.Exit();
    presenter.CloseRequested();
    test::UnmountScratchFileSystem(backup);
}

}  // namespace
}  // namespace pellmar
