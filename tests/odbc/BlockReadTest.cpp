// Rows read through the statement (bound arrays, bound single rows, SQLGetData for long
// values) against a plain loop of the same driver that fetches one row at a time and reads
// every value whole with SQLGetData: the same rows, the same bytes, NULL told apart.
#include "ODBCApi.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <utility>
#include <string>
#include <vector>

namespace {

using TRow = std::vector<std::optional<std::string>>;

// One value whole, in pieces of at most 100 bytes, so that values over any buffer are put together.
std::optional<std::string> PlainValue(SQLHSTMT Stmt, SQLUSMALLINT Column, bool Binary) {
    std::string value;
    char piece[100];
    const SQLLEN terminator = Binary ? 0 : 1;
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN ret = ODBCApi.SQLGetData(Stmt, Column, Binary ? SQL_C_BINARY : SQL_C_CHAR, piece, sizeof piece,
                                           &indicator);
        if (ret == SQL_NO_DATA) break;
        EXPECT_TRUE(SQLSucceeded(ret)) << "SQLGetData of column " << Column;
        if (!SQLSucceeded(ret)) break;
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const SQLLEN room = static_cast<SQLLEN>(sizeof piece) - terminator;
        if (ret == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room)) {
            value.append(piece, static_cast<std::size_t>(room));
            continue;
        }
        value.append(piece, static_cast<std::size_t>(indicator));
        break;
    }
    return value;
}

// The reference: its own handle, SQLFetch row by row, every value by SQLGetData.
std::vector<TRow> PlainRows(TODBC& Conn, const std::string& SQL, const std::vector<bool>& Binary) {
    std::vector<TRow> rows;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    EXPECT_TRUE(SQLSucceeded(ODBCApi.SQLAllocHandle(SQL_HANDLE_STMT, Conn.DbcHandle, &stmt)));
    EXPECT_TRUE(SQLSucceeded(
        ODBCApi.SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(SQL.c_str())), SQL_NTS)))
        << SQL;
    SQLSMALLINT columns = 0;
    ODBCApi.SQLNumResultCols(stmt, &columns);
    while (SQLSucceeded(ODBCApi.SQLFetch(stmt))) {
        TRow row;
        for (SQLSMALLINT i = 0; i < columns; ++i)
            row.push_back(PlainValue(stmt, static_cast<SQLUSMALLINT>(i + 1), i < static_cast<SQLSMALLINT>(Binary.size()) && Binary[i]));
        rows.push_back(std::move(row));
    }
    ODBCApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return rows;
}

std::vector<TRow> StatementRows(TODBCStatement& St, const std::string& SQL, std::vector<bool>* Binary = nullptr) {
    std::vector<TRow> rows;
    for (bool row = St.ExecSQL(SQL); row; row = St.Fetch()) {
        TRow values;
        for (int i = 0; i < St.ColumnCount(); ++i) {
            const TFieldData field = St.FieldData(i);
            values.push_back(field.Null ? std::nullopt : std::optional<std::string>(field.Bytes));
        }
        rows.push_back(std::move(values));
    }
    EXPECT_FALSE(St.Failed()) << St.LastError();
    if (Binary) {
        Binary->clear();
        for (int i = 0; i < St.ColumnCount(); ++i) Binary->push_back(St.ColumnIsBinary(i));
    }
    return rows;
}

// Both reads of SQL, compared row by row; returns the row count.
std::size_t ExpectSameRows(TODBC& Conn, const std::string& SQL) {
    TODBCStatement st(&Conn, false, false);
    std::vector<bool> binary;
    const std::vector<TRow> layer = StatementRows(st, SQL, &binary);
    const std::vector<TRow> plain = PlainRows(Conn, SQL, binary);
    EXPECT_EQ(layer.size(), plain.size()) << SQL;
    for (std::size_t r = 0; r < layer.size() && r < plain.size(); ++r) {
        EXPECT_EQ(layer[r], plain[r]) << SQL << ": row " << r;
        if (layer[r] != plain[r]) break; // the first difference tells it
    }
    return layer.size();
}

// Calls of one name in an ODBC trace.
std::size_t CountCalls(const std::string& Trace, const std::string& Name) {
    std::size_t count = 0;
    for (std::size_t at = Trace.find(Name + " -> "); at != std::string::npos; at = Trace.find(Name + " -> ", at + 1))
        if (at == 0 || Trace[at - 1] == '\n') ++count;
    return count;
}

// 5000 rows: no multiple of a block (4096 rows at most).
const char* const kFill = "with recursive n(i) as (select 1 union all select i+1 from n where i < 5000) ";

TEST(BlockReads, SqliteMatchesSingleRowsWithLongAndBinaryValues) {
    ScratchDir dir;
    const std::string db = dir.File("b.db");
    SqliteExec(db, std::string("create table t(id integer primary key, qty integer, name varchar(8), price decimal(8,2), "
                               "made datetime, raw blob);"
                               "create table empty_t(id integer, name varchar(4));") +
                       "insert into t " + kFill +
                       "select i, case when i % 5 = 0 then null else i * 7 end, "
                       "case when i % 5 = 1 then null when i = 4500 then printf('%.70000c', 'y') "
                       "when i % 97 = 0 then printf('%.3000c', 'x') || i "
                       "else 'ñäme' || i end, i / 4.0, datetime(1600000000 + i, 'unixepoch'), "
                       "case when i % 3 = 0 then null else x'00ff0a27' || randomblob(i % 300) end from n;");
    AddSqliteDataSource("ferro_blocks", db);
    // Row 4500 lies in the second block, which is read ahead: its value, longer than the
    // widened buffer, makes the worker bind wider while the caller reads the first block.
    for (const auto& [bound, ahead] : {std::pair{false, true}, {true, true}, {false, false}}) {
        SCOPED_TRACE(std::string(bound ? "bound" : "unbound") + (ahead ? ", reading ahead" : ""));
        TODBC conn;
        ASSERT_TRUE(conn.Connect("ferro_blocks", "", ""));
        conn.BindColumns = bound;
        conn.ReadAhead = ahead;
        // Values far over the declared varchar(8) (SQLite keeps any length) come back whole.
        EXPECT_EQ(ExpectSameRows(conn, "select * from t order by id"), 5000u);
        EXPECT_EQ(ExpectSameRows(conn, "select * from empty_t"), 0u);
        EXPECT_EQ(ExpectSameRows(conn, "select id, name from t where id in (97, 194, 3)"), 3u);
    }
}

TEST(BlockReads, ReadingAheadEndsWithWhateverComesNext) {
    ScratchDir dir;
    const std::string db = dir.File("a.db");
    SqliteExec(db, std::string("create table t(id integer primary key, name varchar(8));") + "insert into t " +
                       kFill + "select i, 'n' || i from n;");
    AddSqliteDataSource("ferro_ahead", db);
    TODBC conn;
    ASSERT_TRUE(conn.Connect("ferro_ahead", "", ""));
    {
        // Past the first block, so the next one is being read; then another statement text.
        TODBCStatement st(&conn, false, false);
        ASSERT_TRUE(st.ExecSQL("select id, name from t order by id"));
        for (int i = 1; i < 4100; ++i) ASSERT_TRUE(st.Fetch()) << i;
        EXPECT_EQ(st.FieldAsString(0), "4100");
        ASSERT_TRUE(st.ExecSQL("select name from t where id = 7"));
        EXPECT_EQ(st.FieldAsString(0), "n7");
        EXPECT_FALSE(st.Fetch());
        // A catalogue call in the middle of the rows.
        ASSERT_TRUE(st.ExecSQL("select id from t order by id desc"));
        ASSERT_TRUE(st.Columns("", "", "t", ""));
        EXPECT_EQ(st.FieldByName("column_name"), "id");
        // Deleted while a block is being read ahead.
        ASSERT_TRUE(st.ExecSQL("select id from t"));
    }
    TODBCStatement st(&conn, false, false);
    ASSERT_TRUE(st.ExecSQL("select id from t order by id"));
    for (int i = 1; i < 4097; ++i) ASSERT_TRUE(st.Fetch()) << i;
    // The connection closes under the reader: the rows read ahead are gone with it.
    conn.Disconnect();
    EXPECT_FALSE(st.Fetch());
    EXPECT_TRUE(st.Failed());
}

TEST(BlockReads, MariaDBFetchesBoundedColumnsInArrays) {
    const std::string dsn = FreshMariaDBDatabase("ferro_block_arrays");
    MariaDBExec(dsn, std::string("SET NAMES utf8mb4; create table t(id int primary key, qty int, name varchar(10), code char(3), "
                                 "price decimal(8,2), ratio double, made datetime(3), flag tinyint, day date) "
                                 "character set utf8mb4;"
                                 "create table empty_t(id int, name varchar(4));"
                                 "insert into t select seq, if(seq % 5 = 0, null, seq * 7), "
                                 "if(seq % 5 = 1, null, if(seq % 2 = 0, repeat('ä', 10), concat('n', seq))), "
                                 "if(seq % 7 = 0, '😀😀😀', 'ab'), seq / 4, seq / 7, "
                                 "from_unixtime(1600000000 + seq + 0.125), seq % 2, '2024-02-29' "
                                 "from seq_1_to_5000;"));
    ScratchDir dir;
    const std::string trace = dir.File("trace.txt");
    for (bool bound : {false, true}) {
        TODBC conn;
        ASSERT_TRUE(conn.Connect(dsn, "", ""));
        conn.BindColumns = bound;
        ASSERT_TRUE(SetODBCTraceFile(trace));
        {
            TODBCStatement st(&conn, false, false);
            EXPECT_EQ(StatementRows(st, "select * from t order by id").size(), 5000u);
        }
        ASSERT_TRUE(SetODBCTraceFile(""));
        // 5000 rows in rowsets of up to 4096: a handful of fetches, no call per value.
        const std::string calls = ReadFile(trace);
        EXPECT_LE(CountCalls(calls, "SQLFetch"), 6u) << "bound " << bound;
        EXPECT_EQ(CountCalls(calls, "SQLGetData"), 0u) << "bound " << bound;
        EXPECT_EQ(ExpectSameRows(conn, "select * from t order by id"), 5000u);
        EXPECT_EQ(ExpectSameRows(conn, "select * from empty_t"), 0u);
        EXPECT_EQ(ExpectSameRows(conn, "select name, id from t where id > 4995 order by id desc"), 5u);
    }
}

// Doubles over the whole range, each with its negative: powers of ten and their neighbours
// (where the connector switches between its plain and exponent forms), random bit patterns
// (subnormals included), whole numbers near 2^53 and short decimals.
std::vector<double> RangeOfDoubles() {
    std::vector<double> values;
    auto add = [&](double Value) {
        if (!std::isfinite(Value)) return;
        values.push_back(Value);
        values.push_back(-Value);
    };
    for (double d : {0.0, 0.1, 0.2, 1.0 / 3, 1e14, 1e15, 1e16, 1e22, 1e23, 123456789012345678.0, 1234567890123456.8,
                     123456789012345.67, 2.0905453218990435e-15, 2.0758966049886275e-23, 5e-324,
                     2.2250738585072014e-308, 2.225073858507201e-308, 1.7976931348623157e308, 9007199254740993.0})
        add(d);
    for (int e = -323; e <= 308; ++e) {
        const double power = std::strtod(("1e" + std::to_string(e)).c_str(), nullptr);
        add(power);
        add(std::nextafter(power, 0.0));
        add(std::nextafter(power, HUGE_VAL));
        add(power * 1.5);
        add(std::strtod(("1.2345678901234567e" + std::to_string(e)).c_str(), nullptr));
    }
    std::mt19937_64 random(20261208);
    auto fromBits = [](std::uint64_t Bits) {
        double d;
        std::memcpy(&d, &Bits, sizeof d);
        return d;
    };
    for (int i = 0; i < 12000; ++i) add(fromBits(random()));
    for (int i = 0; i < 2000; ++i) add(fromBits(random() & 0x000FFFFFFFFFFFFFull)); // subnormal
    for (int i = 0; i < 6000; ++i) add(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 140) - 80));
    for (int i = 0; i < 2000; ++i) add(static_cast<double>(random() % 100000000) / std::pow(10.0, random() % 24));
    return values;
}

// Inserts Values into table(id, column) with ids from 1, exactly (bound as binary doubles);
// every 50th row gets a NULL.
void InsertDoubles(TODBC& Conn, const std::string& Table, const std::vector<double>& Values) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQLSucceeded(ODBCApi.SQLAllocHandle(SQL_HANDLE_STMT, Conn.DbcHandle, &stmt)));
    std::string sql = "insert into " + Table + " values(?, ?)";
    ASSERT_TRUE(SQLSucceeded(ODBCApi.SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
    constexpr std::size_t batch = 1000;
    std::vector<SQLINTEGER> ids(batch);
    std::vector<double> doubles(batch);
    std::vector<SQLLEN> nulls(batch);
    for (std::size_t at = 0; at < Values.size(); at += batch) {
        const std::size_t count = std::min(batch, Values.size() - at);
        for (std::size_t i = 0; i < count; ++i) {
            ids[i] = static_cast<SQLINTEGER>(at + i + 1);
            doubles[i] = Values[at + i];
            nulls[i] = (at + i + 1) % 50 == 0 ? SQL_NULL_DATA : 0;
        }
        ODBCApi.SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(count), 0);
        ODBCApi.SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, ids.data(), 0, nullptr);
        ODBCApi.SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, doubles.data(), 0,
                                 nulls.data());
        ASSERT_TRUE(SQLSucceeded(ODBCApi.SQLExecute(stmt))) << "rows from " << at;
    }
    ODBCApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Which columns of a select's result the statement fetches as binary doubles.
std::vector<bool> ReadAsDouble(TODBC& Conn, const std::string& SQL) {
    TODBCStatement st(&Conn, false, false);
    EXPECT_TRUE(st.ExecSQL(SQL)) << st.LastError();
    std::vector<bool> native;
    for (int i = 0; i < st.ColumnCount(); ++i) native.push_back(st.ColumnCType(i) == SQL_C_DOUBLE);
    return native;
}

// A plain DOUBLE is fetched as a binary double and written as text here; every value must
// come out as the connector's own text. Columns whose text the connector writes otherwise
// (fixed decimals, zero fill) or that this program cannot trace to a plain DOUBLE keep the
// connector's text.
TEST(BlockReads, MariaDBDoublesReadAsBinaryGiveTheConnectorsText) {
    const std::string dsn = FreshMariaDBDatabase("ferro_block_doubles");
    MariaDBExec(dsn, "create table t(id int primary key, d double);"
                     "create table s(id int primary key, x double);");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    const std::vector<double> values = RangeOfDoubles();
    InsertDoubles(conn, "t", values);
    MariaDBExec(dsn, "alter table t add fixed double(30,10), add zf double zerofill, add u double unsigned, "
                     "add f float, add r real, add p double precision;"
                     "update t set fixed = if(abs(d) < 1e19, d, null), u = abs(d), "
                     // The connector garbles a zero-filled text longer than the column's 22
                     // characters (the row's first column comes out instead).
                     "zf = if(abs(d) between 1e-3 and 1e15, abs(d), null), "
                     "f = if(abs(d) between 1e-37 and 1e38, d, null), r = d, p = -d;"
                     "insert into s select id, d from t where abs(d) < 1e9;"
                     // Fixed decimals of a huge value overrun the connector's buffer.
                     "create view v as select id, d, if(abs(d) < 1e15, round(d, 3), null) r3, fixed, d / 2 half "
                     "from t;");

    const std::string all = "select * from t order by id";
    EXPECT_EQ(ReadAsDouble(conn, all), (std::vector<bool>{false, true, false, false, false, false, true, true}));
    EXPECT_EQ(ExpectSameRows(conn, all), values.size());
    const std::string view = "select * from v order by id";
    EXPECT_EQ(ReadAsDouble(conn, view), (std::vector<bool>{false, true, false, false, false}));
    EXPECT_EQ(ExpectSameRows(conn, view), values.size());
    // A derived table's column has its own decimals, whatever its name.
    const std::string derived = "select id, d from (select id, round(d, 2) d from t where abs(d) < 1e15) t order by id";
    EXPECT_EQ(ReadAsDouble(conn, derived), (std::vector<bool>{false, false}));
    EXPECT_GT(ExpectSameRows(conn, derived), 1000u);

    // A temporary table hides the table of the same name for this connection only.
    const std::string hidden = "select * from s order by id";
    EXPECT_EQ(ReadAsDouble(conn, hidden), (std::vector<bool>{false, true}));
    {
        TODBCStatement st(&conn, false, false);
        ASSERT_TRUE(st.ExecSQL("create temporary table s(id int primary key, x double(12,2))"));
        ASSERT_TRUE(st.ExecSQL("insert into s select id, d from t where abs(d) < 1e9"));
    }
    EXPECT_EQ(ReadAsDouble(conn, hidden), (std::vector<bool>{false, false}));
    EXPECT_GT(ExpectSameRows(conn, hidden), 1000u);

    conn.BinaryNumbers = false;
    EXPECT_EQ(ReadAsDouble(conn, all), std::vector<bool>(8, false));
}

// Which columns of a select's result the statement fetches as binary values (not text).
std::vector<bool> ReadAsBinary(TODBC& Conn, const std::string& SQL) {
    TODBCStatement st(&Conn, false, false);
    EXPECT_TRUE(st.ExecSQL(SQL)) << st.LastError();
    std::vector<bool> native;
    for (int i = 0; i < st.ColumnCount(); ++i) native.push_back(st.ColumnCType(i) != SQL_C_CHAR);
    return native;
}

// Integers without zero fill are fetched as binary numbers and written as digits here;
// zero-filled ones and years keep the connector's text, which pads them, and dates theirs
// (the connector gives a zero date to a binary date as NULL).
TEST(BlockReads, MariaDBIntegersReadAsBinaryGiveTheConnectorsText) {
    const std::string dsn = FreshMariaDBDatabase("ferro_block_ints");
    MariaDBExec(dsn,
                "create table t(id int primary key, ti tinyint, si smallint, mi mediumint, i int, bi bigint, "
                "ubi bigint unsigned, ui int unsigned, flag bool, zf int(6) zerofill, y year, "
                "ut tinyint unsigned, d date);"
                "insert into t select n, (n % 256) - 128, (n * 7919 % 65536) - 32768, "
                "(n * 104729 % 16777216) - 8388608, n * 2654435761 % 4294967296 - 2147483648, "
                "cast(n as decimal(30)) * 11400714819323198485 % 18446744073709551616 - 9223372036854775808, "
                "cast(n as decimal(30)) * 11400714819323198485 % 18446744073709551616, n * 2654435761 % 4294967296, n % 2, "
                "n % 1000000, if(n % 7 = 0, 0, 1901 + n % 255), n % 256, '0001-01-01' + interval n * 401 day "
                "from (select cast(seq as signed) n from seq_1_to_9000) q;"
                // The extremes of each type, and NULL in every column.
                "insert into t values (9001, -128, -32768, -8388608, -2147483648, -9223372036854775808, "
                "18446744073709551615, 4294967295, 1, 999999, 2155, 255, '9999-12-31'),"
                "(9002, 127, 32767, 8388607, 2147483647, 9223372036854775807, 0, 0, 0, 0, 0, 0, '1000-01-01'),"
                "(9003, null, null, null, null, null, null, null, null, null, null, null, null);"
                // Zero dates and dates with a zero month or day, which a lax mode lets in.
                "set session sql_mode = '';"
                "insert into t(id, d) values (9004, '0000-00-00'), (9005, '2024-00-00'), (9006, '2024-05-00'), "
                "(9007, '0000-01-01');"
                "create view v as select id, i, i + 1 next, zf from t;");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    const std::string all = "select * from t order by id";
    const std::vector<bool> expected{true, true, true, true, true, true, true, true, true, false, false, true, false};
    EXPECT_EQ(ReadAsBinary(conn, all), expected);
    EXPECT_EQ(ExpectSameRows(conn, all), 9007u);
    // A view's column traces back to its table; an expression does not.
    const std::string view = "select * from v order by id";
    EXPECT_EQ(ReadAsBinary(conn, view), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(ExpectSameRows(conn, view), 9007u);
    conn.BinaryNumbers = false;
    EXPECT_EQ(ReadAsBinary(conn, all), std::vector<bool>(expected.size(), false));
    EXPECT_EQ(ExpectSameRows(conn, all), 9007u);
}

TEST(BlockReads, MariaDBLongAndBinaryColumnsComeOneRowAtATime) {
    const std::string dsn = FreshMariaDBDatabase("ferro_block_long");
    MariaDBExec(dsn, "create table t(id int primary key, name varchar(20), note longtext, raw blob, bits bit(12));"
                     "insert into t select seq, concat('n', seq), if(seq % 4 = 0, null, repeat(concat('x', seq), "
                     "seq * 40)), if(seq % 3 = 0, null, unhex(repeat('00FF27', seq))), seq from seq_1_to_300;");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    EXPECT_EQ(ExpectSameRows(conn, "select * from t order by id"), 300u);
}

TEST(BlockReads, PostgresMatchesSingleRowsWithValuesOverTheDescribedSize) {
    const std::string dsn = FreshPostgresDatabase("ferro_block_pg");
    PostgresExec(dsn, "create table t(id int primary key, name varchar, code varchar(3), note text, raw bytea, "
                      "price numeric(8,2), made timestamp);"
                      "create table empty_t(id int, name varchar(4));"
                      "insert into t select i, case when i % 5 = 1 then null else repeat('é', i % 700) end, "
                      "case when i % 7 = 0 then null else 'abc' end, case when i % 50 = 0 then repeat('long ', i) else 'short' end, "
                      "case when i % 3 = 0 then null else decode(repeat('00ff27', i % 50), 'hex') end, i / 4.0, "
                      "timestamp '2024-01-01' + i * interval '1 second' from generate_series(1, 5000) i;");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    EXPECT_EQ(ExpectSameRows(conn, "select * from t order by id"), 5000u);
    EXPECT_EQ(ExpectSameRows(conn, "select * from empty_t"), 0u);
}

} // namespace
