// The request line carries any argument byte for byte, and a parse refuses what the help forbids.
#include <gtest/gtest.h>

#include "tests/support/NativePath.h"
#include "tray/ctl/CtlProtocol.h"

namespace pellmar::ctl {
namespace {

TEST(CtlProtocolTest, RequestsAndRepliesSurviveTheWireWhateverTheyHold) {
    const std::vector<std::string> args = {"add", "/a b/%41\n\tc", "", "/ü/x", "--masks", "*.txt;~$*"};
    std::string folder;
    std::vector<std::string> decoded;
    const std::string line = EncodeRequest("/home/u s", args);
    EXPECT_EQ(std::string::npos, line.find('\n'));
    ASSERT_TRUE(DecodeRequest(line, &folder, &decoded));
    EXPECT_EQ("/home/u s", folder);
    EXPECT_EQ(args, decoded);
    EXPECT_FALSE(DecodeRequest("/x add%4", &folder, &decoded));

    CtlReply reply{2, "out\n3 4 5\n", "pellmarctl: no\n"}, back;
    ASSERT_TRUE(DecodeReply(EncodeReply(reply), &back));
    EXPECT_EQ(reply.exitCode, back.exitCode);
    EXPECT_EQ(reply.out, back.out);
    EXPECT_EQ(reply.err, back.err);
    EXPECT_FALSE(DecodeReply("0 5 0\nabc", &back));
}

TEST(CtlProtocolTest, ParseKeepsOnlyWhatWasGivenAndRefusesTheRest) {
    ParseResult edit = ParseCommand({"edit", "4", "--backup=rel/b", "--no-subfolders", "--versions", "2"}, "/w");
    ASSERT_TRUE(edit.command) << edit.error;
    ScannerValues values = ApplyOptions(NewMonitorValues(), edit.command->monitor);
    EXPECT_EQ(test::Native("/w/rel/b"), values.backuppath);
    EXPECT_EQ("", values.root);
    EXPECT_FALSE(values.subfolders);
    EXPECT_TRUE(values.deletions);
    EXPECT_TRUE(values.hasversions);
    EXPECT_EQ(2, values.maxversions);
    EXPECT_EQ(1, values.status);
    EXPECT_EQ(std::vector<std::string>{"*"}, values.filters);

    for (auto bad : std::vector<std::vector<std::string>>{
             {}, {"list", "3"}, {"show"}, {"show", "0"}, {"show", "x"}, {"add", "a"}, {"add", "a", "b", "--folder", "c"},
             {"edit", "1", "--masks"}, {"edit", "1", "--masks", "a;;b"}, {"log", "--limit", "-1"}, {"edit", "1", "--exclusive=1"}}) {
        EXPECT_FALSE(ParseCommand(bad, "/w").command) << (bad.empty() ? "" : bad[0]);
    }
}

}  // namespace
}  // namespace pellmar::ctl
