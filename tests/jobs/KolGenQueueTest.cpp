// The change event queue: order across the wrap, waits and their result codes, closing, and
// ownership of items still held. Multi-thread cases hang (and fail at a deadline) on a lost signal.
#include "tray/jobs/KolGenQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "tests/support/TestEnvironment.h"

namespace pellmar {
namespace {

using platform::kInfinite;

struct Record {
    explicit Record(int n, std::atomic<int>* live = nullptr) : number(n), liveCount(live) {
        if (liveCount) ++*liveCount;
    }
    ~Record() {
        if (liveCount) --*liveCount;
    }
    int number;
    std::atomic<int>* liveCount;
};

using Queue = KolGenQueue<Record>;

class Finally {
public:
    explicit Finally(std::function<void()> action) : action_(std::move(action)) {}
    ~Finally() { action_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    std::function<void()> action_;
};

std::int32_t PutNumber(Queue& queue, int number, std::uint32_t timeoutMs = kInfinite) {
    auto item = std::make_unique<Record>(number);
    return queue.Put(item, number * 10, timeoutMs);
}

TEST(KolGenQueue, ThousandAndOneRecordsPassAThousandSlotsInOrderWhileTheLastPutWaits) {
    Queue queue(1000);
    std::atomic<int> putsDone{0};
    std::vector<std::int32_t> putCodes(1001, 99);
    std::jthread producer([&] {
        for (int i = 0; i < 1001; ++i) {
            putCodes[static_cast<std::size_t>(i)] = PutNumber(queue, i);
            ++putsDone;
        }
    });
    // Counted as a waiting putter only once it is inside the wait, not merely about to call Put.
    ASSERT_TRUE(test::WaitUntil([&] { return queue.WaitingPutters() == 1; }));
    EXPECT_EQ(putsDone, 1000) << "the 1001st Put must wait for a free slot";
    EXPECT_EQ(queue.Count(), 1000);
    std::unique_ptr<Record> spare = std::make_unique<Record>(-1);
    EXPECT_EQ(queue.Put(spare, 0, 0), kQueueFull);

    std::vector<int> received;
    for (int i = 0; i < 1001; ++i) {
        std::unique_ptr<Record> item;
        std::int32_t size = -1;
        ASSERT_EQ(queue.Get(item, size, kInfinite), kQueueDone);
        ASSERT_TRUE(item);
        EXPECT_EQ(size, item->number * 10) << "the size travels with its item";
        received.push_back(item->number);
    }
    producer.join();
    for (std::int32_t code : putCodes) EXPECT_EQ(code, kQueueDone);
    for (int i = 0; i < 1001; ++i) ASSERT_EQ(received[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(queue.Count(), 0);
}

TEST(KolGenQueue, ZeroTimeOutsAndEmptyItemsAnswerAtOnceAndLeaveTheCallerItsItem) {
    Queue queue(2);
    std::unique_ptr<Record> item;
    std::int32_t size = 0;
    EXPECT_EQ(queue.Get(item, size, 0), kQueueEmpty);

    std::unique_ptr<Record> nothing;
    EXPECT_EQ(queue.Put(nothing, 5, 0), kQueueEmptyItem);
    EXPECT_EQ(queue.Count(), 0);

    ASSERT_EQ(PutNumber(queue, 1, 0), kQueueDone);
    ASSERT_EQ(PutNumber(queue, 2, 0), kQueueDone);
    auto refused = std::make_unique<Record>(3);
    EXPECT_EQ(queue.Put(refused, 30, 0), kQueueFull);
    ASSERT_TRUE(refused) << "a refused item stays with the caller";
    EXPECT_EQ(refused->number, 3);
    EXPECT_EQ(queue.Put(refused, 30, 15), kQueuePutTimedOut);
    EXPECT_TRUE(refused);
    EXPECT_EQ(queue.Count(), 2);

    ASSERT_EQ(queue.Get(item, size, 0), kQueueDone);
    EXPECT_EQ(item->number, 1);
    ASSERT_EQ(queue.Get(item, size, 0), kQueueDone);
    EXPECT_EQ(item->number, 2);
    EXPECT_EQ(queue.Get(item, size, 15), kQueueGetTimedOut);
}

TEST(KolGenQueue, CloseQueueWakesAWaitingTakerAndEveryLaterWaitingTaker) {
    Queue queue(4);
    std::atomic<std::int32_t> code{1};
    std::jthread taker([&] {
        std::unique_ptr<Record> item;
        std::int32_t size = 0;
        code = queue.Get(item, size, kInfinite);
    });
    queue.CloseQueue();
    ASSERT_TRUE(test::WaitUntil([&] { return code != 1; }));
    EXPECT_EQ(code, kQueueClosed);

    std::unique_ptr<Record> item;
    std::int32_t size = 0;
    EXPECT_EQ(queue.Get(item, size, kInfinite), kQueueClosed);
    // Only a taker that must wait sees the closing; held items can still be taken.
    ASSERT_EQ(PutNumber(queue, 7), kQueueDone);
    EXPECT_EQ(queue.Get(item, size, kInfinite), kQueueDone);
    EXPECT_EQ(item->number, 7);
}

TEST(KolGenQueue, DestructionFreesEveryItemStillHeld) {
    std::atomic<int> live{0};
    {
        Queue queue(3);
        for (int i = 0; i < 3; ++i) {
            auto item = std::make_unique<Record>(i, &live);
            ASSERT_EQ(queue.Put(item, 0, 0), kQueueDone);
        }
        std::unique_ptr<Record> taken;
        std::int32_t size = 0;
        ASSERT_EQ(queue.Get(taken, size, 0), kQueueDone);  // the ring now wraps past a freed slot
        auto item = std::make_unique<Record>(3, &live);
        ASSERT_EQ(queue.Put(item, 0, 0), kQueueDone);
        EXPECT_EQ(live, 4);
    }
    EXPECT_EQ(live, 0);
}

TEST(KolGenQueue, TwoQuickPutsReachTwoWaitingTakersThatTakeOnceEach) {
    // Two puts can coalesce into one signal of the auto-reset not-empty event; unless the first
    // taker passes the signal on, the second stays asleep beside a held item.
    for (int round = 0; round < 50; ++round) {
        Queue queue(4);
        std::atomic<int> taken{0};
        auto takeOnce = [&] {
            std::unique_ptr<Record> item;
            std::int32_t size = 0;
            if (queue.Get(item, size, kInfinite) == kQueueDone) ++taken;
        };
        std::jthread first(takeOnce);
        std::jthread second(takeOnce);
        // Runs before the joins, so a failing round ends instead of hanging.
        Finally release([&] { queue.CloseQueue(); });
        ASSERT_TRUE(test::WaitUntil([&] { return queue.WaitingTakers() == 2; }));
        ASSERT_EQ(PutNumber(queue, 1), kQueueDone);
        ASSERT_EQ(PutNumber(queue, 2), kQueueDone);
        ASSERT_TRUE(test::WaitUntil([&] { return taken == 2; }, std::chrono::seconds(10))) << "round " << round;
    }
}

TEST(KolGenQueue, TwoQuickTakesReleaseTwoWaitingPuttersThatPutOnceEach) {
    for (int round = 0; round < 50; ++round) {
        Queue queue(2);
        ASSERT_EQ(PutNumber(queue, 1), kQueueDone);
        ASSERT_EQ(PutNumber(queue, 2), kQueueDone);
        std::atomic<int> put{0};
        auto putOnce = [&] {
            if (PutNumber(queue, 3) == kQueueDone) ++put;
        };
        std::jthread first(putOnce);
        std::jthread second(putOnce);
        std::unique_ptr<Record> item;
        std::int32_t size = 0;
        Finally release([&] { test::WaitUntil([&] { queue.Get(item, size, 0); return put == 2; }); });
        ASSERT_TRUE(test::WaitUntil([&] { return queue.WaitingPutters() == 2; }));
        ASSERT_EQ(queue.Get(item, size, 0), kQueueDone);
        ASSERT_EQ(queue.Get(item, size, 0), kQueueDone);
        ASSERT_TRUE(test::WaitUntil([&] { return put == 2; }, std::chrono::seconds(10))) << "round " << round;
    }
}

TEST(KolGenQueue, ManyPuttersAndTakersOnATinyQueueLoseAndDuplicateNothing) {
    // Two takes (or puts) can coalesce into one signal of an auto-reset event; a queue that
    // relies on one signal per operation strands the second waiter and this test hangs.
    Queue queue(2);
    constexpr int kPutters = 3;
    constexpr int kPerPutter = 2000;
    std::vector<std::vector<int>> takenBy(3);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([&queue, &takenBy, t] {
                for (;;) {
                    std::unique_ptr<Record> item;
                    std::int32_t size = 0;
                    if (queue.Get(item, size, kInfinite) != kQueueDone) return;
                    takenBy[static_cast<std::size_t>(t)].push_back(item->number);
                }
            });
        }
        std::vector<std::jthread> putters;
        for (int p = 0; p < kPutters; ++p) {
            putters.emplace_back([&queue, p] {
                for (int i = 0; i < kPerPutter; ++i) ASSERT_EQ(PutNumber(queue, p * kPerPutter + i), kQueueDone);
            });
        }
        putters.clear();
        ASSERT_TRUE(test::WaitUntil([&] { return queue.Count() == 0; }));
        queue.CloseQueue();
    }
    std::set<int> all;
    for (const auto& taken : takenBy) {
        // One taker sees each putter's records in the order they were put.
        std::vector<int> lastOfPutter(kPutters, -1);
        for (int n : taken) {
            EXPECT_GT(n, lastOfPutter[static_cast<std::size_t>(n / kPerPutter)]);
            lastOfPutter[static_cast<std::size_t>(n / kPerPutter)] = n;
            EXPECT_TRUE(all.insert(n).second) << n << " taken twice";
        }
    }
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kPutters * kPerPutter));
}

}  // namespace
}  // namespace pellmar
