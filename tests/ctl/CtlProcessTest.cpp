// pellmarctl as a process against a pellmard process on a private home and real folders, and
// against the database with no host: what it prints, its exit codes, and what happens to files.
#include "tests/ctl/CtlProcessFixture.h"
#include "platform/HostLock.h"
#include "tray/shell/ProgramVersion.h"

#include <spawn.h>  // a POSIX process test: the Windows build leaves it out

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace pellmar {
namespace {

using test::CtlProcessTest;
using test::CtlRun;
using test::WriteFile;
namespace fs = std::filesystem;

TEST_F(CtlProcessTest, WithAHostAnAddedMonitorReplicatesAtOnceAndDeleteStopsIt) {
    StartHost();
    CtlRun added = Ctl({"add", watched, backup, "--masks", "*.txt"});
    ASSERT_EQ(0, added.code) << added.err;
    const std::string id = added.out.substr(0, added.out.find('\n'));
    WriteFile(watched + "/first.txt", "one");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/first.txt"); }));
    EXPECT_EQ(id + "\tActive\t" + watched + "\t*.txt\t" + backup + "\twatching\n", ListText());

    ASSERT_EQ(0, Ctl({"delete", id}).code);
    EXPECT_EQ("", ListText());
    // A second monitor's copy is the barrier: the deleted one would have reported its file first.
    fs::create_directories(root / "other");
    CtlRun other = Ctl({"add", root / "other", backup + "/other"});
    ASSERT_EQ(0, other.code);
    WriteFile(watched + "/second.txt", "two");
    WriteFile(root / "other/mark.txt", "mark");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/other/mark.txt"); }));
    EXPECT_FALSE(fs::exists(backup + "/second.txt"));
    CtlRun sync = Ctl({"sync", other.out.substr(0, other.out.find('\n'))});
    EXPECT_EQ(0, sync.code) << sync.err;
    EXPECT_EQ(0u, sync.out.find("comparing the monitored folder with its backup"));
}

TEST_F(CtlProcessTest, WithAHostBadInputIsRefusedAndChangesNothing) {
    StartHost();
    ASSERT_EQ(0, Ctl({"add", watched, backup}).code);
    const std::string before = ListText();

    CtlRun empty = Ctl({"add", "", "", "--masks", ""});
    EXPECT_EQ(1, empty.code);
    EXPECT_EQ("pellmarctl: At least on file type filter must be specified.\n"
              "pellmarctl: A valid path for the folder used as the backup location must be specified.\n"
              "pellmarctl: A valid path for the folder to monitor must be specified.\n", empty.err);
    CtlRun mask = Ctl({"edit", "1", "--except", "~$*.doc;[a"});
    EXPECT_EQ(1, mask.code);
    EXPECT_EQ("pellmarctl: '[a' is an invalid mask at (3)\n", mask.err);
    // Setups that could never back anything up, with the dialog's words.
    fs::create_directories(root / "third/sub");
    CtlRun same = Ctl({"add", root / "third", root / "third/sub/.."});
    EXPECT_EQ(1, same.code);
    EXPECT_EQ("pellmarctl: The backup folder must not be the monitored folder.\n", same.err);
    CtlRun chained = Ctl({"add", backup, root / "second"});
    EXPECT_EQ(1, chained.code);
    EXPECT_EQ("pellmarctl: The monitored folder must not lie in or around the backup folder of another monitor (" +
                  backup + ").\n",
              chained.err);
    EXPECT_EQ(0, Ctl({"edit", "1", "--masks", "*"}).code) << "a monitor is not compared with itself";
    EXPECT_EQ(1, Ctl({"edit", "1", "--versions", "many"}).code);
    EXPECT_EQ(1, Ctl({"remove", "1"}).code);
    EXPECT_EQ(2, Ctl({"edit", "9", "--disabled"}).code);
    EXPECT_EQ(2, Ctl({"cancel", "5"}).code);
    EXPECT_EQ(before, ListText());
    EXPECT_EQ(0, Ctl({"show", "1", "--help"}).code);
}

TEST_F(CtlProcessTest, WithAHostCancelRemovesTheWaitingJobAndItsEntries) {
    StartHost();
    const std::int32_t job = InsertWaitingJob();
    CtlRun jobs = Ctl({"jobs"});
    EXPECT_EQ(0, jobs.code);
    EXPECT_EQ("77\tCopy\tdeferred\t", jobs.out.substr(0, 17));
    CtlRun log = Ctl({"log", "--json"});
    EXPECT_NE(std::string::npos, log.out.find("\"job\":77,\"type\":\"Warning\"")) << log.out;

    ASSERT_EQ(0, Ctl({"cancel", std::to_string(job)}).code);
    EXPECT_TRUE(Jobs().empty());
    for (const auto& entry : Log()) EXPECT_NE("77", entry.at("jobid"));
    EXPECT_EQ("[]\n", Ctl({"jobs", "--json"}).out);
}

TEST_F(CtlProcessTest, WithoutAHostCommandsWorkOnTheDatabaseAndTheNextHostUsesThem) {
    ASSERT_EQ("", ListText());  // no database file yet: nothing, and none made
    EXPECT_FALSE(fs::exists(DatabasePath()));
    const fs::path previous = fs::current_path();
    fs::current_path(root / "");  // relative folders are the caller's
    CtlRun added = Ctl({"add", "watched", "backup", "--versions", "3", "--no-deletions", "--json"});
    fs::current_path(previous);
    ASSERT_EQ(0, added.code) << added.err;
    EXPECT_EQ("{\"id\":1}\n", added.out);
    EXPECT_EQ(0, Ctl({"disable", "1"}).code);
    EXPECT_EQ(0, Ctl({"edit", "1", "--masks", "*.txt;*.doc", "--enabled", "--no-versions"}).code);
    EXPECT_EQ("{\"id\":1,\"folder\":" + std::string("\"") + watched + "\",\"backup\":\"" + backup +
                  "\",\"masks\":[\"*.txt\",\"*.doc\"],\"exceptions\":[],\"subfolders\":true,\"deletions\":false,"
                  "\"exclusive\":false,\"versions\":0,\"enabled\":true,\"state\":\"not running\",\"reason\":\"no replication host runs\"}\n",
              Ctl({"show", "1", "--json"}).out);
    CtlRun sync = Ctl({"sync", "1"});
    EXPECT_EQ(2, sync.code);
    EXPECT_NE(std::string::npos, sync.err.find("needs a running host"));
    InsertWaitingJob();
    EXPECT_EQ(0, Ctl({"cancel", "77"}).code);
    EXPECT_TRUE(Jobs().empty());

    // A host starting while a pellmarctl works on the database (a script polling `list`, say)
    // waits for its lock instead of ending.
    std::unique_ptr<platform::HostLock> held;
    ASSERT_EQ(platform::HostLock::Result::Acquired,
              platform::HostLock::TryAcquire(fs::path(DatabasePath()).parent_path() / "host.lock", &held));
    std::thread release([&held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        held.reset();
    });
    StartHost();
    release.join();
    WriteFile(watched + "/a.txt", "a");
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(backup + "/a.txt"); }));
}

}  // namespace
}  // namespace pellmar

namespace pellmar {
namespace {

// Reads the JSON the way a script would and writes the name back as its bytes.
std::string SourceThroughPython(const std::string& json, const std::string& folder) {
    const std::string input = folder + "/log.json", output = folder + "/name.bin";
    WriteFile(input, json);
    const std::string command = "python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                                "open(sys.argv[2],\"wb\").write(d[0][\"source\"].encode(\"utf-8\",\"surrogateescape\"))' " +
                                input + " " + output;
    return std::system(command.c_str()) == 0 ? test::ReadFile(output) : std::string("(python3 failed)");
}

std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char next = field[++i];
        text += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return text;
}

TEST_F(CtlProcessTest, NamesThatAreNotUtf8OrHoldTabsAndLineBreaksParseBothWaysAndComeBackWhole) {
    test::CreateDatabase(DatabasePath());
    const std::string name = watched + "/caf\xe9\tone\ntwo\\ \xc3\xa9.txt";
    LogValues entry;
    entry.jobid = 5;
    entry.message = "File was copied successfully.";
    entry.src = name;
    entry.dest = backup + "/x.txt";
    test::ExecStatements(DatabasePath(), InsertLogStatement(entry));

    const CtlRun text = Ctl({"log"});
    ASSERT_EQ(0, text.code) << text.err;
    ASSERT_EQ(1, std::count(text.out.begin(), text.out.end(), '\n'));
    const std::string line = text.out.substr(0, text.out.size() - 1);
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    ASSERT_EQ(8u, fields.size()) << line;
    EXPECT_EQ(name, Unescaped(fields[6]));

    const CtlRun json = Ctl({"log", "--json"});
    ASSERT_EQ(0, json.code) << json.err;
    if (std::system("python3 -c pass 2>/dev/null") != 0) GTEST_SKIP() << "no python3 to read the JSON";
    EXPECT_EQ(name, SourceThroughPython(json.out, root.Path()));
}

}  // namespace
}  // namespace pellmar

namespace pellmar {
namespace {

TEST_F(CtlProcessTest, ADamagedDatabaseIsRefusedWithExitCodeTwoAndLeftByteIdentical) {
    test::CreateDatabase(DatabasePath());
    test::ExecStatements(DatabasePath(), "INSERT INTO scanners VALUES(NULL,'" + watched + "','*','','" + backup +
                                             "',1,1,0,0,0,1);");
    std::string bytes = test::ReadFile(DatabasePath());
    ASSERT_GT(bytes.size(), 4096u);
    for (std::size_t i = 4096; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5);
    WriteFile(DatabasePath(), bytes);

    for (const char* command : {"list", "log"}) {
        const CtlRun run = Ctl({command});
        EXPECT_EQ(2, run.code) << command;
        EXPECT_NE(std::string::npos, run.err.find("is damaged")) << run.err;
        EXPECT_NE(std::string::npos, run.err.find("mv '" + DatabasePath() + "'")) << run.err;
    }
    const char* path = PELLMARD_PATH;
    char* argv[] = {const_cast<char*>(path), nullptr};
    pid_t daemon = -1;
    ASSERT_EQ(0, posix_spawn(&daemon, path, nullptr, nullptr, argv, environ));
    int status = 0;
    waitpid(daemon, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_EQ(bytes, test::ReadFile(DatabasePath()));
}

// A packager's man page generator runs both programs with --help and --version on a build
// machine: they print and end at once, leaving no settings file or data folder behind; an
// argument pellmard does not know is refused instead of starting a host.
TEST_F(CtlProcessTest, HelpAndVersionPrintAndEndWithoutTouchingTheUsersFolders) {
    for (const std::string program : {PELLMARD_PATH, PELLMARCTL_PATH}) {
        const std::string name = fs::path(program).filename().string();
        CtlRun version = Run(program, {"--version"});
        EXPECT_EQ(0, version.code) << name;
        EXPECT_EQ(name + " " + kProgramVersion + "\n", version.out);
        CtlRun help = Run(program, {"--help"});
        EXPECT_EQ(0, help.code) << name;
        EXPECT_EQ(0u, help.out.find("Usage: " + name)) << help.out;
    }
    CtlRun unknown = Run(PELLMARD_PATH, {"--foreground"});
    EXPECT_EQ(1, unknown.code);
    EXPECT_NE(std::string::npos, unknown.err.find("see pellmard --help")) << unknown.err;
    EXPECT_FALSE(fs::exists(root / "config"));
    EXPECT_FALSE(fs::exists(root / "data"));
}

}  // namespace
}  // namespace pellmar
