// Columns of SQLite tables that the driver's catalogue leaves out or describes as text:
// generated columns come as plain columns in their place, with their values in the rows,
// in every form; each script is loaded by its target's own client and every value compared.
#include "ExportTestUtil.h"
#include "RoundTripUtil.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace {

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

// Generated columns virtual and stored, in the middle and at the end, one untyped, under
// a primary key, with an index on one of them and a unique one on another. Each row's
// own values beside them: NULL text, whole and inexact reals.
const char* kGeneratedSchema = R"(
CREATE TABLE gen(id INTEGER PRIMARY KEY, a INT NOT NULL, v INT GENERATED ALWAYS AS (a * 2) VIRTUAL,
  note TEXT, s VARCHAR(12) GENERATED ALWAYS AS ('s' || a) STORED, r REAL,
  third GENERATED ALWAYS AS (a / 3.0) VIRTUAL, w INT NOT NULL GENERATED ALWAYS AS (a + id) STORED);
CREATE INDEX gen_v ON gen(v DESC, a);
CREATE UNIQUE INDEX gen_s ON gen(s);
INSERT INTO gen(id, a, note, r) VALUES (1, 1, 'one', 0.1 + 0.2), (2, 2, NULL, 2.0), (5, -7, 'it''s', NULL),
  (9, 10, '', 1e-300 / 3);
CREATE VIRTUAL TABLE docs USING fts5(title, body);
INSERT INTO docs(rowid, title, body) VALUES (1, 'one', 'first text'), (2, NULL, 'second');
)";

// The columns of gen as text lines of id, a, v, note, s, w ('|' between, NULL as NULL),
// ordered by id; its reals (r and third) are compared on their own, exactly.
const char* kGeneratedPlainColumns = "SELECT id, a, v, coalesce(note, 'NULL'), s, w FROM gen ORDER BY id";

std::string Dump(TSourceFixture& Src, TExportDialect Dialect, const std::string& Table,
                 const std::string& File) {
    EXPECT_EQ(Src.Dump(Dialect, Table, File), 0) << Table << ": " << Src.Export->ErrorText;
    return Lines(ReadFile(File));
}

// Loads Script into a fresh SQLite database beside the source and returns the rows of
// Table (by the integer key id) whose values or storage classes differ from the source's,
// one "id: column" a line; empty when every value is the same.
std::string SqliteDifferences(const std::string& Source, const std::string& Target, const std::string& Script,
                              const std::string& Table, const std::vector<std::string>& Columns) {
    int status = -1;
    const std::string output = SqliteLoad(Target, Script, &status);
    EXPECT_EQ(status, 0) << output << "\n" << ReadFile(Script);
    std::string differs, rows;
    for (const std::string& c : Columns)
        differs += (differs.empty() ? "" : " UNION ALL ") + std::string("SELECT s.id || ': ") + c +
                   "' FROM s." + Table + " s LEFT JOIN main." + Table +
                   " t ON t.id = s.id WHERE t.id IS NULL OR NOT (t." + c + " IS s." + c + " AND typeof(t." +
                   c + ") = typeof(s." + c + "))";
    return SqliteQuery(Target, "ATTACH '" + Source + "' AS s; " + differs +
                                   "; SELECT 'rows ' || (SELECT count(*) FROM "
                                   "main." +
                                   Table + ") || ' of ' || (SELECT count(*) FROM s." + Table + ");");
}

} // namespace

// The SQLite driver's catalogue leaves generated columns out while SELECT * returns them:
// the structure had fewer columns than the rows had values, and no form loaded.
TEST(SqliteColumns, GeneratedColumnsLoadAsPlainColumnsInEveryForm) {
    ScratchDir dir;
    const std::string db = dir.File("gen.db");
    SqliteExec(db, kGeneratedSchema);
    AddSqliteDataSource("sqlite_columns_gen", db);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("sqlite_columns_gen"));
    const std::vector<std::string> expected = DoubleLines(SqliteQuery(db, kGeneratedPlainColumns));
    ASSERT_EQ(expected.size(), 4u);
    const std::map<int, double> reals = SqliteExactDoubles(db, "gen", "r");
    ASSERT_EQ(reals.size(), 3u);
    const std::vector<std::string> realLines = DoubleLines(SqliteQuery(
        db,
        "SELECT id, CASE WHEN r IS NULL THEN 'NULL' ELSE printf('%!.20e', r) END, printf('%!.20e', third) "
        "FROM gen ORDER BY id"));

    // SQLite: the declared types as declared, each value in its class.
    int status = -1;
    const std::string sqliteFile = dir.File("gen_sqlite.sql");
    const std::string sqlite = Dump(src, edSQLite, "gen", sqliteFile);
    EXPECT_TRUE(Has(sqlite,
                    "  a int NOT NULL,\n  v int,\n  note text,\n  s varchar(12),\n  r real,\n  third,\n"
                    "  w int NOT NULL,\n"))
        << sqlite;
    const std::string target = dir.File("gen_target.db");
    EXPECT_EQ(SqliteDifferences(db, target, sqliteFile, "gen", {"a", "v", "note", "s", "r", "third", "w"}),
              "rows 4 of 4\n");
    EXPECT_EQ(
        SqliteQuery(target,
                    "SELECT name FROM sqlite_master WHERE type = 'index' AND sql LIKE '%(v DESC,a)%' "
                    "UNION ALL SELECT name FROM sqlite_master WHERE sql LIKE 'CREATE UNIQUE INDEX%(s)%';"),
        "gen_v\ngen_s\n");

    // A virtual table's hidden columns (the full-text table's own name and rank) are no
    // data of its rows and never in SELECT *: the plain columns alone come over.
    const std::string docsFile = dir.File("docs_sqlite.sql");
    const std::string docs = Dump(src, edSQLite, "docs", docsFile);
    EXPECT_TRUE(Has(docs, "CREATE TABLE docs (\n  title,\n  body\n);")) << docs;
    const std::string docsDb = dir.File("docs_target.db");
    ASSERT_EQ(SqliteLoad(docsDb, docsFile, &status), "");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(
        SqliteQuery(docsDb, "ATTACH '" + db +
                                "' AS s; SELECT (SELECT count(*) FROM docs) || ' ' || (SELECT count(*) FROM "
                                "(SELECT title, body FROM docs UNION SELECT title, body FROM s.docs));"),
        "2 2\n");

    // PostgreSQL.
    const std::string pgFile = dir.File("gen_pg.sql");
    Dump(src, edPostgreSQL, "gen", pgFile);
    const std::string pg = FreshPostgresDatabase("sqlite_columns_gen");
    std::string output, errors;
    ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors << ReadFile(pgFile);
    EXPECT_EQ(DoubleLines(PostgresQuery(pg, kGeneratedPlainColumns)), expected);
    EXPECT_EQ(
        DoubleLines(PostgresQuery(pg, "SELECT id, coalesce(r::text, 'NULL'), third FROM gen ORDER BY id")),
        realLines);
    EXPECT_EQ(
        PostgresQuery(pg, "SELECT indexdef LIKE '%(v DESC, a)' FROM pg_indexes WHERE indexname = 'gen_v';"),
        "t\n");

    // MySQL form into MariaDB.
    const std::string myFile = dir.File("gen_my.sql");
    Dump(src, edMySQL, "gen", myFile);
    const std::string maria = FreshMariaDBDatabase("sqlite_columns_gen");
    ASSERT_EQ(MariaDBLoad(maria, myFile, &output), 0) << output << ReadFile(myFile);
    EXPECT_EQ(DoubleLines(MariaDBQuery(maria, kGeneratedPlainColumns)), expected);
    EXPECT_EQ(DoubleLines(MariaDBQuery(maria, "SELECT id, coalesce(r, 'NULL'), third FROM gen ORDER BY id")),
              realLines);
    EXPECT_EQ(
        MariaDBQuery(maria,
                     "SELECT group_concat(column_name ORDER BY seq_in_index) FROM "
                     "information_schema.statistics WHERE table_schema = database() AND index_name = 'ix_v' "
                     "OR index_name = 'gen_v'"),
        "v,a\n");

    // Firebird.
    const std::string fbFile = dir.File("gen_fb.sql");
    Dump(src, edFirebird, "gen", fbFile);
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("gen.fdb");
    FirebirdCreateDatabase(fdb);
    output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output << ReadFile(fbFile);
    EXPECT_EQ(DoubleLines(FirebirdQuery(fdb, kGeneratedPlainColumns)), expected);
    EXPECT_EQ(FirebirdExactDoubles(fdb, "gen", "r"), reals);
    // The untyped column is text outside SQLite, with each real's every digit.
    EXPECT_EQ(DoubleLines(FirebirdQuery(fdb, "SELECT id, third FROM gen ORDER BY id")),
              DoubleLines(SqliteQuery(db, "SELECT id, printf('%!.20e', third) FROM gen ORDER BY id")));
}

// A generated column gets the type a plain column of its declared type gets, in every form.
TEST(SqliteColumns, GeneratedColumnsTypedAsPlainOnes) {
    ScratchDir dir;
    const std::string db = dir.File("types.db");
    const std::vector<std::string> types{"INT",         "BIGINT",     "DECIMAL(12,4)", "NUMERIC", "REAL",
                                         "VARCHAR(20)", "TEXT",       "BLOB",          "DATE",    "DATETIME",
                                         "TIMESTAMP",   "",           "CHAR(3)",       "BOOLEAN", "FLOAT",
                                         "SMALLINT",    "NUMERIC(5)", "TIME"};
    std::string schema = "CREATE TABLE t(id INTEGER PRIMARY KEY";
    for (std::size_t i = 0; i < types.size(); ++i)
        schema += ", p" + std::to_string(i) + " " + types[i] + ", g" + std::to_string(i) + " " + types[i] +
                  " GENERATED ALWAYS AS (p" + std::to_string(i) + ")" + (i % 2 ? " STORED" : "");
    SqliteExec(db, schema + ");");
    AddSqliteDataSource("sqlite_columns_types", db);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("sqlite_columns_types"));
    for (const TExportDialect dialect : {edSQLite, edPostgreSQL, edMySQL, edFirebird, edOracle}) {
        SCOPED_TRACE(int(dialect));
        const std::string script = Dump(src, dialect, "t", dir.File("types.sql"));
        // Each column definition by its name: "  p3 numeric," gives p3 -> "numeric".
        std::map<std::string, std::string> defs;
        std::istringstream in(script);
        for (std::string line; std::getline(in, line);) {
            if (line.size() < 4 || line.compare(0, 2, "  ") != 0 || (line[2] != 'p' && line[2] != 'g'))
                continue;
            if (line.back() == ',') line.pop_back();
            const std::size_t blank = std::min(line.find(' ', 2), line.size());
            defs[line.substr(2, blank - 2)] = line.substr(blank);
        }
        ASSERT_EQ(defs.size(), 2 * types.size()) << script;
        for (std::size_t i = 0; i < types.size(); ++i)
            EXPECT_EQ(defs["g" + std::to_string(i)], defs["p" + std::to_string(i)]) << types[i];
    }
}

namespace {

// Decimal columns as SQLite keeps them: price holds values of its type only, amount
// integers, reals with every digit, texts and NULL, wide numbers beyond its type, n (which
// the driver calls a double) a half.
const char* kDecimalSchema = R"(
CREATE TABLE money(id INTEGER PRIMARY KEY, price DECIMAL(10,2), amount DECIMAL(12,4), wide DECIMAL(8,2),
  n NUMERIC(5));
INSERT INTO money VALUES (1, 12.5, 12, 0.1 + 0.2, 3), (2, 3.99, 0.1 + 0.2, 1e20, 0.5), (3, NULL, 'abc', 7, NULL),
  (4, -0.01, '', -1e-300 / 3, -2), (5, 12345678.9, NULL, 123456.5, 1), (6, 0, 1e-300 / 3, NULL, 4),
  (7, 7, 123456789012, 2.25, 5), (8, 1, 'it''s 1', -0.5, 6), (9, 2.5, 1.0 / 3, 0.1, 7);
)";

const char* kDecimalColumns[] = {"price", "amount", "wide", "n"};

// The columns of money as lines of id and each value ('|' between), a real with every digit,
// NULL as NULL; Cast turns a value into text in the target's terms.
std::string DecimalQuery(const std::string& Cast) {
    std::string sql = "SELECT id";
    for (const char* c : kDecimalColumns) {
        std::string value = Cast;
        for (std::size_t at; (at = value.find('@')) != std::string::npos;) value.replace(at, 1, c);
        sql += ", coalesce(" + value + ", 'NULL')";
    }
    return sql + " FROM money ORDER BY id";
}

} // namespace

// The SQLite driver gives a decimal column as text with 15 digits. Every form now gets each
// real's every digit, and a type that holds every value the column has: the declared one
// where they fit it, else an unconstrained numeric (numbers only) or text (texts too).
TEST(SqliteColumns, DecimalColumnsKeepEveryValue) {
    ScratchDir dir;
    const std::string db = dir.File("dec.db");
    SqliteExec(db, kDecimalSchema);
    AddSqliteDataSource("sqlite_columns_dec", db);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("sqlite_columns_dec"));
    const std::vector<std::string> expected = DoubleLines(SqliteQuery(
        db, DecimalQuery("CASE typeof(@) WHEN 'real' THEN printf('%!.20e', @) WHEN 'null' THEN NULL ELSE @ END")));
    ASSERT_EQ(expected.size(), 9u);
    EXPECT_EQ(expected[1], "2 3.99 0.30000000000000004 1e+20 0.5 ");

    // SQLite: declared types as declared, each value in its class.
    const std::string sqliteFile = dir.File("dec_sqlite.sql");
    const std::string sqlite = Dump(src, edSQLite, "money", sqliteFile);
    EXPECT_TRUE(Has(sqlite, "  price decimal(10,2),\n  amount decimal(12,4),\n  wide decimal(8,2),\n  n numeric(5),\n"))
        << sqlite;
    EXPECT_EQ(SqliteDifferences(db, dir.File("dec_target.db"), sqliteFile, "money",
                                {"price", "amount", "wide", "n"}),
              "rows 9 of 9\n");

    // PostgreSQL: price keeps its type; numbers beyond theirs unconstrained; texts as text.
    const std::string pgFile = dir.File("dec_pg.sql");
    const std::string pgScript = Dump(src, edPostgreSQL, "money", pgFile);
    EXPECT_TRUE(Has(pgScript, "  price numeric(10,2),\n  amount text,\n  wide numeric,\n  n numeric\n")) << pgScript;
    const std::string pg = FreshPostgresDatabase("sqlite_columns_dec");
    std::string output, errors;
    ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors << pgScript;
    EXPECT_EQ(DoubleLines(PostgresQuery(pg, DecimalQuery("@::text"))), expected);

    // MySQL form into MariaDB.
    const std::string myFile = dir.File("dec_my.sql");
    const std::string myScript = Dump(src, edMySQL, "money", myFile);
    EXPECT_TRUE(Has(myScript, "  price decimal(10,2),\n")) << myScript;
    const std::string maria = FreshMariaDBDatabase("sqlite_columns_dec");
    ASSERT_EQ(MariaDBLoad(maria, myFile, &output), 0) << output << myScript;
    EXPECT_EQ(DoubleLines(MariaDBQuery(maria, DecimalQuery("@"))), expected);

    // Firebird.
    const std::string fbFile = dir.File("dec_fb.sql");
    const std::string fbScript = Dump(src, edFirebird, "money", fbFile);
    EXPECT_TRUE(Has(fbScript, "  price decimal(10,2),\n")) << fbScript;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("dec.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output << fbScript;
    EXPECT_EQ(DoubleLines(FirebirdQuery(fdb, DecimalQuery("CAST(@ AS VARCHAR(60))"))), expected);
}

// SQLite does not hold a text to its column's declared length, PostgreSQL, MariaDB (strict)
// and Firebird do: a column whose texts outrun it gets the longest, counted in characters,
// so every text arrives whole, a key column's too.
TEST(SqliteColumns, TextsLongerThanTheirDeclaredLengthArriveWhole) {
    ScratchDir dir;
    const std::string db = dir.File("texts.db");
    SqliteExec(db, "CREATE TABLE codes(code VARCHAR(5) PRIMARY KEY, c CHAR(2), n NVARCHAR(3), fits VARCHAR(9));"
                   "INSERT INTO codes VALUES ('much longer than five', 'abc', 'ééééé', 'fits'), "
                   "('ok', 'x', NULL, NULL), ('€€€€€€', '', '12345', 'nine char');");
    AddSqliteDataSource("sqlite_columns_texts", db);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("sqlite_columns_texts"));
    const std::string rows = "SELECT code, c, n, fits FROM codes ORDER BY code";
    const std::string expected = SqliteQuery(db, ".mode tabs\n.nullvalue NULL\n" + rows + ";");

    const std::string pgFile = dir.File("texts_pg.sql");
    const std::string pgScript = Dump(src, edPostgreSQL, "codes", pgFile);
    EXPECT_TRUE(Has(pgScript, "  code varchar(21) NOT NULL,\n")) << pgScript;
    EXPECT_TRUE(Has(pgScript, "  fits varchar(9)\n")) << pgScript;
    const std::string pg = FreshPostgresDatabase("sqlite_columns_texts");
    std::string output, errors;
    ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors << pgScript;
    EXPECT_EQ(PostgresQuery(pg, "SELECT code, c, coalesce(n, 'NULL'), coalesce(fits, 'NULL') FROM codes ORDER BY code "
                                "COLLATE \"C\""),
              expected);

    const std::string myFile = dir.File("texts_my.sql");
    const std::string myScript = Dump(src, edMySQL, "codes", myFile);
    const std::string maria = FreshMariaDBDatabase("sqlite_columns_texts");
    ASSERT_EQ(MariaDBLoad(maria, myFile, &output), 0) << output << myScript;
    EXPECT_EQ(MariaDBQuery(maria, "SELECT code, c, n, fits FROM codes ORDER BY CAST(code AS BINARY)"), expected);

    const std::string fbFile = dir.File("texts_fb.sql");
    const std::string fbScript = Dump(src, edFirebird, "codes", fbFile);
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("texts.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output << fbScript;
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT code, c, COALESCE(n, 'NULL'), COALESCE(fits, 'NULL') FROM codes "
                                 "ORDER BY CAST(code AS VARCHAR(21) CHARACTER SET OCTETS)"),
              [&] {
                  std::string bars = expected;
                  std::replace(bars.begin(), bars.end(), '\t', '|');
                  return bars;
              }());
}

namespace {

// Columns declared NUMERIC or DECIMAL without a precision (the driver calls the first a
// double, the second text) as SQLite keeps them: n integers up to the ends of 64 bits, d reals
// and integers a double holds, m integers beyond 2^53 beside reals, o texts, a blob and an
// infinity beside numbers, e nothing; p a decimal(10,2) whose values fit it.
const char* kUnconstrainedSchema = R"(
CREATE TABLE nums(id INTEGER PRIMARY KEY, n NUMERIC, d DECIMAL, m NUMERIC, o Numeric, e DECIMAL, p decimal(10,2));
INSERT INTO nums VALUES (1, 9007199254740993, 0.1 + 0.2, 9007199254740993, 'abc', NULL, 12.5),
  (2, 9223372036854775807, 1e-300 / 3, 0.1 + 0.2, 12, NULL, 3.99),
  (3, -9223372036854775807 - 1, 12, 1e20, 0.1 + 0.2, NULL, NULL),
  (4, 1, -0.5, 1.5, 9e999, NULL, -0.01), (5, NULL, 1e300, -12, NULL, NULL, 0),
  (6, 0, NULL, -9223372036854775807, '', NULL, 1), (7, -9007199254740993, 2.5e-5, NULL, X'6869', NULL, 99999999.99);
)";

const char* kUnconstrainedColumns[] = {"n", "d", "m", "o", "e", "p"};

// As DecimalQuery, for the table nums; without Skip's column.
std::string UnconstrainedQuery(const std::string& Cast, const std::string& Skip = "") {
    std::string sql = "SELECT id";
    for (const char* c : kUnconstrainedColumns) {
        if (c == Skip) continue;
        std::string value = Cast;
        for (std::size_t at; (at = value.find('@')) != std::string::npos;) value.replace(at, 1, c);
        sql += ", coalesce(" + value + ", 'NULL')";
    }
    return sql + " FROM nums ORDER BY id";
}

} // namespace

// Without a precision there was no type to fit: NUMERIC became a double (integers beyond 2^53
// lost digits), DECIMAL an unconstrained decimal that got the driver's 15 digits of each real
// and refused texts. Each column now gets the narrowest type that holds all its values.
TEST(SqliteColumns, UnconstrainedDecimalsKeepEveryDigit) {
    ScratchDir dir;
    const std::string db = dir.File("nums.db");
    SqliteExec(db, kUnconstrainedSchema);
    AddSqliteDataSource("sqlite_columns_nums", db);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("sqlite_columns_nums"));
    // A blob in a column that becomes text arrives as the driver gives it, X'...'.
    const std::string sourceValue = "CASE typeof(@) WHEN 'real' THEN printf('%!.20e', @) WHEN 'blob' THEN "
                                    "'X''' || hex(@) || '''' WHEN 'null' THEN NULL ELSE @ END";
    const std::vector<std::string> expected = NumberLines(SqliteQuery(db, UnconstrainedQuery(sourceValue)));
    ASSERT_EQ(expected.size(), 7u);
    EXPECT_EQ(expected[0], "1 9007199254740993 0.30000000000000004 9007199254740993 <abc> <NULL> 12.5 ");

    // SQLite: declared types as declared, each value in its class.
    const std::string sqliteFile = dir.File("nums_sqlite.sql");
    const std::string sqlite = Dump(src, edSQLite, "nums", sqliteFile);
    EXPECT_TRUE(Has(sqlite, "  n numeric,\n  d decimal,\n  m numeric,\n  o numeric,\n  e decimal,\n  p decimal(10,2),\n"))
        << sqlite;
    EXPECT_EQ(SqliteDifferences(db, dir.File("nums_target.db"), sqliteFile, "nums",
                                {"n", "d", "m", "o", "e", "p"}),
              "rows 7 of 7\n");

    const std::string pgFile = dir.File("nums_pg.sql");
    const std::string pgScript = Dump(src, edPostgreSQL, "nums", pgFile);
    EXPECT_TRUE(Has(pgScript, "  n bigint,\n  d double precision,\n  m numeric,\n  o text,\n  e numeric,\n"
                              "  p numeric(10,2)\n"))
        << pgScript;
    const std::string pg = FreshPostgresDatabase("sqlite_columns_nums");
    std::string output, errors;
    ASSERT_EQ(PostgresLoad(pg, pgFile, "", &output, &errors), 0) << errors << pgScript;
    EXPECT_EQ(NumberLines(PostgresQuery(pg, UnconstrainedQuery("@::text"))), expected);

    const std::string myFile = dir.File("nums_my.sql");
    const std::string myScript = Dump(src, edMySQL, "nums", myFile);
    EXPECT_TRUE(Has(myScript, "  n bigint,\n  d double,\n")) << myScript;
    EXPECT_TRUE(Has(myScript, "  p decimal(10,2)\n")) << myScript;
    const std::string maria = FreshMariaDBDatabase("sqlite_columns_nums");
    ASSERT_EQ(MariaDBLoad(maria, myFile, &output), 0) << output << myScript;
    EXPECT_EQ(NumberLines(MariaDBQuery(maria, UnconstrainedQuery("@"))), expected);

    const std::string fbFile = dir.File("nums_fb.sql");
    const std::string fbScript = Dump(src, edFirebird, "nums", fbFile);
    EXPECT_TRUE(Has(fbScript, "  n bigint,\n  d double precision,\n")) << fbScript;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("nums.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    output = FirebirdRunScript(fdb, ReadFile(fbFile), &status);
    ASSERT_EQ(status, 0) << output << fbScript;
    // Firebird's text of a double has 16 digits; d is compared exactly on its own.
    EXPECT_EQ(NumberLines(FirebirdQuery(fdb, UnconstrainedQuery("CAST(@ AS VARCHAR(60))", "d"))),
              NumberLines(SqliteQuery(db, UnconstrainedQuery(sourceValue, "d"))));
    EXPECT_EQ(FirebirdExactDoubles(fdb, "nums", "d"), SqliteExactDoubles(db, "nums", "d"));
}
