// Several rows per INSERT: the MySQL, SQLite and PostgreSQL forms loaded by their own
// clients (mariadb, sqlite3, psql) and read back row by row; statements never past the byte
// cap and never split sooner than it asks; the forms without multi-row VALUES unchanged; a
// refused value or a broken read ending the open statement and the table's transaction.
#include "ExportTestUtil.h"
#include "RoundTripUtil.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

namespace {

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

// The script with the quotes taken off every literal that holds a plain number (not a hex
// literal's digits).
std::string WithoutNumberQuotes(const std::string& Script) {
    std::string out;
    for (std::size_t i = 0; i < Script.size(); ++i) {
        if (Script[i] == '\'' && (i == 0 || Script[i - 1] != 'X')) {
            std::size_t end = i + 1;
            if (end < Script.size() && Script[end] == '-') ++end;
            const std::size_t digits = end;
            while (end < Script.size() && (std::isdigit(static_cast<unsigned char>(Script[end])) || Script[end] == '.'))
                ++end;
            if (end > digits && end < Script.size() && Script[end] == '\'') {
                out.append(Script, i + 1, end - i - 1);
                i = end;
                continue;
            }
        }
        out += Script[i];
    }
    return out;
}

// The positions of the ")" that close the rows of an INSERT, found outside literals
// (backslash escapes in every literal of the MySQL form, in E'' literals of PostgreSQL's).
std::vector<std::size_t> RowEnds(const std::string& Insert, bool Backslashes) {
    std::vector<std::size_t> ends;
    const std::size_t values = Insert.find(" VALUES(");
    if (values == std::string::npos) return ends;
    int depth = 0;
    for (std::size_t i = values + 7; i < Insert.size(); ++i) {
        const char c = Insert[i];
        if (c == '\'') {
            const bool escapes = Backslashes || Insert[i - 1] == 'E';
            for (++i; i < Insert.size(); ++i) {
                if (escapes && Insert[i] == '\\') {
                    ++i;
                } else if (Insert[i] == '\'') {
                    if (i + 1 < Insert.size() && Insert[i + 1] == '\'') {
                        ++i;
                        continue;
                    }
                    break;
                }
            }
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            ends.push_back(i);
        }
    }
    return ends;
}

// The INSERT statements of a script, each with its ";" and line end (the test values hold
// no ";", so a statement ends at the first ";" CR LF).
std::vector<std::string> Inserts(const std::string& Script) {
    std::vector<std::string> inserts;
    for (std::size_t at = 0, end; (end = Script.find(";\r\n", at)) != std::string::npos; at = end + 3) {
        const std::size_t start = Script.find("INSERT INTO ", at);
        if (start != std::string::npos && start < end) inserts.push_back(Script.substr(start, end + 3 - start));
    }
    return inserts;
}

// Every INSERT holds at most MaxRows rows and at most MaxBytes bytes unless it holds one
// row; and none ends sooner than it had to: a statement with fewer rows would have passed
// the cap with the next one. Returns the rows counted.
std::size_t ExpectFullStatements(const std::string& Script, bool Backslashes, std::size_t MaxRows,
                                 std::size_t MaxBytes, const std::string& Label) {
    const std::vector<std::string> inserts = Inserts(Script);
    std::size_t rows = 0;
    for (std::size_t i = 0; i < inserts.size(); ++i) {
        const std::string& s = inserts[i];
        const std::vector<std::size_t> ends = RowEnds(s, Backslashes);
        rows += ends.size();
        EXPECT_GE(ends.size(), 1u) << Label << ": " << s.substr(0, 200);
        EXPECT_LE(ends.size(), MaxRows) << Label;
        if (ends.size() > 1) {
            EXPECT_LE(s.size(), MaxBytes) << Label << ": statement " << i + 1;
        }
        if (i + 1 == inserts.size() || ends.size() == MaxRows) continue;
        // The next statement's first row, as it would have followed this one.
        const std::string& next = inserts[i + 1];
        const std::vector<std::size_t> nextEnds = RowEnds(next, Backslashes);
        if (nextEnds.empty()) continue;
        const std::size_t joined = s.size() + std::string(",\r\n(").size() + nextEnds[0] - next.find(" VALUES(") - 7;
        EXPECT_GT(joined, MaxBytes) << Label << ": statement " << i + 1 << " of " << ends.size()
                                    << " rows ended before the cap";
    }
    return rows;
}

// A MariaDB table of 601 rows whose texts and blobs run from empty to a few hundred bytes,
// with quotes, backslashes, CR LF, non-ASCII letters and NULLs; a decimal column.
const char* kVariedRows = R"(
SET NAMES utf8mb4;
CREATE TABLE m (id INT PRIMARY KEY, s TEXT, b BLOB, n DECIMAL(12,3)) DEFAULT CHARSET=utf8mb4;
INSERT INTO m SELECT seq,
  IF(seq % 7 = 0, NULL, SUBSTRING(REPEAT(CONCAT('it''s \\ é\r\n', MD5(seq)), 20), 1, (seq * 37) % 700)),
  IF(seq % 11 = 0, NULL, SUBSTRING(REPEAT(UNHEX(MD5(seq)), 30), 1, (seq * 53) % 300)),
  IF(seq % 5 = 0, NULL, seq * 1.125 - 300)
FROM seq_1_to_601;
CREATE TABLE e (id INT PRIMARY KEY, s TEXT);
)";

const std::string kRows = "SELECT id, s, b, n FROM m ORDER BY id";

struct TVariedSource {
    ScratchDir Dir;
    std::string Database;
    TSourceFixture Src;

    bool Open(const std::string& Name) {
        Database = FreshMariaDBDatabase(Name);
        MariaDBExec(Database, kVariedRows);
        return Src.Open(Database);
    }
    // Tables m and e, structure and rows, into one script.
    std::string Export(TExportDialect Dialect, const std::string& File) {
        EXPECT_EQ(Src.Export->DumpTable(Dialect, "m", File, "", true, true, false, false, ""), 0)
            << Src.Export->ErrorText;
        EXPECT_EQ(Src.Export->DumpTable(Dialect, "e", File, "", true, true, false, true, ""), 0)
            << Src.Export->ErrorText;
        return ReadFile(File);
    }
};

} // namespace

// A small cap against rows of every length: statements fill up to the cap and no further,
// at most 10 rows each, and every value arrives in each target, the empty table too.
TEST(ExportMultiRow, StatementsFillUpToTheCapAndLoadInEveryTarget) {
    TVariedSource source;
    ASSERT_TRUE(source.Open("multirow_src"));
    source.Src.Export->RowsPerInsert = 10;
    source.Src.Export->MaxInsertBytes = 2000;
    const std::vector<TValueRow> expected = ReadRows(source.Database, kRows);
    ASSERT_EQ(expected.size(), 601u);

    {
        const std::string file = source.Dir.File("mysql.sql");
        const std::string script = source.Export(edMySQL, file);
        EXPECT_EQ(ExpectFullStatements(script, true, 10, 2000, "mysql"), 601u);
        EXPECT_TRUE(Has(script, "START TRANSACTION;\r\nINSERT INTO m VALUES(")) << script.substr(0, 3000);
        EXPECT_TRUE(Has(script, ");\r\nCOMMIT;\r\n")) << script.substr(script.size() - 3000);
        const std::string target = FreshMariaDBDatabase("multirow_mysql");
        std::string output;
        ASSERT_EQ(MariaDBLoad(target, file, &output), 0) << output;
        ExpectSameRows(expected, ReadRows(target, kRows), {3}, "mysql");
        EXPECT_EQ(MariaDBQuery(target, "SELECT count(*) FROM e"), "0\n");
    }
    {
        const std::string file = source.Dir.File("sqlite.sql");
        const std::string script = source.Export(edSQLite, file);
        EXPECT_EQ(ExpectFullStatements(script, false, 10, 2000, "sqlite"), 601u);
        const std::string target = source.Dir.File("target.db");
        int status = 0;
        const std::string output = SqliteLoad(target, file, &status);
        ASSERT_EQ(status, 0) << output;
        AddSqliteDataSource("multirow_sqlite", target);
        ExpectSameRows(expected, ReadRows("multirow_sqlite", kRows), {3}, "sqlite");
        EXPECT_EQ(SqliteQuery(target, "SELECT count(*) FROM e"), "0\n");
    }
    {
        const std::string file = source.Dir.File("postgresql.sql");
        const std::string script = source.Export(edPostgreSQL, file);
        EXPECT_EQ(ExpectFullStatements(script, false, 10, 2000, "postgresql"), 601u);
        const std::string target = FreshPostgresDatabase("multirow_pg");
        std::string output, errors;
        ASSERT_EQ(PostgresLoad(target, file, "", &output, &errors), 0) << errors;
        EXPECT_FALSE(Has(errors, "ERROR")) << errors;
        ExpectSameRows(expected, ReadRows(target, kRows), {3}, "postgresql");
        EXPECT_EQ(PostgresQuery(target, "SELECT count(*) FROM e"), "0\n");
    }
}

// Values around the default cap of 1,000,000 bytes, escapes included: rows that fit two to
// a statement, rows just under the cap and one over it (alone), small rows between; the
// mariadb client loads every one unchanged.
TEST(ExportMultiRow, ValuesAroundTheDefaultCapLoadIntoMariaDB) {
    ScratchDir dir;
    const std::string source = FreshMariaDBDatabase("multirow_big_src");
    // REPEAT of "a'\" doubles the text's bytes in the MySQL form's escapes for two of every
    // three characters.
    MariaDBExec(source, "CREATE TABLE big (id INT PRIMARY KEY, body LONGTEXT, data LONGBLOB);"
                        "INSERT INTO big VALUES"
                        " (1, REPEAT('a''\\\\', 100000), NULL), (2, REPEAT('x', 400000), NULL),"
                        " (3, REPEAT('y', 400000), NULL), (4, REPEAT('z', 999900), NULL), (5, 'small', x'00'),"
                        " (6, REPEAT('a''\\\\', 450000), NULL), (7, NULL, NULL), (8, '', x''),"
                        " (9, NULL, REPEAT(x'00ff', 249000)), (10, 'after', NULL), (11, REPEAT('q', 999960), NULL),"
                        " (12, 'last', NULL);");
    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));
    src.Export->RowsPerInsert = 1000;
    EXPECT_EQ(src.Export->MaxInsertBytes, 1000000u);
    const std::string file = dir.File("big.sql");
    ASSERT_EQ(src.Export->DumpTable(edMySQL, "big", file, "", true, true, false, false, ""), 0)
        << src.Export->ErrorText;
    const std::string script = ReadFile(file);
    EXPECT_EQ(ExpectFullStatements(script, true, 1000, 1000000, "mysql"), 12u);
    // Row 6 (1.35 MB escaped) stands alone, and so the statements number at least four.
    EXPECT_GE(Inserts(script).size(), 4u);

    const std::string target = FreshMariaDBDatabase("multirow_big_dst");
    std::string output;
    ASSERT_EQ(MariaDBLoad(target, file, &output), 0) << output.substr(0, 2000);
    const std::string digest =
        "SELECT id, LENGTH(body), MD5(body), LENGTH(data), MD5(data) FROM big ORDER BY id";
    EXPECT_EQ(MariaDBQuery(target, digest), MariaDBQuery(source, digest));
}

// Firebird, the Oracle form, FoxPro, the delimited forms and PostgreSQL's COPY rows write
// what they always wrote;
// with a cap of 0 bytes every row of the SQLite and PostgreSQL forms stands alone, as
// without the option, and the MySQL form differs only by its transaction lines and its
// numbers, which stand bare.
TEST(ExportMultiRow, FormsWithoutMultiRowValuesKeepOneRowPerInsert) {
    TVariedSource source;
    ASSERT_TRUE(source.Open("multirow_same"));
    TExport& engine = *source.Src.Export;
    auto dump = [&](TExportDialect Dialect, std::int32_t Rows, std::size_t Cap) {
        engine.RowsPerInsert = Rows;
        engine.MaxInsertBytes = Cap;
        return source.Export(Dialect, source.Dir.File("same.sql"));
    };
    for (TExportDialect d : {edFirebird, edOracle, edFoxPro, edTabText, edCommaText}) {
        const std::string single = dump(d, 1, 1000000);
        EXPECT_GT(single.size(), 10000u);
        EXPECT_EQ(dump(d, 50, 1000000), single) << FindDialect(d)->Name;
    }
    for (TExportDialect d : {edSQLite, edPostgreSQL})
        EXPECT_EQ(dump(d, 50, 0), dump(d, 1, 1000000)) << FindDialect(d)->Name;
    // A COPY block has no INSERTs to join.
    engine.CopyRows = true;
    const std::string copy = dump(edPostgreSQL, 1, 1000000);
    EXPECT_TRUE(Has(copy, " FROM stdin;\r\n"));
    EXPECT_EQ(dump(edPostgreSQL, 50, 1000000), copy);
    engine.CopyRows = false;
    std::string joined = dump(edMySQL, 50, 0);
    const std::string single = dump(edMySQL, 1, 1000000);
    EXPECT_FALSE(Has(single, "START TRANSACTION;"));
    for (const std::string line : {"START TRANSACTION;\r\n", "COMMIT;\r\n"}) {
        const std::size_t at = joined.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        joined.erase(at, line.size());
    }
    EXPECT_NE(joined, single);
    EXPECT_EQ(joined, WithoutNumberQuotes(single));
}

// A value PostgreSQL cannot hold (text with NUL) in the middle of a statement, and at the
// head of one: the rows before it end their statement, the table ends in ROLLBACK, and psql
// stops at the reason raised after it, with no row of the table loaded.
TEST(ExportMultiRow, ARefusedValueEndsTheOpenStatement) {
    ScratchDir dir;
    const std::string source = FreshMariaDBDatabase("multirow_refused");
    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));
    src.Export->RowsPerInsert = 3;
    for (int refused : {7, 8}) {
        MariaDBExec(source, "DROP TABLE IF EXISTS t; CREATE TABLE t (id INT PRIMARY KEY, s VARCHAR(20));"
                            "INSERT INTO t SELECT seq, CONCAT('row ', seq) FROM seq_1_to_10;"
                            "UPDATE t SET s = CONCAT('a', CHAR(0), 'b') WHERE id = " +
                                std::to_string(refused) + ";");
        const std::string file = dir.File("refused.sql");
        EXPECT_EQ(src.Export->DumpTable(edPostgreSQL, "t", file, "", true, true, false, false, ""), 4);
        EXPECT_TRUE(Has(src.Export->ErrorText, "row " + std::to_string(refused))) << src.Export->ErrorText;
        const std::string script = ReadFile(file);
        EXPECT_TRUE(Has(script, "'row " + std::to_string(refused - 1) + "');\r\nROLLBACK;\r\n"))
            << refused << ":\n" << script;
        const std::string target = FreshPostgresDatabase("multirow_refused_" + std::to_string(refused));
        std::string output, errors;
        EXPECT_NE(PostgresLoad(target, file, "", &output, &errors), 0) << errors;
        EXPECT_TRUE(Has(errors, "row " + std::to_string(refused))) << errors;
        EXPECT_FALSE(Has(errors, "syntax error")) << errors;
        EXPECT_EQ(PostgresQuery(target, "SELECT count(*) FROM t"), "0\n");
    }
}

// A read that breaks off in the middle of a table (a damaged page of the source): the open
// statement is ended, the transaction rolled back, and each client loads the script
// without an error and with no row of the table.
TEST(ExportMultiRow, ABrokenReadEndsTheOpenStatement) {
    ScratchDir dir;
    const std::string sdb = dir.File("broken.db");
    MakeBrokenSqliteTable(sdb);
    if (HasFatalFailure()) return;
    AddSqliteDataSource("multirow_broken", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("multirow_broken"));
    src.Export->RowsPerInsert = 7;

    const std::string mysql = dir.File("broken-mysql.sql");
    EXPECT_EQ(src.Export->DumpTable(edMySQL, "b", mysql, "", true, true, false, false, ""), 4);
    EXPECT_TRUE(Has(src.Export->ErrorText, "reading row ")) << src.Export->ErrorText;
    const std::string script = ReadFile(mysql);
    EXPECT_TRUE(script.ends_with("');\r\nROLLBACK;\r\n")) << script.substr(script.size() - std::min<std::size_t>(script.size(), 600));
    EXPECT_GT(Inserts(script).size(), 1u);
    const std::string target = FreshMariaDBDatabase("multirow_broken_dst");
    std::string output;
    EXPECT_EQ(MariaDBLoad(target, mysql, &output), 0) << output;
    EXPECT_EQ(MariaDBQuery(target, "SELECT count(*) FROM b"), "0\n");

    const std::string sqlite = dir.File("broken-sqlite.sql");
    EXPECT_EQ(src.Export->DumpTable(edSQLite, "b", sqlite, "", true, true, false, false, ""), 4);
    EXPECT_TRUE(ReadFile(sqlite).ends_with("');\r\nROLLBACK;\r\n"));
    int status = 0;
    const std::string db = dir.File("target.db");
    EXPECT_EQ((output = SqliteLoad(db, sqlite, &status), status), 0) << output;
    EXPECT_EQ(SqliteQuery(db, "SELECT count(*) FROM b"), "0\n");
}

// Numbers of every kind with several rows per INSERT: the MySQL form writes them bare, and
// the mariadb client loads each one exactly: integer extremes, decimals of 65 digits,
// negative and zero-scale decimals, doubles that need 17 significant digits from the
// smallest subnormal to the largest, floats, years and NULLs beside them, and texts that
// look like numbers. Compared as text row by row and, on the server, value by value with
// the source table.
TEST(ExportMultiRow, BareNumbersLoadExactlyIntoMariaDB) {
    ScratchDir dir;
    const std::string source = FreshMariaDBDatabase("multirow_num_src");
    MariaDBExec(source, R"(
CREATE TABLE num (id INT PRIMARY KEY, i8 TINYINT, i64 BIGINT, u64 BIGINT UNSIGNED, d DECIMAL(65,30),
  d0 DECIMAL(30,0), dn DECIMAL(5,2), f FLOAT, g DOUBLE, y YEAR, v VARCHAR(40));
INSERT INTO num VALUES
 (1, -128, -9223372036854775808, 18446744073709551615,
  99999999999999999999999999999999999.999999999999999999999999999999, 999999999999999999999999999999,
  -999.99, 16777217, 0.1e0 + 0.2e0, 2024, '007'),
 (2, 127, 9223372036854775807, 0,
  -99999999999999999999999999999999999.000000000000000000000000000001, -999999999999999999999999999999,
  0.00, -1.17549435e-38, 1.7976931348623157e308, 0, '1e5'),
 (3, 0, 0, NULL, 0.000000000000000000000000000001, 0, -0.01, NULL, 4.9406564584124654e-324, NULL, NULL),
 (4, NULL, NULL, 9223372036854775808, NULL, NULL, NULL, 3.4028234e38, 2.2250738585072014e-308, 1901, '-0'),
 (5, -1, -1, 1, -0.5, -1, 0.5, 0.1, -123456789.12345678e0, 2155, '0.10'),
 (6, 1, 1, NULL, NULL, NULL, NULL, 1.4e-45, 1e0 / 3e0, NULL, '12345678901234567890'),
 (7, NULL, 1000000, 18446744073709551614, 12345678901234567890123456789012345.123456789012345678901234567890,
  NULL, 999.99, -0.0, 9007199254740993, 1999, ' 1'),
 (8, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0.000000000000000000000000000000000000001e0, NULL, '1.5e-7');
INSERT INTO num SELECT n + 100, n % 256 - 128, (n - 150) * 61489146912365172, seq * 61489146912365172,
  (n - 150) * 123456789.123456789012345678901234567891, n * 7777777, n / 7 - 20,
  (RAND(n) - 0.5) * POW(10, n % 76 - 38), (RAND(n + 1000) - 0.5) * POW(10, n % 600 - 300),
  IF(n % 3 = 0, NULL, 1901 + n % 255), IF(n % 4 = 0, NULL, n)
FROM (SELECT seq, CAST(seq AS SIGNED) AS n FROM seq_1_to_300) s;
)");
    const std::string columns = "id, i8, i64, u64, d, d0, dn, f, g, y, v";
    const std::string rows = "SELECT " + columns + " FROM num ORDER BY id";
    const std::vector<TValueRow> expected = ReadRows(source, rows);
    ASSERT_EQ(expected.size(), 308u);

    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));
    src.Export->RowsPerInsert = 7;
    const std::string file = dir.File("num.sql");
    ASSERT_EQ(src.Export->DumpTable(edMySQL, "num", file, "", true, true, false, false, ""), 0)
        << src.Export->ErrorText;
    const std::string script = ReadFile(file);
    EXPECT_TRUE(Has(script, "(1,-128,-9223372036854775808,18446744073709551615,")) << script.substr(0, 3000);
    EXPECT_TRUE(Has(script, ",1.7976931348623157e308,")) << script.substr(0, 3000);
    EXPECT_TRUE(Has(script, "(3,0,0,null,0.000000000000000000000000000001,0,-0.01,null,")) << script.substr(0, 3000);
    // Texts that look like numbers stay literals.
    for (const char* text : {"'007'", "'1e5'", "'-0'", "'0.10'", "'12345678901234567890'", "' 1'", "'1.5e-7'"})
        EXPECT_TRUE(Has(script, text)) << text;

    const std::string target = FreshMariaDBDatabase("multirow_num_dst");
    std::string output;
    ASSERT_EQ(MariaDBLoad(target, file, &output), 0) << output.substr(0, 2000);
    ExpectSameRows(expected, ReadRows(target, rows), {}, "mysql, bare numbers");
    // The server's text of a FLOAT has 6 digits; the script has the shortest text that
    // gives the float back, and a float that 6 digits already give keeps its text. The
    // largest float's shortest text is beyond it as a double, which the server refuses.
    EXPECT_TRUE(Has(script, ",-999.99,16777216,0.30000000000000004,")) << script.substr(0, 3000);
    EXPECT_TRUE(Has(script, ",null,3.4028234663852886e+38,")) << script.substr(0, 3000);
    EXPECT_TRUE(Has(script, ",0.50,0.1,") && Has(script, ",-1.1754944e-38,")) << script.substr(0, 3000);
    // By value on the server, so that no digit the text protocol leaves out can hide.
    std::string differ = "SELECT s.id FROM " + source + ".num s LEFT JOIN " + target + ".num t ON s.id = t.id WHERE";
    std::string separator = " ";
    for (const char* c : {"id", "i8", "i64", "u64", "d", "d0", "dn", "f", "g", "y", "v"}) {
        differ += separator + "NOT (s." + c + " <=> t." + c + ")";
        separator = " OR ";
    }
    EXPECT_EQ(MariaDBQuery(source, differ), "");
    EXPECT_EQ(MariaDBQuery(target, "SELECT count(*) FROM num"), "308\n");
}

// A row the target refuses (a duplicate in a unique secondary index, which a target with
// unique checks off might let pass) stops the mariadb client loudly, and the table's open
// transaction goes with the connection: none of the rows before it stays.
TEST(ExportMultiRow, ADuplicateKeyFailsTheMariaDBLoadAndKeepsNoRow) {
    ScratchDir dir;
    const std::string source = FreshMariaDBDatabase("multirow_dup_src");
    const char* table = "CREATE TABLE t (id INT PRIMARY KEY, u INT, s VARCHAR(20), UNIQUE KEY t_u (u));";
    MariaDBExec(source, std::string(table) +
                            "INSERT INTO t SELECT seq, seq * 10, CONCAT('row ', seq) FROM seq_1_to_10;");
    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));
    src.Export->RowsPerInsert = 3;
    const std::string file = dir.File("dup.sql");
    ASSERT_EQ(src.Export->DumpTable(edMySQL, "t", file, "", false, true, false, false, ""), 0)
        << src.Export->ErrorText;

    const std::string target = FreshMariaDBDatabase("multirow_dup_dst");
    MariaDBExec(target, std::string(table) + "INSERT INTO t VALUES (100, 80, 'there before');");
    std::string output;
    EXPECT_NE(MariaDBLoad(target, file, &output), 0) << output;
    EXPECT_TRUE(Has(output, "Duplicate entry '80'")) << output;
    EXPECT_EQ(MariaDBQuery(target, "SELECT id, u, s FROM t ORDER BY id"), "100\t80\tthere before\n");
}

// The SQLite driver gives reals with 15 digits; the MySQL form (one row per INSERT, and
// joined rows with bare numbers), the PostgreSQL form and the Firebird form still load
// every bit of them. Firebird reads a third of such texts one step off and refuses those
// below about 1e-292; those values go as exact products.
TEST(ExportMultiRow, SqliteRealsLoadBitForBitIntoMariaDBPostgresAndFirebird) {
    ScratchDir dir;
    const std::string db = dir.File("reals.db");
    SqliteExec(db, R"(
CREATE TABLE reals(id INTEGER PRIMARY KEY, r REAL, d DOUBLE);
INSERT INTO reals VALUES (1, 0.1 + 0.2, 1.7976931348623157e308), (2, 0.1, 2.5),
 (3, -2.2250738585072014e-308, 4.9406564584124654e-324), (4, NULL, 1e22), (5, 16777217, 1e-7 / 3);
INSERT INTO reals SELECT value + 100, (value * 2654435761 % 4294967291 - 2147483645) * 4294967291.0 / 7.0,
 (value * 40503 % 65521 - 32760) * 1e-300 / 9 FROM generate_series(1, 200);
)");
    const std::vector<std::string> expected = DoubleLines(
        SqliteQuery(db, "SELECT id, CASE WHEN r IS NULL THEN 'NULL' ELSE printf('%!.20e', r) END,"
                        " printf('%!.20e', d) FROM reals ORDER BY id"));
    ASSERT_EQ(expected.size(), 205u);
    EXPECT_EQ(expected[0], "1 0.30000000000000004 1.7976931348623157e+308 ");
    AddSqliteDataSource("multirow_reals", db);

    for (const std::int32_t rows : {1, 7}) {
        SCOPED_TRACE(rows);
        TSourceFixture src;
        ASSERT_TRUE(src.Open("multirow_reals"));
        src.Export->RowsPerInsert = rows;
        const std::string mysql = dir.File("reals" + std::to_string(rows) + ".sql");
        ASSERT_EQ(src.Dump(edMySQL, "reals", mysql), 0) << src.Export->ErrorText;
        const std::string maria = FreshMariaDBDatabase("multirow_reals_" + std::to_string(rows));
        std::string output;
        ASSERT_EQ(MariaDBLoad(maria, mysql, &output), 0) << output;
        EXPECT_EQ(DoubleLines(MariaDBQuery(maria, "SELECT id, r, d FROM reals ORDER BY id")), expected);

        const std::string pgFile = dir.File("reals_pg" + std::to_string(rows) + ".sql");
        ASSERT_EQ(src.Dump(edPostgreSQL, "reals", pgFile), 0) << src.Export->ErrorText;
        const std::string pg = FreshPostgresDatabase("multirow_reals_" + std::to_string(rows));
        std::string errors;
        ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors;
        EXPECT_EQ(DoubleLines(PostgresQuery(pg, "SELECT id, r, d FROM reals ORDER BY id")), expected);
    }

    TSourceFixture src;
    ASSERT_TRUE(src.Open("multirow_reals"));
    const std::string fbFile = dir.File("reals_fb.sql");
    ASSERT_EQ(src.Dump(edFirebird, "reals", fbFile), 0) << src.Export->ErrorText;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("reals.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    const std::string output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT count(*) FROM reals"), "205\n");
    for (const char* column : {"r", "d"}) {
        const std::map<int, double> source = SqliteExactDoubles(db, "reals", column);
        ASSERT_GT(source.size(), 200u);
        EXPECT_EQ(FirebirdExactDoubles(fdb, "reals", column), source) << column;
    }
}

// A MariaDB FLOAT, which the server's text gives with 6 digits, and DOUBLE extremes into
// the SQLite, PostgreSQL and Firebird forms, each loaded by its own client: every FLOAT
// comes back as the same float (the forms' columns are double precision in SQLite, its
// shortest text being read as a double), every DOUBLE as the same double. In SQLite a
// double below 1e-291 may come back one step off (SQLite 3.40's own reading).
TEST(ExportMultiRow, MariaDBFloatsLoadIntoSqlitePostgresAndFirebird) {
    ScratchDir dir;
    const std::string source = FreshMariaDBDatabase("multirow_floats");
    MariaDBExec(source, R"(
CREATE TABLE flt (id INT PRIMARY KEY, f FLOAT, g DOUBLE);
INSERT INTO flt VALUES (1, 16777217, 1.7976931348623157e308), (2, 0.1, 2.2250738585072014e-308),
 (3, -1.17549435e-38, 4.9406564584124654e-324), (4, 3.4028234e38, 0.1e0 + 0.2e0), (5, 1.4e-45, -1e-300),
 (6, NULL, NULL), (7, 123456.7, 1e0 / 3e0), (8, -3.4028234e38, -1.7976931348623157e308);
INSERT INTO flt SELECT n + 100, (RAND(n) - 0.5) * POW(10, n % 76 - 38),
 (RAND(n + 1000) - 0.5) * POW(10, n % 600 - 300) FROM (SELECT CAST(seq AS SIGNED) AS n FROM seq_1_to_300) s;
)");
    // The source's values exactly: a FLOAT widens to a double without loss, and the
    // server's text of a double has every digit.
    std::map<int, float> floats;
    std::map<int, double> doubles;
    {
        std::istringstream in(MariaDBQuery(source, "SELECT id, f * 1e0, g FROM flt WHERE f <> 0 AND g <> 0 ORDER BY id"));
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            int id = 0;
            std::string f, g;
            fields >> id >> f >> g;
            double value = 0, wide = 0;
            ASSERT_EQ(std::from_chars(f.data(), f.data() + f.size(), wide).ec, std::errc()) << line;
            ASSERT_EQ(std::from_chars(g.data(), g.data() + g.size(), value).ec, std::errc()) << line;
            floats[id] = static_cast<float>(wide);
            doubles[id] = value;
        }
    }
    ASSERT_EQ(floats.size(), 307u);
    const auto asFloats = [](const std::map<int, double>& Values) {
        std::map<int, float> narrowed;
        for (const auto& [id, value] : Values) narrowed[id] = static_cast<float>(value);
        return narrowed;
    };
    TSourceFixture src;
    ASSERT_TRUE(src.Open(source));

    const std::string sqliteFile = dir.File("floats_sqlite.sql");
    ASSERT_EQ(src.Dump(edSQLite, "flt", sqliteFile), 0) << src.Export->ErrorText;
    const std::string sqliteDb = dir.File("floats.db");
    int status = -1;
    const std::string loaded = SqliteLoad(sqliteDb, sqliteFile, &status);
    ASSERT_EQ(status, 0) << loaded;
    EXPECT_EQ(asFloats(SqliteExactDoubles(sqliteDb, "flt", "f")), floats);
    for (const auto& [id, value] : SqliteExactDoubles(sqliteDb, "flt", "g")) {
        if (value == doubles[id]) continue;
        EXPECT_LT(std::fabs(doubles[id]), 1e-291) << id;
        EXPECT_EQ(std::nextafter(doubles[id], value), value) << id;
    }

    const std::string pgFile = dir.File("floats_pg.sql");
    ASSERT_EQ(src.Dump(edPostgreSQL, "flt", pgFile), 0) << src.Export->ErrorText;
    const std::string pg = FreshPostgresDatabase("multirow_floats");
    std::string output, errors;
    ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors;
    std::map<int, float> pgFloats;
    std::map<int, double> pgDoubles;
    std::istringstream rows(PostgresQuery(pg, "SELECT id, f, g FROM flt WHERE f <> 0 AND g <> 0 ORDER BY id"));
    for (std::string line; std::getline(rows, line);) {
        std::replace(line.begin(), line.end(), '|', ' ');
        std::istringstream fields(line);
        int id = 0;
        std::string f, g;
        fields >> id >> f >> g;
        double wide = 0;
        std::from_chars(f.data(), f.data() + f.size(), wide);
        pgFloats[id] = static_cast<float>(wide);
        std::from_chars(g.data(), g.data() + g.size(), pgDoubles[id]);
    }
    EXPECT_EQ(pgFloats, floats);
    EXPECT_EQ(pgDoubles, doubles);

    const std::string fbFile = dir.File("floats_fb.sql");
    ASSERT_EQ(src.Dump(edFirebird, "flt", fbFile), 0) << src.Export->ErrorText;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("floats.fdb");
    FirebirdCreateDatabase(fdb);
    output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_EQ(asFloats(FirebirdExactDoubles(fdb, "flt", "f")), floats);
    EXPECT_EQ(FirebirdExactDoubles(fdb, "flt", "g"), doubles);
}

