// The mask language: matching rules, UTF-8 characters, invalid masks, and the list walks.
#include "tray/monitor/Masks.h"

#include <gtest/gtest.h>

#include "tray/util/Lists.h"

namespace pellmar {
namespace {

std::string InvalidMaskMessage(std::string_view mask) {
    try {
        MatchMask("name", mask);
    } catch (const EMaskException& error) {
        return error.what();
    }
    return "(compiled)";
}

std::vector<std::string> List(std::string_view text) {
    std::vector<std::string> items;
    SplitList(text, &items);
    return items;
}

TEST(MatchMask, FoldsOnlyAsciiLettersAndAnchorsBothEnds) {
    EXPECT_TRUE(MatchMask("REPORT.DOC", "*.doc"));
    EXPECT_TRUE(MatchMask("report.doc", "*.DOC"));
    EXPECT_FALSE(MatchMask("report.docx", "*.doc"));
    EXPECT_FALSE(MatchMask("report.doc.bak", "*.doc"));
    EXPECT_FALSE(MatchMask("xdoc", "doc"));
    EXPECT_FALSE(MatchMask("docx", "doc"));
    EXPECT_TRUE(MatchMask("\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9T\xC3\xA9.TXT"));
    EXPECT_FALSE(MatchMask("\xC3\x89T\xC3\x89.txt", "\xC3\xA9t\xC3\xA9.txt"));  // É is not folded to é
    EXPECT_FALSE(MatchMask("[", "{"));  // only letters move: '[' + 32 is '{'
}

TEST(MatchMask, StarNeedsWhatFollowsIt) {
    EXPECT_TRUE(MatchMask("a.b", "*.*"));
    EXPECT_FALSE(MatchMask("README", "*.*"));
    EXPECT_TRUE(MatchMask("anything at all", "*"));
    EXPECT_TRUE(MatchMask("", "*"));
    EXPECT_TRUE(MatchMask("abc", "a**c"));
    EXPECT_TRUE(MatchMask("ac", "a*c"));
    EXPECT_TRUE(MatchMask("aab", "*ab"));               // first fit of "a" is not the right one
    EXPECT_TRUE(MatchMask("abXabYabZ", "*ab?ab?"));     // needs a slide after a partial match
    EXPECT_FALSE(MatchMask("abXabYabZ", "*abYabY"));
    EXPECT_TRUE(MatchMask("mississippi", "m*iss*ppi"));
    EXPECT_FALSE(MatchMask("mississippi", "m*iss*ppix"));
}

TEST(MatchMask, QuestionMarkAfterStarIsDropped) {
    EXPECT_TRUE(MatchMask("a", "a*?"));
    EXPECT_TRUE(MatchMask("x", "*?x"));
    EXPECT_TRUE(MatchMask("ab.txt", "??.txt"));
    EXPECT_FALSE(MatchMask("a.txt", "??.txt"));
    EXPECT_FALSE(MatchMask("abc.txt", "??.txt"));
    EXPECT_FALSE(MatchMask("ab", "ab?"));  // a "?" needs a real character
}

TEST(MatchMask, MultiByteCharacterIsOneCharacter) {
    EXPECT_TRUE(MatchMask("\xC3\xA9.txt", "?.txt"));
    EXPECT_FALSE(MatchMask("\xC3\xA9.txt", "??.txt"));
    EXPECT_TRUE(MatchMask("\xE2\x82\xAC\xF0\x9F\x98\x80", "??"));  // 3- and 4-byte characters
    EXPECT_TRUE(MatchMask("a\xE2\x82\xAC" "b", "*\xE2\x82\xAC*"));
    EXPECT_FALSE(MatchMask("a\xE2\x82\xAD" "b", "*\xE2\x82\xAC*"));  // same lead byte, other character
    // A stray byte is a character of its own and never equals part of a real one.
    EXPECT_TRUE(MatchMask("a\xFF" "b", "a?b"));
    EXPECT_FALSE(MatchMask("\xC3", "\xC3\xA9"));
}

TEST(MatchMask, SetsRangesAndNegation) {
    EXPECT_TRUE(MatchMask("Beta.txt", "[a-c]*"));
    EXPECT_FALSE(MatchMask("Beta.txt", "[!a-c]*"));
    EXPECT_TRUE(MatchMask("delta.txt", "[!a-c]*"));
    EXPECT_TRUE(MatchMask("x1", "x[0-9]"));
    EXPECT_FALSE(MatchMask("x", "x[0-9]"));  // a set needs a real character
    EXPECT_TRUE(MatchMask("z", "[z-a]"));  // a reversed range adds nothing beyond its first character
    EXPECT_FALSE(MatchMask("b", "[z-a]"));
    EXPECT_TRUE(MatchMask("D", "[a-c-e]"));    // a range may start where the last one ended
    EXPECT_TRUE(MatchMask("]x", "]x"));         // a "]" outside a set is a literal
    EXPECT_TRUE(MatchMask("\xC3\xA9", "[\xC3\xA0-\xC3\xAF]"));  // ranges over multi-byte characters
    EXPECT_FALSE(MatchMask("\xC3\xB0", "[\xC3\xA0-\xC3\xAF]"));
    EXPECT_TRUE(MatchMask("\xC3\xB0", "[!\xC3\xA0-\xC3\xAF]"));
    EXPECT_TRUE(MatchMask("~$report.doc", "~$*.doc"));  // "~" and "$" are plain literals
    EXPECT_FALSE(MatchMask("report.doc", "~$*.doc"));
}

TEST(MatchMask, InvalidMasksNameThePlaceWhereCompilingStopped) {
    EXPECT_EQ(InvalidMaskMessage("[abc"), "'[abc' is an invalid mask at (5)");
    EXPECT_EQ(InvalidMaskMessage("[]"), "'[]' is an invalid mask at (2)");
    EXPECT_EQ(InvalidMaskMessage("[!]"), "'[!]' is an invalid mask at (3)");
    EXPECT_EQ(InvalidMaskMessage("a[-z]"), "'a[-z]' is an invalid mask at (3)");
    EXPECT_EQ(InvalidMaskMessage("[a-]"), "'[a-]' is an invalid mask at (4)");
    EXPECT_EQ(InvalidMaskMessage("\xC3\xA9[x"), "'\xC3\xA9[x' is an invalid mask at (4)");  // counts characters
    EXPECT_EQ(InvalidMaskMessage("*.doc"), "(compiled)");
}

TEST(MatchMask, ThirtyStarRunsAreTheLimit) {
    std::string thirty;
    for (int i = 0; i < 30; ++i) thirty += "*a";
    EXPECT_EQ(InvalidMaskMessage(thirty), "(compiled)");
    EXPECT_TRUE(MatchMask(std::string(30, 'a'), thirty));
    EXPECT_FALSE(MatchMask(std::string(29, 'a'), thirty));
    // The 31st run is the closing "*": compiling stops past the last character.
    EXPECT_EQ(InvalidMaskMessage(thirty + "*"), "'" + thirty + "*' is an invalid mask at (62)");
    EXPECT_EQ(InvalidMaskMessage(thirty + "*b"), "'" + thirty + "*b' is an invalid mask at (62)");
    EXPECT_EQ(InvalidMaskMessage(thirty + "**"), "'" + thirty + "**' is an invalid mask at (63)");
}

TEST(MatchMask, ManyStarsOverALongNameStayCheap) {
    // With a retry point per "*" this walk would take about C(250, 29) steps.
    std::string mask;
    for (int i = 0; i < 29; ++i) mask += "*a";
    mask += "*b";
    EXPECT_FALSE(MatchMask(std::string(250, 'a'), mask));
    EXPECT_TRUE(MatchMask(std::string(250, 'a') + "b", mask));
}

TEST(MaskLists, BlanksAndEmptyItemsAreMasksOfTheirOwn) {
    const auto filters = List("*.doc; *.xls");
    EXPECT_TRUE(PassesFilters("a.doc", filters));
    EXPECT_FALSE(PassesFilters("a.xls", filters));
    EXPECT_TRUE(PassesFilters(" a.xls", filters));
    EXPECT_FALSE(PassesFilters("a.txt", List("*.doc;;*.xls")));
    EXPECT_TRUE(PassesFilters("a.xls", List("*.doc;;*.xls")));
    EXPECT_FALSE(PassesFilters("a.doc", {}));
    EXPECT_FALSE(IsExcepted("a.doc", {}));
    EXPECT_TRUE(IsExcepted("Thumbs.DB", List("*.tmp;thumbs.db")));
}

TEST(MaskLists, WalkStopsAtTheFirstMatch) {
    EXPECT_TRUE(PassesFilters("a.doc", {"*.doc", "[bad"}));  // the invalid mask is never reached
    EXPECT_THROW(PassesFilters("a.doc", {"[bad", "*.doc"}), EMaskException);
    EXPECT_THROW(IsExcepted("a.doc", {"*.txt", "[bad"}), EMaskException);
}

TEST(MaskLists, AnInvalidMaskIsNamedAsTheWalkTestedItLowerCased) {
    const auto messageOf = [](auto walk) {
        try {
            walk();
        } catch (const EMaskException& error) {
            return std::string(error.what());
        }
        return std::string("(matched)");
    };
    EXPECT_EQ(messageOf([] { PassesFilters("A.DOC", {"*.TXT", "\xC3\x89[ABC"}); }),
              "'\xC3\x89[abc' is an invalid mask at (6)");
    EXPECT_EQ(messageOf([] { IsExcepted("a.doc", {"[!]X"}); }), "'[!]x' is an invalid mask at (3)");
    EXPECT_EQ(InvalidMaskMessage("[ABC"), "'[ABC' is an invalid mask at (5)");  // MatchMask itself folds nothing
}

}  // namespace
}  // namespace pellmar
