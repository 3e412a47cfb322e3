// The updater before the prompt: parameters, the signed version check with its exit codes, the
// file list with its digests and the prompt's texts, plus the qmUpdate program itself for its
// usage text, its exit codes and the working directory it leaves alone.
#include "updater/AppMain.h"

#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"
#include "tests/updater/HttpTestServer.h"
#include "tests/updater/TestSigner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// The usage text as it is written, line by line (not as the program's own function builds it).
const std::string kUsage =
    "\n"
    "Directions for calling qmUpdate:\n"
    "-----------------------------------------------------------------------------\n"
    "The following 4 parameters must be passed in the correct order:\n"
    "URL  -    That represents the update location of the website\n"
    "Path -    Full path to the executable file that starts the application\n"
    "Version - Version info in the format 1.0.0.0\n"
    "Hwnd    - Handle to the window in the app that processes the WM_CLOSE message\n"
    "\n"
    "Note:\n"
    "You may want to wrap quotes around the parms that can contain spaces such as\n"
    "the URL and Path parameters\n"
    "\n";

TEST(UpdaterParamsTest, FourParametersMakeTheParamsAndFewerGiveNone) {
    auto params = MakeUpdaterParams({"http://h/updates/Pellmar/", "/opt/P/Pellmar", "1.2.0.0", "-5", "extra"}, "/work/dir");
    ASSERT_TRUE(params);
    EXPECT_EQ(params->IniURL, "http://h/updates/Pellmar//VersionInfo.ini");
    EXPECT_EQ(params->IniFile, "/work/dir/VersionInfo.ini");
    EXPECT_EQ(params->SignatureURL, "http://h/updates/Pellmar//VersionInfo.ini.sig");
    EXPECT_EQ(params->SignatureFile, "/work/dir/VersionInfo.ini.sig");
    EXPECT_EQ(params->Hwnd, -5);
    EXPECT_EQ(MakeUpdaterParams({"u", "p", "v", "12ab"}, "/")->IniFile, "/VersionInfo.ini");
    EXPECT_EQ(MakeUpdaterParams({"u", "p", "v", "12ab"}, "/")->Hwnd, 12);
    EXPECT_FALSE(MakeUpdaterParams({"u", "p", "v"}, "/"));
}

TEST(UpdaterParamsTest, FileListEntriesAndTheirCuts) {
    UpdateFileInfo query = MakeUpdateFileInfo("http://h/sub/tool.dll?x=1");
    EXPECT_EQ(query.FileName, "tool.dll?x=1");
    EXPECT_EQ(query.URL, "http://h/sub/tool.dll?x=1");
    EXPECT_EQ(MakeUpdateFileInfo("plain.exe").FileName, "plain.exe");
    EXPECT_EQ(MakeUpdateFileInfo("plain.exe").URL, "plain.exe");
    EXPECT_EQ(MakeUpdateFileInfo("http://h/a?next=/b/c").FileName, "c");
    std::string longName(100, 'n');
    std::string longUrl = "http://h/" + std::string(300, 'u') + "/" + longName;
    EXPECT_EQ(MakeUpdateFileInfo(longUrl).FileName, std::string(80, 'n'));
    EXPECT_EQ(MakeUpdateFileInfo(longUrl).URL, longUrl.substr(0, 255));

    test::TempFolder folder;
    test::WriteFile(folder / "VersionInfo.ini",
                    "[VersionUpdateFiles]\nFile0=http://h/a.dll\nfile1 = http://h/b.exe\nFile3=http://h/d\n");
    std::vector<UpdateFileInfo> files = ReadUpdateFileList(folder / "VersionInfo.ini");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].FileName, "b.exe");
    test::WriteFile(folder / "empty.ini", "[VersionUpdateFiles]\nFile0=\nFile1=http://h/b\n");
    EXPECT_TRUE(ReadUpdateFileList(folder / "empty.ini").empty());
}

TEST(UpdaterParamsTest, DigestsComeFromTheirOwnSectionByTheSameKeyAndMalformedOnesCountAsNone) {
    test::TempFolder folder;
    std::string digest(64, 'A');
    test::WriteFile(folder / "VersionInfo.ini", "[VersionUpdateFiles]\nFile0=http://h/a\nFile1=http://h/b\nFile2=http://h/c\n"
                                                "[UpdateFileDigests]\nfile1=" + digest + " 12\nFile0=" + digest + " 1x\n"
                                                "File2=" + std::string(63, 'a') + " 5\n");
    std::vector<UpdateFileInfo> files = ReadUpdateFileList(folder / "VersionInfo.ini");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[1].sha256, std::string(64, 'a'));
    EXPECT_EQ(files[1].size, 12u);
    EXPECT_TRUE(files[0].sha256.empty());
    EXPECT_TRUE(files[2].sha256.empty());

    test::WriteFile(folder / "lib", "content");
    UpdateFileInfo listed;
    ASSERT_TRUE(ParseFileDigest(test::DigestValue("content"), listed));
    EXPECT_TRUE(MatchesListedDigest(folder / "lib", listed));
    test::WriteFile(folder / "lib", "contenT");
    EXPECT_FALSE(MatchesListedDigest(folder / "lib", listed));
    EXPECT_FALSE(MatchesListedDigest(folder / "lib", UpdateFileInfo{}));
}

TEST(UpdaterParamsTest, NamesThatWouldLeaveTheProgramFolderAreNotPlain) {
    EXPECT_TRUE(IsPlainFileName("Pellmar"));
    EXPECT_TRUE(IsPlainFileName("tool.dll?x=1"));
    EXPECT_TRUE(IsPlainFileName("..."));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName("."));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
}

TEST(UpdaterParamsTest, PromptTexts) {
    EXPECT_EQ(BuildPromptText("X"), "A new version of X has been detected by the Auto Update Manager.\r\n\r\n"
                                    "Okay to apply the updates now?");
    EXPECT_EQ(BuildPromptCaption(""), "Application Update for ");
}

class VersionCheckTest : public ::testing::Test {
protected:
    void Publish(const std::string& ini) {
        server.Serve("/updates/Pellmar/VersionInfo.ini", ini);
        server.Serve("/updates/Pellmar/VersionInfo.ini.sig", signer.Sign(ini));
    }
    std::string Location() const { return server.BaseUrl() + "/updates/Pellmar"; }
    int Run(const std::vector<std::string>& parameters) {
        out.str("");
        err.str("");
        UpdaterSetup setup{work.Path(), key, out, err};
        return UpdaterMain(parameters, setup, *services, [this](const UpdatePrompt& prompt) {
            prompts.push_back(prompt);
            return outcome;
        });
    }

    test::TestSigner signer;
    std::string key = signer.PublicPoint();
    std::ostringstream err;
    test::TempFolder work;
    test::HttpTestServer server;
    std::unique_ptr<UpdateServices> services = MakeSystemUpdateServices();
    std::ostringstream out;
    std::vector<UpdatePrompt> prompts;
    UpdateOutcome outcome = UpdateOutcome::NotRun;  // what the prompt reports
};

TEST_F(VersionCheckTest, FewerThanFourParametersPrintUsageAndEndWithZero) {
    EXPECT_EQ(Run({"a", "b", "c"}), 0);
    EXPECT_EQ(out.str(), kUsage);
    EXPECT_EQ(server.Requests("/updates/Pellmar/VersionInfo.ini"), 0);
}

TEST_F(VersionCheckTest, UnlearnableVersionEndsWithTwoAndNoPrompt) {
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);  // 404
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini"));
    Publish("<html>not an ini</html>");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini"));
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini.sig"));
    Publish("[AppInfo]\nAppName=Pellmar\nVersionNo=\n");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);
    EXPECT_EQ(Run({"http://127.0.0.1:1/updates/Pellmar", "/p/Pellmar", "1.2.0.0", "0"}), 2);
    // A description over the size cap is not read at all.
    Publish("[AppInfo]\nVersionNo=9\n;" + std::string(kMaxVersionInfoBytes, 'x') + "\n");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(VersionCheckTest, DescriptionWithoutTheTrustedSignatureIsRefusedBeforeAnythingIsShown) {
    const std::string ini = "[AppInfo]\nVersionNo=9\n[VersionUpdateFiles]\nFile0=http://h/x/Pellmar\n";
    const std::vector<std::string> parameters = {Location(), "/p/Pellmar", "1.2.0.0", "0"};
    server.Serve("/updates/Pellmar/VersionInfo.ini", ini);
    EXPECT_EQ(Run(parameters), 2);
    EXPECT_THAT(err.str(), ::testing::HasSubstr("has no signature"));

    server.Serve("/updates/Pellmar/VersionInfo.ini.sig", signer.Sign(ini + "File1=http://h/x/evil\n"));
    EXPECT_EQ(Run(parameters), 2);
    EXPECT_THAT(err.str(), ::testing::HasSubstr("does not match"));
    test::TestSigner stranger;
    server.Serve("/updates/Pellmar/VersionInfo.ini.sig", stranger.Sign(ini));
    EXPECT_EQ(Run(parameters), 2);
    server.Serve("/updates/Pellmar/VersionInfo.ini.sig", std::string(70, '\x30'));
    EXPECT_EQ(Run(parameters), 2);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(work.Path()), fs::directory_iterator()), 0);

    // Without a key nothing can be checked: the run says so and does not even ask the server.
    int before = server.Requests("/updates/Pellmar/VersionInfo.ini");
    key.clear();
    Publish(ini);
    EXPECT_EQ(Run(parameters), 2);
    EXPECT_THAT(err.str(), ::testing::HasSubstr("NO UPDATE KEY"));
    EXPECT_EQ(server.Requests("/updates/Pellmar/VersionInfo.ini"), before);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(VersionCheckTest, AcceptedUpdateThatDidNotCompleteEndsWithThree) {
    Publish("[AppInfo]\nVersionNo=9\n");
    outcome = UpdateOutcome::Failed;
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 3);
    EXPECT_EQ(prompts.back().URL, Location());
    outcome = UpdateOutcome::Completed;
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 0);
}

TEST_F(VersionCheckTest, SameVersionShowsNothingAndRemovesTheLocalCopy) {
    Publish("[AppInfo]\nVersionNo=1.2.0.0\n");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 0);
    EXPECT_TRUE(prompts.empty());
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini"));
}

TEST_F(VersionCheckTest, AnyTextualDifferenceOffersTheUpdateWithItsData) {
    Publish("[AppInfo]\nAppName=Pellmar\nVersionNo=1.2.0.0\n[VersionUpdateFiles]\nFile0=http://h/x/Pellmar\nFile1=http://h/lib.so\n");
    for (const char* yours : {"1.2.0.00", "1.2.0.1", "1.3"}) {
        EXPECT_EQ(Run({Location(), "/p/Pellmar", yours, "77"}), 0);
    }
    ASSERT_EQ(prompts.size(), 3u);
    const UpdatePrompt& prompt = prompts.back();
    EXPECT_EQ(prompt.yourVersion, "1.3");
    EXPECT_EQ(prompt.latestVersion, "1.2.0.0");
    EXPECT_EQ(prompt.caption, "Application Update for Pellmar");
    EXPECT_EQ(prompt.promptText, BuildPromptText("Pellmar"));
    EXPECT_EQ(prompt.Path, "/p/Pellmar");
    EXPECT_EQ(prompt.Hwnd, 77);
    ASSERT_EQ(prompt.files.size(), 2u);
    EXPECT_EQ(prompt.files[0].FileName, "Pellmar");
    EXPECT_EQ(prompt.files[1].URL, "http://h/lib.so");
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini"));
}

TEST_F(VersionCheckTest, ProgramPrintsUsageRefusesWhatItCannotVerifyAndLeavesTheWorkingDirectoryAlone) {
    test::ScopedEnvironment env;
    env.Unset("DISPLAY");
    env.Unset("WAYLAND_DISPLAY");
    env.Unset("QT_QPA_PLATFORM");
    test::TempFolder logs;
    std::string log = logs / "out.txt";
    EXPECT_EQ(test::RunAndWait("/bin/sh", {"-c", "\"$0\" a b \"\" d > \"$1\"", PELLMAR_QMUPDATE, log}), 0);
    EXPECT_EQ(test::ReadFile(log), kUsage);

    test::WriteFile(work / "VersionInfo.ini", "the user's own file");
    Publish("[AppInfo]\nVersionNo=9\n");
    // The test build's updater trusts no key of this test: built without one it says so, built
    // with one it refuses this signature. Either way nothing is offered.
    std::string errors = logs / "err.txt";
    EXPECT_EQ(test::RunAndWait("/bin/sh", {"-c", "\"$0\" \"$1\" /p/Pellmar 1.2.0.0 0 2> \"$2\"", PELLMAR_QMUPDATE,
                                           Location(), errors}, work.Path()), 2);
    EXPECT_THAT(test::ReadFile(errors), ::testing::HasSubstr("no update"));
    EXPECT_EQ(test::ReadFile(work / "VersionInfo.ini"), "the user's own file");
    EXPECT_EQ(std::distance(fs::directory_iterator(work.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace pellmar
