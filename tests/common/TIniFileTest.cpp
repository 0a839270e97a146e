#include "TIniFile.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {
TIniFile IniOf(const ScratchDir& dir, const std::string& content) {
    WriteFile(dir.File("t.ini"), content);
    return TIniFile(dir.File("t.ini"));
}
} // namespace

TEST(TIniFile, SettingsFileValues) {
    ScratchDir dir;
    TIniFile ini = IniOf(dir, "; settings\r\n"
                              "[ODBC Parameters]\r\n"
                              "DNS Name = bids_dsn \r\n"
                              "  User Name\t=\t\"scott\"\r\n"
                              "Password='ti ger'\r\n"
                              "Empty=\r\n"
                              "[Other]\r\n"
                              "DNS Name=wrong\r\n");
    EXPECT_TRUE(ini.Loaded());
    EXPECT_EQ(ini.ReadString("ODBC Parameters", "DNS Name", ""), "bids_dsn");
    EXPECT_EQ(ini.ReadString("odbc parameters", "USER NAME", ""), "scott");
    EXPECT_EQ(ini.ReadString("ODBC PARAMETERS", "password", ""), "ti ger");
    EXPECT_EQ(ini.ReadString("ODBC Parameters", "Empty", "dflt"), "");
    EXPECT_EQ(ini.ReadString("ODBC Parameters", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("No Such Section", "DNS Name", "d"), "d");
    EXPECT_EQ(ini.ReadString("Other", "dns name", ""), "wrong");
}

TEST(TIniFile, QuotesStrippedOnlyWhenMatching) {
    ScratchDir dir;
    TIniFile ini = IniOf(dir, "[s]\n"
                              "a=\"x\"\n"
                              "b='x'\n"
                              "c=\"x'\n"
                              "d=\"x\n"
                              "e=x\"\n"
                              "f=\"\"\n"
                              "g=\"\n"
                              "h=\" padded \"\n"
                              "i=\"a\"b\"\n"
                              "j=it's\n");
    EXPECT_EQ(ini.ReadString("s", "a", "?"), "x");
    EXPECT_EQ(ini.ReadString("s", "b", "?"), "x");
    EXPECT_EQ(ini.ReadString("s", "c", "?"), "\"x'");
    EXPECT_EQ(ini.ReadString("s", "d", "?"), "\"x");
    EXPECT_EQ(ini.ReadString("s", "e", "?"), "x\"");
    EXPECT_EQ(ini.ReadString("s", "f", "?"), "");
    EXPECT_EQ(ini.ReadString("s", "g", "?"), "\"");
    EXPECT_EQ(ini.ReadString("s", "h", "?"), " padded ");
    EXPECT_EQ(ini.ReadString("s", "i", "?"), "a\"b");
    EXPECT_EQ(ini.ReadString("s", "j", "?"), "it's");
}

TEST(TIniFile, ValuesCappedAt2047Characters) {
    ScratchDir dir;
    std::string longValue(3000, 'v');
    longValue[2046] = 'L';
    TIniFile ini = IniOf(dir, "[s]\nlong=" + longValue + "\nexact=" + std::string(2047, 'e') + "\nquoted=\"" +
                                  std::string(2047, 'q') + "\"\n");
    std::string got = ini.ReadString("s", "long", "");
    ASSERT_EQ(got.size(), 2047u);
    EXPECT_EQ(got.back(), 'L');
    EXPECT_EQ(ini.ReadString("s", "exact", ""), std::string(2047, 'e'));
    EXPECT_EQ(ini.ReadString("s", "quoted", ""), std::string(2047, 'q'));
    EXPECT_EQ(ini.ReadString("s", "none", std::string(2100, 'd')).size(), 2047u);
}

TEST(TIniFile, KeysInFileOrder) {
    ScratchDir dir;
    TIniFile ini = IniOf(dir, "[ODBC]\nDRIVER=SQLite3\nDatabase=/tmp/x.db\n; comment\n\nStepAPI=1\n"
                              "[other]\nzzz=1\n[odbc]\nTimeout=5\n");
    EXPECT_EQ(ini.ReadSectionKeys("odbc"),
              (std::vector<std::string>{"DRIVER", "Database", "StepAPI", "Timeout"}));
    EXPECT_EQ(ini.ReadSectionKeys("other"), std::vector<std::string>{"zzz"});
    EXPECT_TRUE(ini.ReadSectionKeys("missing").empty());
    // A repeated key: the first one wins, as in the profile interface.
    TIniFile dup = IniOf(dir, "[s]\nk=first\nK=second\n");
    EXPECT_EQ(dup.ReadString("s", "k", ""), "first");
}

TEST(TIniFile, OddLines) {
    ScratchDir dir;
    TIniFile ini = IniOf(dir, "\xEF\xBB\xBF[ODBC Parameters]\n"
                              "orphan\n"
                              "  [ spaced ]  \n"
                              "k = a = b\n"
                              "[unclosed\n"
                              "u=1");
    EXPECT_EQ(ini.ReadSectionKeys("ODBC Parameters"), std::vector<std::string>{"orphan"});
    EXPECT_EQ(ini.ReadString("spaced", "k", ""), "a = b");
    EXPECT_EQ(ini.ReadString("unclosed", "u", ""), "1");
}

TEST(TIniFile, MissingFileReadsAsEmpty) {
    ScratchDir dir;
    TIniFile missing(dir.File("nope.ini"));
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.ReadString("ODBC Parameters", "DNS Name", "default"), "default");
    EXPECT_EQ(missing.ReadString("s", "k", "trailing  "), "trailing");
    EXPECT_TRUE(missing.ReadSectionKeys("s").empty());
    TIniFile folder(dir.Path());
    EXPECT_FALSE(folder.Loaded());
    EXPECT_EQ(folder.ReadString("s", "k", "d"), "d");
}
