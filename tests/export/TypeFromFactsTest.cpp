// Target types from the facts the real drivers report (SQLite ODBC, MariaDB Connector/ODBC,
// the PostgreSQL driver: their DATA_TYPE, COLUMN_SIZE, DECIMAL_DIGITS and TYPE_NAME as
// they give them), and the defaults as each of them writes COLUMN_DEF.
#include "TFactsWriter.h"
#include "TypeFromFacts.h"

#include <gtest/gtest.h>

#include <sqlext.h>

namespace {

TDriverColumn Facts(int SqlType, std::string TypeName, long long Size = -1, int Digits = -1) {
    TDriverColumn f;
    f.SqlType = SqlType;
    f.SourceType = std::move(TypeName);
    f.Size = Size;
    f.Digits = Digits;
    return f;
}

std::string To(TExportDialect Target, const TDriverColumn& F) {
    return TypeFromFacts(F, Target).Text;
}

} // namespace

TEST(TypeFromFacts, UnsignedAndWideIntegersGetATypeThatHoldsEveryValue) {
    const TDriverColumn intUnsigned = Facts(SQL_INTEGER, "int unsigned", 10, 0);
    EXPECT_EQ(To(edPostgreSQL, intUnsigned), "bigint");
    EXPECT_EQ(To(edFirebird, intUnsigned), "bigint");
    const TDriverColumn bigUnsigned = Facts(SQL_BIGINT, "bigint unsigned", 20, 0);
    EXPECT_EQ(To(edPostgreSQL, bigUnsigned), "numeric(20,0)");
    EXPECT_EQ(To(edMySQL, bigUnsigned), "bigint unsigned");
    // Targets whose integers stop at 2^63-1 keep the digits as text and say so.
    const TTargetType sqlite = TypeFromFacts(bigUnsigned, edSQLite);
    EXPECT_EQ(sqlite.Text, "TEXT");
    EXPECT_FALSE(sqlite.Note.empty());
    const TTargetType firebird = TypeFromFacts(bigUnsigned, edFirebird);
    EXPECT_EQ(firebird.Text, "varchar(20)");
    EXPECT_FALSE(firebird.Note.empty());
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_TINYINT, "tinyint unsigned", 3, 0)), "smallint");
    EXPECT_EQ(To(edOracle, Facts(SQL_SMALLINT, "smallint unsigned", 5, 0)), "number(10)");
}

TEST(TypeFromFacts, ExactNumbersStayExact) {
    // The SQLite driver reports a declared decimal as text with a meaningless size: the
    // declaration has the digits.
    const TDriverColumn sqliteDecimal = Facts(SQL_VARCHAR, "decimal(10,2)", 2, 10);
    EXPECT_EQ(To(edSQLite, sqliteDecimal), "DECIMAL(10,2)");
    EXPECT_EQ(To(edPostgreSQL, sqliteDecimal), "numeric(10,2)");
    // More digits than SQLite keeps in a number: text, with a note.
    const TTargetType wide = TypeFromFacts(Facts(SQL_DECIMAL, "decimal", 30, 10), edSQLite);
    EXPECT_EQ(wide.Text, "TEXT");
    EXPECT_NE(wide.Note.find("decimal(30,10)"), std::string::npos) << wide.Note;
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_DECIMAL, "decimal", 30, 10)), "numeric(30,10)");
    EXPECT_EQ(To(edFirebird, Facts(SQL_DECIMAL, "decimal", 30, 10)), "varchar(1024)");
    // A numeric without declared precision (the driver guesses 28,6 and marks it): no limit.
    TDriverColumn unconstrained = Facts(SQL_NUMERIC, "numeric", 28, 6);
    unconstrained.Unconstrained = true;
    EXPECT_EQ(To(edPostgreSQL, unconstrained), "numeric");
    EXPECT_EQ(To(edSQLite, unconstrained), "TEXT");
    EXPECT_EQ(To(edOracle, unconstrained), "number");
}

TEST(TypeFromFacts, TextLengthsAndTypesReportedAsShortText) {
    // The PostgreSQL driver reports arrays, json and booleans as varchar of a default size.
    const TDriverColumn array = Facts(SQL_VARCHAR, "_int4", 255);
    EXPECT_EQ(To(edPostgreSQL, array), "int4[]");
    EXPECT_EQ(To(edMySQL, array), "longtext");
    EXPECT_EQ(To(edSQLite, array), "TEXT");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_VARCHAR, "json", 255)), "json");
    EXPECT_EQ(To(edFirebird, Facts(SQL_VARCHAR, "json", 255)), "blob sub_type text");
    const TDriverColumn boolean = Facts(SQL_VARCHAR, "bool", 5);
    EXPECT_EQ(To(edPostgreSQL, boolean), "boolean");
    EXPECT_EQ(To(edMySQL, boolean), "tinyint(1)");
    // Enum and set: the size is the longest member (list).
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_WCHAR, "enum", 2)), "varchar(2)");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_WCHAR, "set", 5)), "varchar(5)");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_WCHAR, "char", 3)), "character(3)");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_WLONGVARCHAR, "text", 65535)), "text");
    // An untyped SQLite column.
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_VARCHAR, "", 0)), "text");
    EXPECT_EQ(To(edOracle, Facts(SQL_VARCHAR, "varchar", 5000)), "clob");
    EXPECT_EQ(To(edOracle, Facts(SQL_VARCHAR, "varchar", 40)), "varchar2(40)");
}

TEST(TypeFromFacts, DatesTimesAndBinaries) {
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_TYPE_TIMESTAMP, "timestamp", 23, 3)), "timestamp(3)");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_TYPE_TIMESTAMP, "timestamptz", 26, 6)), "timestamptz");
    // Digits the driver leaves out (or reports as 10): the widest fraction, never a cut one.
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_TYPE_TIMESTAMP, "datetime", 19)), "timestamp");
    EXPECT_EQ(To(edMySQL, Facts(SQL_TYPE_TIMESTAMP, "datetime", 3, 10)), "datetime(6)");
    TDriverColumn duration = Facts(SQL_TYPE_TIME, "time", 8);
    duration.TimeIsDuration = true;
    EXPECT_EQ(To(edPostgreSQL, duration), "interval");
    // Wide enough for -838:59:59.999999.
    EXPECT_EQ(To(edFirebird, duration), "varchar(17)");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_TYPE_TIME, "time", 8, 6)), "time");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_LONGVARBINARY, "blob", 65535)), "bytea");
    EXPECT_EQ(To(edSQLite, Facts(SQL_BINARY, "bit", 2)), "BLOB");
    EXPECT_EQ(To(edFirebird, Facts(SQL_VARBINARY, "varbinary", 10)), "varchar(10) character set octets");
    EXPECT_EQ(To(edPostgreSQL, Facts(SQL_GUID, "uuid", 37)), "uuid");
    // The gaps of the type tables: a SQLite source in the Oracle form, a PostgreSQL source
    // in the MySQL form.
    EXPECT_EQ(To(edOracle, Facts(SQL_TYPE_TIMESTAMP, "datetime", 3, 10)), "timestamp");
    EXPECT_EQ(To(edOracle, Facts(SQL_LONGVARCHAR, "text", 0, 10)), "clob");
    EXPECT_EQ(To(edMySQL, Facts(SQL_INTEGER, "int4", 10, 0)), "int");
    EXPECT_EQ(To(edMySQL, Facts(SQL_FLOAT, "float8", 17, 0)), "double");
}

TEST(TypeFromFacts, DefaultsAsEachDriverWritesThem) {
    using K = TColumnDefault;
    const auto parse = [](const char* Text) { return ParseDefault(Text); };
    EXPECT_EQ(parse("").Kind, K::None);
    EXPECT_EQ(parse("NULL").Kind, K::None);
    EXPECT_EQ(parse("NULL::character varying").Kind, K::None);
    // Quoted literals, quotes doubled, with or without a cast after them.
    EXPECT_EQ(parse("'a''b'").Value, "a'b");
    EXPECT_EQ(parse("'a''b'::character varying").Kind, K::Literal);
    EXPECT_EQ(parse("'a''b'::character varying").Value, "a'b");
    EXPECT_EQ(parse("'-1'::integer").Value, "-1");
    EXPECT_EQ(parse("''").Kind, K::Literal);
    // Something after the literal is no literal: it must not reach the script.
    EXPECT_EQ(parse("'');DROP TABLE victim;--").Kind, K::Unknown);
    EXPECT_EQ(parse("'x' || 'y'").Kind, K::Unknown);
    EXPECT_EQ(parse("1.50").Kind, K::Number);
    EXPECT_EQ(parse("(-1)").Value, "-1");
    EXPECT_EQ(parse("true").Value, "1");
    for (const char* now : {"current_timestamp()", "current_timestamp(3)", "CURRENT_TIMESTAMP", "now()"})
        EXPECT_EQ(parse(now).Kind, K::CurrentTimestamp) << now;
    EXPECT_EQ(parse("curdate()").Kind, K::CurrentDate);
    EXPECT_EQ(parse("nextval('bidp_id_seq'::regclass)").Kind, K::Unknown);
    EXPECT_EQ(parse("(now())::text").Kind, K::Unknown);
    EXPECT_EQ(parse("uuid()").Kind, K::Unknown);
    // The SQLite driver strips the quotes off a one-word literal.
    EXPECT_EQ(parse("none").Kind, K::Literal);
    EXPECT_EQ(parse("current_user").Kind, K::Unknown);
}

// A value written bare must read back as the same number; anything else goes quoted, so a
// driver's padded or signed text never loses its blanks or its plus sign on the way.
TEST(FactsValueText, OnlyPlainNumbersAreWrittenBare) {
    for (const char* bare : {"0", "-12", "12.50", "-.5", "5.", "1e5", "1.5E-07", "18446744073709551615"})
        EXPECT_TRUE(IsSqlNumber(bare)) << bare;
    for (const char* quoted : {"", "-", ".", " 5", "5 ", "\t5", "+5", "1e", "1e+", "0x10", "1,5", "NaN", "Infinity"})
        EXPECT_FALSE(IsSqlNumber(quoted)) << '"' << quoted << '"';
    EXPECT_TRUE(IsInt64Text("-9223372036854775808"));
    EXPECT_FALSE(IsInt64Text("9223372036854775808"));
}
