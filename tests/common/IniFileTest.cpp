// INI lookups: the rules the version description depends on, and text that is no INI at all.
#include "common/IniFile.h"

#include "common/TextCase.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace pellmar {
namespace {

TEST(IniFileTest, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    std::string ini = "[AppInfo]\r\nAppName = Pellmar Tray \r\n  versionno=1.3.0.0\r\n[Other]\r\nVersionNo=9\r\n";
    EXPECT_EQ(FindIniValue(ini, "appinfo", "APPNAME"), "Pellmar Tray");
    EXPECT_EQ(FindIniValue(ini, "AppInfo", "VersionNo"), "1.3.0.0");
    EXPECT_EQ(FindIniValue(ini, "Other", "versionNO"), "9");
    EXPECT_EQ(FindIniValue("[ AppInfo ]\nA=1", "AppInfo", "A"), "1");
    EXPECT_EQ(FindIniValue("[AppInfo]\n\tA\t=\t x y \t", "AppInfo", "A"), "x y");
}

TEST(IniFileTest, MissingSectionKeyOrValueReadsEmpty) {
    std::string ini = "[AppInfo]\nAppName=\nVersionNo=1\n[VersionUpdateFiles]\nFile0=http://h/a\n";
    EXPECT_EQ(FindIniValue(ini, "AppInfo", "AppName"), "");
    EXPECT_EQ(FindIniValue(ini, "AppInfo", "Missing"), "");
    EXPECT_EQ(FindIniValue(ini, "Missing", "VersionNo"), "");
    EXPECT_EQ(FindIniValue(ini, "AppInfo", "File0"), "");  // a key of another section
    EXPECT_EQ(FindIniValue("VersionNo=1\n[AppInfo]\n", "AppInfo", "VersionNo"), "");
    EXPECT_EQ(ReadIniValue("/nonexistent/VersionInfo.ini", "AppInfo", "VersionNo"), "");
}

TEST(IniFileTest, CommentsQuotesFirstOccurrenceAndValueLength) {
    std::string ini = "\xEF\xBB\xBF[A]\n;VersionNo=commented\nVersionNo=\"1.0 \"\nVersionNo=2\nUrl=http://h/x;y=1 ;z\n"
                      "[A]\nOnlyLater=3\n";
    EXPECT_EQ(FindIniValue(ini, "A", "VersionNo"), "1.0 ");
    EXPECT_EQ(FindIniValue(ini, "A", "Url"), "http://h/x;y=1 ;z");  // no inline comments
    EXPECT_EQ(FindIniValue(ini, "A", "OnlyLater"), "");               // only the first section counts
    EXPECT_EQ(FindIniValue("[A]\nK='single'\nQ=\"half\n", "A", "K"), "single");
    EXPECT_EQ(FindIniValue("[A]\nQ=\"half\n", "A", "Q"), "\"half");
    EXPECT_EQ(FindIniValue("[A]\nK=a=b\n", "A", "K"), "a=b");

    std::string longValue(3000, 'x');
    EXPECT_EQ(FindIniValue("[A]\nK=" + longValue + "\nNext=1\n", "A", "K"), std::string(2047, 'x'));
    EXPECT_EQ(FindIniValue("[A]\nK=" + longValue + "\nNext=1\n", "A", "Next"), "1");
}

TEST(IniFileTest, WholeSectionInOnePassFollowsTheSameLookupRules) {
    std::string ini = "[Other]\nFile0=no\n[versionupdatefiles]\n FILE0 = a \nfile0=second\n;File1=c\nFile1=\"b\"\n"
                      "[Next]\nFile2=no\n[VersionUpdateFiles]\nFile2=later section\n";
    IniSection section = FindIniSection(ini, "VersionUpdateFiles");
    EXPECT_EQ(section, (IniSection{{"file0", "a"}, {"file1", "b"}}));
    for (const char* key : {"File0", "file1", "File2"}) EXPECT_EQ(FindIniValue(ini, "VersionUpdateFiles", key), section[LowerCaseAscii(key)]);
    EXPECT_TRUE(ReadIniSection("/nonexistent/VersionInfo.ini", "VersionUpdateFiles").empty());
}

TEST(IniFileTest, TextThatIsNoIniYieldsNothing) {
    test::TempFolder folder;
    test::WriteFile(folder / "page.ini", "<html><body>404 [AppInfo] VersionNo=1</body></html>");
    EXPECT_EQ(ReadIniValue(folder / "page.ini", "AppInfo", "VersionNo"), "");
    test::WriteFile(folder / "binary.ini", std::string("\0\x01\xFF[\n=\n]\0", 9));
    EXPECT_EQ(ReadIniValue(folder / "binary.ini", "", ""), "");
    test::WriteFile(folder / "ok.ini", "[AppInfo]\nVersionNo=1.2.0.1");  // no final line end
    EXPECT_EQ(ReadIniValue(folder / "ok.ini", "AppInfo", "VersionNo"), "1.2.0.1");
}

}  // namespace
}  // namespace pellmar
