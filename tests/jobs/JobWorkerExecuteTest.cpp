// ExecuteJob on real folders, with a file-operations wrapper that can fail chosen steps: every
// result code, version pruning, parking in the temporary folder and its later delivery.
#include "tray/jobs/JobExecution.h"

#include "tests/support/TempFolder.h"
#include "tray/jobs/VersionNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;
namespace fs = std::filesystem;

// Real operations, except that copies into a path containing `failCopiesInto` break off half-way
// and deletions can be refused.
class FaultyFileOperations final : public SystemFileOperations {
public:
    std::string failCopiesInto;
    bool failDeletes = false;
    int copies = 0;

    platform::CopyResult CopyFile(const std::string& source, const std::string& destination) override {
        ++copies;
        if (failCopiesInto.empty() || destination.find(failCopiesInto) == std::string::npos) {
            return SystemFileOperations::CopyFile(source, destination);
        }
        return platform::CopyFileReplacing(source, destination, [](std::uint64_t) { return false; });
    }
    bool DeleteFile(const std::string& path) override {
        return !failDeletes && SystemFileOperations::DeleteFile(path);
    }
};

class ExecuteJobTest : public ::testing::Test {
protected:
    TempFolder root;
    std::string temp = root / "tmp/";
    FaultyFileOperations files;

    void SetUp() override {
        fs::create_directories(root / "src/sub");
        fs::create_directories(root / "bak");
        fs::create_directories(temp);
    }
    ChangeEvent Job(int type, const std::string& src, const std::string& dest) {
        ChangeEvent job;
        job.id = 1;
        job.jobtype = type;
        job.src = src;
        job.dest = dest;
        return job;
    }
    ChangeEvent Version(const std::string& name, int current, int max) {
        ChangeEvent job = Job(ChangeModified, root / ("src/" + name), "");
        std::string ext = name.find('.') == std::string::npos ? "" : name.substr(name.find('.'));
        std::string base = name.substr(0, name.find('.'));
        job.dest = root / ("bak/" + base + "." + std::to_string(current) + ext);
        job.currentversion = current;
        job.maxversions = max;
        return job;
    }
    int Run(const ChangeEvent& job) { return ExecuteJob(job, temp, files).code; }
};

TEST_F(ExecuteJobTest, CopiesCreatedAndModifiedFilesAndReportsAVanishedSourceOnlyWhenItHadABackup) {
    WriteFile(root / "src/a.doc", "one");
    EXPECT_EQ(kJobCopied, Run(Job(ChangeCreated, root / "src/a.doc", root / "bak/a.doc")));
    WriteFile(root / "src/a.doc", "two");
    EXPECT_EQ(kJobCopied, Run(Job(ChangeModified, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_EQ("two", ReadFile(root / "bak/a.doc"));

    // A temporary file that vanished before its first copy ends silently.
    EXPECT_EQ(kJobNothingToCopy, Run(Job(ChangeModified, root / "src/gone.doc", root / "bak/gone.doc")));
    EXPECT_FALSE(fs::exists(root / "bak/gone.doc"));
    fs::remove(root / "src/a.doc");
    EXPECT_EQ(kJobSourceGone, Run(Job(ChangeModified, root / "src/a.doc", root / "bak/a.doc")));
    WriteFile(root / "src/a.doc", "two");
    EXPECT_EQ(kJobUnknownProblem, Run(Job(7, root / "src/a.doc", root / "bak/a.doc")));
}

TEST_F(ExecuteJobTest, CreatesMissingBackupFoldersOnlyWhenAsked) {
    WriteFile(root / "src/sub/b.txt", "b");
    ChangeEvent job = Job(ChangeCreated, root / "src/sub/b.txt", root / "bak/sub/deeper/b.txt");
    EXPECT_EQ(kJobDestinationUnavailable, Run(job));
    EXPECT_FALSE(fs::exists(root / "bak/sub"));
    job.createfolder = true;
    EXPECT_EQ(kJobCopied, Run(job));
    EXPECT_EQ("b", ReadFile(root / "bak/sub/deeper/b.txt"));
}

TEST_F(ExecuteJobTest, AFailedCopyLeavesTheOldBackupByteIdentical) {
    WriteFile(root / "src/a.doc", "new content");
    WriteFile(root / "bak/a.doc", "old backup");
    files.failCopiesInto = "/bak/";
    EXPECT_EQ(kJobDestinationUnavailable, Run(Job(ChangeModified, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_EQ("old backup", ReadFile(root / "bak/a.doc"));
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(root / "bak"), fs::directory_iterator()));
}

TEST_F(ExecuteJobTest, KeepsTheLastVersionsAndPrunesTheOneThatFallsOutOfRange) {
    WriteFile(root / "src/report.doc", "v");
    for (int v = 1; v <= 3; ++v) WriteFile(root / ("bak/report." + std::to_string(v) + ".doc"), "old");
    EXPECT_EQ(kJobCopied, Run(Version("report.doc", 2, 3)));  // below the range: nothing pruned
    EXPECT_TRUE(fs::exists(root / "bak/report.1.doc"));
    EXPECT_EQ(kJobCopied, Run(Version("report.doc", 4, 3)));
    EXPECT_FALSE(fs::exists(root / "bak/report.1.doc"));
    for (int v = 2; v <= 4; ++v) EXPECT_TRUE(fs::exists(root / ("bak/report." + std::to_string(v) + ".doc")));
    EXPECT_FALSE(fs::exists(root / "bak/report.doc"));

    WriteFile(root / "src/README", "r");
    WriteFile(root / "bak/README.1", "old");
    EXPECT_EQ(kJobCopied, Run(Version("README", 3, 2)));
    EXPECT_FALSE(fs::exists(root / "bak/README.1"));
    EXPECT_EQ("r", ReadFile(root / "bak/README.3"));

    // A job numbered while versions were on but carrying no range must not prune its own copy.
    EXPECT_EQ(kJobCopied, Run(Version("report.doc", 5, 0)));
    EXPECT_TRUE(fs::exists(root / "bak/report.5.doc"));
}

TEST_F(ExecuteJobTest, ParksAVersionWhoseBackupFolderIsMissingAndDeliversItLater) {
    WriteFile(root / "src/sub/x.doc", "version two");
    ChangeEvent job = Version("sub/x.doc", 2, 5);
    job.dest = root / "offline/x.2.doc";
    JobOutcome parked = ExecuteJob(job, temp, files);
    ASSERT_EQ(kJobVersionParked, parked.code);
    EXPECT_EQ(temp + (root / "src/sub/").substr(1) + "x.2.doc", parked.parkedCopy);
    EXPECT_EQ("version two", ReadFile(parked.parkedCopy));

    job.src = parked.parkedCopy;  // the deferred row now points at the parked copy
    EXPECT_EQ(kJobDestinationUnavailable, Run(job));  // a parked copy is never parked again
    fs::create_directories(root / "offline");
    EXPECT_EQ(kJobCopied, Run(job));
    EXPECT_EQ("version two", ReadFile(root / "offline/x.2.doc"));
    EXPECT_FALSE(fs::exists(parked.parkedCopy));
    EXPECT_TRUE(fs::is_directory(fs::path(parked.parkedCopy).parent_path()));  // folders stay
    EXPECT_TRUE(fs::exists(root / "src/sub/x.doc"));
}

TEST_F(ExecuteJobTest, GivesDestinationUnavailableWhenNeitherBackupNorParkingWorks) {
    WriteFile(root / "src/x.doc", "x");
    ChangeEvent job = Version("x.doc", 1, 2);
    job.dest = root / "offline/x.1.doc";
    files.failCopiesInto = temp;
    EXPECT_EQ(kJobDestinationUnavailable, Run(job));
    ChangeEvent plain = Job(ChangeModified, root / "src/x.doc", root / "offline/x.doc");
    files.failCopiesInto.clear();
    EXPECT_EQ(kJobDestinationUnavailable, Run(plain));  // no versions: nothing is parked
    EXPECT_EQ(3, files.copies);  // backup and parking, then the plain backup only
}

TEST_F(ExecuteJobTest, OnlyASourceInsideTheTemporaryFolderCountsAsParked) {
    // Linux names are case-sensitive: a user folder that differs from the temporary folder only
    // in case is the user's, and its files must never be deleted after copying.
    fs::create_directories(root / "TMP");
    WriteFile(root / "TMP/keep.doc", "k");
    ChangeEvent job = Job(ChangeModified, root / "TMP/keep.doc", root / "bak/keep.1.doc");
    job.currentversion = 1;
    job.maxversions = 3;
    EXPECT_EQ(kJobCopied, Run(job));
    EXPECT_TRUE(fs::exists(root / "TMP/keep.doc"));
}

TEST_F(ExecuteJobTest, AWatchedFolderInsideTheTemporaryFolderKeepsItsFiles) {
    // Only a parked copy is removed after delivery; a user's file that merely lies under the
    // temporary folder, numbered or not, must survive its copy.
    fs::create_directories(temp + "watched");
    WriteFile(temp + "watched/plain.doc", "p");
    WriteFile(temp + "watched/report.doc", "r");
    EXPECT_EQ(kJobCopied, Run(Job(ChangeModified, temp + "watched/plain.doc", root / "bak/plain.doc")));
    ChangeEvent versioned = Job(ChangeModified, temp + "watched/report.doc", root / "bak/report.2.doc");
    versioned.currentversion = 2;
    versioned.maxversions = 3;
    EXPECT_EQ(kJobCopied, Run(versioned));
    EXPECT_EQ("p", ReadFile(temp + "watched/plain.doc"));
    EXPECT_EQ("r", ReadFile(temp + "watched/report.doc"));
    EXPECT_EQ("r", ReadFile(root / "bak/report.2.doc"));
}

TEST_F(ExecuteJobTest, ABackupFolderThatIsTheSourceFolderUnderAnotherNameIsNeverWritten) {
    WriteFile(root / "src/a.doc", "users only copy");
    struct stat before {};
    ASSERT_EQ(0, stat((root / "src/a.doc").c_str(), &before));
    fs::create_directory_symlink(root / "src", root / "link");
    for (const std::string& alias : {root / "link/a.doc", root / "bak/../src/a.doc"}) {
        SCOPED_TRACE(alias);
        EXPECT_EQ(kJobDestinationUnavailable, Run(Job(ChangeModified, root / "src/a.doc", alias)));
        // The source was re-created after its deletion was queued: the deletion must not take it.
        EXPECT_EQ(kJobDeletionSuperseded, Run(Job(ChangeDeleted, root / "src/a.doc", alias)));
        EXPECT_EQ("users only copy", ReadFile(root / "src/a.doc"));
    }
    struct stat after {};
    ASSERT_EQ(0, stat((root / "src/a.doc").c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced by a copy of itself
    EXPECT_EQ(0, files.copies);
    EXPECT_EQ((std::vector<std::string>{"a.doc", "sub"}), [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root / "src")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }());  // no temporary file was left beside it either
}

TEST_F(ExecuteJobTest, ABackupThatIsAHardLinkOfItsSourceBecomesACopyOfItsOwn) {
    WriteFile(root / "src/a.doc", "changed in place");
    fs::create_hard_link(root / "src/a.doc", root / "bak/a.doc");
    EXPECT_EQ(kJobCopied, Run(Job(ChangeModified, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_EQ(1u, fs::hard_link_count(root / "src/a.doc"));
    EXPECT_EQ("changed in place", ReadFile(root / "bak/a.doc"));
}

TEST_F(ExecuteJobTest, ALinkInTheBackupFolderIsReplacedOrRemovedButNeverFollowed) {
    WriteFile(root / "precious.doc", "outside the backup folder");
    WriteFile(root / "src/a.doc", "new");
    fs::create_symlink(root / "precious.doc", root / "bak/a.doc");
    EXPECT_EQ(kJobCopied, Run(Job(ChangeModified, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_FALSE(fs::is_symlink(root / "bak/a.doc"));
    EXPECT_EQ("new", ReadFile(root / "bak/a.doc"));

    fs::create_symlink(root / "precious.doc", root / "bak/b.doc");
    EXPECT_EQ(kJobDeleted, Run(Job(ChangeDeleted, root / "src/b.doc", root / "bak/b.doc")));
    EXPECT_FALSE(fs::is_symlink(root / "bak/b.doc"));
    EXPECT_EQ("outside the backup folder", ReadFile(root / "precious.doc"));
}

TEST_F(ExecuteJobTest, DeletesBackupCopiesWithEveryOutcome) {
    WriteFile(root / "bak/a.doc", "a");
    WriteFile(root / "bak/b.doc", "b");
    EXPECT_EQ(kJobDeleted, Run(Job(ChangeDeleted, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_FALSE(fs::exists(root / "bak/a.doc"));
    EXPECT_EQ(kJobNothingToCopy, Run(Job(ChangeDeleted, root / "src/a.doc", root / "bak/a.doc")));
    EXPECT_EQ(kJobDestinationUnavailable, Run(Job(ChangeDeleted, root / "src/a.doc", root / "gone/a.doc")));
    files.failDeletes = true;
    EXPECT_EQ(kJobDeleteFailed, Run(Job(ChangeDeleted, root / "src/b.doc", root / "bak/b.doc")));
    EXPECT_TRUE(fs::exists(root / "bak/b.doc"));
}

TEST_F(ExecuteJobTest, ExclusiveHoldRefusedWhileTheSourceIsOpenForWriting) {
    WriteFile(root / "src/held.doc", "held");
    WriteFile(root / "bak/held.doc", "before");
    ChangeEvent job = Job(ChangeModified, root / "src/held.doc", root / "bak/held.doc");
    job.waitexclusive = true;
    int writer = open(job.src.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(kJobExclusiveRefused, Run(job));
    close(writer);
    EXPECT_EQ("before", ReadFile(root / "bak/held.doc"));
    EXPECT_EQ(kJobCopied, Run(job));
    EXPECT_EQ("held", ReadFile(root / "bak/held.doc"));
}

TEST_F(ExecuteJobTest, CarriesQuotesPercentSignsAndLongPathsWhole) {
    std::string name = "it's 100% \"done\".txt";
    std::string deep = "src/" + std::string(120, 'd') + "/" + std::string(120, 'e');
    fs::create_directories(root / deep);
    WriteFile(root / (deep + "/" + name), "q");
    ChangeEvent job = Job(ChangeCreated, root / (deep + "/" + name), root / ("bak/" + deep + "/" + name));
    job.createfolder = true;
    ASSERT_GT(job.dest.size(), 255u);
    EXPECT_EQ(kJobCopied, Run(job));
    EXPECT_EQ("q", ReadFile(job.dest));
}

TEST(VersionPaths, ReplaceOnlyTheNumberAndMirrorTheSourceFolderWhenParked) {
    EXPECT_EQ("/b/report.1.doc", SiblingVersionPath("/b/report.4.doc", 4, 1));
    EXPECT_EQ("/b/README.1", SiblingVersionPath("/b/README.4", 4, 1));
    EXPECT_EQ("/b/a.1.4", SiblingVersionPath("/b/a.4.4", 4, 1));  // plain name "a.4"
    EXPECT_EQ("/b.d/x.tar.7.gz", SiblingVersionPath("/b.d/x.tar.9.gz", 9, 7));
    EXPECT_EQ("/b/plain.doc", SiblingVersionPath("/b/plain.doc", 4, 1));
    EXPECT_EQ("/t/home/u/data/r.3.doc", ParkedCopyPath("/t/", "/home/u/data/r.doc", "/b/r.3.doc"));
}

}  // namespace
}  // namespace pellmar

namespace pellmar {
namespace {

// A path longer than the system takes can be reported by a walk but never opened: it must end
// once, as too long, not as gone (which a temporary file's vanishing now ends silently).
TEST_F(ExecuteJobTest, APathLongerThanTheSystemAllowsEndsAsTooLong) {
    std::string deep = root / "src";
    while (deep.size() < 4200) deep += "/" + std::string(200, 'd');
    ChangeEvent job = Job(ChangeModified, deep + "/f.txt", root / "bak/f.txt");
    EXPECT_EQ(kJobNameTooLong, Run(job));
    job = Job(ChangeModified, root / "src/short.txt", deep + "/f.txt");
    job.createfolder = true;
    WriteFile(root / "src/short.txt", "s");
    EXPECT_EQ(kJobNameTooLong, Run(job));
}

}  // namespace
}  // namespace pellmar
