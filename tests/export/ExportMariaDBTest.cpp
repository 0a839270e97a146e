// The engine against a real MariaDB server, and the proof: every MySQL script loads into
// a fresh MariaDB database and gives the source's rows back. Firebird scripts from a
// MariaDB source load into a real Firebird 3 database.
#include "ExportTestUtil.h"
#include "TFirebirdWriter.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string Load(const std::string& Database, const std::string& ScriptFile) {
    // The script is UTF-8 bytes as the source gave them; the client must read it so.
    MariaDBExec(Database, "SET NAMES utf8mb4;\n" + ReadFile(ScriptFile));
    return ReadFile(ScriptFile);
}

} // namespace

TEST(ExportMariaDB, ItemsExampleLoadsAndKeepsNumbering) {
    const std::string db = FreshMariaDBDatabase("fx_items");
    MariaDBExec(db, "CREATE TABLE items (id int(11) NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                    "name varchar(40) DEFAULT 'abc');"
                    "INSERT INTO items VALUES (1,'pen'),(2,NULL);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    ASSERT_EQ(src.Export->SourceDialect, edMySQL);
    const std::string file = dir.File("out/items.sql");
    ASSERT_EQ(src.Dump(edMySQL, "items", file), 0);
    const std::string text = ReadFile(file);
    EXPECT_EQ(Lines(text), "/*\n"
                           " MySQL Dump using uExport\n"
                           "\n"
                           " Date: Jun 19/1992\n"
                           " Time: 22:22:17\n"
                           "--------------------------------------------------------\n"
                           "*/\n"
                           "/*!40101 SET SESSION sql_mode = REPLACE(@@sql_mode, 'NO_BACKSLASH_ESCAPES', '') */;\n"
                           "\n"
                           "/*\n"
                           " Table structure for table 'items'\n"
                           "*/\n"
                           "CREATE TABLE items (\n"
                           "  id int(10) NOT NULL,\n"
                           "  name varchar(40) DEFAULT 'abc'\n"
                           ") ENGINE = INNODB;\n"
                           "/*\n"
                           " Indexes for table 'items'\n"
                           "*/\n"
                           "ALTER TABLE items ADD PRIMARY KEY (id);\n"
                           "ALTER TABLE items MODIFY id int(10) NOT NULL auto_increment;\n"
                           "\n"
                           "/*\n"
                           " Dumping data for table 'items'\n"
                           "*/\n"
                           "INSERT INTO items VALUES('1','pen');\n"
                           // A NULL stays NULL (the example's '' would change the value).
                           "INSERT INTO items VALUES('2',null);\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'))
        << "every line ends in CR LF";
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, -3}));

    const std::string copy = FreshMariaDBDatabase("fx_items_copy");
    Load(copy, file);
    MariaDBExec(copy, "INSERT INTO items (name) VALUES ('next');");
    EXPECT_EQ(MariaDBQuery(copy, "SELECT id, COALESCE(name, '-') FROM items ORDER BY id"), "1\tpen\n2\t-\n3\tnext\n");

    // Appending a second table: no second banner.
    ASSERT_EQ(src.Export->DumpTable(edMySQL, "items", file, "id=1", false, true, false, true, ""), 0);
    const std::string both = ReadFile(file);
    EXPECT_EQ(both.substr(0, text.size()), text);
    EXPECT_EQ(Lines(both.substr(text.size())), "\n/*\n Dumping data for table 'items'\n WHERE: id=1\n*/\n"
                                               "INSERT INTO items VALUES('1','pen');\n");
}

TEST(ExportMariaDB, ColumnsDefaultsAndIndexes) {
    const std::string db = FreshMariaDBDatabase("fx_struct");
    MariaDBExec(db, "CREATE TABLE t (k int NOT NULL, code varchar(10) NOT NULL, region char(2) NOT NULL,"
                    " qty int DEFAULT 0, price decimal(10,2) DEFAULT 1.5, note varchar(20) DEFAULT 'it''s',"
                    " made datetime DEFAULT CURRENT_TIMESTAMP, gone date DEFAULT NULL,"
                    " stamp timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP,"
                    " PRIMARY KEY (k));"
                    "CREATE UNIQUE INDEX ix_code ON t (code, region);"
                    "CREATE INDEX ix_qty ON t (qty);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    ASSERT_EQ(src.Dump(edMySQL, "t", dir.File("t.sql")), 0);
    const std::string text = Lines(ReadFile(dir.File("t.sql")));
    EXPECT_NE(text.find("CREATE TABLE t (\n"
                        "  k int(10) NOT NULL,\n"
                        "  code varchar(10) NOT NULL,\n"
                        "  region char(2) NOT NULL,\n"
                        "  qty int(10) DEFAULT 0,\n"
                        "  price decimal(10,2) DEFAULT 1.50,\n"
                        "  note varchar(20) DEFAULT 'it''s',\n"
                        "  made datetime DEFAULT CURRENT_TIMESTAMP,\n"
                        "  gone date,\n"
                        // The connector reports timestamp columns as nullable.
                        "  stamp timestamp DEFAULT CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP NOT NULL\n"
                        ") ENGINE = INNODB;\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("ALTER TABLE t ADD PRIMARY KEY (k);\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CREATE UNIQUE INDEX ix_code ON t (code,region);\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CREATE INDEX ix_qty ON t (qty);\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("MODIFY"), std::string::npos);
    // The script loads, with the same defaults and indexes.
    const std::string copy = FreshMariaDBDatabase("fx_struct_copy");
    Load(copy, dir.File("t.sql"));
    const std::string defaults = "SELECT column_name, column_default FROM information_schema.columns WHERE"
                                 " table_schema = DATABASE() AND column_name <> 'stamp' ORDER BY ordinal_position";
    EXPECT_EQ(MariaDBQuery(copy, defaults), MariaDBQuery(db, defaults));
}

TEST(ExportMariaDB, ProgressWhereClauseAndResultCodes) {
    const std::string db = FreshMariaDBDatabase("fx_rows");
    std::string sql = "CREATE TABLE r (id int PRIMARY KEY, name varchar(10));INSERT INTO r VALUES ";
    for (int i = 1; i <= 2500; ++i)
        sql += (i > 1 ? "," : "") + std::string("(") + std::to_string(i) + ",'n" + std::to_string(i) + "')";
    MariaDBExec(db, sql + ";");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    ASSERT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql")), 0);
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, 1000, 2000, -2501}));
    // 999 rows reach the report of 1000.
    ASSERT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql"), "id < 1000"), 0);
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, 1000, -1000}));
    // A LIKE pattern carries its percent sign as %%; the comment shows the clause as it runs.
    ASSERT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql"), "name LIKE 'n25%%'"), 0);
    const std::string text = Lines(ReadFile(dir.File("r.sql")));
    EXPECT_NE(text.find(" WHERE: name LIKE 'n25%'\n"), std::string::npos) << text;
    EXPECT_EQ(src.Export->ErrorText, "");
    EXPECT_NE(text.find("INSERT INTO r VALUES('2500','n2500');\n"), std::string::npos);
    EXPECT_EQ(src.Progress.back(), -13); // 25, 250..259, 2500
    // A lone percent sign is no directive: result 4, and the lines before it stay.
    EXPECT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql"), "name LIKE 'n25%'"), 4);
    const std::string failed = Lines(ReadFile(dir.File("r.sql")));
    EXPECT_NE(failed.find(" WHERE: name LIKE 'n25%'\n"), std::string::npos);
    EXPECT_EQ(failed.find("INSERT"), std::string::npos);
    EXPECT_NE(src.Export->ErrorText.find("Table 'r': "), std::string::npos) << src.Export->ErrorText;

    // Missing table: no structure, and the row select fails: result 4 naming the table and
    // the server's diagnostic, the comment closed.
    EXPECT_EQ(src.Dump(edMySQL, "nosuch", dir.File("none.sql")), 4);
    const std::string none = Lines(ReadFile(dir.File("none.sql")));
    EXPECT_EQ(none.find("CREATE TABLE"), std::string::npos);
    EXPECT_NE(none.find(" Dumping data for table 'nosuch'\n*/\n"), std::string::npos);
    EXPECT_NE(src.Export->ErrorText.find("Table 'nosuch': the row select failed: 42S02"), std::string::npos)
        << src.Export->ErrorText;
    EXPECT_NE(src.Export->ErrorText.find("doesn't exist"), std::string::npos) << src.Export->ErrorText;
    // A where clause the server refuses.
    EXPECT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql"), "nosuchcolumn = 1"), 4);
    EXPECT_NE(src.Export->ErrorText.find("Unknown column"), std::string::npos) << src.Export->ErrorText;
    // Output path below a plain file cannot be created: the file and the system's reason.
    WriteFile(dir.File("plain"), "x");
    EXPECT_EQ(src.Dump(edMySQL, "r", dir.File("plain/sub/r.sql")), 2);
    EXPECT_EQ(src.Export->ErrorText,
              "Table 'r': cannot open " + dir.File("plain/sub/r.sql") + ": Not a directory");
    // Dialect 8, the first code that is none: nothing written, ResultCode left at 0.
    WriteFile(dir.File("keep.sql"), "untouched");
    EXPECT_EQ(src.Dump(static_cast<TExportDialect>(8), "r", dir.File("keep.sql")), 5);
    EXPECT_EQ(src.Export->ResultCode, 0);
    EXPECT_EQ(ReadFile(dir.File("keep.sql")), "untouched");
    // A device that refuses every write: result 4 at the close, with the system's reason.
    EXPECT_EQ(src.Dump(edMySQL, "r", "/dev/full"), 4);
    EXPECT_EQ(src.Export->ErrorText, "Table 'r': /dev/full: write failed: No space left on device");
    EXPECT_EQ(src.Dump(edMySQL, "r", dir.File("r.sql")), 0);
    EXPECT_EQ(src.Export->ErrorText, "");
}

TEST(ExportMariaDB, TrickyDataRoundTrip) {
    const std::string db = FreshMariaDBDatabase("fx_tricky");
    std::string sql =
        "CREATE TABLE d (id int NOT NULL AUTO_INCREMENT PRIMARY KEY, v varchar(8), t text, m mediumtext,"
        " n decimal(12,3), f float, dt date, ts datetime, b tinyint);"
        "INSERT INTO d VALUES (1, 'O''Hara', 'back\\\\slash \\'q\\' \"dq\"',"
        " 'line1\\r\\nline2\\n\\tend\\rx\\r\\r\\n\\ny', -12.5, 0.25,"
        " '1992-06-19', '1992-06-19 22:22:17', 7),"
        " (2, '\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xe2\x82\xac\xc3\xa9\xc3\xa8\xc3\xa0',"
        " 'cr\\r\\nlf */ -- ; ''', 'x\\\\', 0, -1e10,"
        " '2000-02-29', '2038-01-19 03:14:07', -128),"
        " (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (4, 'a\\0b', 'nul\\0inside', '', 123456789.125, 3, '1970-01-01', '1970-01-01 00:00:00', 0);"
        "CREATE TABLE empty_t (id int PRIMARY KEY, s varchar(5));"
        "CREATE TABLE big (id int PRIMARY KEY, s varchar(12));INSERT INTO big VALUES ";
    for (int i = 1; i <= 2500; ++i)
        sql +=
            (i > 1 ? "," : "") + std::string("(") + std::to_string(i) + ",'r\\\\" + std::to_string(i) + "')";
    MariaDBExec(db, sql + ";");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("all.sql");
    ASSERT_EQ(src.Dump(edMySQL, "d", file), 0);
    ASSERT_EQ(src.Dump(edMySQL, "empty_t", file, "", true), 0);
    ASSERT_EQ(src.Dump(edMySQL, "big", file, "", true), 0);
    const std::string copy = FreshMariaDBDatabase("fx_tricky_copy");
    Load(copy, file);
    // Every value comes back exactly: NULL and empty apart, CR LF and NUL included.
    const std::string q = "SELECT id, v, HEX(v), HEX(t), t IS NULL, HEX(m), m IS NULL, n, f, dt, "
                          "ts, b FROM d ORDER BY id";
    EXPECT_EQ(MariaDBQuery(copy, q), MariaDBQuery(db, q));
    EXPECT_EQ(MariaDBQuery(copy, "SELECT COUNT(*) FROM empty_t"), "0\n");
    const std::string qb = "SELECT id, s FROM big ORDER BY id";
    EXPECT_EQ(MariaDBQuery(copy, qb), MariaDBQuery(db, qb));
    MariaDBExec(copy, "INSERT INTO d (v) VALUES ('next');");
    EXPECT_EQ(MariaDBQuery(copy, "SELECT MAX(id) FROM d"), "5\n");
}

TEST(ExportMariaDB, FirebirdScriptFromMySQLLoadsIntoFirebird) {
    if (!RequireFirebirdTools()) return;
    const std::string db = FreshMariaDBDatabase("fx_tofb");
    MariaDBExec(
        db, "CREATE TABLE items (id int NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(20),"
            " body text, raw blob, kind enum('small','medium','large'), price decimal(10,2),"
            " made datetime, stamp timestamp NULL DEFAULT NULL, qty tinyint unsigned, ratio double);"
            "INSERT INTO items VALUES (1, 'pen', 'long ''text'' \\\\ here', 'bytes', 'medium', 1.5,"
            " '1992-06-19 22:22:17', '2001-02-03 04:05:06', 200, 0.5),"
            " (2, 'O''Hara', NULL, NULL, 'large', NULL, NULL, NULL, NULL, NULL),"
            " (42, '\xc3\xa4\xc3\xb6\xc3\xbc', '', '', 'small', -3.25, '2000-01-01 00:00:00', NULL, 0, -2);"
            "CREATE TABLE empty_t (id int PRIMARY KEY, s varchar(5));");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("fb.sql");
    ASSERT_EQ(src.Dump(edFirebird, "items", file), 0);
    ASSERT_EQ(src.Dump(edFirebird, "empty_t", file, "", true), 0);
    const std::string text = Lines(ReadFile(file));
    EXPECT_NE(text.find("CREATE GENERATOR GEN$ITEMS$ID;\nSET GENERATOR GEN$ITEMS$ID TO 42;\nSET TERM !! ;\n"
                        "CREATE TRIGGER ai_insert$items$id FOR items\nBEFORE INSERT\nPOSITION 0 AS\nBEGIN\n"
                        "  IF (NEW.id IS NULL) THEN\n  BEGIN\n    NEW.id = GEN_ID(GEN$ITEMS$ID, 1);\n  END\n"
                        "END !!\nSET TERM ; !!\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("CREATE TRIGGER td_update$items$stamp FOR items\nBEFORE UPDATE AS\n"),
              std::string::npos);
    EXPECT_NE(text.find("/*  Grant Statement for table 'items' */\nGRANT ALL ON items TO PUBLIC;\n"),
              std::string::npos);

    const std::string fdb = dir.File("copy.fdb");
    FirebirdCreateDatabase(fdb);
    FirebirdRunScript(fdb, ReadFile(file));
    EXPECT_EQ(FirebirdQuery(
                  fdb, "SELECT id, name, CAST(body AS VARCHAR(200)), CAST(raw AS VARCHAR(20)), kind, price,"
                       " made, qty FROM items ORDER BY id"),
              "1|pen|long 'text' \\ here|bytes|medium|1.50|1992-06-19 22:22:17.0000|200\n"
              "2|O'Hara|||large|||\n"
              "42|\xc3\xa4\xc3\xb6\xc3\xbc|||small|-3.25|2000-01-01 00:00:00.0000|0\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT COUNT(*) FROM empty_t"), "0\n");
    // The generator continues the numbering, and the timestamp trigger fills its column.
    FirebirdRunScript(fdb, "INSERT INTO items (name) VALUES ('next');");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, stamp IS NOT NULL FROM items WHERE name = 'next'"),
              "43|<true>\n");
}

// A MySQL time is a duration; Firebird's time only a time of day. Every value arrives as
// the source shows it, sign, hours past 24 and fraction included.
TEST(ExportMariaDB, MySQLTimeDurationsLoadIntoFirebird) {
    if (!RequireFirebirdTools()) return;
    const std::string db = FreshMariaDBDatabase("fx_durations");
    MariaDBExec(db, "CREATE TABLE spans (id int PRIMARY KEY, t time, t1 time(1), t6 time(6));"
                    "INSERT INTO spans VALUES (1, '-838:59:59', '30:00:00.5', '838:59:59.999999'),"
                    " (2, '30:00:00', '-00:00:00.1', '-838:59:59.000001'),"
                    " (3, '00:00:00', '00:00:00', '00:00:00'), (4, NULL, NULL, NULL);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("spans.sql");
    ASSERT_EQ(src.Dump(edFirebird, "spans", file), 0) << src.Export->ErrorText;
    const std::string text = Lines(ReadFile(file));
    EXPECT_NE(text.find("  t varchar(10) /* time: durations beyond Firebird's time of day, kept as text */,\n"),
              std::string::npos)
        << text;

    const std::string fdb = dir.File("spans.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    const std::string output = FirebirdRunScript(fdb, ReadFile(file), &status);
    EXPECT_EQ(status, 0) << output;
    const std::string q = "SELECT id, t, t1, t6 FROM spans ORDER BY id";
    std::string expected;
    for (const std::string& line : std::vector<std::string>{"1|-838:59:59|30:00:00.5|838:59:59.999999",
                                                            "2|30:00:00|-00:00:00.1|-838:59:59.000001",
                                                            "3|00:00:00|00:00:00.0|00:00:00.000000", "4|||"})
        expected += line + "\n";
    EXPECT_EQ(FirebirdQuery(fdb, q), expected);
    // The same as the source shows them.
    std::string source = MariaDBQuery(db, "SELECT id, IFNULL(t, ''), IFNULL(t1, ''), IFNULL(t6, '') FROM spans ORDER BY id");
    std::replace(source.begin(), source.end(), '\t', '|');
    EXPECT_EQ(source, expected);
}

// A MySQL column's on-update clock: in Firebird an update that changes another column and
// leaves the clock column alone sets it, as MySQL does; one that sets it keeps that value,
// one that changes nothing changes nothing. Loading the rows never moves a clock, also
// where a long value arrives in appending UPDATEs.
TEST(ExportMariaDB, OnUpdateClockWorksInFirebird) {
    if (!RequireFirebirdTools()) return;
    const std::string db = FreshMariaDBDatabase("fx_onupdate");
    MariaDBExec(db, "CREATE TABLE bid_clock_of_a_rather_long_table_name (id int PRIMARY KEY, note varchar(20),"
                    " body longtext, changed timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP ON UPDATE"
                    " CURRENT_TIMESTAMP, checked datetime(3) NULL ON UPDATE current_timestamp(3),"
                    " plain datetime NULL, nulled timestamp NULL DEFAULT NULL);"
                    "INSERT INTO bid_clock_of_a_rather_long_table_name VALUES"
                    " (1, 'a', 'short', '2001-01-01 00:00:00', '2001-01-01 00:00:00.125', NULL, NULL),"
                    " (2, 'b', REPEAT('x', 40000), '2002-02-02 00:00:00', NULL, '2002-02-02 00:00:00', NULL),"
                    " (3, 'c', NULL, '2003-03-03 00:00:00', '2003-03-03 00:00:00.000', NULL, NULL);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string table = "bid_clock_of_a_rather_long_table_name";
    const std::string file = dir.File("clock.sql");
    ASSERT_EQ(src.Dump(edFirebird, table, file), 0) << src.Export->ErrorText;
    const std::string text = Lines(ReadFile(file));
    // Shortened names (Firebird refuses more than 31 bytes); the triggers follow the rows.
    const std::string trigger = FirebirdName("on_update$" + table + "$changed");
    const std::size_t at = text.find("CREATE TRIGGER " + trigger + " FOR " + FirebirdName(table) + "\nBEFORE UPDATE AS\n");
    EXPECT_NE(at, std::string::npos) << text;
    ASSERT_NE(text.rfind("\nUPDATE "), std::string::npos) << "the long value comes in pieces";
    EXPECT_GT(at, text.rfind("\nUPDATE ")) << text;
    EXPECT_EQ(text.find(FirebirdName("on_update$" + table + "$plain")), std::string::npos);

    const std::string fdb = dir.File("clock.fdb");
    FirebirdCreateDatabase(fdb);
    int status = -1;
    const std::string output = FirebirdRunScript(fdb, ReadFile(file), &status);
    ASSERT_EQ(status, 0) << output;
    const std::string t = FirebirdName(table);
    // A NULL timestamp stays NULL: the trigger that fills one comes after the rows too.
    const std::string q = "SELECT id, changed, checked, plain, CHAR_LENGTH(body), nulled FROM " + t + " ORDER BY id";
    EXPECT_EQ(FirebirdQuery(fdb, q), "1|2001-01-01 00:00:00.0000|2001-01-01 00:00:00.1250||5|\n"
                                     "2|2002-02-02 00:00:00.0000||2002-02-02 00:00:00.0000|40000|\n"
                                     "3|2003-03-03 00:00:00.0000|2003-03-03 00:00:00.0000|||\n");
    FirebirdRunScript(fdb, "UPDATE " + t + " SET note = 'changed' WHERE id = 1;\n"
                           "UPDATE " + t + " SET note = 'set', changed = '2010-10-10 10:10:10' WHERE id = 2;\n"
                           "UPDATE " + t + " SET note = 'c' WHERE id = 3;\nCOMMIT;\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, CAST(changed AS DATE) = CURRENT_DATE, EXTRACT(MILLISECOND FROM changed),"
                                 " CAST(checked AS DATE) = CURRENT_DATE, plain FROM " + t + " ORDER BY id"),
              "1|<true>|0.0|<true>|\n"
              "2|<false>|0.0|<true>|2002-02-02 00:00:00.0000\n"
              "3|<false>|0.0|<false>|\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT changed FROM " + t + " WHERE id IN (2, 3) ORDER BY id"),
              "2010-10-10 10:10:10.0000\n2003-03-03 00:00:00.0000\n");
}

// The MySQL form escapes with backslashes; a target session in NO_BACKSLASH_ESCAPES mode
// would keep them as text. The script's first line turns the mode off for its load.
TEST(ExportMariaDB, MySQLScriptLoadsIntoANoBackslashEscapesSession) {
    const std::string db = FreshMariaDBDatabase("fx_nbe");
    MariaDBExec(db, "CREATE TABLE t (id int PRIMARY KEY, v varchar(40), b blob);"
                    "INSERT INTO t VALUES (1, 'back\\\\slash \\\\n not a newline', x'5c00'),"
                    " (2, CONCAT('cr', CHAR(13), CHAR(10), 'lf', CHAR(0), CHAR(26), CHAR(9), 'O''Hara\\\\'), NULL),"
                    " (3, '\\\\', x'');");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("nbe.sql");
    ASSERT_EQ(src.Dump(edMySQL, "t", file), 0) << src.Export->ErrorText;
    const std::string copy = FreshMariaDBDatabase("fx_nbe_copy");
    MariaDBExec(copy, "SET SESSION sql_mode = 'NO_BACKSLASH_ESCAPES,STRICT_ALL_TABLES';\nSET NAMES utf8mb4;\n" +
                          ReadFile(file));
    const std::string q = "SELECT id, HEX(v), HEX(b), b IS NULL FROM t ORDER BY id";
    EXPECT_EQ(MariaDBQuery(copy, q), MariaDBQuery(db, q)) << ReadFile(file);
    // The line after the banner turns off that one mode and no other.
    const std::string text = ReadFile(file);
    const std::size_t at = text.find("*/\r\n/*!");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string line = text.substr(at + 4, text.find("\r\n", at + 4) - at - 4);
    EXPECT_EQ(MariaDBQuery(copy, "SET SESSION sql_mode = 'NO_BACKSLASH_ESCAPES,STRICT_ALL_TABLES';\n" + line +
                                     "\nSELECT @@sql_mode;"),
              "STRICT_ALL_TABLES\n");
}

TEST(ExportMariaDB, UnsafeNamesLoadIntoMariaDB) {
    ScratchDir dir;
    const std::string sdb = dir.File("names.db");
    SqliteExec(sdb, "CREATE TABLE \"my table\" (\"first col\" integer, \"q'uo\"\"te\" text);"
                    "INSERT INTO \"my table\" VALUES (1, 'a'), (2, 'it''s');"
                    "CREATE TABLE \"semi;colon*/x\" (\"x--y\" text, \"back`tick\" integer);"
                    "INSERT INTO \"semi;colon*/x\" VALUES ('*/ DROP TABLE t; --', 3);"
                    "CREATE TABLE plain (id integer, s text);INSERT INTO plain VALUES (1,'p');");
    AddSqliteDataSource("fx_names_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_names_src"));
    const std::string file = dir.File("names.sql");
    bool append = false;
    for (const char* table : {"my table", "semi;colon*/x", "plain"}) {
        ASSERT_EQ(src.Dump(edMySQL, table, file, "", append), 0) << table;
        append = true;
    }
    const std::string text = Lines(ReadFile(file));
    EXPECT_NE(text.find(" Table structure for table 'semi;colon* /x'\n"), std::string::npos);
    EXPECT_NE(text.find("CREATE TABLE `semi;colon*/x` (\n  `x--y` longtext,\n  `back``tick` int\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("INSERT INTO plain VALUES('1','p');\n"), std::string::npos);
    const std::string copy = FreshMariaDBDatabase("fx_names_copy");
    Load(copy, file);
    EXPECT_EQ(MariaDBQuery(copy, "SHOW TABLES"), "my table\nplain\nsemi;colon*/x\n");
    EXPECT_EQ(MariaDBQuery(copy, "SELECT * FROM `my table` ORDER BY 1"), "1\ta\n2\tit's\n");
    EXPECT_EQ(MariaDBQuery(copy, "SELECT * FROM `semi;colon*/x`"), "*/ DROP TABLE t; --\t3\n");
}

TEST(ExportMariaDB, MySQLTypesLoadBackWithTheirValues) {
    const std::string db = FreshMariaDBDatabase("fx_types");
    MariaDBExec(
        db, "CREATE TABLE ty (id int PRIMARY KEY, d double, d2 double(10,3), f float, f2 float(7,2),"
            " e enum('a','it''s','b\\\\c','*/ -- ;'), s set('x','y z','w'), vb varbinary(10), bn binary(4),"
            " bt bit(5), y year, iu int unsigned, tu tinyint unsigned, bu bigint unsigned,"
            " mu mediumint unsigned, su smallint unsigned, du decimal(8,2) unsigned, dt datetime(3),"
            " tm time(2), ts timestamp(6) NULL, plain_dt datetime, b1 bit(1));"
            "INSERT INTO ty VALUES (1, 1.5e300, 1234567.125, 0.5, 12345.67, 'it''s', 'x,y z',"
            " 'ab''\\\\c', 'wxyz', b'10101', 2024, 4294967295, 255, 18446744073709551615, 16777215, 65535,"
            " 123456.78, '2024-01-02 03:04:05.678', '12:34:56.78', '2024-01-02 03:04:05.123456',"
            " '1999-12-31 23:59:59', b'1'),"
            " (2, -2.25, 0, -1, 0, 'b\\\\c', '', 'x', 'ab', b'1', 1901, 0, 0, 0, 0, 0, 0,"
            " '1970-01-01 00:00:00.000', '-838:59:59', NULL, NULL, b'0'),"
            " (3, NULL, NULL, NULL, NULL, '*/ -- ;', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,"
            " NULL, NULL, NULL, NULL, NULL, NULL, NULL);");
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("ty.sql");
    ASSERT_EQ(src.Dump(edMySQL, "ty", file), 0);
    const std::string text = Lines(ReadFile(file));
    EXPECT_NE(text.find("  d double,\n  d2 double,\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  e enum('a','it''s','b\\\\c','*/ -- ;'),\n  s set('x','y z','w'),\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  iu int(10) unsigned,\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  plain_dt datetime,\n  b1 bit(1)\n"), std::string::npos) << text;

    const std::string copy = FreshMariaDBDatabase("fx_types_copy");
    Load(copy, file);
    const std::string types =
        "SELECT column_name, column_type FROM information_schema.columns WHERE table_schema ="
        " DATABASE() AND table_name = 'ty' AND column_name IN ('d','e','s','vb','bn','bt','y',"
        "'iu','tu','bu','mu','su','du','dt','tm','ts','plain_dt','b1') ORDER BY ordinal_position";
    EXPECT_EQ(MariaDBQuery(copy, types), MariaDBQuery(db, types));
    // Declared digits of float and double are not kept (the catalogue has no scale for
    // them), so they are compared by value. Binary and bit values come back byte for byte.
    const std::string q =
        "SELECT id, d, FORMAT(d2, 3), f, FORMAT(f2, 2), e, s, s IS NULL, HEX(vb), vb IS NULL, HEX(bn), y,"
        " iu, tu, bu, mu, su, du, dt, tm, ts, plain_dt, b1 + 0, bt + 0, bt IS NULL FROM ty ORDER BY id";
    EXPECT_EQ(MariaDBQuery(copy, q), MariaDBQuery(db, q)) << text;
}

namespace {
// Tables shaped the way real schemas are: a link table with a two-column key and an index
// on each column, reserved words as names, clock and quote-holding defaults, unsigned
// counters at their limits, enum and set NULLs, bits, blobs with zero bytes, full-text and
// descending indexes, names beyond Firebird's 31 bytes, index names repeated across tables.
void MakeRealWorldSource(const std::string& Db) {
    MariaDBExec(
        Db,
        "CREATE TABLE victim (x int);"
        "CREATE TABLE bid_link (a_id int NOT NULL, b_id int NOT NULL, PRIMARY KEY (a_id, b_id),"
        " KEY ix_a (a_id), KEY ix_b (b_id));"
        "INSERT INTO bid_link VALUES (1,1),(1,2),(2,1);"
        "CREATE TABLE bid_link2 (a_id int NOT NULL PRIMARY KEY, KEY ix_a (a_id));"
        "INSERT INTO bid_link2 VALUES (7);"
        "CREATE TABLE bid_doc (id int unsigned NOT NULL AUTO_INCREMENT PRIMARY KEY,"
        " `key` varchar(20), `desc` text, `date` date DEFAULT NULL,"
        " made datetime DEFAULT CURRENT_TIMESTAMP, day date DEFAULT curdate(),"
        " note varchar(60) DEFAULT ''');DROP TABLE victim;--',"
        " kind enum('a','b') NULL, tags set('x','y'), cnt int unsigned, big bigint unsigned,"
        " small smallint unsigned, amount decimal(30,4), flags bit(8), raw blob, yr year, body longtext,"
        " UNIQUE KEY uq_key (`key`), KEY ix_date (`date` DESC, `key`), FULLTEXT KEY ft_desc (`desc`));"
        "INSERT INTO bid_doc (id, `key`, `desc`, `date`, made, day, kind, tags, cnt, big, small, amount,"
        " flags, raw, yr, body) VALUES"
        " (1, '  padded  ', 'line1\\r\\nline2\\r', '2024-02-29', '2001-02-03 04:05:06', '2001-02-03', 'a',"
        " 'x,y', 4294967295, 18446744073709551615, 65535, 12345678901234567890.1234, b'10000001',"
        " x'00ff1000', 2024, ''),"
        " (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (3, NULL, '', '1999-12-31', '1999-12-31 23:59:59', '1999-12-31', NULL, '', 0, 0, 0, -0.0001,"
        " b'0', x'', 1901, 'it''s \\\\ \"q\"');"
        "CREATE TABLE bid_a_very_long_table_name_beyond_limits (an_auto_increment_column_name int(10)"
        " NOT NULL AUTO_INCREMENT PRIMARY KEY, v varchar(5));"
        "INSERT INTO bid_a_very_long_table_name_beyond_limits VALUES (5, 'x');");
}
const char* const kRealWorldTables[] = {"bid_link", "bid_link2", "bid_doc",
                                        "bid_a_very_long_table_name_beyond_limits"};
} // namespace

TEST(ExportMariaDB, RealWorldShapesLoadIntoMariaDB) {
    const std::string db = FreshMariaDBDatabase("fx_real");
    MakeRealWorldSource(db);
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("real.sql");
    bool append = false;
    for (const char* table : kRealWorldTables) {
        ASSERT_EQ(src.Dump(edMySQL, table, file, "", append), 0) << table << ": " << src.Export->ErrorText;
        append = true;
    }
    const std::string text = Lines(ReadFile(file));
    // The key once and whole; the key's own index not again; reserved words quoted.
    EXPECT_NE(text.find("ALTER TABLE bid_link ADD PRIMARY KEY (a_id,b_id);\nCREATE INDEX ix_a ON bid_link (a_id);\n"
                        "CREATE INDEX ix_b ON bid_link (b_id);\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("CREATE INDEX ix_date ON bid_doc (date DESC,`key`);\n"), std::string::npos) << text;
    EXPECT_NE(text.find("CREATE FULLTEXT INDEX ft_desc ON bid_doc (`desc`);\n"), std::string::npos) << text;

    const std::string copy = FreshMariaDBDatabase("fx_real_copy");
    MariaDBExec(copy, "CREATE TABLE victim (x int);");
    Load(copy, file);
    EXPECT_EQ(MariaDBQuery(copy, "SELECT COUNT(*) FROM victim"), "0\n") << "the default stays a literal";
    const std::string q =
        "SELECT id, `key`, HEX(`key`), HEX(`desc`), `desc` IS NULL, `date`, made, day, note, kind, kind IS NULL,"
        " tags, tags IS NULL, cnt, big, small, amount, HEX(flags), HEX(raw), raw IS NULL, yr, HEX(body),"
        " body IS NULL FROM bid_doc ORDER BY id;"
        "SELECT * FROM bid_link ORDER BY 1, 2; SELECT * FROM bid_link2;"
        "SELECT * FROM bid_a_very_long_table_name_beyond_limits;";
    EXPECT_EQ(MariaDBQuery(copy, q), MariaDBQuery(db, q));
    const std::string shape =
        // int(11) and int(10) differ in display width only: the catalogue gives 10 digits.
        "SELECT table_name, column_name, REPLACE(column_type, 'int(11)', 'int(10)'), column_default, is_nullable"
        " FROM information_schema.columns"
        " WHERE table_schema = DATABASE() ORDER BY table_name, ordinal_position;"
        "SELECT table_name, index_name, non_unique, seq_in_index, column_name, collation, index_type"
        " FROM information_schema.statistics WHERE table_schema = DATABASE()"
        " ORDER BY table_name, index_name, seq_in_index;";
    EXPECT_EQ(MariaDBQuery(copy, shape), MariaDBQuery(db, shape));
    MariaDBExec(copy, "INSERT INTO bid_doc (`key`) VALUES ('next');");
    EXPECT_EQ(MariaDBQuery(copy, "SELECT id, note, made IS NOT NULL, day IS NOT NULL FROM bid_doc WHERE `key` = 'next'"),
              "4\t');DROP TABLE victim;--\t1\t1\n");
}

TEST(ExportMariaDB, RealWorldShapesLoadIntoFirebird) {
    if (!RequireFirebirdTools()) return;
    const std::string db = FreshMariaDBDatabase("fx_real_fb");
    MakeRealWorldSource(db);
    ScratchDir dir;
    TSourceFixture src;
    ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    const std::string file = dir.File("real_fb.sql");
    bool append = false;
    for (const char* table : kRealWorldTables) {
        ASSERT_EQ(src.Dump(edFirebird, table, file, "", append), 0) << table << ": " << src.Export->ErrorText;
        append = true;
    }
    const std::string text = Lines(ReadFile(file));
    EXPECT_NE(text.find("/* FULLTEXT index ft_desc left out: the target has no such index */\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  big varchar(20) /* bigint unsigned: no Firebird number holds every value */,\n"),
              std::string::npos)
        << text;

    const std::string fdb = dir.File("real.fdb");
    FirebirdCreateDatabase(fdb);
    FirebirdRunScript(fdb, "CREATE TABLE victim (x int);\n" + ReadFile(file));
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT COUNT(*) FROM victim"), "0\n");
    // Values as stored: blanks, CR LF, NULL apart from empty, unsigned limits, 30 digits.
    const auto rows = FirebirdRows(
        fdb, "SELECT id, \"key\", CAST(desc AS VARCHAR(40) CHARACTER SET OCTETS), \"date\", kind, tags, cnt,"
             " big, small, amount, flags, CAST(raw AS VARCHAR(10) CHARACTER SET OCTETS), yr, body FROM bid_doc"
             " ORDER BY id");
    ASSERT_EQ(rows.size(), 3u);
    const FirebirdRow first{"1", "  padded  ", "6C696E65310D0A6C696E65320D", "2024-02-29", "a", "x,y",
                            "4294967295", "18446744073709551615", "65535", "12345678901234567890.1234",
                            "81", "00FF1000", "2024", ""};
    EXPECT_EQ(rows[0], first);
    for (std::size_t i = 1; i < rows[1].size(); ++i)
        EXPECT_FALSE(rows[1][i].has_value()) << "column " << i << " of the NULL row";
    const FirebirdRow third{"3", std::nullopt, "", "1999-12-31", std::nullopt, "", "0", "0", "0", "-0.0001",
                            "00", "", "1901", "it's \\ \"q\""};
    EXPECT_EQ(rows[2], third);
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT * FROM bid_link ORDER BY 1, 2"), "1|1\n1|2\n2|1\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT * FROM bid_link2"), "7\n");
    // The shortened names work together: the generator continues the numbering.
    const std::string longTable = FirebirdName("bid_a_very_long_table_name_beyond_limits");
    FirebirdRunScript(fdb, "INSERT INTO " + longTable + " (v) VALUES ('y');");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT * FROM " + longTable + " ORDER BY 1"), "5|x\n6|y\n");
    FirebirdRunScript(fdb, "INSERT INTO bid_doc (id) VALUES (4);");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT note FROM bid_doc WHERE id = 4"), "');DROP TABLE victim;--\n");
}
