#include "Format.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Format, Directives) {
    EXPECT_EQ(Format("select * from %s where %s", {"bids", "x = 1"}), "select * from bids where x = 1");
    EXPECT_EQ(Format("%d rows", {42}), "42 rows");
    EXPECT_EQ(Format("%d", {-7}), "-7");
    EXPECT_EQ(Format("%d", {LLONG_MIN}), "-9223372036854775808");
    EXPECT_EQ(Format("%d", {std::size_t{12}}), "12");
    EXPECT_EQ(Format("%.2d:%.2d", {5, 17}), "05:17");
    EXPECT_EQ(Format("%.2d", {123}), "123");
    EXPECT_EQ(Format("%.2d", {-5}), "-05");
    EXPECT_EQ(Format("%.4d", {0}), "0000");
    EXPECT_EQ(Format("100%% like '%%abc'", {}), "100% like '%abc'");
    EXPECT_EQ(Format("", {}), "");
    EXPECT_EQ(Format("no directives", {1, "x"}), "no directives");
}

TEST(Format, AppendKeepsWhatIsThere) {
    std::string out = "head:";
    FormatAppend(out, "%s/%d", {"a", 1});
    EXPECT_EQ(out, "head:a/1");
}

TEST(Format, ArgumentTextIsNeverAPattern) {
    // A where clause typed by a user travels as an argument and comes out unchanged.
    const std::string where = "bid_link like '%s%d%%%n%x' and name = '%'";
    EXPECT_EQ(Format("where %s", {where}), "where " + where);
    EXPECT_EQ(Format("%s%s", {"%", "%d"}), "%%d");
}

TEST(Format, BadPatternsRaise) {
    EXPECT_THROW(Format("50%", {}), FormatError); // lone % at the end
    EXPECT_THROW(Format("%", {}), FormatError);
    EXPECT_THROW(Format("%x", {1}), FormatError); // unknown directives
    EXPECT_THROW(Format("%n", {}), FormatError);
    EXPECT_THROW(Format("%5s", {"a"}), FormatError);
    EXPECT_THROW(Format("%-d", {1}), FormatError);
    EXPECT_THROW(Format("%.d", {1}), FormatError);
    EXPECT_THROW(Format("%.2", {1}), FormatError);
    EXPECT_THROW(Format("%.2s", {"a"}), FormatError);
    EXPECT_THROW(Format("%.12d", {1}), FormatError);
    EXPECT_THROW(Format("%S", {"a"}), FormatError);
    EXPECT_THROW(Format("%s and %s", {"one"}), FormatError); // missing argument
    EXPECT_THROW(Format("%d", {}), FormatError);
    EXPECT_THROW(Format("%.2d", {}), FormatError);
    EXPECT_THROW(Format("%s", {1}), FormatError); // type mismatch
    EXPECT_THROW(Format("%d", {"1"}), FormatError);
    EXPECT_THROW(Format("%.2d", {std::string("1")}), FormatError);
}

TEST(Format, ErrorNamesThePattern) {
    try {
        Format("abc %q", {});
        FAIL() << "no FormatError";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("abc %q"), std::string::npos) << e.what();
    }
}
