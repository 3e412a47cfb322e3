// The folder change signals under Windows: a change sets the folder's event, far more folders than
// one wait can hold are each heard, a sub-folder's change reaches a subtree watch, a missing
// folder fails, and a local folder is not blind.
#include "platform/FolderSignal.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Wine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace pellmar::platform {
namespace {

using test::WriteFile;

std::shared_ptr<Event> NewEvent() { return std::make_shared<Event>(Event::Mode::ManualReset); }

bool Signalled(const std::shared_ptr<Event>& event) {
    return test::WaitUntil([&] { return event->IsSet(); });
}

TEST(FolderSignals, EachOfManyFoldersIsHeardAndOnlyItsOwnEventIsSet) {
    test::TempFolder root;
    auto signals = FolderSignalSet::Open();
    ASSERT_TRUE(signals);
    std::vector<std::shared_ptr<Event>> events;
    for (int i = 0; i < 70; ++i) {  // beyond the 64 handles of one wait
        std::string name = "f";
        name += std::to_string(i);
        const std::string folder = root / name;
        std::filesystem::create_directories(folder);
        events.push_back(NewEvent());
        ASSERT_EQ(signals->Add(folder, false, events.back()), SignalKind::Watched);
    }
    WriteFile(root / "f69/new.txt", "x");
    EXPECT_TRUE(Signalled(events[69]));
    WriteFile(root / "f0/new.txt", "x");
    EXPECT_TRUE(Signalled(events[0]));
    EXPECT_FALSE(events[35]->IsSet());

    // Asked again after each signal: a later change is heard too.
    events[69]->Reset();
    WriteFile(root / "f69/new.txt", "changed");
    EXPECT_TRUE(Signalled(events[69]));
}

TEST(FolderSignals, ASubtreeWatchHearsItsSubFoldersAndAMissingFolderFails) {
    test::TempFolder root;
    std::filesystem::create_directories(root / "sub/deeper");
    auto signals = FolderSignalSet::Open();
    ASSERT_TRUE(signals);
    EXPECT_EQ(signals->Add(root / "missing", true, NewEvent()), SignalKind::Failed);
    auto tree = NewEvent();
    ASSERT_EQ(signals->Add(root.Path(), true, tree), SignalKind::Watched);
    EXPECT_FALSE(IsChangeBlindFileSystem(root.Path()));

    WriteFile(root / "top.txt", "x");
    EXPECT_TRUE(Signalled(tree));
    // Wine 8 reports a subtree watch's changes only for the watched folder itself.
    if (test::RunningUnderWine()) GTEST_SKIP() << "Wine does not report changes below the watched folder";
    tree->Reset();
    WriteFile(root / "sub/deeper/low.txt", "x");
    EXPECT_TRUE(Signalled(tree));
}

}  // namespace
}  // namespace pellmar::platform
