// A MariaDB table's doubles and integers, fetched as binary numbers and written as text by
// the database layer, give every form of script the same bytes as the connector's own text.
#include "ExportTestUtil.h"
#include "TestEnv.h"

#include "TODBCStatement.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportDoubles, MariaDBScriptsAreTheSameWithBinaryNumbers) {
    const std::string db = FreshMariaDBDatabase(TestDatabaseName("fx_doubles"));
    // Whole range, short decimals, whole numbers around the plain form's limit, NULLs; the
    // other floating-point kinds beside them keep the connector's text.
    MariaDBExec(db, "create table t(id int primary key, d double, short_d double, f float, fixed double(14,3), "
                    "zf double zerofill, big bigint, ubig bigint unsigned, small smallint, flag bool);"
                    "insert into t select seq, if(seq % 11 = 0, null, (rand(seq) - 0.5) * pow(10, cast(seq % 616 as signed) - 307)), "
                    "if(seq % 3 = 0, seq / 8, pow(10, cast(seq % 40 as signed) - 20) * seq), "
                    "if(seq % 13 = 0, null, (rand(seq) - 0.5) * pow(10, cast(seq % 60 as signed) - 30)), "
                    "if(seq % 7 = 0, null, seq * 1234.5678), "
                    "rand(seq + 1) * pow(10, seq % 12) + 0.001, "
                    "if(seq % 5 = 0, null, (cast(seq as signed) - 1500) * 6148914691236517), "
                    "seq * 6148914691236517, cast(seq as signed) * 10 - 15000, seq % 2 from seq_1_to_3000;"
                    "insert into t values(3001, 1e15, 1e16, 1e38, 0, 1e14, null, null, null, null), (3002, 123456789012345678, "
                    "0.1, -0.1, -99999999999.999, 0.001, -1, 1, -1, 0), (3003, 1.7976931348623157e308, 2.2250738585072014e-308, 1e-38, "
                    "1, 123456.789, -9223372036854775808, 18446744073709551615, -32768, 1), "
                    "(3004, 0, -0.0, 0, -0.5, 0, 9223372036854775807, 0, 32767, 0);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    {
        TODBCStatement st(&src.Connection, false, false);
        ASSERT_TRUE(st.ExecSQL("select * from t"));
        EXPECT_EQ(st.ColumnCType(1), SQL_C_DOUBLE);
        EXPECT_EQ(st.ColumnCType(2), SQL_C_DOUBLE);
        EXPECT_EQ(st.ColumnCType(0), SQL_C_SBIGINT);
        EXPECT_EQ(st.ColumnCType(7), SQL_C_UBIGINT);
    }
    for (TExportDialect dialect : {edMySQL, edFirebird, edSQLite, edPostgreSQL, edOracle, edCommaText}) {
        SCOPED_TRACE(static_cast<int>(dialect));
        const std::string binary = dir.File("binary.sql"), text = dir.File("text.sql");
        src.Connection.BinaryNumbers = true;
        ASSERT_EQ(src.Dump(dialect, "t", binary), 0);
        src.Connection.BinaryNumbers = false;
        ASSERT_EQ(src.Dump(dialect, "t", text), 0);
        const std::string binaryScript = ReadFile(binary);
        EXPECT_GT(binaryScript.size(), 3000u * 40);
        EXPECT_TRUE(binaryScript == ReadFile(text));
        std::remove(binary.c_str());
        std::remove(text.c_str());
    }
}

} // namespace
