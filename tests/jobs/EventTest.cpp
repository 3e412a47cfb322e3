// The signalling event: manual and auto reset, timed waits, and waiting for either of two.
// Every cross-thread case waits on a condition with a deadline, never on a fixed pause.
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/TestEnvironment.h"

namespace pellmar {
namespace {

using platform::Event;
using platform::kInfinite;
using platform::WaitResult;

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSetUntilReset) {
    Event event(Event::Mode::ManualReset);
    std::atomic<int> released{0};
    std::vector<std::jthread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(kInfinite) == WaitResult::First) ++released;
        });
    }
    event.Set();
    ASSERT_TRUE(test::WaitUntil([&] { return released == 3; }));
    EXPECT_TRUE(event.IsSet());
    EXPECT_EQ(event.Wait(0), WaitResult::First);
    event.Reset();
    EXPECT_EQ(event.Wait(0), WaitResult::TimedOut);
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
    Event event(Event::Mode::AutoReset);
    std::atomic<int> released{0};
    std::vector<std::jthread> waiters;
    for (int i = 0; i < 2; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(kInfinite) == WaitResult::First) ++released;
        });
    }
    event.Set();
    ASSERT_TRUE(test::WaitUntil([&] { return released == 1; }));
    EXPECT_FALSE(event.IsSet()) << "the released waiter must have consumed the signal";
    event.Set();
    ASSERT_TRUE(test::WaitUntil([&] { return released == 2; }));
    EXPECT_FALSE(event.IsSet());
}

TEST(Event, TimedWaitsTestOrExpireWithoutConsumingOtherEvents) {
    Event event(Event::Mode::AutoReset);
    EXPECT_EQ(event.Wait(0), WaitResult::TimedOut);
    EXPECT_EQ(event.Wait(20), WaitResult::TimedOut);
    Event initiallySet(Event::Mode::AutoReset, true);
    EXPECT_EQ(initiallySet.Wait(0), WaitResult::First);
    EXPECT_EQ(initiallySet.Wait(0), WaitResult::TimedOut);

    Event first(Event::Mode::AutoReset);
    Event second(Event::Mode::AutoReset);
    EXPECT_EQ(Event::WaitForAny(first, second, 10), WaitResult::TimedOut);
    first.Set();
    second.Set();
    EXPECT_EQ(Event::WaitForAny(first, second, 0), WaitResult::First);
    EXPECT_TRUE(second.IsSet()) << "only the reported event may be reset";
    EXPECT_EQ(Event::WaitForAny(first, second, 0), WaitResult::Second);
}

TEST(Event, WaitForAnyWakesOnASetFromAnotherThread) {
    Event notEmpty(Event::Mode::AutoReset);
    Event closed(Event::Mode::ManualReset);
    std::atomic<int> result{-1};
    std::jthread waiter([&] { result = static_cast<int>(Event::WaitForAny(notEmpty, closed, kInfinite)); });
    closed.Set();
    ASSERT_TRUE(test::WaitUntil([&] { return result != -1; }));
    EXPECT_EQ(result, static_cast<int>(WaitResult::Second));
    EXPECT_TRUE(closed.IsSet()) << "a manual-reset event stays set for later waiters";
}

TEST(Event, ManyWaitersOnTwoEventsAllFinishUnderRepeatedSignals) {
    // Stresses the window between a waiter's last test and its sleep: a lost signal hangs here.
    Event work(Event::Mode::AutoReset);
    Event done(Event::Mode::ManualReset);
    std::atomic<int> consumed{0};
    constexpr int kSignals = 300;
    std::vector<std::jthread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            while (Event::WaitForAny(work, done, kInfinite) == WaitResult::First) ++consumed;
        });
    }
    for (int i = 0; i < kSignals; ++i) {
        int before = consumed;
        work.Set();
        ASSERT_TRUE(test::WaitUntil([&] { return consumed > before; }));
    }
    done.Set();
    waiters.clear();
    EXPECT_EQ(consumed, kSignals);
}

}  // namespace
}  // namespace pellmar
