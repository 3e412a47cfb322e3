// The inotify engine under KolDirMonitor, without a kernel: raw bytes built by hand, and the
// watch-set bookkeeping against a fake folder tree.
#include "platform/posix/InotifyEvents.h"
#include "platform/posix/InotifyWatchTree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <sys/inotify.h>

namespace pellmar {
namespace {

using platform::DirectoryChange;
using platform::InotifyCalls;
using platform::InotifyEvent;
using platform::InotifyWatchTree;
using platform::WatchFailure;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

void AppendEvent(std::string* bytes, int wd, std::uint32_t mask, std::uint32_t cookie, const std::string& name,
                 std::uint32_t paddedLength) {
    inotify_event header{};
    header.wd = wd;
    header.mask = mask;
    header.cookie = cookie;
    header.len = paddedLength;
    bytes->append(reinterpret_cast<const char*>(&header), sizeof header);
    std::string padded = name;
    padded.resize(paddedLength, '\0');
    bytes->append(padded);
}

TEST(InotifyDecoding, SplitsEventsAndStripsNamePadding) {
    std::string bytes;
    AppendEvent(&bytes, 3, IN_CREATE, 0, "report.doc", 16);
    AppendEvent(&bytes, 4, IN_DELETE_SELF, 0, "", 0);
    AppendEvent(&bytes, 3, IN_MOVED_TO, 77, "exactly16bytes!!", 16);  // no NUL at all
    const auto events = platform::DecodeInotifyEvents(bytes.data(), bytes.size());
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].wd, 3);
    EXPECT_EQ(events[0].mask, static_cast<std::uint32_t>(IN_CREATE));
    EXPECT_EQ(events[0].name, "report.doc");
    EXPECT_EQ(events[1].wd, 4);
    EXPECT_EQ(events[1].name, "");
    EXPECT_EQ(events[2].cookie, 77u);
    EXPECT_EQ(events[2].name, "exactly16bytes!!");
}

TEST(InotifyDecoding, DropsACutOffRecordAndReadsUnalignedBytes) {
    std::string bytes = "x";  // shifts everything off alignment
    AppendEvent(&bytes, 1, IN_CLOSE_WRITE, 0, "a.txt", 16);
    AppendEvent(&bytes, 1, IN_CREATE, 0, "b.txt", 16);
    const char* start = bytes.data() + 1;
    EXPECT_EQ(platform::DecodeInotifyEvents(start, bytes.size() - 1).size(), 2u);
    EXPECT_EQ(platform::DecodeInotifyEvents(start, bytes.size() - 2).size(), 1u);   // name cut short
    EXPECT_EQ(platform::DecodeInotifyEvents(start, sizeof(inotify_event) - 1).size(), 0u);  // header cut
    EXPECT_THAT(platform::DecodeInotifyEvents(start, 0), IsEmpty());
}

// A folder tree in memory: folder path -> entries. Watches are handed out like the kernel does,
// the same descriptor again for a folder already watched.
class FakeCalls final : public InotifyCalls {
public:
    void AddFolder(const std::string& path) {
        folders[path];
        const auto cut = path.rfind('/');
        if (cut != std::string::npos && folders.contains(path.substr(0, cut))) {
            folders[path.substr(0, cut)].push_back(Entry{path.substr(cut + 1), true});
        }
    }
    void AddFile(const std::string& folder, const std::string& name) { folders[folder].push_back(Entry{name, false}); }
    int WdOf(const std::string& path) const { return watched.at(path); }

    int AddWatch(const std::string& path, bool) override {
        if (path == failPath) return -failError;
        if (!folders.contains(path)) return -ENOENT;
        if (auto it = watched.find(path); it != watched.end()) return it->second;
        if (static_cast<int>(watched.size()) >= limit) return -ENOSPC;
        watched[path] = next;
        added.insert(next);
        return next++;
    }
    void RemoveWatch(int wd) override {
        removed.insert(wd);
        std::erase_if(watched, [wd](const auto& entry) { return entry.second == wd; });
    }
    std::vector<Entry> List(const std::string& path) override {
        auto it = folders.find(path);
        return it == folders.end() ? std::vector<Entry>{} : it->second;
    }

    std::map<std::string, std::vector<Entry>> folders;
    std::map<std::string, int> watched;
    std::set<int> added;
    std::set<int> removed;
    int limit = INT_MAX;
    std::string failPath;
    int failError = 0;
    int next = 1;
};

class InotifyWatchTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.AddFolder("/r");
        calls.AddFolder("/r/a");
        calls.AddFolder("/r/a/deep");
        calls.AddFolder("/r/b");
        calls.AddFile("/r", "top.txt");
        calls.AddFile("/r", "link-to-folder");  // listed as a non-folder, as readdir reports links
    }

    std::vector<DirectoryChange> Translate(InotifyWatchTree& tree, std::vector<InotifyEvent> events) {
        std::vector<DirectoryChange> changes;
        tree.Translate(events, &changes);
        return changes;
    }

    FakeCalls calls;
};

MATCHER_P2(Change, action, name, "") { return arg.action == static_cast<std::uint32_t>(action) && arg.name == name; }

std::set<std::string> WatchedPaths(const FakeCalls& calls) {
    std::set<std::string> paths;
    for (const auto& [path, wd] : calls.watched) paths.insert(path);
    return paths;
}

TEST_F(InotifyWatchTreeTest, WatchesEveryFolderOfTheTreeOrOnlyTheRoot) {
    InotifyWatchTree tree(calls, "/r/", true);  // a trailing delimiter changes nothing
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    EXPECT_EQ(WatchedPaths(calls), (std::set<std::string>{"/r", "/r/a", "/r/a/deep", "/r/b"}));

    FakeCalls flat = calls;
    flat.watched.clear();
    InotifyWatchTree rootOnly(flat, "/r", false);
    ASSERT_EQ(rootOnly.WatchAll(), WatchFailure::None);
    EXPECT_EQ(WatchedPaths(flat), (std::set<std::string>{"/r"}));
}

TEST_F(InotifyWatchTreeTest, AFailedRootLeavesNoWatchBehindAndAWatchLimitKeepsWhatItCould) {
    InotifyWatchTree missing(calls, "/nowhere", true);
    EXPECT_EQ(missing.WatchAll(), WatchFailure::FolderMissing);

    calls.limit = 2;  // the per-user watch limit is met half-way through the tree
    InotifyWatchTree limited(calls, "/r", true);
    EXPECT_EQ(limited.WatchAll(), WatchFailure::Partial);
    EXPECT_EQ(limited.WatchCount(), 2u);
    limited.RemoveAll();
    EXPECT_EQ(calls.removed, calls.added);

    calls.limit = INT_MAX;
    calls.failPath = "/r";
    calls.failError = ENOSPC;  // even the root: the limit, not a missing folder
    InotifyWatchTree noRoom(calls, "/r", true);
    EXPECT_EQ(noRoom.WatchAll(), WatchFailure::WatchesIncomplete);
}

TEST_F(InotifyWatchTreeTest, ASubFolderThatVanishesOrCannotBeReadIsSkipped) {
    calls.failPath = "/r/a";
    calls.failError = EACCES;
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    EXPECT_EQ(WatchedPaths(calls), (std::set<std::string>{"/r", "/r/b"}));
}

TEST_F(InotifyWatchTreeTest, FileEventsBecomeRecordsWithTheirSubFolderPath) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int root = calls.WdOf("/r");
    const int deep = calls.WdOf("/r/a/deep");
    const auto changes = Translate(tree, {
        {root, IN_CREATE, 0, "new.txt"},
        {deep, IN_CLOSE_WRITE, 0, "x.doc"},
        {root, IN_MOVED_FROM, 5, "a.txt"},
        {root, IN_MOVED_TO, 5, "b.txt"},
        {deep, IN_DELETE, 0, "x.doc"},
        {root, IN_DELETE_SELF, 0, ""},           // about the folder itself
        {root, IN_MODIFY, 0, "log.txt"},         // written, not closed
        {root, IN_CREATE | IN_ISDIR, 0, "sub"},  // a folder, as a folder's record
        {999, IN_CREATE, 0, "stray.txt"},        // a descriptor nobody knows
    });
    EXPECT_THAT(changes, ElementsAre(Change(1, "new.txt"), Change(3, "a/deep/x.doc"), Change(4, "a.txt"),
                                     Change(5, "b.txt"), Change(2, "a/deep/x.doc"), Change(7, "log.txt"),
                                     Change(8, "sub")));
}

TEST_F(InotifyWatchTreeTest, AnOverflowIsOneEmptyRecordAndTheWatchesAreWalkedAfresh) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int b = calls.WdOf("/r/b");
    calls.AddFolder("/r/unseen");  // created while events were being lost
    calls.folders.erase("/r/b");   // and one moved away unseen
    std::erase_if(calls.folders["/r"], [](const auto& entry) { return entry.name == "b"; });
    const auto changes = Translate(tree, {{-1, IN_Q_OVERFLOW, 0, ""}});
    EXPECT_THAT(changes, ElementsAre(Change(0, "")));
    EXPECT_TRUE(calls.removed.contains(b));
    EXPECT_TRUE(calls.watched.contains("/r/unseen"));
    EXPECT_EQ(tree.WatchCount(), 4u);
}

TEST_F(InotifyWatchTreeTest, AnOverflowAtTheWatchLimitKeepsWatchingEveryFolderItHad) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    calls.limit = static_cast<int>(calls.watched.size());
    calls.AddFolder("/r/unseen");  // created while events were lost; no watch is left for it
    calls.AddFolder("/r/unseen/inner");
    // The lost changes, then that a folder is left unwatched: the owner walks it now and then.
    EXPECT_THAT(Translate(tree, {{-1, IN_Q_OVERFLOW, 0, ""}}), ElementsAre(Change(0, ""), Change(6, "")));
    EXPECT_THAT(calls.removed, IsEmpty());
    EXPECT_EQ(WatchedPaths(calls), (std::set<std::string>{"/r", "/r/a", "/r/a/deep", "/r/b"}));
    EXPECT_EQ(tree.WatchCount(), 4u);
    EXPECT_THAT(Translate(tree, {{calls.WdOf("/r/a/deep"), IN_CLOSE_WRITE, 0, "x.doc"}}),
                ElementsAre(Change(3, "a/deep/x.doc")));
}

TEST_F(InotifyWatchTreeTest, ANewFolderOrOneMovedInIsWatchedAndTheFilesItBringsAreReported) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int root = calls.WdOf("/r");
    calls.AddFolder("/r/fresh");
    calls.AddFile("/r/fresh", "early.txt");
    calls.AddFolder("/r/fresh/inner");
    calls.AddFile("/r/fresh/inner", "earlier.txt");
    calls.AddFolder("/r/arrived");
    calls.AddFile("/r/arrived", "old.txt");
    calls.AddFolder("/r/arrived/nested");

    auto changes = Translate(tree, {{root, IN_CREATE | IN_ISDIR, 0, "fresh"}, {root, IN_MOVED_TO | IN_ISDIR, 9, "arrived"}});
    EXPECT_THAT(changes, UnorderedElementsAre(Change(8, "fresh"), Change(1, "fresh/early.txt"), Change(8, "fresh/inner"),
                                              Change(1, "fresh/inner/earlier.txt"), Change(8, "arrived"),
                                              Change(1, "arrived/old.txt"), Change(8, "arrived/nested")));
    EXPECT_TRUE(calls.watched.contains("/r/fresh/inner"));
    EXPECT_TRUE(calls.watched.contains("/r/arrived/nested"));

    changes = Translate(tree, {{calls.WdOf("/r/arrived/nested"), IN_CLOSE_WRITE, 0, "later.txt"}});
    EXPECT_THAT(changes, ElementsAre(Change(3, "arrived/nested/later.txt")));
}

// The new folder's own watch reports the inner folder's creation after the listing has found it
// (as a recursive copy does): its files must not be reported a second time.
TEST_F(InotifyWatchTreeTest, AFolderFoundByTheListingIsNotListedAgainWhenItsCreationArrives) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    calls.AddFolder("/r/copy");
    calls.AddFolder("/r/copy/inner");
    calls.AddFile("/r/copy/inner", "early.txt");
    EXPECT_THAT(Translate(tree, {{calls.WdOf("/r"), IN_CREATE | IN_ISDIR, 0, "copy"}}),
                ElementsAre(Change(8, "copy"), Change(8, "copy/inner"), Change(1, "copy/inner/early.txt")));
    EXPECT_THAT(Translate(tree, {{calls.WdOf("/r/copy"), IN_CREATE | IN_ISDIR, 0, "inner"}}), IsEmpty());
    EXPECT_TRUE(calls.watched.contains("/r/copy/inner"));
}

TEST_F(InotifyWatchTreeTest, AFolderRenamedInsideTheTreeKeepsItsWatchesUnderTheNewName) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int root = calls.WdOf("/r");
    const int deep = calls.WdOf("/r/a/deep");
    // A file created right after the rename still arrives on the old watch of the folder.
    const auto changes = Translate(tree, {
        {root, IN_MOVED_FROM | IN_ISDIR, 42, "a"},
        {root, IN_MOVED_TO | IN_ISDIR, 42, "renamed"},
        {deep, IN_CREATE, 0, "y.txt"},
    });
    // The old name leaves (its backups go with it), the new one comes with what it holds.
    EXPECT_THAT(changes, ElementsAre(Change(9, "a"), Change(8, "renamed"), Change(1, "renamed/deep/y.txt")));
    EXPECT_THAT(calls.removed, IsEmpty());
}

// A full read can end between the two halves of a rename.
TEST_F(InotifyWatchTreeTest, ARenameSplitAcrossTwoReadsStillKeepsTheFoldersWatches) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int root = calls.WdOf("/r");
    const int deep = calls.WdOf("/r/a/deep");
    EXPECT_THAT(Translate(tree, {{root, IN_MOVED_FROM | IN_ISDIR, 42, "a"}}), IsEmpty());
    EXPECT_THAT(Translate(tree, {{root, IN_MOVED_TO | IN_ISDIR, 42, "renamed"}, {deep, IN_CREATE, 0, "y.txt"}}),
                ElementsAre(Change(9, "a"), Change(8, "renamed"), Change(1, "renamed/deep/y.txt")));
    EXPECT_THAT(calls.removed, IsEmpty());

    // Moved away as the last event of a read: forgotten before the next read reports anything.
    EXPECT_THAT(Translate(tree, {{root, IN_MOVED_FROM | IN_ISDIR, 43, "renamed"}}), IsEmpty());
    EXPECT_TRUE(tree.MoveAwayPending());
    EXPECT_THAT(Translate(tree, {{deep, IN_CREATE, 0, "outside.txt"}}), ElementsAre(Change(9, "renamed")));
    EXPECT_TRUE(calls.removed.contains(deep));
    EXPECT_EQ(tree.WatchCount(), 2u);
}

TEST_F(InotifyWatchTreeTest, AFolderMovedAwayIsForgottenWithEverythingBelowIt) {
    InotifyWatchTree tree(calls, "/r", true);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    const int root = calls.WdOf("/r");
    const int a = calls.WdOf("/r/a");
    const int deep = calls.WdOf("/r/a/deep");
    // Written into it after it left, in the same read as the move: outside the tree already.
    EXPECT_THAT(Translate(tree, {{root, IN_MOVED_FROM | IN_ISDIR, 7, "a"}, {deep, IN_CREATE, 0, "outside.txt"}}),
                ElementsAre(Change(9, "a")));
    EXPECT_EQ(calls.removed, (std::set<int>{a, deep}));
    EXPECT_THAT(Translate(tree, {{a, IN_CLOSE_WRITE, 0, "outside.txt"}}), IsEmpty());
    EXPECT_EQ(tree.WatchCount(), 2u);

    // A removed folder's watch ends by itself; it is forgotten all the same.
    const int b = calls.WdOf("/r/b");
    EXPECT_THAT(Translate(tree, {{b, IN_IGNORED, 0, ""}, {root, IN_DELETE | IN_ISDIR, 0, "b"}}),
                ElementsAre(Change(9, "b")));
    EXPECT_EQ(tree.WatchCount(), 1u);
}

TEST_F(InotifyWatchTreeTest, WithoutSubtreeFoldersAreNeverWatched) {
    InotifyWatchTree tree(calls, "/r", false);
    ASSERT_EQ(tree.WatchAll(), WatchFailure::None);
    calls.AddFolder("/r/fresh");
    calls.AddFile("/r/fresh", "early.txt");
    const auto changes = Translate(tree, {{calls.WdOf("/r"), IN_CREATE | IN_ISDIR, 0, "fresh"}});
    EXPECT_THAT(changes, IsEmpty());
    EXPECT_EQ(WatchedPaths(calls), (std::set<std::string>{"/r"}));
}

}  // namespace
}  // namespace pellmar
