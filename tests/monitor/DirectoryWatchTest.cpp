// The inotify watch's wait with a deadline, on a real temporary folder.
#include "platform/DirectoryWatch.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

using platform::DirectoryChange;
using platform::WaitOutcome;
using Clock = std::chrono::steady_clock;

TEST(DirectoryWatchWait, ADeadlineEndsOnlyAnIdleWaitAndNeverHidesChangesOrAWake) {
    test::TempFolder folder;
    auto watch = platform::DirectoryWatch::Open(folder.Path(), false, nullptr);
    ASSERT_TRUE(watch);
    std::vector<DirectoryChange> changes;
    EXPECT_EQ(watch->Wait(&changes, Clock::now() + std::chrono::milliseconds(5)), WaitOutcome::TimedOut);
    EXPECT_TRUE(changes.empty());

    // The kernel queues the events before the write returns, so they are ready at once.
    test::WriteFile(folder / "a.txt", "a");
    EXPECT_EQ(watch->Wait(&changes, Clock::now() - std::chrono::seconds(1)), WaitOutcome::Changes);
    EXPECT_FALSE(changes.empty());

    watch->Wake();
    EXPECT_EQ(watch->Wait(&changes, Clock::now()), WaitOutcome::Woken);
    EXPECT_EQ(watch->Wait(&changes, std::nullopt), WaitOutcome::Woken);
}

}  // namespace
}  // namespace pellmar
