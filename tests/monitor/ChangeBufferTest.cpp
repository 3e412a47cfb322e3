// Reading a buffer of change records on the main thread: codes, repeat suppression, delivery.
#include "tray/monitor/ChangeBuffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
        ChangeBufferContext context{root, repeats, [this] { return now; }, [this] { return live; },
                                    [&](DirAction action, const std::string& name) {
                                        delivered.emplace_back(action, name);
                                        if (stopAfterFirst) live = false;
                                    }};
        ProcessChangeBuffer(buffer, context);
        return delivered;
    }

    ModifiedRepeatFilter repeats;
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

TEST_F(ChangeBufferTest, DeliversRecordsInOrderAndSkipsEmptyNames) {
    const ChangeBuffer buffer{{1, "a.txt"}, {3, "a.txt"}, {0, ""}, {4, "a.txt"}, {5, "sub/b.txt"}, {2, "sub/b.txt"}};
    EXPECT_THAT(Process(buffer), ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirModified, "a.txt"},
                                             Delivered{DirRenamedOld, "a.txt"}, Delivered{DirRenamedNew, "sub/b.txt"},
                                             Delivered{DirRemoved, "sub/b.txt"}));
    // What an overflow leaves behind reports nothing.
    EXPECT_THAT(Process(ChangeBuffer{DirectoryChange{}}), IsEmpty());
    EXPECT_THAT(Process(ChangeBuffer{}), IsEmpty());
}

TEST_F(ChangeBufferTest, RepeatedModificationsWithinOneClockSecondAreReportedOnce) {
    now = At(0, 5, 10);
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "a.txt"}}).size(), 1u);
    now = At(0, 5, 990);  // same second, another buffer
    EXPECT_THAT(Process({{3, "a.txt"}}), IsEmpty());
    now = At(0, 6);
    EXPECT_EQ(Process({{3, "a.txt"}}).size(), 1u);
    now = At(1, 6);  // the same second of another minute is another second
    EXPECT_EQ(Process({{3, "a.txt"}}).size(), 1u);
}

TEST_F(ChangeBufferTest, OnlyTheLastModifiedPathIsRememberedAndOnlyModificationsTouchIt) {
    // Another path in between makes the first one new again.
    EXPECT_EQ(Process({{3, "a.txt"}, {3, "b.txt"}, {3, "a.txt"}}).size(), 3u);
    // Other actions neither drop nor reset anything.
    EXPECT_THAT(Process({{1, "a.txt"}, {3, "a.txt"}, {2, "a.txt"}}),
                ElementsAre(Delivered{DirAdded, "a.txt"}, Delivered{DirRemoved, "a.txt"}));
    // Paths compare case-sensitively, and the full path includes the root.
    EXPECT_EQ(Process({{3, "A.txt"}}).size(), 1u);
    EXPECT_EQ(Process({{3, "A.txt"}}, "/other").size(), 1u);
    EXPECT_THAT(Process({{3, "A.txt"}}, "/other/"), IsEmpty());  // same full path with a trailing delimiter
}

TEST_F(ChangeBufferTest, AWalkEndsAsSoonAsTheRunIsNoLongerLive) {
    stopAfterFirst = true;
    EXPECT_THAT(Process({{1, "a.txt"}, {1, "b.txt"}}), ElementsAre(Delivered{DirAdded, "a.txt"}));
    EXPECT_THAT(Process({{1, "c.txt"}}), IsEmpty());
}

}  // namespace
}  // namespace pellmar
