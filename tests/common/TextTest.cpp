#include "Text.h"

#include <gtest/gtest.h>

TEST(Text, TrimDropsCodesUpTo32) {
    EXPECT_EQ(Trim(" \t\r\n abc \x01\x1f "), "abc");
    EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
    EXPECT_EQ(Trim("a b"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    // Bytes above 127 are text (UTF-8 or a code page), never blanks.
    EXPECT_EQ(Trim("\xC3\xA9 \xA0"), "\xC3\xA9 \xA0");
    EXPECT_EQ(Trim("\x7f"), "\x7f");
    EXPECT_EQ(TrimView(" x ").size(), 1u);
}

TEST(Text, CaseIsAsciiOnly) {
    EXPECT_EQ(UpperCase("bid_Link-09az{}"), "BID_LINK-09AZ{}");
    EXPECT_EQ(LowerCase("BID_Link@[AZ"), "bid_link@[az");
    // Letters outside ASCII stay as they are, byte for byte.
    EXPECT_EQ(UpperCase("\xC3\xA9t\xE9"), "\xC3\xA9T\xE9");
    EXPECT_EQ(LowerCase("\xC3\x89T\xC9"), "\xC3\x89t\xC9");
}

TEST(Text, SameTextAndFindText) {
    EXPECT_TRUE(SameText("BidStatus", "bidstatus"));
    EXPECT_FALSE(SameText("bid", "bids"));
    EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_EQ(FindText("SQLite3 ODBC Driver", "odbc"), 8u);
    EXPECT_EQ(FindText("MariaDB", "MARIADB"), 0u);
    EXPECT_EQ(FindText("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(FindText("abcabc", "CA"), 2u);
    EXPECT_EQ(FindText("firebird", "bird"), 4u);
    EXPECT_EQ(FindText("oracle", "sql"), std::string_view::npos);
}
