// The plain dispatcher: where work runs, in which order, and how every waiting sender is released.
#include "platform/PlainDispatcher.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace pellmar {
namespace {

using platform::PlainDispatcher;
using test::WaitUntil;
using namespace std::chrono_literals;

bool WaitForPending(const PlainDispatcher& dispatcher, std::size_t count) {
    return WaitUntil([&] { return dispatcher.PendingCount() >= count; });
}

TEST(PlainDispatcher, SendRunsOnTheOwningThreadAndWaitsForIt) {
    PlainDispatcher dispatcher;
    const auto owner = std::this_thread::get_id();
    std::thread::id ranOn;
    auto sent = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ranOn = std::this_thread::get_id(); }); });
    ASSERT_TRUE(WaitForPending(dispatcher, 1));
    EXPECT_NE(sent.wait_for(0s), std::future_status::ready);  // still waiting: nothing ran yet
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(ranOn, owner);
}

TEST(PlainDispatcher, SendOnTheOwningThreadRunsInlineAndPostKeepsOrder) {
    PlainDispatcher dispatcher;
    std::vector<int> order;
    dispatcher.Post([&] { order.push_back(1); });
    EXPECT_TRUE(dispatcher.Send([&] { order.push_back(0); }));  // inline, ahead of the queue
    dispatcher.Post([&] { order.push_back(2); });
    auto sent = std::async(std::launch::async, [&] { return dispatcher.Send([&] { order.push_back(3); }); });
    ASSERT_TRUE(WaitForPending(dispatcher, 3));
    dispatcher.Post([&] { order.push_back(4); });
    EXPECT_TRUE(dispatcher.RunUntil([&] { return order.size() == 5; }, 30s));
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(PlainDispatcher, QuitReleasesWaitingSendersAndRefusesLaterWork) {
    PlainDispatcher dispatcher;
    std::atomic<int> ran{0};
    auto first = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ++ran; }); });
    auto second = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ++ran; }); });
    ASSERT_TRUE(WaitForPending(dispatcher, 2));
    dispatcher.Quit();
    EXPECT_FALSE(first.get());
    EXPECT_FALSE(second.get());
    EXPECT_FALSE(dispatcher.Send([&] { ++ran; }));  // from the owning thread too
    EXPECT_FALSE(std::async(std::launch::async, [&] { return dispatcher.Send([&] { ++ran; }); }).get());
    dispatcher.Post([&] { ++ran; });
    EXPECT_EQ(dispatcher.RunPending(), 0u);
    dispatcher.Run();  // returns at once
    EXPECT_EQ(ran, 0);
}

TEST(PlainDispatcher, RunReturnsWhenQuitFromAnotherThread) {
    PlainDispatcher dispatcher;
    int ran = 0;
    std::jthread other([&] {
        dispatcher.Send([&] { ++ran; });
        dispatcher.Quit();
    });
    dispatcher.Run();
    EXPECT_EQ(ran, 1);
}

TEST(PlainDispatcher, DestructionReleasesAWaitingSender) {
    auto dispatcher = std::make_unique<PlainDispatcher>();
    auto sent = std::async(std::launch::async, [d = dispatcher.get()] { return d->Send([] {}); });
    ASSERT_TRUE(WaitForPending(*dispatcher, 1));
    dispatcher.reset();
    EXPECT_FALSE(sent.get());
}

TEST(PlainDispatcher, AStopRequestReleasesTheSenderAndTheWorkNeverRuns) {
    PlainDispatcher dispatcher;
    std::stop_source stop;
    bool ran = false;
    auto sent = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ran = true; }, stop.get_token()); });
    ASSERT_TRUE(WaitForPending(dispatcher, 1));
    stop.request_stop();
    EXPECT_FALSE(sent.get());
    EXPECT_EQ(dispatcher.RunPending(), 0u);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(dispatcher.Send([&] { ran = true; }, stop.get_token()));  // inline, but stopped already
    EXPECT_FALSE(ran);
}

// The work itself asks the sender to stop and then waits for it to be released: if Send kept
// waiting for the work to finish, both sides would wait for ever.
TEST(PlainDispatcher, AStopRequestFromInsideTheRunningWorkReleasesTheSender) {
    PlainDispatcher dispatcher;
    std::stop_source stop;
    std::atomic<bool> returned{false};
    bool senderReleasedInsideWork = false;
    std::jthread sender([&] {
        dispatcher.Send([&] {
            stop.request_stop();
            senderReleasedInsideWork = WaitUntil([&] { return returned.load(); });
        }, stop.get_token());
        returned = true;
    });
    ASSERT_TRUE(dispatcher.RunUntil([&] { return returned.load(); }, 30s));
    sender.join();
    EXPECT_TRUE(senderReleasedInsideWork);
}

TEST(PlainDispatcher, WorkThatThrowsStillReleasesItsSender) {
    PlainDispatcher dispatcher;
    auto sent = std::async(std::launch::async, [&] { return dispatcher.Send([] { throw std::runtime_error("boom"); }); });
    ASSERT_TRUE(WaitForPending(dispatcher, 1));
    EXPECT_THROW(dispatcher.RunPending(), std::runtime_error);
    EXPECT_TRUE(sent.get());
}

}  // namespace
}  // namespace pellmar
