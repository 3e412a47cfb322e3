// Command-line splitting and the decimal handle parse: the rules both helper programs rely on,
// for a command line held as one text and for an argv split by the system.
#include "common/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommandLineTest, SplitsAtBlanksOutsideQuotesAndSkipsTheProgram) {
    EXPECT_THAT(ParseCommandLine("qmUpdate http://h/u \"C:\\Program Files\\P\\Pellmar.exe\" 1.2.0.0 123"),
                ElementsAre("http://h/u", "C:\\Program Files\\P\\Pellmar.exe", "1.2.0.0", "123"));
    // Every code from 1 to 32 is a blank; runs of them separate one parameter from the next.
    EXPECT_THAT(ParseCommandLine("prog\t a\x01\x1F b \r\n"), ElementsAre("a", "b"));
    EXPECT_THAT(ParseCommandLine("\"C:\\Program Files\\qmUpdate.exe\" one"), ElementsAre("one"));
    EXPECT_THAT(ParseCommandLine(""), IsEmpty());
    EXPECT_THAT(ParseCommandLine("prog"), IsEmpty());
}

TEST(CommandLineTest, QuotedStretchesAndOuterQuotes) {
    // A quote opens a stretch anywhere in a parameter; only a pair around the whole of it is removed.
    EXPECT_THAT(ParseCommandLine("p a\"b c\"d"), ElementsAre("a\"b c\"d"));
    EXPECT_THAT(ParseCommandLine("p \"a \"x\" b\""), ElementsAre("a \"x\" b"));
    EXPECT_THAT(ParseCommandLine("p \"unterminated rest"), ElementsAre("\"unterminated rest"));
    EXPECT_THAT(ParseCommandLine("p \" x"), ElementsAre("\" x"));
    EXPECT_THAT(ParseCommandLine("p \""), ElementsAre("\""));
}

TEST(CommandLineTest, EmptyQuotePairsDisappearAndTheCountEndsAtTheFirstEmptyParameter) {
    EXPECT_THAT(ParseCommandLine("p a \"\" b"), ElementsAre("a", "b"));
    EXPECT_THAT(ParseCommandLine("p \"\"\"\" a"), ElementsAre("a"));
    EXPECT_THAT(ParseCommandLine("p a \"\""), ElementsAre("a"));
    // Three parameters and an empty fourth: fewer than four count.
    EXPECT_THAT(ParseCommandLine("p u path 1.0 \"\""), ElementsAre("u", "path", "1.0"));
}

TEST(CommandLineTest, EachArgvItemIsOneParameterWhateverBlanksAndQuotesItHolds) {
    const std::vector<std::string> argv = {"/opt/Pel mar/qmUpdate", "/opt/a \"b c", "x\" y", "\"\"", "", "\"/opt/P/Pellmar\"", "tab\there", "\""};
    EXPECT_THAT(ParseArgumentVector(argv),
                ElementsAre("/opt/a \"b c", "x\" y", "/opt/P/Pellmar", "tab\there", "\""));
    EXPECT_THAT(ParseArgumentVector({argv[0]}), IsEmpty());
}

TEST(CommandLineTest, DecimalHandleParse) {
    EXPECT_EQ(ParseDecimalInt32("123"), 123);
    EXPECT_EQ(ParseDecimalInt32("-5"), -5);
    EXPECT_EQ(ParseDecimalInt32("+7"), 7);
    EXPECT_EQ(ParseDecimalInt32("12ab"), 12);
    EXPECT_EQ(ParseDecimalInt32("abc"), 0);
    EXPECT_EQ(ParseDecimalInt32(""), 0);
    EXPECT_EQ(ParseDecimalInt32("-"), 0);
    EXPECT_EQ(ParseDecimalInt32(" 5"), 0);
    EXPECT_EQ(ParseDecimalInt32("--5"), 0);
    EXPECT_EQ(ParseDecimalInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimalInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimalInt32("2147483648"), -2147483647 - 1);  // wraps, no overflow check
    EXPECT_EQ(ParseDecimalInt32("4294967297"), 1);
}

}  // namespace
}  // namespace pellmar
