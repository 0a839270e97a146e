// A MariaDB table's doubles, fetched as binary doubles and written as text by the database
// layer, give every form of script the same bytes as the connector's own text.
#include "ExportTestUtil.h"
#include "TestEnv.h"

#include "TODBCStatement.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportDoubles, MariaDBScriptsAreTheSameWithBinaryDoubles) {
    const std::string db = FreshMariaDBDatabase(TestDatabaseName("fx_doubles"));
    // Whole range, short decimals, whole numbers around the plain form's limit, NULLs; the
    // other floating-point kinds beside them keep the connector's text.
    MariaDBExec(db, "create table t(id int primary key, d double, short_d double, f float, fixed double(14,3), "
                    "zf double zerofill);"
                    "insert into t select seq, if(seq % 11 = 0, null, (rand(seq) - 0.5) * pow(10, cast(seq % 616 as signed) - 307)), "
                    "if(seq % 3 = 0, seq / 8, pow(10, cast(seq % 40 as signed) - 20) * seq), "
                    "if(seq % 13 = 0, null, (rand(seq) - 0.5) * pow(10, cast(seq % 60 as signed) - 30)), "
                    "if(seq % 7 = 0, null, seq * 1234.5678), "
                    "rand(seq + 1) * pow(10, seq % 12) + 0.001 from seq_1_to_3000;"
                    "insert into t values(3001, 1e15, 1e16, 1e38, 0, 1e14), (3002, 123456789012345678, 0.1, -0.1, "
                    "-99999999999.999, 0.001), (3003, 1.7976931348623157e308, 2.2250738585072014e-308, 1e-38, "
                    "1, 123456.789), (3004, 0, -0.0, 0, -0.5, 0);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    {
        TODBCStatement st(&src.Connection, false, false);
        ASSERT_TRUE(st.ExecSQL("select * from t"));
        EXPECT_TRUE(st.ColumnReadAsDouble(1));
        EXPECT_TRUE(st.ColumnReadAsDouble(2));
    }
    for (TExportDialect dialect : {edMySQL, edFirebird, edSQLite, edPostgreSQL, edOracle, edCommaText}) {
        SCOPED_TRACE(static_cast<int>(dialect));
        const std::string binary = dir.File("binary.sql"), text = dir.File("text.sql");
        src.Connection.BinaryDoubles = true;
        ASSERT_EQ(src.Dump(dialect, "t", binary), 0);
        src.Connection.BinaryDoubles = false;
        ASSERT_EQ(src.Dump(dialect, "t", text), 0);
        const std::string binaryScript = ReadFile(binary);
        EXPECT_GT(binaryScript.size(), 3000u * 40);
        EXPECT_TRUE(binaryScript == ReadFile(text));
        std::remove(binary.c_str());
        std::remove(text.c_str());
    }
}

} // namespace
