// The Win32 dispatcher and error box: work sent from another thread runs on the main thread; a
// sender is released by its stop token or by Quit without the work running; work queued behind a
// piece that opens a modal loop runs inside that loop; once the exit has begun, a report from
// another thread no longer waits for the main thread.
#include "tests/ui/win32/Win32MessagePump.h"
#include "platform/win32/WideText.h"
#include "common/win32/Win32Controls.h"
#include "tray/ui/win32/Win32Dispatcher.h"
#include "tray/ui/win32/Win32ErrorReporter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace pellmar::test {
namespace {

bool Ready(const std::future<bool>& result) { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

TEST(Win32DispatcherTest, SendFromAnotherThreadRunsOnTheMainThreadAndWaits) {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);
    const std::thread::id main = std::this_thread::get_id();
    std::atomic<bool> ranOnMain{false};
    std::vector<int> order;
    auto sent = std::async(std::launch::async, [&] {
        dispatcher->Post([&] { order.push_back(1); });
        return dispatcher->Send([&] {
            ranOnMain = std::this_thread::get_id() == main;
            order.push_back(2);
        });
    });
    ASSERT_TRUE(PumpUntil([&] { return Ready(sent); }));
    EXPECT_TRUE(sent.get());
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    bool inlineRun = false;
    EXPECT_TRUE(dispatcher->Send([&] { inlineRun = true; }));
    EXPECT_TRUE(inlineRun);
}

TEST(Win32DispatcherTest, AStopOrQuitReleasesTheSenderAndTheWorkNeverRuns) {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);
    std::atomic<int> runs{0};
    std::stop_source stop;
    auto stopped = std::async(std::launch::async, [&] { return dispatcher->Send([&] { ++runs; }, stop.get_token()); });
    auto quitted = std::async(std::launch::async, [&] { return dispatcher->Send([&] { ++runs; }); });
    // The main thread runs no messages meanwhile: both senders wait.
    stop.request_stop();
    EXPECT_FALSE(stopped.get());
    ASSERT_TRUE(WaitUntil([&] { return dispatcher->Quit(), Ready(quitted); }));
    EXPECT_FALSE(quitted.get());
    PumpMessages();
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(dispatcher->Send([&] { ++runs; }));
    dispatcher->Post([&] { ++runs; });
    PumpMessages();
    EXPECT_EQ(runs, 0);
}

// A piece that shows a modal window (an error box, a dialog) must not hold back the pieces queued
// behind it: a watcher thread waiting in Send would otherwise wait for the user.
TEST(Win32DispatcherTest, WorkQueuedBehindAModalLoopRunsInsideIt) {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);
    class Silent final : public win32ui::FormHandler {
        LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
            return DefWindowProcW(window, message, wParam, lParam);
        }
    } handler;
    win32ui::FormFrame frame;
    frame.caption = "Modal";
    frame.clientWidth = 100;
    frame.clientHeight = 50;
    HWND modal = win32ui::CreateForm(frame, handler);
    ASSERT_NE(modal, nullptr);
    bool secondRan = false;
    bool secondRanInside = false;
    auto queued = std::async(std::launch::async, [&] {
        dispatcher->Post([&] {
            win32ui::RunModal(modal, nullptr, [&] { return secondRan; });
            secondRanInside = secondRan;
        });
        dispatcher->Post([&] { secondRan = true; });
        return true;
    });
    queued.get();
    EXPECT_TRUE(PumpUntil([&] { return secondRanInside; }));
    win32ui::DestroyForm(modal);
}

// The box is the system's message box, owned by the main thread while the reporting thread waits;
// another thread reads and answers it as the user would.
TEST(Win32ErrorReporterTest, AReportFromAWorkerShowsTheBoxOnTheMainThreadAndWaitsForIt) {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);
    Win32ErrorReporter reporter(*dispatcher);
    auto reported = std::async(std::launch::async, [&] {
        reporter.Report("Pellmar", "no such table: jobs", platform::ErrorIcon::Error);
        return true;
    });
    std::string boxText;
    DWORD boxThread = 0;
    auto user = std::async(std::launch::async, [&] {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = FindWindowW(L"#32770", L"Pellmar")) != nullptr; }, std::chrono::seconds(60))) {
            return false;
        }
        boxThread = GetWindowThreadProcessId(box, nullptr);
        wchar_t text[64] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 64);  // the box's message label
        boxText = platform::win32::Narrow(text, wcslen(text));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    ASSERT_TRUE(PumpUntil([&] { return Ready(reported); }));
    EXPECT_TRUE(user.get());
    EXPECT_EQ(boxThread, GetCurrentThreadId());
    EXPECT_EQ(boxText, "no such table: jobs");
}

TEST(Win32ErrorReporterTest, AfterReleaseAReportFromAWorkerDoesNotWaitForTheMainThread) {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    ASSERT_NE(dispatcher, nullptr);
    Win32ErrorReporter reporter(*dispatcher);
    reporter.Release();
    auto reported = std::async(std::launch::async, [&] {
        reporter.Report("Pellmar", "disk full", platform::ErrorIcon::Error);
        return true;
    });
    EXPECT_EQ(reported.wait_for(std::chrono::seconds(60)), std::future_status::ready);
}

}  // namespace
}  // namespace pellmar::test
