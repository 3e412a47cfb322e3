// The control channel's named pipe under Windows: whole replies of any size, clients served one
// after another while one that never speaks is dropped, one listener per name, and a destruction
// that ends a handler still waiting and leaves nobody listening.
#include "platform/ControlChannel.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/UserOnlySecurity.h"
#include "platform/win32/WideText.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Wine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace pellmar::platform {
namespace {

std::string TestName(const char* what) { return std::string("test-") + what + "-" + std::to_string(GetCurrentProcessId()); }

std::unique_ptr<ControlChannel> Echo(const std::string& name, std::size_t repeat = 1) {
    std::string problem;
    auto channel = ControlChannel::Listen(
        name, [repeat](const std::string& request, std::stop_token) {
            std::string reply;
            for (std::size_t i = 0; i < repeat; ++i) reply += "<" + request + ">";
            return reply;
        },
        &problem);
    EXPECT_TRUE(channel) << problem;
    return channel;
}

TEST(ControlPipe, RepliesArriveWholeAndEveryClientIsAnswered) {
    const std::string name = TestName("echo");
    auto channel = Echo(name, 40000);  // 400 kB: many times the pipe's buffer
    ASSERT_TRUE(channel);
    std::string reply;
    ASSERT_EQ(SendControlRequest(name, "list", &reply), ControlResult::Answered);
    EXPECT_EQ(reply.size(), 40000u * 6);
    EXPECT_EQ(reply.substr(0, 12), "<list><list>");

    // A client that connects and never sends its line only delays the others.
    const std::wstring path = win32::Widen("\\\\.\\pipe\\pellmar-control-" +
                                           win32::UserOnlySecurity::ForCurrentUser()->UserText() + "-" + name);
    win32::UniqueHandle silent(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(silent.Valid());
    auto first = std::async(std::launch::async, [&] {
        std::string text;
        return SendControlRequest(name, "a", &text) == ControlResult::Answered && text.size() == 3 * 40000;
    });
    auto second = std::async(std::launch::async, [&] {
        std::string text;
        return SendControlRequest(name, "b", &text) == ControlResult::Answered && text.substr(0, 3) == "<b>";
    });
    EXPECT_TRUE(first.get());
    EXPECT_TRUE(second.get());
}

TEST(ControlPipe, ANameHasOneListenerAndNoneOnceItIsDestroyed) {
    const std::string name = TestName("once");
    std::string reply;
    EXPECT_EQ(SendControlRequest(name, "list", &reply), ControlResult::NoListener);
    auto channel = Echo(name);
    ASSERT_TRUE(channel);
    // Wine lets a second first instance of a name be made; Windows refuses it.
    if (!test::RunningUnderWine()) {
        std::string problem;
        EXPECT_FALSE(ControlChannel::Listen(name, [](const std::string&, std::stop_token) { return std::string(); }, &problem));
        EXPECT_FALSE(problem.empty());
    }
    ASSERT_EQ(SendControlRequest(name, "still the first", &reply), ControlResult::Answered);
    EXPECT_EQ(reply, "<still the first>");
    channel.reset();
    EXPECT_EQ(SendControlRequest(name, "list", &reply), ControlResult::NoListener);
    EXPECT_TRUE(Echo(name));  // the name is free again
}

TEST(ControlPipe, DestructionEndsAHandlerThatWaitsAndTheClientReturns) {
    const std::string name = TestName("stop");
    std::atomic<bool> handling{false};
    std::string problem;
    auto channel = ControlChannel::Listen(
        name, [&](const std::string&, std::stop_token stop) {
            handling = true;
            while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return std::string("too late");
        },
        &problem);
    ASSERT_TRUE(channel) << problem;
    auto client = std::async(std::launch::async, [&] {
        std::string text;
        return SendControlRequest(name, "wait", &text);
    });
    ASSERT_TRUE(test::WaitUntil([&] { return handling.load(); }));
    channel.reset();
    // Whether the handler's late reply still went out is a race; that the client is let go is not.
    ASSERT_EQ(client.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(client.get(), ControlResult::Answered);
}

}  // namespace
}  // namespace pellmar::platform
