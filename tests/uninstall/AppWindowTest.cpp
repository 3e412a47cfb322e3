// The application-window service: finding by title, synchronous close, existence, stale endpoints
// and the private endpoint folder.
#include "platform/AppWindow.h"

#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pellmar {
namespace {

using platform::AppWindow;

class AppWindowTest : public ::testing::Test {
protected:
    void SetUp() override { env.Set("XDG_RUNTIME_DIR", runtime.Path()); }
    std::string EndpointFolder() const { return runtime / "pellmar-windows"; }

    test::TempFolder runtime;
    test::ScopedEnvironment env;
};

TEST_F(AppWindowTest, RegisteredWindowIsFoundByExactTitleAndClosedSynchronously) {
    std::atomic<int> closeRequests{0};
    auto window = AppWindow::Register("Pellmar", [&] { ++closeRequests; });
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Handle(), static_cast<platform::WindowHandle>(getpid()));
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), window->Handle());
    EXPECT_EQ(platform::FindAppWindow("pellmar"), 0);
    EXPECT_EQ(platform::FindAppWindow("Pellmar "), 0);
    EXPECT_TRUE(platform::AppWindowExists(window->Handle()));

    // The handler has run by the time the send returns, with no waiting on the caller's side.
    platform::SendCloseRequest(window->Handle());
    EXPECT_EQ(closeRequests.load(), 1);
    platform::SendCloseRequest(window->Handle());
    EXPECT_EQ(closeRequests.load(), 2);

    platform::WindowHandle handle = window->Handle();
    window.reset();
    EXPECT_FALSE(platform::AppWindowExists(handle));
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), 0);
    platform::SendCloseRequest(handle);  // names no window: returns at once
    EXPECT_EQ(closeRequests.load(), 2);
}

TEST_F(AppWindowTest, OneWindowPerProcessAndHandlesThatNameNothing) {
    auto first = AppWindow::Register("One", {});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(AppWindow::Register("Two", {}), nullptr);
    first.reset();
    EXPECT_NE(AppWindow::Register("Two", {}), nullptr);

    EXPECT_FALSE(platform::AppWindowExists(0));
    EXPECT_FALSE(platform::AppWindowExists(-5));
    platform::SendCloseRequest(0);
}

TEST_F(AppWindowTest, StaleEndpointOfDeadProcessCountsAsNoWindow) {
    auto window = AppWindow::Register("Other", {});  // makes the endpoint folder
    ASSERT_NE(window, nullptr);
    // A socket bound and closed without unlinking is what a crashed owner leaves behind.
    std::string stale = EndpointFolder() + "/999999";
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", stale.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);

    EXPECT_FALSE(platform::AppWindowExists(999999));
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), 0);
    EXPECT_EQ(platform::FindAppWindow("Other"), window->Handle());
}

TEST_F(AppWindowTest, EndpointFolderIsPrivateAndAnOpenOneIsRefused) {
    {
        auto window = AppWindow::Register("Pellmar", {});
        ASSERT_NE(window, nullptr);
        struct stat info {};
        ASSERT_EQ(stat(EndpointFolder().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    chmod(EndpointFolder().c_str(), 0755);
    EXPECT_EQ(AppWindow::Register("Pellmar", {}), nullptr);
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), 0);
}

TEST_F(AppWindowTest, WithoutRuntimeFolderEndpointsLiveInTheUsersCacheFolderOrNowhere) {
    env.Unset("XDG_RUNTIME_DIR");
    env.Unset("XDG_CACHE_HOME");
    env.Set("HOME", runtime.Path());
    {
        auto window = AppWindow::Register("Pellmar", {});
        ASSERT_NE(window, nullptr);
        struct stat info {};
        EXPECT_EQ(stat((runtime / ".cache/pellmar-windows/" + std::to_string(getpid())).c_str(), &info), 0);
        EXPECT_EQ(platform::FindAppWindow("Pellmar"), window->Handle());
    }
    // A cache folder someone else could have made or changed is no place for it; nor is a shared one.
    test::RecordingErrorReporter reports;
    chmod((runtime / ".cache").c_str(), 0777);
    EXPECT_EQ(AppWindow::Register("Pellmar", {}), nullptr);
    env.Unset("HOME");
    EXPECT_EQ(AppWindow::Register("Pellmar", {}), nullptr);
    ASSERT_EQ(reports.Reports().size(), 2u);
    EXPECT_NE(reports.Reports().back().text.find("XDG_RUNTIME_DIR"), std::string::npos);
}

TEST_F(AppWindowTest, WindowOfAnotherProcessIsClosedAndDisappears) {
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    EXPECT_NE(owner.Handle(), static_cast<platform::WindowHandle>(getpid()));
    EXPECT_EQ(platform::FindAppWindow("Pellmar"), owner.Handle());
    platform::SendCloseRequest(owner.Handle());
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_FALSE(platform::AppWindowExists(owner.Handle()));
}

}  // namespace
}  // namespace pellmar
