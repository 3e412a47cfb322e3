// qmRemove: its command-line rule, the single close request and the bounded wait, against fakes
// and against a real helper process.
#include "uninstall/CloseWindow.h"

#include "common/CommandLine.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace pellmar {
namespace {

// A window that disappears after `searchesUntilGone` further searches (-1: never).
struct FakeWindows {
    CloseWindowServices Services() {
        CloseWindowServices services;
        services.find = [this](const std::string& title) -> platform::WindowHandle {
            ++searches;
            searchedTitles.push_back(title);
            if (title != "Pellmar") return 0;
            if (closes > 0 && searchesUntilGone >= 0 && searches > searchesUntilGone + 1) return 0;
            return 42;
        };
        services.sendClose = [this](platform::WindowHandle window, std::chrono::milliseconds) {
            ++closes;
            closedWindow = window;
        };
        services.pause = [this](std::chrono::milliseconds length) {
            ++pauses;
            pauseLength = length;
        };
        return services;
    }
    int searchesUntilGone = -1;
    int searches = 0;
    int closes = 0;
    int pauses = 0;
    platform::WindowHandle closedWindow = 0;
    std::chrono::milliseconds pauseLength{0};
    std::vector<std::string> searchedTitles;
};

int RunRemove(const std::string& commandLine, FakeWindows& windows) {
    return RemoveMain(ParseCommandLine(commandLine), windows.Services());
}

TEST(CloseWindowTest, OptionIsCaseInsensitiveAsciiAndNeedsATitle) {
    FakeWindows accepted;
    EXPECT_EQ(RunRemove("qmRemove /t: \"Pellmar\" extra", accepted), 0);
    EXPECT_EQ(accepted.closes, 1);
    EXPECT_EQ(accepted.searchedTitles.front(), "Pellmar");
    // An empty pair of quotes disappears, so the option still comes first.
    FakeWindows afterEmptyQuotes;
    RunRemove("qmRemove \"\" /T: Pellmar", afterEmptyQuotes);
    EXPECT_EQ(afterEmptyQuotes.closes, 1);

    for (const char* line : {"qmRemove", "qmRemove /T:", "qmRemove /X: Pellmar", "qmRemove /T Pellmar",
                             "qmRemove /T: \"\"", "qmRemove /T:\xC4 Pellmar"}) {
        FakeWindows ignored;
        EXPECT_EQ(RunRemove(line, ignored), 0) << line;
        EXPECT_EQ(ignored.searches, 0) << line;
    }
}

TEST(CloseWindowTest, NoWindowWithTheTitleEndsAtOnce) {
    FakeWindows windows;
    CloseWindowByTitle("Nobody", windows.Services());
    EXPECT_EQ(windows.searches, 1);
    EXPECT_EQ(windows.closes, 0);
    EXPECT_EQ(windows.pauses, 0);
}

TEST(CloseWindowTest, WindowThatStaysGetsOneCloseSevenPausesAndSixMoreSearches) {
    FakeWindows windows;
    CloseWindowByTitle("Pellmar", windows.Services());
    EXPECT_EQ(windows.closes, 1);
    EXPECT_EQ(windows.closedWindow, 42);
    EXPECT_EQ(windows.pauses, 7);
    EXPECT_EQ(windows.pauseLength, std::chrono::milliseconds(500));
    EXPECT_EQ(windows.searches, 7);
}

TEST(CloseWindowTest, WaitEndsAtTheFirstSearchThatFindsNothing) {
    FakeWindows windows;
    windows.searchesUntilGone = 2;
    CloseWindowByTitle("Pellmar", windows.Services());
    EXPECT_EQ(windows.closes, 1);
    EXPECT_EQ(windows.pauses, 3);
    EXPECT_EQ(windows.searches, 4);
}

class CloseWindowProcessTest : public ::testing::Test {
protected:
    void SetUp() override { env.Set("XDG_RUNTIME_DIR", runtime.Path()); }
    test::TempFolder runtime;
    test::ScopedEnvironment env;
};

TEST_F(CloseWindowProcessTest, ProgramClosesTheOwnerOfTheTitledWindow) {
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", true);
    test::WindowOwnerProcess bystander(runtime.Path(), "Pellmar Log", true);
    ASSERT_NE(owner.Handle(), 0);
    ASSERT_NE(bystander.Handle(), 0);
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMREMOVE, {"/t:", "Pellmar"}), 0);
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_TRUE(platform::AppWindowExists(bystander.Handle()));
}

TEST_F(CloseWindowProcessTest, ProgramEndsWithZeroForAnUnknownTitleAndBadOptions) {
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMREMOVE, {"/T:", "Nobody"}), 0);
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMREMOVE, {"/X:", "Pellmar"}), 0);
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMREMOVE, {}), 0);
    EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
}

TEST_F(CloseWindowProcessTest, ProgramBusyLongerThanATitleQueryUsedToWaitStillGetsItsClose) {
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", test::OwnerMode::Slow);
    ASSERT_NE(owner.Handle(), 0);
    // Another close keeps the program's window busy for 4 s; the title query is answered after it.
    std::thread busy([&] { platform::SendCloseRequest(owner.Handle(), std::chrono::seconds(30)); });
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(owner.BusyMarker()); }));
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMREMOVE, {"/T:", "Pellmar"}), 0);
    busy.join();
    EXPECT_TRUE(owner.WaitForExit());
}

TEST_F(CloseWindowProcessTest, HungProgramHoldsTheCloseRequestOnlyUpToItsLimit) {
    EXPECT_LE(CloseWindowServices().closeLimit, std::chrono::seconds(5));
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", test::OwnerMode::Hang);
    ASSERT_NE(owner.Handle(), 0);
    CloseWindowServices services;
    services.closeLimit = std::chrono::milliseconds(200);
    bool handled = true;
    services.sendClose = [&](platform::WindowHandle window, std::chrono::milliseconds limit) {
        handled = platform::SendCloseRequest(window, limit);
    };
    services.pause = [](std::chrono::milliseconds) {};
    services.pauses = 2;  // one search after the close: it too gives up on a window that does not answer
    // Returning at all is the point: without a limit this waits for as long as the program hangs.
    CloseWindowByTitle("Pellmar", services);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
}

TEST_F(CloseWindowProcessTest, WindowThatIgnoresTheRequestIsLeftAfterTheWait) {
    test::WindowOwnerProcess owner(runtime.Path(), "Pellmar", false);
    ASSERT_NE(owner.Handle(), 0);
    CloseWindowServices services;
    int pauses = 0;
    services.pause = [&](std::chrono::milliseconds) { ++pauses; };
    CloseWindowByTitle("Pellmar", services);
    EXPECT_EQ(pauses, 7);
    EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
}

}  // namespace
}  // namespace pellmar
