// The update sequence end to end against a local HTTP server and a real window-owning process:
// downloads into Tmp checked against their digests, the close and the wait, installation with its
// undo, the restart, and every early end.
#include "updater/UpdateSequence.h"

#include "platform/Environment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"
#include "tests/updater/HttpTestServer.h"
#include "tests/updater/TestSigner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <thread>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

struct RecordingView final : UpdateView {
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowProgress(std::uint32_t progress, std::uint32_t progressMax) override { progress_.emplace_back(progress, progressMax); }
    void RequestClose() override { ++closeRequests; }
    std::vector<std::string> statuses;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress_;
    int closeRequests = 0;
};

// The system's services, recorded; the window can be made to stay regardless of the real one.
struct RecordingServices final : UpdateServices {
    bool Download(const std::string& url, const std::string& file, const platform::DownloadProgress& onProgress,
                  std::uint64_t maxBytes, platform::DownloadedFileKind kind) override {
        downloads.push_back(url);
        return system->Download(url, file, onProgress, maxBytes, kind);
    }
    void SendClose(platform::WindowHandle window) override {
        closes.push_back(window);
        system->SendClose(window);
    }
    bool WindowExists(platform::WindowHandle window) override {
        ++checks;
        return windowStays || system->WindowExists(window);
    }
    void StartProgram(const std::string& path) override {
        starts.push_back(path);
        system->StartProgram(path);
    }
    void Pause(std::chrono::milliseconds duration) override {
        pauses.push_back(duration);
        if (realPauses) std::this_thread::sleep_for(duration);
    }
    std::unique_ptr<UpdateServices> system = MakeSystemUpdateServices();
    bool windowStays = false;
    bool realPauses = true;
    std::vector<std::string> downloads;
    std::vector<platform::WindowHandle> closes;
    std::vector<std::string> starts;
    std::vector<std::chrono::milliseconds> pauses;
    int checks = 0;
};

std::string Script(const std::string& version) {
    return "#!/bin/sh\necho " + version + " > \"$(dirname \"$0\")/started.tmp\"\n"
           "mv \"$(dirname \"$0\")/started.tmp\" \"$(dirname \"$0\")/started\"\n";
}

class UpdateSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("XDG_RUNTIME_DIR", root.Path());
        fs::create_directory(app);
        test::WriteFile(app + "Pellmar", Script("v1"));
        chmod((app + "Pellmar").c_str(), 0755);
        test::WriteFile(app + "lib.dat", "old lib");
        job.Path = app + "Pellmar";
        job.files = {Listed("/files/Pellmar", Script("v2")), Listed("/files/lib.dat", std::string(200000, 'L'))};
    }
    // Served, and listed with the digest of `listedContent` (by default what is served).
    UpdateFileInfo Listed(const std::string& path, const std::string& body, std::optional<std::string> listedContent = {}) {
        server.Serve(path, body);
        UpdateFileInfo file = MakeUpdateFileInfo(server.BaseUrl() + path);
        EXPECT_TRUE(ParseFileDigest(test::DigestValue(listedContent.value_or(body)), file));
        return file;
    }
    UpdateOutcome Run(UpdateTimings timings = {}) {
        UpdateContext context{view, job, services, timings};
        return RunUpdate(context);
    }
    static unsigned ModeOf(const std::string& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    std::string Restarted() {
        return test::WaitUntil([&] { return fs::exists(app + "started"); }) ? test::ReadFile(app + "started") : "";
    }

    test::TempFolder root;
    test::ScopedEnvironment env;
    std::string app = root / "App dir/";
    test::HttpTestServer server;
    UpdateJob job;
    RecordingView view;
    RecordingServices services;
};

TEST_F(UpdateSequenceTest, DownloadsClosesInstallsRemovesTmpAndRestarts) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    job.Hwnd = owner.Handle();
    EXPECT_EQ(Run(), UpdateOutcome::Completed);
    EXPECT_THAT(view.statuses, ElementsAre("Downloading Pellmar", "Downloading lib.dat", "Download Complete",
                                           "Closing Application...", "Installing Updates...", "ReStarting Application..."));
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_THAT(services.closes, ElementsAre(owner.Handle()));
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), std::string(200000, 'L'));
    EXPECT_FALSE(fs::exists(app + "Tmp"));
    // The script was replaced by the published one and kept its executable mode.
    EXPECT_EQ(Restarted(), "v2\n");
    EXPECT_THAT(services.starts, ElementsAre(job.Path));
    EXPECT_EQ(view.closeRequests, 1);
    ASSERT_FALSE(view.progress_.empty());
    EXPECT_EQ(view.progress_.back(), std::make_pair(std::uint32_t(200000), std::uint32_t(200000)));
    EXPECT_EQ(std::count(services.pauses.begin(), services.pauses.end(), std::chrono::milliseconds(50)), 2);
}

TEST_F(UpdateSequenceTest, FileThatCannotBeReplacedPutsBackTheFilesInstalledBeforeItAndRestartsTheOldProgram) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    job.Hwnd = owner.Handle();
    chmod((app + "lib.dat").c_str(), 0444);
    job.files.push_back(Listed("/files/notes.txt", "notes"));
    std::swap(job.files[1], job.files[2]);  // a new file is installed before the one that fails
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_EQ(test::ReadFile(app + "Pellmar"), Script("v1"));
    EXPECT_EQ(ModeOf(app + "Pellmar"), 0755u);
    EXPECT_FALSE(fs::exists(app + "notes.txt"));
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), "old lib");
    // Nothing stays staged: the tray program would move a new updater in beside the old programs.
    EXPECT_FALSE(fs::exists(app + "Tmp"));
    EXPECT_EQ(Restarted(), "v1\n");
}

TEST_F(UpdateSequenceTest, DownloadThatDiffersFromItsListedDigestOrSizeClosesNothing) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    job.Hwnd = owner.Handle();
    job.files[1] = Listed("/files/lib.dat", std::string(200000, 'X'), std::string(200000, 'L'));
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    job.files[1] = Listed("/files/lib.dat", std::string(200001, 'L'), std::string(200000, 'L'));
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    job.files[1] = MakeUpdateFileInfo(server.BaseUrl() + "/files/lib.dat");  // no digest listed
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    EXPECT_TRUE(services.closes.empty());
    EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
    EXPECT_EQ(test::ReadFile(app + "Pellmar"), Script("v1"));
    EXPECT_FALSE(fs::exists(app + "Tmp"));
}

TEST_F(UpdateSequenceTest, WindowThatIgnoresTheCloseStopsBeforeInstalling) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", false);
    ASSERT_NE(owner.Handle(), 0);
    job.Hwnd = owner.Handle();
    Run(UpdateTimings{201, std::chrono::milliseconds(2), std::chrono::milliseconds(50)});
    EXPECT_EQ(view.statuses.back(), "Closing Application...");
    EXPECT_EQ(services.checks, 201);
    EXPECT_EQ(services.pauses.size(), 201u);
    EXPECT_TRUE(services.starts.empty());
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), "old lib");
    EXPECT_TRUE(fs::exists(app + "Tmp/lib.dat"));
    EXPECT_TRUE(fs::exists(app + "Tmp/Pellmar"));
    EXPECT_EQ(view.closeRequests, 1);
}

TEST_F(UpdateSequenceTest, WaitGivesUpAfterTwoHundredAndOneChecksAHundredMillisecondsApart) {
    services.windowStays = true;
    services.realPauses = false;
    job.Hwnd = 12345;
    UpdateContext context{view, job, services, UpdateTimings{}};
    EXPECT_FALSE(WaitForWindowGone(context, 12345));
    EXPECT_EQ(services.checks, 201);
    EXPECT_EQ(services.pauses, std::vector<std::chrono::milliseconds>(201, std::chrono::milliseconds(100)));
}

TEST_F(UpdateSequenceTest, OneFailedDownloadClosesNothingInstallsNothingAndRemovesThisRunsDownloads) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    job.Hwnd = owner.Handle();
    fs::create_directory(app + "Tmp");
    test::WriteFile(app + "Tmp/lib.dat", "stale leftover");
    job.files.back() = MakeUpdateFileInfo(server.BaseUrl() + "/files/missing/lib.dat");  // 404
    ParseFileDigest(test::DigestValue("stale leftover"), job.files.back());
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    EXPECT_EQ(view.statuses.back(), "Downloading lib.dat");
    EXPECT_TRUE(services.closes.empty());
    EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
    EXPECT_EQ(test::ReadFile(app + "Pellmar"), Script("v1"));
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), "old lib");
    EXPECT_FALSE(fs::exists(app + "Tmp"));
    EXPECT_TRUE(services.starts.empty());
}

TEST_F(UpdateSequenceTest, UnsafeNameOrAFileOverPlainHttpFromAnHttpsLocationRefusesTheUpdate) {
    job.files.push_back(MakeUpdateFileInfo(server.BaseUrl() + "/files/.."));
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    EXPECT_EQ(services.downloads.size(), 2u);
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), "old lib");

    job.files.pop_back();
    job.location = "HTTPS://updates.example/updates/Pellmar";
    services.downloads.clear();
    EXPECT_EQ(Run(), UpdateOutcome::Failed);
    EXPECT_TRUE(services.downloads.empty());
    EXPECT_TRUE(services.starts.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(root.Path()), fs::directory_iterator()), 1);
}

TEST_F(UpdateSequenceTest, NewFilesGetTheModeTheirKindNeedsLessTheUmaskAndReplacedFilesKeepTheirs) {
    chmod((app + "lib.dat").c_str(), 0600);
    job.files.push_back(Listed("/files/qmRemove", "#!/bin/sh\n"));
    job.files.push_back(Listed("/files/notes.txt", "notes"));
    mode_t previous = umask(027);
    UpdateOutcome outcome = Run();
    umask(previous);
    EXPECT_EQ(outcome, UpdateOutcome::Completed);
    EXPECT_EQ(ModeOf(app + "Pellmar"), 0755u);
    EXPECT_EQ(ModeOf(app + "lib.dat"), 0600u);
    EXPECT_EQ(ModeOf(app + "qmRemove"), 0750u);
    EXPECT_EQ(ModeOf(app + "notes.txt"), 0640u);
}

TEST_F(UpdateSequenceTest, EmptyListStillClosesAndRestartsWithoutDownloading) {
    job.files.clear();
    job.Hwnd = 999999;  // names no window: the first check finds it gone
    Run();
    EXPECT_THAT(view.statuses, ElementsAre("Closing Application...", "Installing Updates...", "ReStarting Application..."));
    EXPECT_THAT(services.closes, ElementsAre(999999));
    EXPECT_EQ(services.checks, 1);
    EXPECT_EQ(Restarted(), "v1\n");
    EXPECT_FALSE(fs::exists(app + "Tmp"));
}

TEST_F(UpdateSequenceTest, NoWindowHandleAndMissingProgramMeanNoCloseAndNoStart) {
    job.Path = app + "Missing";
    Run();
    EXPECT_TRUE(services.closes.empty());
    EXPECT_EQ(services.checks, 0);
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), std::string(200000, 'L'));
    EXPECT_TRUE(services.starts.empty());
    EXPECT_EQ(view.statuses.back(), "ReStarting Application...");
}

TEST_F(UpdateSequenceTest, PathWithoutFolderRestartsTheFileInTheWorkingDirectoryNotOneOnThePath) {
    fs::create_directory(root / "bin");
    test::WriteFile(root / "bin/Pellmar", Script("decoy"));
    chmod((root / "bin/Pellmar").c_str(), 0755);
    env.Set("PATH", root / "bin:" + platform::GetEnvironmentText("PATH"));
    fs::path previous = fs::current_path();
    fs::current_path(app);
    job.Path = "Pellmar";
    job.files.clear();
    Run();
    std::string started = Restarted();
    fs::current_path(previous);
    EXPECT_EQ(started, "v1\n");
    EXPECT_FALSE(fs::exists(root / "bin/started"));
}

TEST_F(UpdateSequenceTest, DownloadFolderThatCannotBeMadeEndsTheSequenceAtReady) {
    test::WriteFile(app + "Tmp", "a file where the folder belongs");
    job.Hwnd = 999999;
    Run();
    EXPECT_TRUE(view.statuses.empty());
    EXPECT_TRUE(services.downloads.empty());
    EXPECT_TRUE(services.closes.empty());
    EXPECT_TRUE(services.starts.empty());
    EXPECT_EQ(view.closeRequests, 1);
}

TEST(ProgramFolderTest, UpToTheLastDelimiter) {
    EXPECT_EQ(ProgramFolderOf("/opt/App/app"), "/opt/App/");
    EXPECT_EQ(ProgramFolderOf("/app"), "/");
    EXPECT_EQ(ProgramFolderOf("app"), "");
    EXPECT_EQ(ProgramFolderOf(""), "");
}

}  // namespace
}  // namespace pellmar
