// The SQLite form from a MariaDB source: tables written the way real schemas are (link
// tables with two-column keys, current-timestamp defaults, enum and set with NULLs,
// unsigned counters at their limits, full-text and descending indexes, reserved words as
// names, blobs with zero bytes, durations), loaded by the sqlite3 shell and read back row
// by row.
#include "ExportTestUtil.h"
#include "RoundTripUtil.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

const char* kSchema = R"(
CREATE TABLE bid_item(
  id INT UNSIGNED AUTO_INCREMENT PRIMARY KEY,
  name VARCHAR(40) NOT NULL DEFAULT 'it''s',
  kind ENUM('small','large') NULL,
  tags SET('a','b','c') NULL,
  counter BIGINT UNSIGNED NOT NULL DEFAULT 0,
  tiny TINYINT UNSIGNED,
  price DECIMAL(10,2),
  exact DECIMAL(30,10),
  created DATETIME(6) NOT NULL DEFAULT CURRENT_TIMESTAMP(6),
  changed TIMESTAMP NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,
  span TIME,
  day DATE,
  yr YEAR,
  flag BIT(1),
  bits BIT(8),
  raw VARBINARY(16),
  body MEDIUMBLOB,
  note TEXT,
  `key` INT,
  `desc` VARCHAR(10),
  ratio DOUBLE,
  FULLTEXT KEY ft_note(note),
  KEY ix_created(created DESC)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
INSERT INTO bid_item VALUES
 (1, '  padded  ', 'large', 'a,c', 18446744073709551615, 255, 12.50, 12345678901234567890.1234567890,
  '2024-01-02 03:04:05.123456', '2024-01-02 03:04:05', '-10:11:12', '2024-01-02', 2024, 1, b'10000001',
  x'00ff00', x'000010', CONCAT('line1', CHAR(13), CHAR(10), 'line2 \\ O''Hara'), 5, 'x', 0.1),
 (2, '', NULL, '', 0, 0, -0.50, -0.0000000001, '1999-12-31 23:59:59.000001', NULL, '838:59:59', NULL, NULL, 0,
  b'00000000', x'', x'', '', NULL, '', -1.5e300),
 (9, 'nulls', NULL, NULL, 1, NULL, NULL, NULL, '2000-01-01 00:00:00', NULL, NULL, NULL, NULL, NULL, NULL, NULL,
  NULL, NULL, NULL, NULL, NULL);
UPDATE bid_item SET body = REPEAT(CHAR(0), 100000) WHERE id = 9;
CREATE TABLE bid_item_tag(item_id INT UNSIGNED NOT NULL, tag_id INT NOT NULL, PRIMARY KEY(item_id, tag_id),
  KEY ix_item(item_id), KEY ix_tag(tag_id DESC)) ENGINE=InnoDB;
INSERT INTO bid_item_tag VALUES (1, 10), (1, 11), (2, 10);
)";

// Columns of bid_item that the SQLite target keeps as numbers.
const std::set<int> kNumeric{6, 20};

struct TMariaDBSource {
    ScratchDir Dir;
    std::string Database;
    TSourceFixture Src;

    bool Open(const std::string& Name) {
        Database = FreshMariaDBDatabase(Name);
        MariaDBExec(Database, kSchema);
        return Src.Open(Database);
    }
    std::string Export(TExportDialect Dialect, const std::string& File) {
        bool append = false;
        for (const char* table : {"bid_item", "bid_item_tag"}) {
            EXPECT_EQ(Src.Export->DumpTable(Dialect, table, File, "", true, true, false, append, ""), 0)
                << table << ": " << Src.Export->ErrorText;
            append = true;
        }
        return Lines(ReadFile(File));
    }
};

} // namespace

TEST(FactsDialectMariaDB, LoadsIntoSqliteWithEveryValueKept) {
    TMariaDBSource source;
    ASSERT_TRUE(source.Open("facts_to_sqlite"));
    const std::string script = source.Export(edSQLite, source.Dir.File("dump.sql"));
    const std::string target = source.Dir.File("target.db");
    int status = 0;
    const std::string output = SqliteLoad(target, source.Dir.File("dump.sql"), &status);
    ASSERT_EQ(status, 0) << output << "\n" << script;
    EXPECT_EQ(output, "");

    AddSqliteDataSource("facts_to_sqlite_target", target);
    const std::string items = "SELECT * FROM bid_item ORDER BY id";
    ExpectSameRows(ReadRows(source.Database, items), ReadRows("facts_to_sqlite_target", items), kNumeric, items);
    const std::string links = "SELECT * FROM bid_item_tag ORDER BY item_id, tag_id";
    ExpectSameRows(ReadRows(source.Database, links), ReadRows("facts_to_sqlite_target", links), {}, links);
    // The unsigned maximum keeps its digits; the 100 KB of zero bytes stay a blob.
    EXPECT_EQ(SqliteQuery(target, "SELECT counter, typeof(counter) FROM bid_item WHERE id = 1"),
              "18446744073709551615|text\n");
    EXPECT_EQ(SqliteQuery(target, "SELECT typeof(body), length(body) FROM bid_item WHERE id = 9"), "blob|100000\n");
}

TEST(FactsDialectMariaDB, SqliteStructureFromMariaDBFacts) {
    TMariaDBSource source;
    ASSERT_TRUE(source.Open("facts_sqlite_structure"));
    const std::string script = source.Export(edSQLite, source.Dir.File("dump.sql"));
    EXPECT_TRUE(Has(script, "  id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,\n")) << script;
    EXPECT_TRUE(Has(script, "  name VARCHAR(40) DEFAULT 'it''s' NOT NULL,\n")) << script;
    EXPECT_TRUE(Has(script, "  created DATETIME DEFAULT CURRENT_TIMESTAMP NOT NULL,\n")) << script;
    EXPECT_TRUE(Has(script, "  \"key\" INTEGER,\n")) << script;
    EXPECT_TRUE(Has(script, "  PRIMARY KEY (item_id,tag_id)\n")) << script;
    // Full-text has no plain-index form: left out, and the script says so.
    EXPECT_TRUE(Has(script, "/* fulltext index ft_note left out")) << script;
    EXPECT_TRUE(Has(script, "CREATE INDEX bid_item_ix_created ON bid_item (created DESC);\n")) << script;
    EXPECT_TRUE(Has(script, "CREATE INDEX bid_item_tag_ix_tag ON bid_item_tag (tag_id DESC);\n")) << script;

    const std::string target = source.Dir.File("target.db");
    int status = 0;
    ASSERT_EQ((SqliteLoad(target, source.Dir.File("dump.sql"), &status), status), 0) << script;
    SqliteExec(target, "INSERT INTO bid_item(counter) VALUES(3);");
    EXPECT_EQ(SqliteQuery(target, "SELECT id, name FROM bid_item WHERE counter = '3'"), "10|it's\n");
}

// An invisible column is left out of SELECT * but listed by the catalogue, so the structure
// has it: its values must come with the rows, in the table's order, whether the rows are
// read in key-ordered chunks or in one select. The MySQL form makes it a plain column, as an
// INSERT without column names fills no invisible one.
TEST(FactsDialectMariaDB, InvisibleColumnsArriveWithTheirValues) {
    ScratchDir dir;
    TSourceFixture src;
    const std::string source = FreshMariaDBDatabase("facts_invisible");
    MariaDBExec(source, "CREATE TABLE bid_hidden(id INT PRIMARY KEY, a VARCHAR(10), secret VARCHAR(20) INVISIBLE "
                        "DEFAULT 'x', b INT);"
                        "INSERT INTO bid_hidden(id, a, secret, b) VALUES (1, 'one', 's1', 10), (2, NULL, NULL, 20), "
                        "(3, 'three', 's3', NULL), (4, 'four', 's''4', 40), (5, '', '', 0);"
                        "CREATE TABLE bid_hidden_heap(n INT INVISIBLE, v VARCHAR(5));"
                        "INSERT INTO bid_hidden_heap(n, v) VALUES (7, 'a'), (NULL, 'b');");
    ASSERT_TRUE(src.Open(source));
    src.Export->KeyChunkRows = 2;
    const std::string hidden = "SELECT id, a, secret, b FROM bid_hidden ORDER BY id";
    const std::string heap = "SELECT n, v FROM bid_hidden_heap ORDER BY v";
    for (const TExportDialect dialect : {edMySQL, edSQLite}) {
        const std::string file = dir.File(dialect == edMySQL ? "my.sql" : "lite.sql");
        bool append = false;
        for (const char* table : {"bid_hidden", "bid_hidden_heap"}) {
            ASSERT_EQ(src.Export->DumpTable(dialect, table, file, "", true, true, false, append, ""), 0)
                << table << ": " << src.Export->ErrorText;
            append = true;
        }
        std::string target, output;
        int status = -1;
        if (dialect == edMySQL) {
            target = FreshMariaDBDatabase("facts_invisible_copy");
            status = MariaDBLoad(target, file, &output);
        } else {
            output = SqliteLoad(dir.File("lite.db"), file, &status);
            target = "facts_invisible_lite";
            AddSqliteDataSource(target, dir.File("lite.db"));
        }
        ASSERT_EQ(status, 0) << output << ReadFile(file);
        ExpectSameRows(ReadRows(source, hidden), ReadRows(target, hidden), {0, 3}, hidden);
        ExpectSameRows(ReadRows(source, heap), ReadRows(target, heap), {0}, heap);
    }
}

// MariaDB's catalogue quotes a literal default and gives an expression bare. The MySQL form
// keeps each as it is: an expression taken for a literal made a wrong default, or one the
// server refused ('(1 + 1)' for an int). Firebird leaves an expression out, named.
TEST(FactsDialectMariaDB, ExpressionDefaultsStayExpressions) {
    ScratchDir dir;
    TSourceFixture src;
    const std::string source = FreshMariaDBDatabase("facts_defaults");
    MariaDBExec(source, "CREATE TABLE bid_defs(id INT PRIMARY KEY, d VARCHAR(20) DEFAULT (concat('a','b')), "
                        "n INT DEFAULT (1+1), u VARCHAR(40) DEFAULT (uuid()), m DATE DEFAULT (curdate()), "
                        "t TEXT DEFAULT 'x', q VARCHAR(10) DEFAULT 'it''s', e VARCHAR(10) DEFAULT '', "
                        "k VARCHAR(10) DEFAULT 'NULL', w VARCHAR(10) DEFAULT '(1 + 1)', z INT DEFAULT NULL);"
                        "INSERT INTO bid_defs(id) VALUES (1);");
    ASSERT_TRUE(src.Open(source));
    const std::string defaults = "SELECT column_name, column_default FROM information_schema.columns "
                                 "WHERE table_schema = DATABASE() AND table_name = 'bid_defs' ORDER BY ordinal_position";

    ASSERT_EQ(src.Dump(edMySQL, "bid_defs", dir.File("my.sql")), 0) << src.Export->ErrorText;
    const std::string target = FreshMariaDBDatabase("facts_defaults_copy");
    std::string output;
    ASSERT_EQ(MariaDBLoad(target, dir.File("my.sql"), &output), 0) << output << ReadFile(dir.File("my.sql"));
    EXPECT_EQ(MariaDBQuery(target, defaults), MariaDBQuery(source, defaults));
    MariaDBExec(target, "INSERT INTO bid_defs(id) VALUES (2);");
    EXPECT_EQ(MariaDBQuery(target, "SELECT d, n, LENGTH(u), m = CURDATE(), t, q, e, k, w FROM bid_defs WHERE id = 2"),
              "ab\t2\t36\t1\tx\tit's\t\tNULL\t(1 + 1)\n");

    ASSERT_EQ(src.Dump(edFirebird, "bid_defs", dir.File("fb.sql")), 0) << src.Export->ErrorText;
    const std::string fb = Lines(ReadFile(dir.File("fb.sql")));
    EXPECT_TRUE(Has(fb, "/* default left out: concat('a','b') */")) << fb;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("defaults.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    const std::string loaded = FirebirdRunScript(fdb, ReadFile(dir.File("fb.sql")), &status);
    ASSERT_EQ(status, 0) << loaded << fb;
    FirebirdRunScript(fdb, "INSERT INTO bid_defs(id) VALUES (2);\nCOMMIT;\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT d, n, t, q, e, k, w FROM bid_defs WHERE id = 2"), "||x|it's||NULL|(1 + 1)\n");
}

// MariaDB's connector gives some values of a zero-filled double as garbage (the text of
// 1.2345678901234567e-308 came as NUL bytes and another row's digits): each value arrives.
// Zero fill, which only pads how a number is shown, is no type Firebird knows.
TEST(FactsDialectMariaDB, ZeroFilledDoublesKeepTheirValues) {
    ScratchDir dir;
    TSourceFixture src;
    const std::string source = FreshMariaDBDatabase("facts_zerofill");
    MariaDBExec(source, "CREATE TABLE bid_zf(id INT PRIMARY KEY, z DOUBLE ZEROFILL, u DOUBLE UNSIGNED, "
                        "f DOUBLE(10,2) ZEROFILL, n INT(5) ZEROFILL, b BIGINT ZEROFILL);"
                        "INSERT INTO bid_zf VALUES (1, 2.09e-15, 2.09e-15, 1.5, 1, 18446744073709551615), "
                        "(2, 1.5, 1e300, 12.25, 4294967295, 0), (3, 1.2345678901234567e-308, 0.1, 0, 0, 7), "
                        "(4, NULL, NULL, NULL, NULL, NULL), (5, 0, 5e-324, 99999999.99, 12345, 123);");
    ASSERT_TRUE(src.Open(source));
    ASSERT_EQ(src.Dump(edMySQL, "bid_zf", dir.File("my.sql")), 0) << src.Export->ErrorText;
    const std::string target = FreshMariaDBDatabase("facts_zerofill_copy");
    std::string output;
    ASSERT_EQ(MariaDBLoad(target, dir.File("my.sql"), &output), 0) << output << ReadFile(dir.File("my.sql"));
    const std::string values = "SELECT id, z * 1e0, u * 1e0, f * 1e0, n + 0, b + 0 FROM bid_zf ORDER BY id";
    EXPECT_EQ(MariaDBQuery(target, values), MariaDBQuery(source, values));

    ASSERT_EQ(src.Dump(edFirebird, "bid_zf", dir.File("fb.sql")), 0) << src.Export->ErrorText;
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("zerofill.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    const std::string loaded = FirebirdRunScript(fdb, ReadFile(dir.File("fb.sql")), &status);
    ASSERT_EQ(status, 0) << loaded << ReadFile(dir.File("fb.sql"));
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, n FROM bid_zf ORDER BY id"),
              MariaDBQuery(source, "SELECT CONCAT_WS('|', id, IFNULL(n + 0, '')) FROM bid_zf ORDER BY id"));
}
