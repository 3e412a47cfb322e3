// The Qt dispatcher and error reporter: work sent from another thread runs on the main thread; a
// sender is released by its stop token or by Quit without the work running; once the exit has
// begun, a report from another thread no longer waits for the main thread.
#include "tests/ui/QtTestApplication.h"
#include "tests/support/TestEnvironment.h"
#include "tray/ui/qt/QtDispatcher.h"
#include "tray/ui/qt/QtErrorReporter.h"

#include <atomic>
#include <future>
#include <thread>

namespace pellmar::test {
namespace {

bool ProcessEventsUntil(const std::function<bool()>& condition) {
    return WaitUntil([&] {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        return condition();
    });
}

TEST(QtDispatcherTest, SendFromAnotherThreadRunsOnTheMainThreadAndWaits) {
    QtDispatcher dispatcher;
    const std::thread::id main = std::this_thread::get_id();
    std::atomic<bool> ranOnMain{false};
    auto sent = std::async(std::launch::async, [&] {
        return dispatcher.Send([&] { ranOnMain = std::this_thread::get_id() == main; });
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(sent.get());
    EXPECT_TRUE(ranOnMain);
    bool inline_ = false;
    EXPECT_TRUE(dispatcher.Send([&] { inline_ = true; }));
    EXPECT_TRUE(inline_);
}

TEST(QtDispatcherTest, AStopOrQuitReleasesTheSenderAndTheWorkNeverRuns) {
    QtDispatcher dispatcher;
    std::atomic<int> runs{0};
    std::stop_source stop;
    auto stopped = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ++runs; }, stop.get_token()); });
    auto quitted = std::async(std::launch::async, [&] { return dispatcher.Send([&] { ++runs; }); });
    // The main thread is busy elsewhere (no events processed): both senders wait.
    EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    stop.request_stop();
    EXPECT_FALSE(stopped.get());
    ASSERT_TRUE(WaitUntil([&] { return dispatcher.Quit(), quitted.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_FALSE(quitted.get());
    QApplication::processEvents();
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(dispatcher.Send([&] { ++runs; }));
    dispatcher.Post([&] { ++runs; });
    QApplication::processEvents();
    EXPECT_EQ(runs, 0);
}

TEST(QtErrorReporterTest, AfterReleaseAReportFromAWorkerDoesNotWaitForTheMainThread) {
    QtDispatcher dispatcher;
    QtErrorReporter reporter(dispatcher);
    reporter.Release();
    // The main thread is not processing events (as while it waits for the worker to end).
    auto reported = std::async(std::launch::async, [&] { reporter.Report("Pellmar", "disk full", platform::ErrorIcon::Error); });
    EXPECT_EQ(reported.wait_for(std::chrono::seconds(60)), std::future_status::ready);
}

}  // namespace
}  // namespace pellmar::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new pellmar::test::QtApplicationEnvironment);
    return RUN_ALL_TESTS();
}
