// The engine against the SQLite ODBC driver: the Oracle dialect for a source of another
// kind, the Oracle catalogue select, delimited output, a Firebird catalogue emulated on
// SQLite, bad input, and round trips into fresh SQLite and Firebird 3 databases.
#include "ExportTestUtil.h"
#include "TOutFile.h"
#include "TestEnv.h"
#include "UiHooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::string Dump(TSourceFixture& Src, TExportDialect Dialect, const std::string& Table, const std::string& File,
                 std::int32_t Expected = 0) {
    EXPECT_EQ(Src.Dump(Dialect, Table, File), Expected) << Table;
    return Lines(ReadFile(File));
}

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

std::size_t Count(const std::string& Text, const std::string& Part) {
    std::size_t n = 0;
    for (std::size_t at = Text.find(Part); at != std::string::npos; at = Text.find(Part, at + 1))
        ++n;
    return n;
}

// True when this process still holds a descriptor on Path.
bool HoldsOpen(const std::string& Path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::canonical(Path, ec);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        if (fs::read_symlink(entry.path(), linkError) == target) return true;
    }
    return false;
}

// Installs a window-message hook for the life of the object.
class THook {
  public:
    explicit THook(std::function<void()> Pump) : previous_(InstallUiHooks({std::move(Pump), nullptr})) {}
    ~THook() { InstallUiHooks(previous_); }
    THook(const THook&) = delete;
    THook& operator=(const THook&) = delete;

  private:
    UiHooks previous_;
};

} // namespace

TEST(ExportSqlite, OracleScriptRoundTripsIntoSqlite) {
    ScratchDir dir;
    const std::string sdb = dir.File("src.db");
    std::string sql =
        "CREATE TABLE t (id integer NOT NULL, name varchar(12), price numeric(8,2), made date,"
        " note text, k2 text, \"order\" text DEFAULT 'it''s', raw blob);"
        "CREATE TABLE keyed (id integer NOT NULL, k2 text, tag text, PRIMARY KEY (id, k2));"
        "CREATE INDEX ix_keyed_tag ON keyed (tag);"
        "CREATE UNIQUE INDEX ix_t ON t (name DESC, price);"
        "INSERT INTO t VALUES (1, 'O''Hara', 1.5, '1992-06-19', 'back\\slash \"dq\" */ --', 'a', 'x',"
        " X'00FF10');"
        "INSERT INTO t VALUES (2, '\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xe2\x82\xac', -3.25, NULL,"
        " 'two' || char(13) || char(10) || 'lines' || char(13), 'b', '', zeroblob(3));"
        "INSERT INTO t VALUES (3, NULL, NULL, NULL, NULL, 'c', NULL, NULL);"
        "INSERT INTO t VALUES (4, '  padded  ', 0, '2000-01-01', '', 'd', ' ', X'');"
        "CREATE TABLE empty_t (id integer, s text);"
        "CREATE TABLE big (id integer, s text);"; // SQLite cannot add a primary key later
    for (int i = 1; i <= 2500; ++i)
        sql += "INSERT INTO big VALUES (" + std::to_string(i) + ",'r''" + std::to_string(i) + "');";
    SqliteExec(sdb, sql);
    AddSqliteDataSource("fx_sqlite_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_sqlite_src"));
    ASSERT_EQ(src.Export->SourceDialect, edOracle);
    const std::string file = dir.File("ora.sql");
    const std::string text = Dump(src, edOracle, "t", file);
    EXPECT_TRUE(Has(text, "/*\n Oracle Dump using uExport\n\n Date: Jun 19/1992\n")) << text;
    // No type table speaks for a SQLite source: Oracle's own types from what the driver
    // reports, the declared decimal's digits from its type name.
    EXPECT_TRUE(Has(text, "  id number(10) NOT NULL,\n  name varchar2(12),\n  price number(8,2),\n  made date,\n"
                          "  note clob,\n"))
        << text;
    // The SQLite driver calls every index column ascending; SQLite itself tells each one.
    EXPECT_TRUE(Has(text, "CREATE UNIQUE INDEX ix_t ON t (name DESC,price);\n")) << text;
    // NULL stays NULL, empty stays empty, blobs as hex, reserved words quoted.
    EXPECT_TRUE(Has(text, "INSERT INTO t VALUES('3',null,null,null,null,'c',null,null);\n")) << text;
    EXPECT_TRUE(Has(text, "  \"order\" clob DEFAULT 'it''s',\n  \"raw\" blob\n")) << text;
    EXPECT_TRUE(Has(text, "'a','x',X'00FF10');\n")) << text;
    // A nullable key column is written NOT NULL; key columns joined without blanks. Text of
    // unknown length in a key or index is bounded: Oracle cannot index a clob.
    const std::string keyed = Dump(src, edOracle, "keyed", dir.File("keyed.sql"));
    EXPECT_TRUE(Has(keyed, "CREATE TABLE keyed (\n  id number(10) NOT NULL,\n  k2 varchar2(4000) NOT NULL /* text of "
                           "unknown length in a key or index: bounded, Oracle indexes no clob */,\n  tag varchar2(4000) /* text of "
                           "unknown length in a key or index: bounded, Oracle indexes no clob */\n);\n"))
        << keyed;
    EXPECT_TRUE(Has(keyed, "ALTER TABLE keyed ADD PRIMARY KEY (id,k2);\n")) << keyed;
    EXPECT_EQ(src.Dump(edOracle, "empty_t", file, "", true), 0);
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, -1}));
    EXPECT_EQ(src.Dump(edOracle, "big", file, "", true), 0);

    const std::string copy = dir.File("copy.db");
    SqliteExec(copy, ReadFile(file));
    const std::string q =
        "SELECT id, quote(name), price, quote(made), hex(note), k2, quote(\"order\"), quote(raw)"
        " FROM t ORDER BY id;"
        "SELECT dflt_value FROM pragma_table_info('t') WHERE name = 'order';"
        "SELECT count(*) FROM empty_t; SELECT * FROM big ORDER BY id;";
    EXPECT_EQ(SqliteQuery(copy, q), SqliteQuery(sdb, q));
}

TEST(ExportSqlite, OracleCatalogueSelect) {
    ScratchDir dir;
    const std::string sdb = dir.File("ora.db");
    SqliteExec(sdb,
               "CREATE TABLE ITEMS (a, b, c, d);"
               "CREATE TABLE cols (table_name text, column_name text, data_type text, data_length integer,"
               " data_precision integer, data_scale integer, nullable text, column_id integer);"
               "INSERT INTO cols VALUES ('ITEMS','PRICE','NUMBER',22,8,2,'Y',2),"
               " ('ITEMS','NAME','VARCHAR2',30,NULL,NULL,'N',1), ('ITEMS','QTY','NUMBER',22,NULL,NULL,'Y',3),"
               " ('ITEMS','MADE','DATE',7,NULL,NULL,'Y',4), ('ITEMS','BLOB1','LONG RAW',0,NULL,NULL,'Y',5);"
               "CREATE VIEW all_tab_columns AS SELECT * FROM cols;");
    AddSqliteDataSource("fx_ora_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_ora_src"));
    src.Export->OracleSelect = true;
    const std::string text = Dump(src, edOracle, "ITEMS", dir.File("o.sql"));
    EXPECT_TRUE(Has(text, "CREATE TABLE ITEMS (\n  NAME varchar2(30) NOT NULL,\n  PRICE decimal(8,2),\n"
                          "  QTY number,\n  MADE date,\n  BLOB1 long raw\n);\n"))
        << text;
    // The table name goes into the select as passed: another letter case finds nothing.
    const std::string none = Dump(src, edOracle, "items", dir.File("n.sql"), 1);
    EXPECT_FALSE(Has(none, "CREATE TABLE"));
}

TEST(ExportSqlite, DelimitedOutput) {
    ScratchDir dir;
    const std::string sdb = dir.File("d.db");
    SqliteExec(sdb, "CREATE TABLE t (id integer, name text);"
                    "INSERT INTO t VALUES (1,'pen'),(2,NULL),(3,'a,b'),(4,'say \"hi\"'),"
                    " (5,'two' || char(10) || 'li\"nes'),(6,'tab' || char(9) || 'x');");
    AddSqliteDataSource("fx_delim_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_delim_src"));
    const std::string comma = dir.File("c.txt");
    ASSERT_EQ(src.Export->DumpTable(edCommaText, "t", comma, "id < 3", true, true, false, false, ""), 0);
    EXPECT_EQ(ReadFile(comma), "ID,NAME\r\n1,pen\r\n2,\r\n");
    ASSERT_EQ(src.Export->DumpTable(edCommaText, "t", comma, "", false, true, false, false, ""), 0);
    EXPECT_EQ(ReadFile(comma),
              "1,pen\r\n2,\r\n3,\"a,b\"\r\n4,\"say \"\"hi\"\"\"\r\n5,\"two\nli\"\"nes\"\r\n6,tab\tx\r\n");
    const std::string tab = dir.File("t.txt");
    ASSERT_EQ(src.Export->DumpTable(edTabText, "t", tab, "id >= 3", true, true, false, false, ""), 0);
    EXPECT_EQ(ReadFile(tab),
              "ID\tNAME\r\n3\ta,b\r\n4\t\"say \"\"hi\"\"\"\r\n5\t\"two\nli\"\"nes\"\r\n6\t\"tab\tx\"\r\n");
    // Without data the file is created empty; appending never writes a banner.
    ASSERT_EQ(src.Export->DumpTable(edTabText, "t", tab, "", true, false, false, false, ""), 0);
    EXPECT_EQ(ReadFile(tab), "");
    ASSERT_EQ(src.Export->DumpTable(edCommaText, "t", tab, "id=1", false, true, false, true, ""), 0);
    EXPECT_EQ(ReadFile(tab), "1,pen\r\n");
}

namespace {
// A SQLite database that carries Firebird's catalogue tables, reached through a driver
// registered under a Firebird name, so the connection takes it for Firebird.
std::string EmulatedFirebird(const ScratchDir& Dir, const std::string& Dsn) {
    const std::string sdb = Dir.File("fb.db");
    SqliteExec(
        sdb,
        "CREATE TABLE items (id int NOT NULL PRIMARY KEY, name varchar(20), stamp timestamp, price "
        "decimal(8,2));"
        "INSERT INTO items VALUES (1,'pen','1992-06-19 22:22:17',1.5),(2,'O''Hara',NULL,-2);"
        "CREATE TABLE \"rdb$triggers\" (\"rdb$trigger_name\" varchar(31), \"rdb$relation_name\" varchar(31),"
        " \"rdb$trigger_type\" int, \"rdb$trigger_source\" text, \"rdb$trigger_inactive\" int,"
        " \"rdb$trigger_sequence\" int);"
        "INSERT INTO \"rdb$triggers\" VALUES"
        " ('AI_INSERT$ITEMS$ID','items',1,'AS BEGIN IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(GEN$ITEMS$ID, "
        "1); END',0,0),"
        " ('TD_UPDATE$ITEMS$STAMP','items',3,'AS BEGIN NEW.STAMP = CURRENT_TIMESTAMP; END',NULL,NULL),"
        // Fires on every insert and update, so loading rows must not meet it.
        " ('BUMP$ITEMS','items',17,'AS BEGIN NEW.PRICE = NEW.PRICE + 1000; END',0,5),"
        " ('OLD$ITEMS','items',1,'AS BEGIN NEW.NAME = ''off''; END',1,0),"
        " ('OTHER','other',1,'AS BEGIN END',0,0);"
        "CREATE TABLE \"rdb$generators\" (\"rdb$generator_name\" varchar(31));"
        "INSERT INTO \"rdb$generators\" VALUES ('GEN$ITEMS$ID'),('GEN$OTHER$ID');");
    AddDataSource(Dsn, "Firebird Emulated", "Database=" + sdb + "\nStepAPI=1\n");
    return sdb;
}
} // namespace

TEST(ExportSqlite, EmulatedFirebirdSource) {
    ScratchDir dir;
    EmulatedFirebird(dir, "fx_fb_src");
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_fb_src"));
    ASSERT_EQ(src.Export->SourceDialect, edFirebird);
    const std::string fb = Dump(src, edFirebird, "items", dir.File("fb.sql"));
    EXPECT_TRUE(Has(fb, "/*\n Generators and Triggers for table 'items'\n*/\nCREATE GENERATOR GEN$ITEMS$ID;\n"
                        "/*  Grant Statement for table 'items' */\nGRANT ALL ON items TO PUBLIC;\n"))
        << fb;
    EXPECT_FALSE(Has(fb, "GEN$OTHER$ID"));
    // The triggers and generator values follow the rows; gen_id fails on SQLite, so the value reads 0.
    // A trigger keeps its events, its position and whether it is switched off.
    EXPECT_TRUE(
        Has(fb, "INSERT INTO items VALUES('2','O''Hara',null,'-2');\n/*\n Triggers for table 'items'\n*/\n"
                "SET TERM !! ;\nCREATE TRIGGER AI_INSERT$ITEMS$ID FOR items\n"
                "BEFORE INSERT AS BEGIN IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(GEN$ITEMS$ID, 1); END !!\n"
                "SET TERM ; !!\nSET TERM !! ;\nCREATE TRIGGER TD_UPDATE$ITEMS$STAMP FOR items\n"
                "BEFORE UPDATE AS BEGIN NEW.STAMP = CURRENT_TIMESTAMP; END !!\nSET TERM ; !!\n"
                "SET TERM !! ;\nCREATE TRIGGER BUMP$ITEMS FOR items\n"
                "BEFORE INSERT OR UPDATE POSITION 5 AS BEGIN NEW.PRICE = NEW.PRICE + 1000; END !!\n"
                "SET TERM ; !!\nSET TERM !! ;\nCREATE TRIGGER OLD$ITEMS FOR items\n"
                "INACTIVE BEFORE INSERT AS BEGIN NEW.NAME = 'off'; END !!\nSET TERM ; !!\n"
                "/*\n Current Generator Values for table 'items'\n*/\nSET GENERATOR GEN$ITEMS$ID TO 0;\n"))
        << fb;

    // MySQL target: table D, the trigger parse gives the auto-increment and timestamp columns.
    const std::string my = Dump(src, edMySQL, "items", dir.File("my.sql"));
    EXPECT_TRUE(
        Has(my, "CREATE TABLE items (\n  id int NOT NULL,\n  name varchar(20),\n  stamp timestamp,\n"))
        << my;
    EXPECT_TRUE(Has(my, "ALTER TABLE items MODIFY id int NOT NULL auto_increment;\n")) << my;
    EXPECT_FALSE(Has(my, "GRANT"));

    // The Firebird script loads into a real Firebird 3 database.
    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("copy.fdb");
    FirebirdCreateDatabase(fdb);
    FirebirdRunScript(fdb, ReadFile(dir.File("fb.sql")));
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, name, stamp, price FROM items ORDER BY id"),
              "1|pen|1992-06-19 22:22:17.0000|1.50\n2|O'Hara||-2.00\n");
    // The generator holds the value the source gave (0: the emulation has no gen_id).
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT GEN_ID(GEN$ITEMS$ID, 0) FROM rdb$database"), "0\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT TRIM(rdb$trigger_name), rdb$trigger_type, rdb$trigger_inactive,"
                                 " rdb$trigger_sequence FROM rdb$triggers WHERE rdb$relation_name = 'ITEMS' ORDER BY 1"),
              "AI_INSERT$ITEMS$ID|1|0|0\nBUMP$ITEMS|17|0|5\nOLD$ITEMS|1|1|0\nTD_UPDATE$ITEMS$STAMP|3|0|0\n");
    // The loaded rows never met the triggers, which work from then on.
    FirebirdRunScript(fdb, "INSERT INTO items (id, name, price) VALUES (3, 'new', 1);");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, name, price FROM items ORDER BY id"),
              "1|pen|1.50\n2|O'Hara|-2.00\n3|new|1001.00\n");
}

TEST(ExportSqlite, BadInputNeverThrows) {
    ScratchDir dir;
    const std::string sdb = dir.File("bad.db");
    SqliteExec(sdb, "CREATE TABLE \"my 'table\" (\"a col\" integer, \"x*/y\" geometry, \"q\"\"uote\" text);"
                    "INSERT INTO \"my 'table\" VALUES (1, 'p', 'x');"
                    "CREATE TABLE big (id integer, v text);"
                    "INSERT INTO big VALUES (1, replace(hex(zeroblob(524288)), '00', 'ab''c'));"
                    "INSERT INTO big SELECT id + 1, v FROM big;");
    AddSqliteDataSource("fx_bad_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_bad_src"));
    // Names with blanks, quotes and */ are quoted in statements and escaped in comments;
    // a SQLite column's type comes from what its driver reports (a declared type the driver
    // cannot tell, such as geometry, is text to it).
    const std::string text = Dump(src, edOracle, "my 'table", dir.File("names.sql"));
    EXPECT_TRUE(Has(text, " Table structure for table 'my 'table'\n*/\nCREATE TABLE \"my 'table\" (\n"
                          "  \"a col\" number(10),\n  \"x*/y\" clob,\n  \"q\"\"uote\" clob\n);\n"))
        << text;
    EXPECT_TRUE(Has(text, "INSERT INTO \"my 'table\" VALUES('1','p','x');\n")) << text;
    const std::string copy = dir.File("copy.db");
    SqliteExec(copy, ReadFile(dir.File("names.sql")));
    EXPECT_EQ(SqliteQuery(copy, "SELECT * FROM \"my 'table\";"), "1|p|x\n");

    // Values of 2 MB each go through whole.
    const std::string bigFile = dir.File("big.sql");
    ASSERT_EQ(src.Dump(edMySQL, "big", bigFile), 0);
    const std::string big = ReadFile(bigFile);
    const std::string value = [] {
        std::string v;
        for (int i = 0; i < 524288; ++i)
            v += "ab''c";
        return v;
    }();
    EXPECT_TRUE(Has(big, "INSERT INTO big VALUES('1','" + value + "');\r\nINSERT INTO big VALUES('2','" +
                             value + "');\r\n"));

    // A device that fails half way: result 4, every byte it took stays, it is closed.
    std::string sink;
    bool closed = false;
    class THalfDevice : public TOutDevice {
      public:
        THalfDevice(std::string& Sink, bool& Closed) : sink_(Sink), closed_(Closed) {}
        std::size_t Write(const char* Data, std::size_t Size, std::string& Error) override {
            const std::size_t n =
                std::min<std::size_t>(Size, 3000000 - std::min<std::size_t>(sink_.size(), 3000000));
            sink_.append(Data, n);
            if (n < Size) Error = "no space left";
            return n;
        }
        bool Close(std::string&) override { return closed_ = true; }

      private:
        std::string& sink_;
        bool& closed_;
    };
    src.Export->SetOutputDevice(
        [&](const std::string&, bool) { return std::make_unique<THalfDevice>(sink, closed); }, 65536);
    EXPECT_EQ(src.Dump(edMySQL, "big", bigFile), 4);
    EXPECT_TRUE(closed);
    EXPECT_EQ(sink.size(), 3000000u);
    EXPECT_EQ(sink, big.substr(0, 3000000));
    src.Export->SetOutputDevice(nullptr, TOutFile::DefaultCapacity);

    // /dev/full takes the open and refuses the writes.
    EXPECT_EQ(src.Dump(edOracle, "big", "/dev/full"), 4);
    EXPECT_EQ(src.Dump(edTabText, "big", "/dev/full"), 4);
}

TEST(ExportSqlite, CancelStopsAtARowOrColumnBoundary) {
    ScratchDir dir;
    const std::string sdb = dir.File("c.db");
    std::string sql = "CREATE TABLE c (id integer NOT NULL, s text, n real);CREATE INDEX ix_s ON c (s);";
    for (int i = 1; i <= 50; ++i)
        sql += "INSERT INTO c VALUES (" + std::to_string(i) + ",'r''" + std::to_string(i) + "', 0.5);";
    SqliteExec(sdb, sql);
    AddSqliteDataSource("fx_cancel_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_cancel_src"));

    // Rows: the first progress report (after the row select) arms the hook, which cancels
    // once three rows are written. The row loop stops there; the result is still 0.
    int pumpedRows = -1;
    src.Export->OnProgress = [&](const std::string&, std::int32_t Row) {
        src.Progress.push_back(Row);
        if (Row == 1) pumpedRows = 0;
    };
    const std::string file = dir.File("rows.sql");
    {
        THook hook([&] {
            if (pumpedRows >= 0 && ++pumpedRows == 3) src.Export->Cancelled = true;
        });
        EXPECT_EQ(src.Dump(edOracle, "c", file), 0);
    }
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, -4}));
    EXPECT_TRUE(src.Export->Cancelled);
    EXPECT_FALSE(HoldsOpen(file));
    const std::string text = ReadFile(file);
    EXPECT_EQ(Count(text, "INSERT INTO"), 3u);
    EXPECT_TRUE(text.ends_with("\r\nINSERT INTO c VALUES('3','r''3','0.5');\r\n")) << text;
    // Complete up to that row: the script loads and holds rows 1 to 3.
    const std::string copy = dir.File("copy.db");
    SqliteExec(copy, ReadFile(file));
    EXPECT_EQ(SqliteQuery(copy, "SELECT id, s FROM c ORDER BY id;"), "1|r'1\n2|r'2\n3|r'3\n");

    // The next call clears the flag and writes every row.
    pumpedRows = -1;
    EXPECT_EQ(src.Dump(edOracle, "c", file), 0);
    EXPECT_EQ(Count(ReadFile(file), "INSERT INTO"), 50u);

    // Columns: cancelled after the second definition, the statement is closed after it,
    // the index loop writes nothing, and no row follows.
    std::string sink;
    class TSinkDevice : public TOutDevice {
      public:
        explicit TSinkDevice(std::string& Sink) : sink_(Sink) {}
        std::size_t Write(const char* Data, std::size_t Size, std::string&) override {
            sink_.append(Data, Size);
            return Size;
        }
        bool Close(std::string&) override { return true; }

      private:
        std::string& sink_;
    };
    // A buffer of one byte hands every write to the device at once, so the hook sees it.
    src.Export->SetOutputDevice([&](const std::string&, bool) { return std::make_unique<TSinkDevice>(sink); },
                                1);
    {
        THook hook([&] {
            if (Has(sink, "Oracle indexes no clob */")) src.Export->Cancelled = true;
        });
        EXPECT_EQ(src.Dump(edOracle, "c", file), 0);
    }
    src.Export->SetOutputDevice(nullptr, TOutFile::DefaultCapacity);
    const std::string columns = Lines(sink);
    EXPECT_TRUE(Has(columns, "CREATE TABLE c (\n  id number(10) NOT NULL,\n  s varchar2(4000) /* text of unknown length "
                             "in a key or index: bounded, Oracle indexes no clob */\n);\n"
                             "/*\n Indexes for table 'c'\n*/\n\n/*\n Dumping data for table 'c'\n*/\n"))
        << columns;
    EXPECT_FALSE(Has(columns, "  n binary_double"));
    EXPECT_FALSE(Has(columns, "INDEX"));
    EXPECT_FALSE(Has(columns, "INSERT"));
    EXPECT_EQ(src.Progress, (std::vector<std::int32_t>{1, -1}));
}

TEST(ExportSqlite, FoxProTargetText) {
    ScratchDir dir;
    const std::string sdb = dir.File("fox.db");
    // SQLite keeps declared type names as written, so a table can carry FoxPro's one-letter types.
    SqliteExec(sdb, "CREATE TABLE f (id integer NOT NULL, code C NOT NULL, price N, flag L, born D,"
                    " seen T, note text, PRIMARY KEY (id));"
                    "CREATE UNIQUE INDEX ix_code ON f (code, born);"
                    "INSERT INTO f VALUES (1, 'O''Hara', 1.5, 1, '1992-06-19', '1992-06-19 22:22:17',"
                    " 'back\\slash' || char(13) || char(10) || 'next');"
                    "INSERT INTO f VALUES (2, 'x', NULL, NULL, NULL, NULL, NULL);");
    AddSqliteDataSource("fx_fox_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_fox_src"));
    const std::string file = dir.File("fox.sql");

    // From a source of another kind there is no type table: types from what the driver
    // reports (the SQLite driver tells text of these one-letter declarations, so memo); FoxPro columns never carry NOT NULL, also key columns; values as for every
    // non-MySQL target (backslash raw, a CR before LF ends the literal); NULL is null.
    EXPECT_EQ(src.Export->DumpTable(edFoxPro, "f", file, "", true, true, true, false, ""), 0);
    const std::string text = ReadFile(file);
    EXPECT_EQ(Lines(text),
              "/*\n FoxPro Dump using uExport\n\n Date: Jun 19/1992\n Time: 22:22:17\n"
              "--------------------------------------------------------\n*/\n\n"
              "/*\n Table structure for table 'f'\n*/\n"
              "DROP TABLE f;\n"
              "CREATE TABLE f (\n  id integer,\n  code memo,\n  price memo,\n  flag memo,\n  born memo,\n"
              "  seen memo,\n  note memo\n);\n"
              "/*\n Indexes for table 'f'\n*/\n"
              "ALTER TABLE f ADD PRIMARY KEY (id);\n"
              "CREATE UNIQUE INDEX ix_code ON f (code,born);\n"
              "\n/*\n Dumping data for table 'f'\n*/\n"
              "INSERT INTO f VALUES('1','O''Hara','1.5','1','1992-06-19','1992-06-19 22:22:17',"
              "'back\\slash\r' || '\nnext');\n"
              "INSERT INTO f VALUES('2','x',null,null,null,null,null);\n");
    EXPECT_TRUE(Has(text, "'back\\slash\r' || '\nnext');\r\n"));

    // A FoxPro source (the engine's source dialect): table C names the types and reads the
    // length and scale from the catalogue's "length" and "scale", and the key position from
    // "seq_in_index". The SQLite driver has none of the three, so lengths come out empty;
    // the index columns are grouped by index name.
    TExport fox(&src.Connection, edFoxPro);
    fox.Clock = PinnedClock();
    EXPECT_EQ(fox.DumpTable(edFoxPro, "f", file, "id = 2", true, true, false, false, ""), 0);
    const std::string foxText = Lines(ReadFile(file));
    EXPECT_TRUE(Has(foxText,
                    "CREATE TABLE f (\n  id integer,\n  code char(),\n  price number(,),\n  flag logical,\n"
                    "  born date,\n  seen timedate,\n  note text\n);\n"
                    "/*\n Indexes for table 'f'\n*/\nALTER TABLE f ADD PRIMARY KEY (id);\n"
                    "CREATE UNIQUE INDEX ix_code ON f (code,born);\n"))
        << foxText;
    EXPECT_TRUE(Has(foxText, " WHERE: id = 2\n*/\nINSERT INTO f VALUES('2','x',null,null,null,null,null);\n"))
        << foxText;
}

TEST(ExportSqlite, ABrokenReadEndsTheTableWithItsCause) {
    ScratchDir dir;
    const std::string sdb = dir.File("broken.db");
    MakeBrokenSqliteTable(sdb);
    if (HasFatalFailure()) return;
    AddSqliteDataSource("fx_broken_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_broken_src"));
    const std::string file = dir.File("broken.sql");
    EXPECT_EQ(src.Export->DumpTable(edOracle, "b", file, "", false, true, false, false, ""), 4);
    const std::string& error = src.Export->ErrorText;
    EXPECT_EQ(error.rfind("Table 'b': reading row ", 0), 0u) << error;
    EXPECT_NE(error.find("malformed"), std::string::npos) << error;
    // The rows before the break stay, each whole, and the message names the next one.
    const std::string text = ReadFile(file);
    const std::size_t rows = Count(text, "INSERT INTO");
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, 5000u);
    EXPECT_TRUE(text.ends_with("');\r\n"));
    EXPECT_NE(error.find("reading row " + std::to_string(rows + 1) + " failed"), std::string::npos) << error;

    // A delimited target after a failed select writes no header of an earlier table.
    const std::string good = dir.File("good.db");
    SqliteExec(good, "CREATE TABLE g (id integer, s text); INSERT INTO g VALUES (1, 'x');");
    AddSqliteDataSource("fx_good_src", good);
    TSourceFixture other;
    ASSERT_TRUE(other.Open("fx_good_src"));
    TExport& engine = *other.Export;
    ASSERT_EQ(engine.DumpTable(edCommaText, "g", file, "", true, true, false, false, ""), 0);
    EXPECT_EQ(ReadFile(file), "ID,S\r\n1,x\r\n");
    EXPECT_EQ(engine.DumpTable(edCommaText, "nosuch", file, "", true, true, false, false, ""), 4);
    EXPECT_EQ(ReadFile(file), "");
    EXPECT_NE(engine.ErrorText.find("Table 'nosuch': the row select failed: "), std::string::npos)
        << engine.ErrorText;
}

// Firebird takes no statement over 64 KB and no string literal over 16383 characters: a
// row with longer values comes as an INSERT and UPDATEs that append the rest in pieces,
// found by the key, cut between characters; a table without a key cannot be found again
// and fails with the row and column named.
TEST(ExportSqlite, FirebirdRowsTooLongForOneStatementComeInPieces) {
    ScratchDir dir;
    const std::string sdb = dir.File("long.db");
    SqliteExec(sdb, "CREATE TABLE k (id integer PRIMARY KEY, body text, img blob, note text);"
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
                    " INSERT INTO k SELECT 1, group_concat('é', '') || 'END', randomblob(70000), 'it''s' FROM n;"
                    "INSERT INTO k VALUES (2, 'short', x'00ff', NULL);"
                    "CREATE TABLE nk (body text);"
                    "INSERT INTO nk SELECT body FROM k WHERE id = 1;");
    AddSqliteDataSource("fx_long_src", sdb);
    TSourceFixture src;
    ASSERT_TRUE(src.Open("fx_long_src"));
    const std::string file = dir.File("long.sql");
    ASSERT_EQ(src.Export->DumpTable(edFirebird, "k", file, "", false, true, false, false, ""), 0)
        << src.Export->ErrorText;
    const std::string text = ReadFile(file);
    EXPECT_GT(Count(text, "UPDATE k SET body = body || '"), 2u);
    EXPECT_GT(Count(text, "UPDATE k SET img = img || x'"), 2u);
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find(";\r\n", at);
        if (end == std::string::npos) break;
        EXPECT_LT(end - at, 65535u) << "a statement over Firebird's limit";
    }

    if (!RequireFirebirdTools()) return;
    const std::string fdb = dir.File("long.fdb");
    FirebirdCreateDatabase(fdb);
    FirebirdRunScript(fdb, "CREATE TABLE k (id int NOT NULL PRIMARY KEY, body blob sub_type text,"
                           " img blob, note varchar(10));\n" +
                               text + "COMMIT;\n");
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT id, CHAR_LENGTH(body), OCTET_LENGTH(body), OCTET_LENGTH(img), note"
                                 " FROM k ORDER BY id"),
              "1|20003|40003|70000|it's\n2|5|5|2|\n");
    // Every byte, slice by slice across the pieces' borders.
    for (int from = 1; from <= 70000; from += 30000) {
        const std::string slice = std::to_string(from) + ", 30000";
        const std::string bytes = SqliteQuery(sdb, "SELECT hex(substr(img, " + slice + ")) FROM k WHERE id = 1");
        EXPECT_GT(bytes.size(), 2 * 9000u);
        EXPECT_EQ(FirebirdQuery(fdb, "SELECT CAST(SUBSTRING(img FROM " + std::to_string(from) +
                                         " FOR 30000) AS VARCHAR(30000) CHARACTER SET OCTETS) FROM k WHERE id = 1"),
                  bytes)
            << from;
        EXPECT_EQ(FirebirdQuery(fdb, "SELECT CAST(SUBSTRING(CAST(body AS BLOB SUB_TYPE BINARY) FROM " +
                                         std::to_string(from) +
                                         " FOR 30000) AS VARCHAR(30000) CHARACTER SET OCTETS) FROM k WHERE id = 1"),
                  SqliteQuery(sdb, "SELECT hex(substr(CAST(body AS blob), " + slice + ")) FROM k WHERE id = 1"))
            << from;
    }

    EXPECT_EQ(src.Export->DumpTable(edFirebird, "nk", file, "", false, true, false, false, ""), 4);
    const std::string& error = src.Export->ErrorText;
    EXPECT_NE(error.find("row 1, column body: a value of 40003 bytes"), std::string::npos) << error;
    EXPECT_NE(error.find("no primary key"), std::string::npos) << error;
}

