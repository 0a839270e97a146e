// The engine's pure pieces: quoting, comment escaping, number test, type texts, banner
// locale parsing and the output writer with a device that fails.
#include "ExactFloats.h"
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TFirebirdWriter.h"
#include "TMySQLWriter.h"
#include "TExport.h"
#include "TOutFile.h"
#include "TypeMapping.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <map>

TEST(SqlText, ValuesQuoteByTypeAndTarget) {
    auto value = [](std::string_view v, TColumnType t, bool mysql) {
        std::string out;
        AppendSqlValue(out, v, t, mysql);
        return out;
    };
    // The row of the data-section example (its empty date is a NULL: see the writer's test).
    EXPECT_EQ(value("5", ctInteger, false), "'5'");
    EXPECT_EQ(value("O'Hara", ctString, false), "'O''Hara'");
    // An empty value stays empty in every type; blanks stay.
    EXPECT_EQ(value("", ctMemo, false), "''");
    EXPECT_EQ(value("", ctString, false), "''");
    EXPECT_EQ(value("  padded  ", ctString, true), "'  padded  '");
    // Zero dates only in their own types.
    EXPECT_EQ(value("0000-00-00", ctDate, false), "null");
    EXPECT_EQ(value("0000-00-00 00:00:00", ctDateTime, false), "null");
    EXPECT_EQ(value("0000-00-00", ctString, false), "'0000-00-00'");
    EXPECT_EQ(value("0000-00-00", ctDateTime, false), "'0000-00-00'");
    // Quotes doubled in every type, memo included.
    EXPECT_EQ(value("it's", ctMemo, false), "'it''s'");
    EXPECT_EQ(value("''", ctUnknown, false), "''''''");
    // Backslash and NUL: MySQL escapes them, other targets keep the backslash and write NUL
    // as their character function joined with "||" (left out without one).
    EXPECT_EQ(value(std::string_view("a\\b\0c", 5), ctString, true), "'a\\\\b\\0c'");
    EXPECT_EQ(value(std::string_view("a\\b\0c", 5), ctMemo, false), "'a\\bc'");
    {
        std::string out;
        AppendSqlValue(out, std::string_view("\0a\0\0", 4), ctString, false, "ascii_char(0)");
        EXPECT_EQ(out, "'' || ascii_char(0) || 'a' || ascii_char(0) || '' || ascii_char(0) || ''");
    }
    EXPECT_EQ(value("\\'", ctString, true), "'\\\\'''");
    // CR, LF and Ctrl-Z: escaped for MySQL as its own dumps do (its client drops a CR
    // before a line end). Other targets' script readers drop it too, so a CR before a LF
    // ends the literal.
    EXPECT_EQ(value("a\r\nb\rc\n\x1a", ctMemo, true), "'a\\r\\nb\\rc\\n\\Z'");
    EXPECT_EQ(value("a\r\nb\rc\r\n", ctString, false), "'a\r' || '\nb\rc\r' || '\n'");
    // A bit is a bare 0 or 1 for MySQL only; other targets quote it like any number.
    EXPECT_EQ(value("1", ctBoolean, true), "1");
    EXPECT_EQ(value("1", ctBoolean, false), "'1'");
    EXPECT_EQ(value("true", ctBoolean, true), "'true'");
}

TEST(DialectWriter, NullBinaryAndTextFields) {
    auto field = [](TExportDialect d, TFieldData f, TColumnType t, bool binary) {
        std::string out;
        MakeDialectWriter(d)->AppendValue(out, f, t, binary);
        return out;
    };
    const std::string_view bytes("\x00\xff\x10", 3);
    EXPECT_EQ(field(edMySQL, {bytes, false}, ctString, true), "X'00FF10'");
    EXPECT_EQ(field(edFirebird, {bytes, false}, ctUnknown, true), "x'00FF10'");
    EXPECT_EQ(field(edOracle, {bytes, false}, ctString, true), "X'00FF10'");
    EXPECT_EQ(field(edMySQL, {"", false}, ctMemo, true), "X''");
    // NULL is null in every type and dialect, text included; an empty text stays ''.
    for (TColumnType t : {ctString, ctMemo, ctInteger, ctDate})
        for (TExportDialect d : {edMySQL, edFirebird, edOracle, edFoxPro}) {
            EXPECT_EQ(field(d, {"", true}, t, false), "null");
            EXPECT_EQ(field(d, {"", true}, t, true), "null");
        }
    EXPECT_EQ(field(edFirebird, {"", false}, ctMemo, false), "''");
}

TEST(DialectWriter, DefaultsAreExpressionsNumbersOrLiterals) {
    auto def = [](TExportDialect d, std::string_view text, bool mysqlSource = true) {
        return MakeDialectWriter(d)->DefaultClause(text, mysqlSource);
    };
    // The column-definition example's default, and the catalogue's quoted forms.
    EXPECT_EQ(def(edMySQL, "abc"), " DEFAULT 'abc'");
    EXPECT_EQ(def(edMySQL, "'abc'"), " DEFAULT 'abc'");
    EXPECT_EQ(def(edMySQL, "'it''s'"), " DEFAULT 'it''s'");
    EXPECT_EQ(def(edFirebird, R"('a\\b')"), R"( DEFAULT 'a\b')");
    EXPECT_EQ(def(edOracle, R"('a\b')", false), R"( DEFAULT 'a\b')");
    EXPECT_EQ(def(edMySQL, "0"), " DEFAULT 0");
    EXPECT_EQ(def(edMySQL, "1.5"), " DEFAULT 1.5");
    EXPECT_EQ(def(edMySQL, "NULL"), "");
    EXPECT_EQ(def(edMySQL, "'0000-00-00'"), "");
    EXPECT_EQ(def(edMySQL, "'0000-00-00 00:00:00'"), "");
    EXPECT_EQ(def(edMySQL, "null"), " DEFAULT 'null'");
    // The clock in each source's spelling becomes the target's expression.
    EXPECT_EQ(def(edMySQL, "current_timestamp()"), " DEFAULT CURRENT_TIMESTAMP");
    EXPECT_EQ(def(edMySQL, "current_timestamp(3)"), " DEFAULT CURRENT_TIMESTAMP(3)");
    EXPECT_EQ(def(edFirebird, "current_timestamp(3)"), " DEFAULT CURRENT_TIMESTAMP");
    EXPECT_EQ(def(edFirebird, "CURRENT_TIMESTAMP"), " DEFAULT CURRENT_TIMESTAMP");
    EXPECT_EQ(def(edOracle, "(datetime('now'))", false), " DEFAULT CURRENT_TIMESTAMP");
    EXPECT_EQ(def(edOracle, "now()"), " DEFAULT CURRENT_TIMESTAMP");
    EXPECT_EQ(def(edMySQL, "curdate()"), " DEFAULT (CURRENT_DATE)");
    EXPECT_EQ(def(edFirebird, "current_date"), " DEFAULT CURRENT_DATE");
    EXPECT_EQ(def(edOracle, "CURRENT_TIME"), " DEFAULT CURRENT_TIME");
    // Nothing from the catalogue leaves the literal: quotes doubled, a broken literal
    // taken whole as the value.
    EXPECT_EQ(def(edMySQL, "'');DROP TABLE victim;--"), " DEFAULT ''');DROP TABLE victim;--'");
    EXPECT_EQ(def(edOracle, "it''s", false), " DEFAULT 'it''s'");
    EXPECT_EQ(def(edOracle, "it's", false), " DEFAULT 'it''s'");
    EXPECT_EQ(def(edFirebird, "x'); DROP TABLE v; --"), " DEFAULT 'x''); DROP TABLE v; --'");
    EXPECT_EQ(def(edMySQL, R"('a\'); DROP TABLE v; --')"), R"( DEFAULT 'a''); DROP TABLE v; --')");
    EXPECT_EQ(def(edMySQL, R"('a\\'); DROP TABLE v; --')"), R"( DEFAULT '''a\\\\''); DROP TABLE v; --''')");
}

TEST(DialectWriter, ReservedWordsAndLongNames) {
    auto name = [](TExportDialect d, std::string_view n) { return MakeDialectWriter(d)->Ident(n); };
    EXPECT_EQ(name(edMySQL, "key"), "`key`");
    EXPECT_EQ(name(edMySQL, "Desc"), "`Desc`");
    EXPECT_EQ(name(edMySQL, "date"), "date"); // a keyword MySQL takes as a name
    EXPECT_EQ(name(edFirebird, "date"), "\"date\"");
    EXPECT_EQ(name(edFirebird, "position"), "\"position\"");
    EXPECT_EQ(name(edOracle, "order"), "\"order\"");
    EXPECT_EQ(name(edOracle, "number"), "\"number\"");
    EXPECT_EQ(name(edFoxPro, "select"), "\"select\"");
    EXPECT_EQ(name(edOracle, "items"), "items");
    // Firebird: at most 31 bytes, the same every time, different for different names.
    const std::string longName = "bid_a_very_long_table_name_beyond_limits";
    const std::string shortened = FirebirdName(longName);
    EXPECT_EQ(shortened.size(), 31u);
    EXPECT_EQ(shortened.substr(0, 23), longName.substr(0, 22) + "$");
    EXPECT_EQ(FirebirdName(longName), shortened);
    EXPECT_NE(FirebirdName(longName + "2"), shortened);
    EXPECT_EQ(name(edFirebird, longName), shortened);
    EXPECT_EQ(FirebirdName("GEN$SHORT$ID"), "GEN$SHORT$ID");
    EXPECT_EQ(FirebirdName(std::string(31, 'x')), std::string(31, 'x'));
    // A cut never splits a character: 21 letters and a two-byte letter at bytes 22 and 23.
    const std::string wide = std::string(21, 'a') + "\xc3\xa4" + std::string(20, 'b');
    const std::string cut = FirebirdName(wide);
    EXPECT_EQ(cut.substr(0, 22), std::string(21, 'a') + "$");
    EXPECT_EQ(cut.size(), 30u);
}

TEST(SqlText, IdentifiersAndComments) {
    EXPECT_TRUE(IsPlainIdentifier("items"));
    EXPECT_TRUE(IsPlainIdentifier("GEN$ITEMS$ID"));
    EXPECT_TRUE(IsPlainIdentifier("_x9"));
    EXPECT_FALSE(IsPlainIdentifier("9x"));
    EXPECT_FALSE(IsPlainIdentifier("my table"));
    EXPECT_FALSE(IsPlainIdentifier(""));
    EXPECT_FALSE(IsPlainIdentifier("caf\xc3\xa9"));
    auto quote = [](std::string_view name, TExportDialect d) { return MakeDialectWriter(d)->Ident(name); };
    EXPECT_EQ(quote("items", edMySQL), "items");
    EXPECT_EQ(quote("a`b c", edMySQL), "`a``b c`");
    EXPECT_EQ(quote("a\"b;", edFirebird), "\"a\"\"b;\"");
    EXPECT_EQ(quote("x--y", edOracle), "\"x--y\"");
    EXPECT_EQ(quote("a`b", edFoxPro), "\"a`b\"");
    EXPECT_EQ(CommentText("a*/b"), "a* /b");
    EXPECT_EQ(CommentText("**//*/"), "** // * /");
    EXPECT_EQ(CommentText("a/*b"), "a/ *b"); // PostgreSQL nests block comments
    EXPECT_EQ(CommentText("plain"), "plain");
    EXPECT_EQ(LiteralBody("O'Hara"), "O''Hara");
}

TEST(SqlText, DelimitedFields) {
    EXPECT_EQ(QuoteDelimited("a,b", ","), "\"a,b\"");
    EXPECT_EQ(QuoteDelimited("a,b", "\t"), "a,b");
    EXPECT_EQ(QuoteDelimited("say \"hi\"", ","), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteDelimited("say \"hi\",x", ","), "\"say \"\"hi\"\",x\"");
    EXPECT_EQ(QuoteDelimited("two\nlines \"q\"", "\t"), "\"two\nlines \"\"q\"\"\"");
    EXPECT_EQ(QuoteDelimited("cr\r", ","), "\"cr\r\"");
    EXPECT_EQ(QuoteDelimited("", ","), "");
}

TEST(SqlText, IsNumber) {
    for (const char* yes : {"0", "1.5", "-3", "+2.", ".5", "1e10", "2E-3", "  7", "-0.25e+2"})
        EXPECT_TRUE(IsNumber(yes)) << yes;
    for (const char* no :
         {"", " ", "abc", "1,5", "1.5x", "e5", "1e", "--1", "CURRENT_TIMESTAMP", "'0'", "1 ", "."})
        EXPECT_FALSE(IsNumber(no)) << no;
}

// Which values of numeric columns the MySQL form may write bare: only forms the server
// reads back as the same number; the round trip itself is ExportMultiRow's.
TEST(MySQLWriter, BareNumbersOnlyInPlainForms) {
    const std::string digits65 = "-" + std::string(55, '9') + "." + std::string(10, '1');
    for (SQLSMALLINT t : {SQL_TINYINT, SQL_INTEGER, SQL_BIGINT, SQL_DECIMAL, SQL_NUMERIC, SQL_REAL, SQL_DOUBLE})
        for (const std::string& yes : {std::string("0"), std::string("-1"), std::string("18446744073709551615")})
            EXPECT_TRUE(IsMySQLBareNumber(t, yes)) << t << " " << yes;
    for (SQLSMALLINT t : {SQL_DECIMAL, SQL_DOUBLE})
        for (const std::string& yes : {std::string("0.5"), std::string("-0.000001"), digits65})
            EXPECT_TRUE(IsMySQLBareNumber(t, yes)) << t << " " << yes;
    for (const char* yes : {"1.7976931348623157e308", "5e-324", "-2.5E+10", "1e0"})
        EXPECT_TRUE(IsMySQLBareNumber(SQL_DOUBLE, yes)) << yes;
    // An exponent only for floating columns: a decimal or integer column would take the
    // double it makes, not the text.
    for (SQLSMALLINT t : {SQL_INTEGER, SQL_DECIMAL})
        EXPECT_FALSE(IsMySQLBareNumber(t, "1e5")) << t;
    EXPECT_FALSE(IsMySQLBareNumber(SQL_INTEGER, "1.5"));
    // Past 65 digits the server cuts a plain literal short.
    EXPECT_FALSE(IsMySQLBareNumber(SQL_DECIMAL, digits65 + "1"));
    EXPECT_FALSE(IsMySQLBareNumber(SQL_DOUBLE, "0." + std::string(70, '0') + "123"));
    for (const char* no : {"", "-", "007", "-01", "+1", " 1", "1 ", "1.", ".5", "1e", "1e+", "1e1000", "0x1F",
                           "NaN", "nan", "Infinity", "-inf", "1,5", "1.5.1", "--1"})
        EXPECT_FALSE(IsMySQLBareNumber(SQL_DOUBLE, no)) << no;
    for (SQLSMALLINT t : {SQL_VARCHAR, SQL_CHAR, SQL_BIT, SQL_TYPE_DATE, SQL_BINARY, SQL_UNKNOWN_TYPE})
        EXPECT_FALSE(IsMySQLBareNumber(t, "5")) << t;
}

namespace {
std::string Type(TExportDialect target, TExportDialect source, std::map<std::string, std::string> row,
                 bool oracleSelect = false, bool stampOverride = false) {
    return MakeDialectWriter(target)->TypeText(source, oracleSelect, stampOverride, [&](std::string_view c) {
        auto it = row.find(std::string(c));
        return it == row.end() ? std::string() : it->second;
    });
}
} // namespace

// SQLite's bits after the point (times 2^60) and the driver's text make the value only where
// that text is close enough to tell its whole part; a coarser text, as a driver giving 6
// digits would write 1234567.875, could be a whole number off and is not used.
TEST(ExactFloats, FractionAndDriverTextMakeTheValue) {
    std::string out;
    const auto fraction = [](double Value) {
        return std::to_string(static_cast<long long>(std::ldexp(Value - std::trunc(Value), 60)));
    };
    // 0.1 + 0.2 from its 15 digits; negative values, whose whole part is cut towards zero.
    ASSERT_TRUE(ExactFloatText("0.3", fraction(0.1 + 0.2), TExactForm::Fraction, out));
    EXPECT_EQ(out, "0.30000000000000004");
    ASSERT_TRUE(ExactFloatText("-3.0", fraction(-3 + 0x1p-51), TExactForm::Fraction, out));
    EXPECT_EQ(out, "-2.9999999999999996");
    ASSERT_TRUE(ExactFloatText("1099511627776.0", fraction(0x1p40 - 0x1p-12), TExactForm::Fraction, out));
    EXPECT_EQ(out, "1099511627775.9998");
    // Exact already: the driver's spelling stays.
    EXPECT_FALSE(ExactFloatText("12.5", fraction(12.5), TExactForm::Fraction, out));
    EXPECT_FALSE(ExactFloatText("1.23457e+06", fraction(1234567.875), TExactForm::Fraction, out));
    EXPECT_FALSE(ExactFloatText("1234568", fraction(1234567.875), TExactForm::Fraction, out));
    // Outside the fraction's range the item is a text with every digit.
    ASSERT_TRUE(ExactFloatText("1.79769313486232e+308", "1.79769313486231570815e+308", TExactForm::Fraction, out));
    EXPECT_EQ(out, "1.7976931348623157e+308");
}

TEST(ExactFloats, OnlyFloatTextsBeyondTheLargestFloatAreWidened) {
    std::string out;
    ASSERT_TRUE(WidenedFloatText("-3.4028235e+38", out));
    EXPECT_EQ(out, "-3.4028234663852886e+38");
    EXPECT_FALSE(WidenedFloatText("3.4028233e+38", out));
    EXPECT_FALSE(WidenedFloatText("1.4e-45", out));
    EXPECT_FALSE(WidenedFloatText("0.1", out));
    // Words and no numbers stay as they are.
    EXPECT_FALSE(WidenedFloatText("NaN", out));
    EXPECT_FALSE(WidenedFloatText("-Infinity", out));
    EXPECT_FALSE(WidenedFloatText("3.5e38", out));
    EXPECT_FALSE(WidenedFloatText("", out));
}

TEST(ExportDialect, OneListNamesEveryDialect) {
    // Codes are the list's positions, names and codes map both ways.
    const auto dialects = ExportDialects();
    ASSERT_EQ(dialects.size(), 8u);
    for (std::size_t i = 0; i < dialects.size(); ++i) {
        const TDialectInfo& d = dialects[i];
        EXPECT_EQ(d.Code, i);
        EXPECT_EQ(FindDialect(d.Code), &d);
        TExportDialect byName = edOracle;
        EXPECT_TRUE(DialectByName(DialectName(d.Code), byName)) << d.Name;
        EXPECT_EQ(byName, d.Code);
        // SQL scripts carry a banner, delimited text a separator, never both.
        EXPECT_NE(d.Banner.empty(), d.Delimiter.empty()) << d.Name;
    }
    EXPECT_EQ(FindDialect(static_cast<TExportDialect>(8)), nullptr);
    EXPECT_EQ(DialectName(static_cast<TExportDialect>(200)), "");
    TExportDialect unchanged = edFoxPro;
    EXPECT_FALSE(DialectByName("MySQL", unchanged));
    EXPECT_FALSE(DialectByName("", unchanged));
    EXPECT_EQ(unchanged, edFoxPro);
    EXPECT_EQ(FindDialect(edTabText)->Delimiter, "\t");
    EXPECT_EQ(FindDialect(edFoxPro)->Banner, " FoxPro Dump using uExport");
}

TEST(TypeMapping, EveryTableEntryCanWin) {
    // Names are matched in lower case and the first match wins: an entry in capitals or
    // behind an earlier one of the same name would never be used.
    for (const TDialectInfo& target : ExportDialects())
        for (const TDialectInfo& source : ExportDialects()) {
            const auto table = MakeDialectWriter(target.Code)->TypeTable(source.Code);
            for (std::size_t i = 0; i < table.size(); ++i) {
                EXPECT_EQ(LowerCase(table[i].SourceType), table[i].SourceType) << target.Name;
                EXPECT_FALSE(table[i].HasScale && !table[i].HasLength) << table[i].SourceType;
                for (std::size_t j = 0; j < i; ++j)
                    EXPECT_NE(table[j].SourceType, table[i].SourceType) << target.Name << " from " << source.Name;
            }
        }
}

TEST(TypeMapping, TypeTexts) {
    // MySQL to MySQL.
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "VARCHAR"}, {"column_size", "40"}}), "varchar(40)");
    EXPECT_EQ(
        Type(edMySQL, edMySQL, {{"type_name", "decimal"}, {"column_size", "10"}, {"decimal_digits", "2"}}),
        "decimal(10,2)");
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "timestamp"}, {"column_size", "19"}}), "timestamp");
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "TEXT"}, {"column_size", "65535"}}), "text");
    // The size of a double is its precision, not a length; an unsigned type takes the
    // length before the attribute.
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "double"}, {"column_size", "15"}}), "double");
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "int unsigned"}, {"column_size", "10"}}),
              "int(10) unsigned");
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "BIGINT UNSIGNED"}, {"column_size", "20"}}),
              "bigint(20) unsigned");
    // MySQL to Firebird: Firebird names for MySQL types, enum as varchar of its longest value,
    // text and blob types as blobs.
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "datetime"}}), "timestamp");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "tinyint unsigned"}}), "smallint");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "double"}}), "double precision");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "enum"}, {"column_size", "6"}}), "varchar(6)");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "mediumtext"}, {"column_size", "9"}}),
              "blob sub_type text");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "longblob"}}), "blob");
    // Firebird to MySQL, and the td_update override.
    EXPECT_EQ(Type(edMySQL, edFirebird, {{"type_name", "timestamp"}}), "datetime");
    EXPECT_EQ(Type(edMySQL, edFirebird, {{"type_name", "date"}}, false, true), "timestamp");
    EXPECT_EQ(Type(edFirebird, edFirebird, {{"type_name", "timestamp"}}, false, true), "timestamp");
    // Oracle with and without its own catalogue select.
    EXPECT_EQ(Type(edOracle, edOracle,
                   {{"type_name", "NUMBER"},
                    {"data_precision", "8"},
                    {"column_size", "22"},
                    {"decimal_digits", "2"}},
                   true),
              "decimal(8,2)");
    EXPECT_EQ(
        Type(edOracle, edOracle, {{"type_name", "NUMBER"}, {"column_size", "22"}, {"decimal_digits", "0"}}),
        "decimal(22,0)");
    EXPECT_EQ(Type(edOracle, edOracle, {{"type_name", "NUMBER"}}, true), "number");
    EXPECT_EQ(Type(edOracle, edOracle, {{"type_name", "VARCHAR2"}, {"column_size", "30"}}), "varchar2(30)");
    // Firebird: types that hold every value of the unsigned and wide MySQL types.
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "smallint unsigned"}}), "int");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "int unsigned"}}), "bigint");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "bigint unsigned"}}), "varchar(20)");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "year"}}), "smallint");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "bit"}, {"column_size", "1"}}), "smallint");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "bit"}, {"column_size", "12"}}),
              "char(2) character set octets");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "varbinary"}, {"column_size", "10"}}),
              "varchar(10) character set octets");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "set"}, {"column_size", "9"}}), "varchar(9)");
    EXPECT_EQ(
        Type(edFirebird, edMySQL, {{"type_name", "decimal"}, {"column_size", "18"}, {"decimal_digits", "4"}}),
        "decimal(18,4)");
    EXPECT_EQ(
        Type(edFirebird, edMySQL, {{"type_name", "decimal"}, {"column_size", "30"}, {"decimal_digits", "4"}}),
        "varchar(32)");
    std::string note;
    MakeDialectWriter(edFirebird)
        ->TypeText(
            edMySQL, false, false,
            [](std::string_view c) { return std::string(c == "type_name" ? "bigint unsigned" : ""); }, &note);
    EXPECT_NE(note.find("bigint unsigned"), std::string::npos) << note;
    // MySQL from MySQL, when SHOW COLUMNS gives nothing better.
    EXPECT_EQ(Type(edMySQL, edMySQL,
                   {{"type_name", "decimal unsigned"}, {"column_size", "8"}, {"decimal_digits", "2"}}),
              "decimal(8,2) unsigned");
    EXPECT_EQ(Type(edMySQL, edMySQL, {{"type_name", "varbinary"}, {"column_size", "10"}}), "varbinary(10)");
    // A catalogue type name that is no plain type never reaches the statement.
    EXPECT_EQ(Type(edOracle, edMySQL, {{"type_name", "int); DROP TABLE t; --"}}), "text");
    // FoxPro reads its own length and scale columns.
    EXPECT_EQ(
        Type(edFoxPro, edFoxPro, {{"type_name", "N"}, {"length", "8"}, {"scale", "3"}, {"column_size", "1"}}),
        "number(8,3)");
    // No table for the pair: lower-case name, no length.
    EXPECT_EQ(Type(edMySQL, edOracle, {{"type_name", "VARCHAR"}, {"column_size", "40"}}), "varchar");
    // A name the pair's table lacks stays as it is.
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "geometry"}}), "blob");
    EXPECT_EQ(Type(edFirebird, edMySQL, {{"type_name", "vector"}}), "vector");
}

TEST(TypeMapping, MySQLDeclaredTypes) {
    // Enum and set values are parsed and quoted anew: doubled or backslash-escaped quotes,
    // backslashes doubled, NUL as \0.
    EXPECT_EQ(MySQLDeclaredType("enum", "enum('a','it''s','b\\\\c')"), "enum('a','it''s','b\\\\c')");
    EXPECT_EQ(MySQLDeclaredType("ENUM", "ENUM('x\\'y','',' , ')"), "enum('x''y','',' , ')");
    EXPECT_EQ(MySQLDeclaredType("set", "set('a\\0b','c')"), std::string("set('a\\0b','c')"));
    // Anything that is not exactly a list of literals is refused, so nothing unquoted gets through.
    EXPECT_EQ(MySQLDeclaredType("enum", "enum('a'),x int"), "");
    EXPECT_EQ(MySQLDeclaredType("enum", "enum('a');drop table t;('b')"), "");
    EXPECT_EQ(MySQLDeclaredType("enum", "enum('a)"), "");
    EXPECT_EQ(MySQLDeclaredType("set", "enum('a')"), "");
    // Lengths and fractional digits.
    EXPECT_EQ(MySQLDeclaredType("varbinary", "varbinary(10)"), "varbinary(10)");
    EXPECT_EQ(MySQLDeclaredType("binary", "binary(4)"), "binary(4)");
    EXPECT_EQ(MySQLDeclaredType("bit", "bit(5)"), "bit(5)");
    EXPECT_EQ(MySQLDeclaredType("datetime", "datetime(3)"), "datetime(3)");
    EXPECT_EQ(MySQLDeclaredType("timestamp", "timestamp"), "timestamp");
    EXPECT_EQ(MySQLDeclaredType("bit", "bit(5) default 1"), "");
    EXPECT_EQ(MySQLDeclaredType("decimal unsigned", "decimal(8,2) unsigned"), "decimal(8,2) unsigned");
    EXPECT_EQ(MySQLDeclaredType("decimal unsigned", "decimal(8,2) unsigned; x"), "");
    EXPECT_EQ(MySQLDeclaredType("decimal unsigned", "decimal(8) unsigned"), "");
    EXPECT_EQ(MySQLDeclaredType("varbinary", "varbinary(x)"), "");
    // Every other type keeps the table's text.
    EXPECT_EQ(MySQLDeclaredType("int", "int(11)"), "");
    EXPECT_EQ(MySQLDeclaredType("double", "double(10,3)"), "");
}

namespace {
// Takes Limit bytes, then refuses everything; optionally fails the close as well.
class TFailingDevice : public TOutDevice {
  public:
    TFailingDevice(std::string& Sink, std::size_t Limit, bool FailClose = false, int* Closes = nullptr)
        : sink_(Sink), limit_(Limit), failClose_(FailClose), closes_(Closes) {}
    std::size_t Write(const char* Data, std::size_t Size, std::string& Error) override {
        const std::size_t room = limit_ > sink_.size() ? limit_ - sink_.size() : 0;
        const std::size_t n = std::min(room, Size);
        sink_.append(Data, n);
        if (n < Size) Error = "no space left";
        return n;
    }
    bool Close(std::string& Error) override {
        if (closes_) ++*closes_;
        if (failClose_) Error = "close failed";
        return !failClose_;
    }

  private:
    std::string& sink_;
    std::size_t limit_;
    bool failClose_;
    int* closes_;
};
} // namespace

TEST(TOutFile, FailingDeviceKeepsBytesAndReportsEveryLaterWrite) {
    std::string sink;
    TOutFile out(16);
    int closes = 0;
    out.Attach(std::make_unique<TFailingDevice>(sink, 20, false, &closes));
    out.WriteLine("0123456789"); // 12 bytes, buffered
    EXPECT_EQ(out.BytesWritten(), 0u);
    EXPECT_THROW(out.WriteLine("abcdefghij"), TWriteError); // flush of 24 bytes: 20 taken
    EXPECT_EQ(sink, "0123456789\r\nabcdefgh");
    EXPECT_EQ(out.BytesWritten(), 20u);
    EXPECT_THROW(out.Write("x"), TWriteError);
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(out.Error(), "no space left");
    EXPECT_FALSE(out.Close());
}

TEST(TOutFile, ErrorsThatShowOnlyAtCloseFailTheClose) {
    std::string sink;
    {
        TOutFile out;
        out.Attach(std::make_unique<TFailingDevice>(sink, 5));
        out.WriteLine("buffered line"); // fits the buffer: no error yet
        EXPECT_TRUE(out.Error().empty());
        EXPECT_FALSE(out.Close());
        EXPECT_EQ(sink, "buffe");
    }
    std::string sink2;
    TOutFile out2;
    out2.Attach(std::make_unique<TFailingDevice>(sink2, 1000, true));
    out2.WriteLine("ok");
    EXPECT_FALSE(out2.Close());
    EXPECT_EQ(sink2, "ok\r\n");
    std::string sink3;
    TOutFile out3;
    out3.Attach(std::make_unique<TFailingDevice>(sink3, 1000));
    out3.Write("a");
    out3.WriteLine("b");
    EXPECT_TRUE(out3.Close());
    EXPECT_EQ(sink3, "ab\r\n");
}

TEST(TOutFile, DevFullFailsAndClosesTheFile) {
    TFileDevice* raw = new TFileDevice;
    std::string error;
    ASSERT_TRUE(raw->Open("/dev/full", false, error)) << error;
    TOutFile out(64);
    out.Attach(std::unique_ptr<TOutDevice>(raw));
    out.WriteLine("short");
    EXPECT_FALSE(out.Close());
    EXPECT_NE(out.Error().find("write failed"), std::string::npos) << out.Error();
    TFileDevice missing;
    EXPECT_FALSE(missing.Open("/nonexistent-folder/x.sql", false, error));
}

TEST(TBannerClock, SystemLocaleSeparatorsAndMonths) {
    std::setlocale(LC_TIME, "C");
    TBannerClock clock = TBannerClock::System();
    EXPECT_EQ(clock.MonthAbbrev(6), "Jun");
    EXPECT_EQ(clock.MonthAbbrev(1), "Jan");
    EXPECT_EQ(clock.DateSeparator(), '/');
    EXPECT_EQ(clock.TimeSeparator(), ':');
    const std::tm now = clock.Now();
    EXPECT_GE(now.tm_year + 1900, 2020);
    // A locale with full stops in its dates, when the system has one.
    if (std::setlocale(LC_TIME, "de_DE.UTF-8") || std::setlocale(LC_TIME, "de_DE")) {
        EXPECT_EQ(clock.DateSeparator(), '.');
        EXPECT_EQ(clock.MonthAbbrev(3), "M\xc3\xa4r");
    }
    std::setlocale(LC_TIME, "C");
}
