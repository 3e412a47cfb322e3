// The ";" lists of the stored rows and the small choice helpers.
#include "tray/util/Lists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Split(std::string_view text) {
    std::vector<std::string> items;
    SplitList(text, &items);
    return items;
}

TEST(SplitList, KeepsLeadingAndMiddleEmptiesButNotATrailingOne) {
    EXPECT_THAT(Split("a;b"), ElementsAre("a", "b"));
    EXPECT_THAT(Split("a;;b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(Split("a;"), ElementsAre("a"));
    EXPECT_THAT(Split(";a"), ElementsAre("", "a"));
    EXPECT_THAT(Split(""), ElementsAre());
    EXPECT_THAT(Split("*.doc; *.xls"), ElementsAre("*.doc", " *.xls"));  // blanks are part of the item
    SplitList("a;b", nullptr);  // no list: nothing happens
}

TEST(SplitList, AppendsWithoutClearing) {
    std::vector<std::string> items{"first"};
    SplitList("*.doc;*.xls", &items);
    EXPECT_THAT(items, ElementsAre("first", "*.doc", "*.xls"));
}

TEST(JoinList, JoinsWithSemicolonsAndKeepsEmptyItems) {
    EXPECT_EQ(JoinList({"a", "b"}), "a;b");
    EXPECT_EQ(JoinList({}), "");
    EXPECT_EQ(JoinList({""}), "");
    EXPECT_EQ(JoinList({"a", ""}), "a;");
    EXPECT_THAT(Split(JoinList({"x", "", "y"})), ElementsAre("x", "", "y"));
}

TEST(ChoiceHelpers, PickTheRightSide) {
    EXPECT_EQ(IfThenText(true, "a", "b"), "a");
    EXPECT_EQ(IfThenText(false, "a", "b"), "b");
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    EXPECT_EQ(ActiveText(true), "Active");
    EXPECT_EQ(ActiveText(false), "Disabled");
}

}  // namespace
}  // namespace pellmar
