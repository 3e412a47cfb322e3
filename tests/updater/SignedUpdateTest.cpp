// Signed releases end to end: a release folder signed by the project's own tools with a key they
// make at test time, served over https by a loopback server with a test certificate, taken through
// the updater's whole run into a real program folder while a real program holds its window.
#include "updater/AppMain.h"

#include "common/IniFile.h"
#include "tests/support/ScratchMount.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"
#include "tests/updater/HttpTestServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

bool Shell(const std::string& command) { return test::RunAndWait("/bin/sh", {"-c", command}) == 0; }
std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// The program reports its start beside its folder, which a test may have made read-only.
std::string Script(const std::string& version) {
    return "#!/bin/sh\necho " + version + " > \"$(dirname \"$0\")/../started.tmp\"\n"
           "mv \"$(dirname \"$0\")/../started.tmp\" \"$(dirname \"$0\")/../started\"\n";
}

// A program folder nothing can be written into, with a writable "Tmp" inside (left by an earlier
// run): by its mode for a user; for root, whom modes do not stop, as a read-only mount.
class ReadOnlyProgramFolder {
public:
    explicit ReadOnlyProgramFolder(const std::string& folder) : folder_(folder) {
        if (geteuid() != 0) {
            fs::create_directory(folder_ + "Tmp");
            chmod(folder_.c_str(), 0555);
            ready_ = true;
            return;
        }
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(folder_)) files[entry.path().filename()] = test::ReadFile(entry.path());
        if (!test::MountScratchFileSystem(folder_, &why_)) return;
        mounted_ = true;
        for (const auto& [name, content] : files) test::WriteFile(folder_ + name, content);
        chmod((folder_ + "Pellmar").c_str(), 0755);
        fs::create_directory(folder_ + "Tmp");
        tmpMounted_ = test::MountScratchFileSystem(folder_ + "Tmp", &why_);
        ready_ = tmpMounted_ && mount("pellmar-test", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=8m") == 0;
        if (!ready_ && why_.empty()) why_ = "remounting read-only is refused";
    }
    ~ReadOnlyProgramFolder() {
        if (tmpMounted_) test::UnmountScratchFileSystem(folder_ + "Tmp");
        if (mounted_) test::UnmountScratchFileSystem(folder_);
        if (geteuid() != 0) chmod(folder_.c_str(), 0755);
    }
    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }

private:
    std::string folder_;
    std::string why_;
    bool mounted_ = false;
    bool tmpMounted_ = false;
    bool ready_ = false;
};

struct AcceptingView final : UpdateView {
    void ShowStatus(const std::string&) override {}
    void ShowProgress(std::uint32_t, std::uint32_t) override {}
    void RequestClose() override {}
};

class SignedUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("XDG_RUNTIME_DIR", root.Path());
        ASSERT_TRUE(Shell("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=127.0.0.1"
                          " -addext subjectAltName=IP:127.0.0.1 -keyout " + Quoted(root / "tls-key.pem") +
                          " -out " + Quoted(certificate) + " 2>/dev/null"));
        server = std::make_unique<test::HttpTestServer>(certificate, root / "tls-key.pem");
        services = MakeSystemUpdateServices(certificate);
        ASSERT_TRUE(Shell(Quoted(tools + "update-keys.sh") + " " + Quoted(root / "keys") + " >/dev/null"));
        std::string der = test::ReadFile(root / "keys/update-public.der");
        ASSERT_GE(der.size(), 65u);
        key = der.substr(der.size() - 65);

        fs::create_directory(app);
        test::WriteFile(app + "Pellmar", Script("v1"));
        chmod((app + "Pellmar").c_str(), 0755);
        test::WriteFile(app + "lib.dat", "old lib");
        fs::create_directory(release);
        test::WriteFile(release + "/Pellmar", Script("v2"));
        test::WriteFile(release + "/lib.dat", "new lib");
        test::WriteFile(release + "/VersionInfo.ini", "[AppInfo]\nAppName=Pellmar\nVersionNo=1.3.0.0\n[VersionUpdateFiles]\n"
                                                      "File0=" + Location() + "/files/Pellmar\n"
                                                      "File1=" + Location() + "/files/lib.dat\n");
        ASSERT_TRUE(Shell(Quoted(tools + "sign-release.sh") + " " + Quoted(release) + " " + Quoted(root / "keys/update-key.pem") +
                          " >/dev/null"));
    }
    std::string Location() const { return server->BaseUrl() + "/updates/Pellmar"; }
    // What the update location serves: the release folder, or `name` replaced by `content`
    // (withdrawn when nullopt).
    void Publish(const std::map<std::string, std::optional<std::string>>& replaced = {}) {
        for (const char* name : {"VersionInfo.ini", "VersionInfo.ini.sig", "Pellmar", "lib.dat"}) {
            auto found = replaced.find(name);
            std::string path = std::string(name).rfind("VersionInfo", 0) == 0 ? "/updates/Pellmar/" : "/updates/Pellmar/files/";
            if (found == replaced.end()) server->Serve(path + name, test::ReadFile(release + "/" + name));
            else if (found->second) server->Serve(path + name, *found->second);
            else server->Withdraw(path + name);
        }
    }
    int Run(platform::WindowHandle window) {
        std::ostringstream out;
        UpdaterSetup setup{descriptions.Path(), key, out, errors};
        return UpdaterMain({Location(), app + "Pellmar", "1.2.0.0", std::to_string(window)}, setup, *services,
                           [this](const UpdatePrompt& prompt) {
                               AcceptingView view;
                               UpdateJob job{prompt.files, prompt.Path, prompt.Hwnd, prompt.URL};
                               UpdateContext context{view, job, *services, {}};
                               return RunUpdate(context);
                           });
    }
    void ExpectProgramAsItWas() {
        EXPECT_EQ(test::ReadFile(app + "Pellmar"), Script("v1"));
        EXPECT_EQ(test::ReadFile(app + "lib.dat"), "old lib");
        EXPECT_TRUE(fs::is_empty(descriptions.Path()));
    }

    test::TempFolder root;
    test::TempFolder descriptions;
    test::ScopedEnvironment env;
    std::string tools = std::string(PELLMAR_SOURCE_DIR) + "/tools/";
    std::string certificate = root / "tls-cert.pem";
    std::string app = root / "App dir/";
    std::string started = root / "started";
    std::string release = root / "release";
    std::unique_ptr<test::HttpTestServer> server;
    std::unique_ptr<UpdateServices> services;
    std::string key;
    std::ostringstream errors;
};

TEST_F(SignedUpdateTest, SignedReleaseInstallsAndRestartsAndOldReadersSeeTheSameDescription) {
    // A reader that knows only the file list finds it, and the version, as before.
    const std::string ini = release + "/VersionInfo.ini";
    EXPECT_EQ(ReadIniValue(ini, "AppInfo", "VersionNo"), "1.3.0.0");
    EXPECT_EQ(ReadIniSection(ini, "VersionUpdateFiles").size(), 2u);
    EXPECT_EQ(ReadIniSection(ini, "UpdateFileDigests").size(), 2u);

    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    Publish();
    EXPECT_EQ(Run(owner.Handle()), 0) << errors.str();
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_EQ(test::ReadFile(app + "lib.dat"), "new lib");
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(started); }));
    EXPECT_EQ(test::ReadFile(started), "v2\n");
    EXPECT_FALSE(fs::exists(app + "Tmp"));
    EXPECT_TRUE(fs::is_empty(descriptions.Path()));
}

TEST_F(SignedUpdateTest, AlteredFileAlteredOrUnsignedDescriptionLeaveTheProgramAsItWasAndRunning) {
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    std::string description = test::ReadFile(release + "/VersionInfo.ini");
    std::string altered = description;
    altered.replace(altered.find("1.3.0.0"), 7, "1.3.0.1");
    struct Case {
        const char* what;
        std::map<std::string, std::optional<std::string>> served;
        int exitCode;
    };
    for (const Case& tampered : {Case{"altered file", {{"lib.dat", "evil lib"}}, 3},
                                 Case{"altered description", {{"VersionInfo.ini", altered}}, 2},
                                 Case{"no signature", {{"VersionInfo.ini.sig", std::nullopt}}, 2}}) {
        SCOPED_TRACE(tampered.what);
        Publish(tampered.served);
        EXPECT_EQ(Run(owner.Handle()), tampered.exitCode);
        ExpectProgramAsItWas();
        // Refused before the close: the program never stopped.
        EXPECT_TRUE(platform::AppWindowExists(owner.Handle()));
        EXPECT_FALSE(fs::exists(app + "Tmp"));
        EXPECT_FALSE(fs::exists(started));
    }
}

TEST_F(SignedUpdateTest, ReadOnlyProgramFolderLeavesTheOldProgramInstalledAndRunning) {
    // The downloads succeed and the program is closed before any file turns out not to go in.
    ReadOnlyProgramFolder readOnly(app);
    if (!readOnly.Ready()) GTEST_SKIP() << readOnly.Why();
    test::WindowOwnerProcess owner(root.Path(), "Pellmar", true);
    ASSERT_NE(owner.Handle(), 0);
    Publish();
    int code = Run(owner.Handle());
    std::string restarted = test::WaitUntil([&] { return fs::exists(started); }) ? test::ReadFile(started) : "";
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(owner.WaitForExit());
    EXPECT_EQ(restarted, "v1\n");  // the old program, started again
    ExpectProgramAsItWas();
    EXPECT_TRUE(fs::is_empty(app + "Tmp"));
}

}  // namespace
}  // namespace pellmar
