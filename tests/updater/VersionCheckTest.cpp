// The updater before the prompt: parameters, the version check with its exit codes, the file
// list and the prompt's texts, plus the qmUpdate program itself for its usage text and exit codes.
#include "updater/AppMain.h"

#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/uninstall/WindowOwnerProcess.h"
#include "tests/updater/HttpTestServer.h"

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
    void Publish(const std::string& ini) { server.Serve("/updates/Pellmar/VersionInfo.ini", ini); }
    std::string Location() const { return server.BaseUrl() + "/updates/Pellmar"; }
    int Run(const std::vector<std::string>& parameters) {
        out.str("");
        return UpdaterMain(parameters, work.Path(), out, *services, [this](const UpdatePrompt& prompt) {
            prompts.push_back(prompt);
            return outcome;
        });
    }

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
    EXPECT_TRUE(fs::exists(work / "VersionInfo.ini"));  // kept on this path
    Publish("[AppInfo]\nAppName=Pellmar\nVersionNo=\n");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);
    EXPECT_EQ(Run({"http://127.0.0.1:1/updates/Pellmar", "/p/Pellmar", "1.2.0.0", "0"}), 2);
    // A description over the size cap is not read at all.
    Publish("[AppInfo]\nVersionNo=9\n;" + std::string(kMaxVersionInfoBytes, 'x') + "\n");
    EXPECT_EQ(Run({Location(), "/p/Pellmar", "1.2.0.0", "0"}), 2);
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

TEST_F(VersionCheckTest, ProgramPrintsUsageAndReportsExitCodes) {
    test::ScopedEnvironment env;
    env.Unset("DISPLAY");
    env.Unset("WAYLAND_DISPLAY");
    env.Unset("QT_QPA_PLATFORM");
    std::string log = work / "out.txt";
    EXPECT_EQ(test::RunAndWait("/bin/sh", {"-c", "\"$0\" a b \"\" d > \"$1\"", PELLMAR_QMUPDATE, log}), 0);
    EXPECT_EQ(test::ReadFile(log), kUsage);

    EXPECT_EQ(test::RunAndWait(PELLMAR_QMUPDATE, {Location(), "/p/Pellmar", "1.2.0.0", "0"}, work.Path()), 2);
    Publish("[AppInfo]\nVersionNo=1.2.0.0\n");
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMUPDATE, {Location(), "/p/Pellmar", "1.2.0.0", "0"}, work.Path()), 0);
    // A differing version with no display to ask on counts as declined.
    Publish("[AppInfo]\nVersionNo=9\n");
    EXPECT_EQ(test::RunAndWait(PELLMAR_QMUPDATE, {Location(), "/p/Pellmar", "1.2.0.0", "0"}, work.Path()), 0);
    EXPECT_EQ(server.Requests("/updates/Pellmar/VersionInfo.ini"), 3);
    EXPECT_FALSE(fs::exists(work / "VersionInfo.ini"));
}

}  // namespace
}  // namespace pellmar
