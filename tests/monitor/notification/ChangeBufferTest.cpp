// Reading a buffer of change records on the main thread: codes, repeat suppression, delivery.
#include "tray/monitor/notification/ChangeBuffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/NativePath.h"

#include <utility>

namespace pellmar {
namespace {

using platform::DirectoryChange;
using platform::LocalTimeFields;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Delivered = std::pair<DirAction, std::string>;

LocalTimeFields At(int minute, int second, int millisecond = 0) {
    LocalTimeFields time;
    time.year = 2026;
    time.month = 12;
    time.day = 8;
    time.hour = 14;
    time.minute = minute;
    time.second = second;
    time.millisecond = millisecond;
    return time;
}

class ChangeBufferTest : public ::testing::Test {
protected:
    std::vector<Delivered> Process(const ChangeBuffer& buffer, std::string root = "/w") {
        std::vector<Delivered> delivered;
        ProcessChangeBuffer(buffer, ContextFor(root, delivered));
        return delivered;
    }
    std::vector<Delivered> Flush() {
        std::vector<Delivered> delivered;
        const std::string root = "/w";
        FlushHeldRepeat(ContextFor(root, delivered));
        return delivered;
    }
    ChangeBufferContext ContextFor(const std::string& root, std::vector<Delivered>& delivered) {
        return ChangeBufferContext{root, repeats, [this] { return now; }, [this] { return live; },
                                   [this, &delivered](DirAction action, const std::string& name) {
                                       delivered.emplace_back(action, name);
                                       if (stopAfterFirst) live = false;
                                   },
                                   writes, OpenWrites::Clock::time_point()};
    }

    ModifiedRepeatFilter repeats;
    OpenWrites writes{std::chrono::seconds(2), std::chrono::minutes(1)};
    LocalTimeFields now = At(0, 0);
    bool live = true;
    bool stopAfterFirst = false;
};

TEST(DirActionOf, MapsTheOsActionsAndCountsUnknownOnesAsAdded) {
    EXPECT_EQ(DirActionOf(1), DirAdded);
    EXPECT_EQ(DirActionOf(2), DirRemoved);
    EXPECT_EQ(DirActionOf(3), DirModified);
    EXPECT_EQ(DirActionOf(4), DirRenamedOld);
    EXPECT_EQ(DirActionOf(5), DirRenamedNew);
    EXPECT_EQ(DirActionOf(0), DirAdded);
    EXPECT_EQ(DirActionOf(6), DirAdded);
    EXPECT_EQ(DirActionOf(0xFFFFFFFFu), DirAdded);
}

TEST_F(ChangeBufferTest, DeliversRecordsInOrderAndLostChangesInTheirPlace) {
    const ChangeBuffer buffer{{1, "a.txt"}, {3, "a.txt"}, {0, ""}, {4, "a.txt"}, {5, "sub/b.txt"}, {2, "sub/b.txt"}};
    EXPECT_THAT(Process(buffer), ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                                             Delivered{DirLost, ""}, Delivered{DirRenamedOld, "a.txt"},
                                             Delivered{DirRenamedNew, "sub/b.txt"}, Delivered{DirRemoved, "sub/b.txt"}));
    EXPECT_THAT(Process(ChangeBuffer{{1, ""}}), IsEmpty());
    EXPECT_THAT(Process(ChangeBuffer{}), IsEmpty());
}

TEST_F(ChangeBufferTest, RepeatedModificationsWithinOneClockSecondAreReportedOnce) {
    now = At(0, 5, 10);
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "a.txt"}}).size(), 1u);
    now = At(0, 5, 990);  // same second, another buffer
    EXPECT_THAT(Process({{3, "a.txt"}}), IsEmpty());
    EXPECT_EQ(repeats.Held(), "a.txt");
    now = At(0, 6);
    EXPECT_EQ(Process({{3, "a.txt"}}).size(), 1u);
    now = At(1, 6);  // the same second of another minute is another second
    EXPECT_EQ(Process({{3, "a.txt"}}).size(), 1u);
}

TEST_F(ChangeBufferTest, OnlyTheLastModifiedPathIsRememberedAndOnlyModificationsTouchIt) {
    // Another path in between makes the first one new again.
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "b.txt"}, {3, "a.txt"}}).size(), 3u);
    // Other actions neither admit nor reset anything; the held repeat goes before the deletion.
    EXPECT_THAT(Process({{1, "a.txt"}, {3, "a.txt"}, {2, "a.txt"}}),
                ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                            Delivered{DirRemoved, "a.txt"}));
    // Paths compare case-sensitively, and the full path includes the root.
    EXPECT_EQ(Process({{3, "A.txt"}}).size(), 1u);
    EXPECT_EQ(Process({{3, "A.txt"}}, test::Native("/other")).size(), 1u);
    EXPECT_THAT(Process({{3, "A.txt"}}, test::Native("/other/")), IsEmpty());  // same full path with a trailing delimiter
}

TEST_F(ChangeBufferTest, AWalkEndsAsSoonAsTheRunIsNoLongerLive) {
    stopAfterFirst = true;
    EXPECT_THAT(Process({{1, "a.txt"}, {1, "b.txt"}}), ElementsAre(Delivered{DirAdded, "a.txt"}));
    EXPECT_THAT(Process({{1, "c.txt"}}), IsEmpty());
}

// A burst of saves within one second must still leave the last one delivered.
TEST_F(ChangeBufferTest, TheHeldRepeatIsDeliveredOnceWhenItsSecondIsOver) {
    now = At(0, 5, 100);
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "a.txt"}, {3, "a.txt"}}).size(), 1u);
    now = At(0, 5, 999);
    EXPECT_THAT(Process({{3, "a.txt"}}), IsEmpty());
    EXPECT_THAT(Flush(), IsEmpty());  // its second is not over yet
    now = At(0, 6, 3);
    EXPECT_THAT(Flush(), ElementsAre(Delivered{DirModified, "a.txt"}));
    EXPECT_THAT(Flush(), IsEmpty());
    EXPECT_EQ(HeldRepeatDelay(repeats, now), std::nullopt);
    // The next second starts afresh, and its own repeat is held in turn.
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "a.txt"}}).size(), 1u);
    now = At(0, 7);
    EXPECT_THAT(Flush(), ElementsAre(Delivered{DirModified, "a.txt"}));
}

TEST_F(ChangeBufferTest, AHeldRepeatIsReplacedByItsOwnPathButNeverOvertakenByAnother) {
    now = At(0, 5);
    Process({{3, "a.txt"}, {3, "a.txt"}});
    now = At(0, 6);  // the later modification stands for the held one
    EXPECT_THAT(Process({{3, "a.txt"}}), ElementsAre(Delivered{DirModified, "a.txt"}));
    EXPECT_THAT(Flush(), IsEmpty());

    Process({{3, "a.txt"}});
    EXPECT_THAT(Process({{1, "b.txt"}, {3, "b.txt"}}),
                ElementsAre(Delivered{DirAdded, "b.txt"}, Delivered{DirModified, "a.txt"},
                            Delivered{DirModified, "b.txt"}));
    EXPECT_THAT(Flush(), IsEmpty());

    // A rename of the held file takes it along in order; records of other names leave it held.
    Process({{3, "b.txt"}});
    EXPECT_THAT(Process({{2, "c.txt"}, {4, "b.txt"}, {5, "d.txt"}}),
                ElementsAre(Delivered{DirRemoved, "c.txt"}, Delivered{DirModified, "b.txt"},
                            Delivered{DirRenamedOld, "b.txt"}, Delivered{DirRenamedNew, "d.txt"}));
}

TEST_F(ChangeBufferTest, AnEndedRunDeliversNoHeldRepeatAndNothingAfterOne) {
    now = At(0, 5);
    Process({{3, "a.txt"}, {3, "a.txt"}});
    now = At(0, 6);
    live = false;
    EXPECT_THAT(Flush(), IsEmpty());
    EXPECT_EQ(repeats.Held(), "a.txt");  // left for whoever ends the run

    // A handler that ends the run on the held repeat keeps the record behind it undelivered.
    live = true;
    stopAfterFirst = true;
    EXPECT_THAT(Process({{2, "a.txt"}}), ElementsAre(Delivered{DirModified, "a.txt"}));
    EXPECT_EQ(repeats.TakeHeld(), "");
}

TEST(HeldRepeatDelay, WaitsUntilJustPastTheNextSecondBoundaryOnlyWhileARepeatIsHeld) {
    ModifiedRepeatFilter repeats;
    const LocalTimeFields second = At(3, 20, 250);
    EXPECT_EQ(HeldRepeatDelay(repeats, second), std::nullopt);
    repeats.Admit("/w/a", second);
    EXPECT_EQ(HeldRepeatDelay(repeats, second), std::nullopt);
    repeats.Hold("a");
    const auto delay = HeldRepeatDelay(repeats, second);
    ASSERT_TRUE(delay.has_value());
    EXPECT_GT(*delay, std::chrono::milliseconds(750));
    EXPECT_LT(*delay, std::chrono::milliseconds(1000));
    // A clock read late in the second still waits past its end, not into the next one.
    const auto late = HeldRepeatDelay(repeats, At(3, 20, 999));
    ASSERT_TRUE(late.has_value());
    EXPECT_GT(*late, std::chrono::milliseconds(0));
    EXPECT_LT(*late, std::chrono::milliseconds(250));
    EXPECT_EQ(HeldRepeatDelay(repeats, At(3, 21)), std::chrono::milliseconds(0));
    EXPECT_EQ(HeldRepeatDelay(repeats, At(3, 19)), std::chrono::milliseconds(0));  // a clock set back
}

}  // namespace
}  // namespace pellmar
