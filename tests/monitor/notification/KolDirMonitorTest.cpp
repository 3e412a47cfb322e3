// KolDirMonitor on real temporary folders, with the plain dispatcher driven on the test thread.
#include "tray/monitor/notification/KolDirMonitor.h"

#include "platform/PlainDispatcher.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <exception>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using platform::LocalTimeFields;
using test::TempFolder;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;
using Delivered = std::pair<DirAction, std::string>;

class KolDirMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        monitor.SetPath(folder.Path());
        monitor.SetOnChange([this](KolDirMonitor&, DirAction action, const std::string& name) {
            events.emplace_back(action, name);
            if (action == DirModified && name == "a.txt") seen.push_back(test::ReadFile(folder / "a.txt"));
        });
    }

    bool Seen(DirAction action, const std::string& name) const {
        return std::find(events.begin(), events.end(), Delivered{action, name}) != events.end();
    }
    bool WaitFor(DirAction action, const std::string& name) {
        return dispatcher.RunUntil([&] { return Seen(action, name); }, 30s);
    }
    std::vector<Delivered> EventsAbout(const std::string& name) const {
        std::vector<Delivered> about;
        std::copy_if(events.begin(), events.end(), std::back_inserter(about),
                     [&](const Delivered& event) { return event.second == name; });
        return about;
    }
    // Everything changed before the sentinel has been delivered once its own record is seen.
    bool Settle(const std::string& sentinel = "zz.sentinel") {
        WriteFile(folder / sentinel, "s");
        return WaitFor(DirModified, sentinel);
    }
    // As Settle, but with a record that leaves a held repeat of another file held.
    bool MoveIn(const std::string& marker) {
        WriteFile(outside / marker, "m");
        std::filesystem::rename(outside / marker, folder / marker);
        return WaitFor(DirRenamedNew, marker);
    }

    TempFolder folder;
    TempFolder outside;  // on the same file system, for moves into the watched folder
    platform::PlainDispatcher dispatcher;
    LocalTimeFields now;  // read by the monitor on this thread only
    KolDirMonitor monitor{dispatcher, [this] { return now; }};
    std::vector<Delivered> events;
    std::vector<std::string> seen;  // what a.txt held at each of its modifications delivered
};

TEST_F(KolDirMonitorTest, CreateWriteDeleteAndRenameArriveInOrder) {
    monitor.Start();
    ASSERT_TRUE(monitor.Active());
    WriteFile(folder / "a.txt", "one");
    fs::rename(folder / "a.txt", folder / "b.txt");
    fs::remove(folder / "b.txt");
    ASSERT_TRUE(WaitFor(DirRemoved, "b.txt"));
    EXPECT_THAT(events, ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                                    Delivered{DirRenamedOld, "a.txt"}, Delivered{DirRenamedNew, "b.txt"},
                                    Delivered{DirRemoved, "b.txt"}));
}

// The kernel merges identical unread events, so each test waits for the first save's delivery
// before the repeat: the repeat is then a record of its own and meets the suppression.
TEST_F(KolDirMonitorTest, ARepeatInTheSameClockSecondIsHeldUntilThatSecondIsOver) {
    now.second = 10;
    monitor.Start();
    WriteFile(folder / "a.txt", "one");
    ASSERT_TRUE(WaitFor(DirModified, "a.txt"));
    WriteFile(folder / "a.txt", "two");
    WriteFile(folder / "a.txt", "three");
    ASSERT_TRUE(MoveIn("m1"));
    EXPECT_THAT(seen, ElementsAre("one"));  // not at once

    now.second = 11;
    ASSERT_TRUE(dispatcher.RunUntil([&] { return seen.size() == 2; }, 30s));
    EXPECT_EQ(seen.back(), "three");
    ASSERT_TRUE(MoveIn("m2"));
    EXPECT_EQ(seen.size(), 2u);  // once

    WriteFile(folder / "a.txt", "four");  // in a second of its own: delivered as it comes
    ASSERT_TRUE(dispatcher.RunUntil([&] { return seen.size() == 3; }, 30s));
    EXPECT_EQ(seen.back(), "four");
}

TEST_F(KolDirMonitorTest, AHeldRepeatGoesOutBeforeAModificationOfAnotherFile) {
    monitor.Start();
    WriteFile(folder / "a.txt", "one");
    ASSERT_TRUE(WaitFor(DirModified, "a.txt"));
    WriteFile(folder / "a.txt", "two");
    WriteFile(folder / "b.txt", "b");
    ASSERT_TRUE(WaitFor(DirModified, "b.txt"));
    EXPECT_THAT(EventsAbout("a.txt"), ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                                                  Delivered{DirModified, "a.txt"}));
    EXPECT_THAT(seen, ElementsAre("one", "two"));
    EXPECT_EQ(events.back(), (Delivered{DirModified, "b.txt"}));
}

TEST_F(KolDirMonitorTest, StopDeliversAHeldRepeatBeforeReturningAndDestructionDropsIt) {
    auto doomed = std::make_unique<KolDirMonitor>(dispatcher, [this] { return now; });
    doomed->SetPath(folder.Path());
    int doomedCalls = 0;
    doomed->SetOnChange([&](KolDirMonitor&, DirAction, const std::string&) { ++doomedCalls; });
    monitor.Start();
    doomed->Start();
    WriteFile(folder / "a.txt", "one");
    ASSERT_TRUE(WaitFor(DirModified, "a.txt"));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return doomedCalls == 2; }, 30s));  // added, modified
    WriteFile(folder / "a.txt", "two");
    ASSERT_TRUE(MoveIn("m1"));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return doomedCalls == 3; }, 30s));  // the move
    EXPECT_THAT(seen, ElementsAre("one"));

    monitor.Stop();
    EXPECT_THAT(seen, ElementsAre("one", "two"));
    doomed.reset();
    EXPECT_EQ(doomedCalls, 3);
    now.second = 30;
    dispatcher.RunPending();
    monitor.Start();  // nothing held survives into the next run
    ASSERT_TRUE(MoveIn("m2"));
    EXPECT_EQ(seen.size(), 2u);
}

// The real clock: the timeout is taken from its milliseconds, and the flush must come by itself.
TEST(KolDirMonitorRealClock, TheLastOfTwoQuickSavesReachesTheHandler) {
    TempFolder folder;
    platform::PlainDispatcher dispatcher;
    KolDirMonitor monitor(dispatcher);
    std::string lastSeen;
    monitor.SetPath(folder.Path());
    monitor.SetOnChange([&](KolDirMonitor&, DirAction action, const std::string& name) {
        if (action == DirModified && name == "a.txt") lastSeen = test::ReadFile(folder / "a.txt");
    });
    monitor.Start();
    WriteFile(folder / "a.txt", "one");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return lastSeen == "one"; }, 30s));
    WriteFile(folder / "a.txt", "two");
    EXPECT_TRUE(dispatcher.RunUntil([&] { return lastSeen == "two"; }, 30s));
}

TEST_F(KolDirMonitorTest, WithSubtreeNewFoldersAndTheFilesInThemAreReported) {
    monitor.SetWatchSubtree(true);
    monitor.Start();
    fs::create_directories(folder / "new/inner");
    // Written before the new folders' watches are set or after: it is reported as added either way.
    WriteFile(folder / "new/inner/x.doc", "x");
    ASSERT_TRUE(WaitFor(DirAdded, "new/inner/x.doc"));
    ASSERT_TRUE(Settle());
    WriteFile(folder / "new/inner/x.doc", "changed");
    ASSERT_TRUE(WaitFor(DirModified, "new/inner/x.doc"));
    EXPECT_THAT(EventsAbout("new"), ElementsAre(Delivered{DirFolderAdded, "new"}));
    EXPECT_THAT(EventsAbout("new/inner"), ElementsAre(Delivered{DirFolderAdded, "new/inner"}));
}

TEST_F(KolDirMonitorTest, WithoutSubtreeChangesInSubFoldersAreIgnored) {
    fs::create_directory(folder / "sub");
    monitor.Start();
    WriteFile(folder / "sub/x.txt", "x");
    fs::create_directory(folder / "later");
    WriteFile(folder / "later/y.txt", "y");
    ASSERT_TRUE(Settle());
    EXPECT_THAT(events, ElementsAre(Delivered{DirAdded, "zz.sentinel"}, Delivered{DirModified, "zz.sentinel"}));
}

// `mv` of a folder: nothing but the folder's own rename is told by the OS, yet every file in it
// is new under its path.
TEST_F(KolDirMonitorTest, FilesOfAFolderMovedInOrRenamedAreReportedUnderTheirNewPath) {
    fs::create_directories(outside / "moved/deep");
    WriteFile(outside / "moved/old.txt", "o");
    WriteFile(outside / "moved/deep/older.txt", "o");
    monitor.SetWatchSubtree(true);
    monitor.Start();
    fs::rename(outside / "moved", folder / "moved");
    ASSERT_TRUE(WaitFor(DirAdded, "moved/old.txt"));
    ASSERT_TRUE(WaitFor(DirAdded, "moved/deep/older.txt"));
    WriteFile(folder / "moved/deep/later.txt", "l");
    ASSERT_TRUE(WaitFor(DirModified, "moved/deep/later.txt"));

    fs::rename(folder / "moved", folder / "renamed");
    ASSERT_TRUE(WaitFor(DirAdded, "renamed/old.txt"));
    ASSERT_TRUE(WaitFor(DirAdded, "renamed/deep/later.txt"));

    // Moved out again, it is no longer watched.
    fs::rename(folder / "renamed", outside / "back");
    WriteFile(outside / "back/deep/gone.txt", "g");
    ASSERT_TRUE(Settle("zz.after"));
    EXPECT_THAT(EventsAbout("renamed/deep/gone.txt"), IsEmpty());
}

// Ctrl+C in the middle of work: what was read and what the OS still holds is passed on by Stop
// itself, and nothing after it.
TEST_F(KolDirMonitorTest, StopWhileTheWorkerWaitsInTheHandOverDeliversWhatWasPendingAndNothingAfter) {
    monitor.Start();
    WriteFile(folder / "a.txt", "a");
    // The worker now waits for this thread, which is not running the dispatcher.
    ASSERT_TRUE(test::WaitUntil([&] { return dispatcher.PendingCount() > 0; }));
    WriteFile(folder / "b.txt", "b");  // still in the OS queue when Stop comes
    monitor.Stop();
    EXPECT_FALSE(monitor.Active());
    EXPECT_EQ(dispatcher.RunPending(), 0u);  // the abandoned hand-over never runs
    EXPECT_THAT(events, ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                                    Delivered{DirAdded, "b.txt"}, Delivered{DirModified, "b.txt"}));
    WriteFile(folder / "c.txt", "c");
    EXPECT_EQ(dispatcher.RunPending(), 0u);
    EXPECT_EQ(events.size(), 4u);
}

TEST_F(KolDirMonitorTest, StopFromInsideTheHandlerEndsDeliveryAtOnce) {
    monitor.SetOnChange([this](KolDirMonitor& self, DirAction action, const std::string& name) {
        events.emplace_back(action, name);
        self.Stop();
    });
    monitor.Start();
    WriteFile(folder / "a.txt", "a");
    WriteFile(folder / "b.txt", "b");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return !events.empty(); }, 30s));
    EXPECT_FALSE(monitor.Active());
    dispatcher.RunPending();
    EXPECT_THAT(events, ElementsAre(Delivered{DirAdded, "a.txt"}));
}

TEST_F(KolDirMonitorTest, AHandlerMayDestroyItsOwnMonitor) {
    auto doomed = std::make_unique<KolDirMonitor>(dispatcher);
    int calls = 0;
    doomed->SetPath(folder.Path());
    doomed->SetOnChange([&](KolDirMonitor&, DirAction, const std::string&) {
        doomed.reset();
        ++calls;  // reads a capture of the handler after its monitor is gone
    });
    doomed->Start();
    WriteFile(folder / "a.txt", "a");
    WriteFile(folder / "b.txt", "b");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return calls > 0; }, 30s));
    dispatcher.RunPending();
    EXPECT_EQ(calls, 1);
}

TEST_F(KolDirMonitorTest, DestroyingAMonitorWithAHandOverPendingDoesNotHang) {
    auto doomed = std::make_unique<KolDirMonitor>(dispatcher);
    int calls = 0;
    doomed->SetPath(folder.Path());
    doomed->SetOnChange([&](KolDirMonitor&, DirAction, const std::string&) { ++calls; });
    doomed->Start();
    WriteFile(folder / "a.txt", "a");
    ASSERT_TRUE(test::WaitUntil([&] { return dispatcher.PendingCount() > 0; }));
    doomed.reset();
    dispatcher.RunPending();
    EXPECT_EQ(calls, 0);
}

TEST_F(KolDirMonitorTest, StartAfterStopWatchesTheCurrentPathAndFlag) {
    TempFolder second;
    fs::create_directory(second / "sub");
    monitor.Start();
    monitor.Start();  // already active: nothing changes
    monitor.Stop();
    monitor.Stop();
    monitor.SetPath(second.Path());
    monitor.SetWatchSubtree(true);
    monitor.Start();
    WriteFile(folder / "first.txt", "1");
    WriteFile(second / "sub/second.txt", "2");
    ASSERT_TRUE(WaitFor(DirModified, "sub/second.txt"));
    EXPECT_THAT(EventsAbout("first.txt"), IsEmpty());
    monitor.Stop();
    monitor.Start();
    WriteFile(second / "third.txt", "3");
    EXPECT_TRUE(WaitFor(DirModified, "third.txt"));
}

TEST_F(KolDirMonitorTest, AFolderThatCannotBeOpenedCannotBeWatched) {
    WriteFile(folder / "plain.txt", "not a folder");
    for (const std::string& path : {folder / "missing", folder / "plain.txt", std::string()}) {
        monitor.SetPath(path);
        try {
            monitor.Start();
            ADD_FAILURE() << "started on " << path;
        } catch (const DirMonitorError& error) {
            EXPECT_STREQ(error.what(), "Cannot find the directory");
        }
        EXPECT_FALSE(monitor.Active());
    }
}

// With a single descriptor left the folder can be opened, but the watch's handles cannot all be made.
TEST_F(KolDirMonitorTest, RunningOutOfDescriptorsFailsStartWithoutLeakingOne) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> fillers;
    for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) fillers.push_back(fd);
    close(fillers.back());
    fillers.pop_back();

    // The error is only looked at once descriptors are back: a sanitizer's type check of the
    // caught object needs a descriptor of its own and would misreport it otherwise.
    std::exception_ptr failure;
    try {
        monitor.Start();
    } catch (...) {
        failure = std::current_exception();
    }
    const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe >= 0) close(probe);
    for (int fd : fillers) close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);

    std::string message;
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const DirMonitorError& error) {
        message = error.what();
    }

    EXPECT_EQ(message, "Error on \"CreateIoCompletionPort\"");
    EXPECT_GE(probe, 0) << "a descriptor of the failed start stayed open";
    EXPECT_FALSE(monitor.Active());
}

TEST(KolDirMonitorDefaults, StartsInactiveOnTheRootFolderWithoutSubtree) {
    platform::PlainDispatcher dispatcher;
    KolDirMonitor monitor(dispatcher);
    EXPECT_EQ(monitor.Path(), "/");
    EXPECT_FALSE(monitor.WatchSubtree());
    EXPECT_FALSE(monitor.Active());
}

}  // namespace
}  // namespace pellmar
