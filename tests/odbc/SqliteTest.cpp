// The database layer against the real SQLite ODBC driver.
#include "SqliteTuning.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"
#include "UiHooks.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

#include <chrono>
#include <memory>

namespace {

class SqliteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = dir.File("t.db");
        SqliteExec(db, "create table items(id integer primary key, name varchar(10), price decimal(10,2), "
                       "flag integer, born datetime, note text, raw blob);"
                       "create unique index items_name on items(name);"
                       "insert into items values(1,'apple',1.5,1,'2024-01-02 03:04:05','first',x'00ff10');"
                       "insert into items values(2,'pear',NULL,NULL,NULL,NULL,NULL);"
                       "insert into items values(3,'',7,0,NULL,'',NULL);"
                       "create view cheap as select * from items where price < 2;");
        AddSqliteDataSource("ferro_sqlite", db);
    }

    std::unique_ptr<TODBC> Connected(bool bind = true) {
        auto conn = std::make_unique<TODBC>();
        EXPECT_TRUE(conn->Connect("ferro_sqlite", "", ""));
        conn->BindColumns = bind;
        return conn;
    }

    ScratchDir dir;
    std::string db;
};

TEST_F(SqliteTest, ConnectByDataSourceNameTakesTheDriverDescription) {
    TODBC conn;
    EXPECT_TRUE(conn.Connect("ferro_sqlite", "", ""));
    EXPECT_TRUE(conn.Connected);
    // unixODBC lists the driver name as the description; SQLite matches no kind.
    EXPECT_EQ(conn.ConnectInfo, "SQLite3");
    EXPECT_EQ(conn.DatabaseKind(), dkUnknown);
    // The SQLite driver cannot refresh a row, so statements read through bound buffers.
    EXPECT_TRUE(conn.BindColumns);
    EXPECT_TRUE(conn.Connect("nonexistent", "", "")) << "a connected object stays connected";
    conn.Disconnect();
    EXPECT_FALSE(conn.Connected);
    EXPECT_TRUE(conn.DbcHandle == SQL_NULL_HDBC);
}

TEST_F(SqliteTest, KindFromTheDriverDescription) {
    AddDataSource("ferro_fb", "Firebird Emulated", "Database=" + db + "\n");
    TODBC conn;
    ASSERT_TRUE(conn.Connect("ferro_fb", "", ""));
    EXPECT_EQ(conn.ConnectInfo, "Firebird Emulated");
    EXPECT_EQ(conn.DatabaseKind(), dkFirebird);
}

TEST_F(SqliteTest, ConnectThroughAFileDataSource) {
    // Tried as a data source name first; the name is a file, so its ODBC section makes the string.
    std::string file = dir.File("items.dsn");
    WriteFile(file, "[ODBC]\nDRIVER=Firebird Emulated\nDatabase=" + db + "\nStepAPI=1\n");
    EXPECT_EQ(TODBC::FileDsnConnectString(file), "DRIVER={Firebird Emulated};Database=" + db + ";StepAPI=1");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(file, "clerk", ""));
    EXPECT_NE(conn.ConnectInfo.find(db), std::string::npos) << conn.ConnectInfo;
    TODBCStatement st(&conn, true, false);
    ASSERT_TRUE(st.ExecSQL("select name from items where id=1"));
    EXPECT_EQ(st.FieldAsString(0), "apple");
}

TEST_F(SqliteTest, ConnectByDriverNameAndDatabase) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect("", "", "", "", false, "SQLite3", "Database=" + db));
    TODBCStatement st(&conn, false, false);
    EXPECT_TRUE(st.ExecSQL("select name from items where id=2"));
    EXPECT_EQ(st.FieldAsString(0), "pear");
}

TEST_F(SqliteTest, BadConnectionsFailQuietly) {
    std::vector<std::string> boxes;
    UiHooks old = InstallUiHooks({nullptr, [&](const std::string& t) { boxes.push_back(t); }});
    {
        TODBC conn;
        EXPECT_FALSE(conn.Connect("no_such_source", "user", "pw"));
        EXPECT_FALSE(conn.Connected);
        EXPECT_TRUE(conn.DbcHandle == SQL_NULL_HDBC);
        // The driver manager's reason, whatever the boxes show.
        EXPECT_EQ(conn.LastError().rfind("IM002: ", 0), 0u) << conn.LastError();
        EXPECT_NE(conn.LastError().find("not found"), std::string::npos) << conn.LastError();
        // A statement on a connection that never connected fails every call.
        TODBCStatement st(&conn, false, false);
        EXPECT_FALSE(st.Allocated);
        EXPECT_FALSE(st.ExecSQL("select 1"));
        std::string tables = "x", views;
        st.GetTableList(views, "", false, tables);
        EXPECT_EQ(tables, "");
        EXPECT_FALSE(st.Columns("", "", "items", ""));
    }
    EXPECT_TRUE(boxes.empty()) << "no box without ShowErrors";
    {
        // Nothing names a source: unixODBC would give "DRIVER={}" to the first registered
        // driver, and SQLite would create a database file named after the string.
        ScratchDir cwd;
        std::filesystem::path old_cwd = std::filesystem::current_path();
        std::filesystem::current_path(cwd.Path());
        TODBC conn;
        EXPECT_FALSE(conn.Connect("", "user", ""));
        EXPECT_FALSE(conn.LastError().empty());
        EXPECT_TRUE(std::filesystem::is_empty(cwd.Path()));
        std::filesystem::current_path(old_cwd);
    }
    {
        TODBC conn;
        conn.ShowErrors = true;
        EXPECT_FALSE(conn.Connect("no_such_source", "user", "pw"));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].rfind("ODBC Error: ", 0), 0u) << boxes[0];
        EXPECT_NE(boxes[0].find(". State:  IM002"), std::string::npos) << boxes[0];
        ASSERT_TRUE(conn.Connect("ferro_sqlite", "", ""));
        EXPECT_EQ(conn.LastError(), "") << "cleared by a success";
    }
    InstallUiHooks(old);
}

TEST_F(SqliteTest, QueriesAndStatements) {
    auto conn = Connected();
    TODBCStatement st(conn.get(), false, false);
    // Lower-case query, rows in order, then no more rows.
    ASSERT_TRUE(st.ExecSQL("select id, name from items order by id"));
    EXPECT_EQ(st.FieldByName("name"), "apple");
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldAsInteger("ID"), 2);
    ASSERT_TRUE(st.Fetch());
    EXPECT_FALSE(st.Fetch());

    // An empty result is a failure unless the connection allows it, but not an error.
    EXPECT_FALSE(st.ExecSQL("select * from items where id > 100"));
    EXPECT_FALSE(st.Failed());
    EXPECT_EQ(st.LastError(), "");
    conn->AllowEmptyResult = true;
    EXPECT_TRUE(st.ExecSQL("select * from items where id > 100"));
    EXPECT_EQ(st.ColumnCount(), 7);
    conn->AllowEmptyResult = false;

    // Leading blanks hide the keyword: executed, but no row is fetched.
    EXPECT_TRUE(st.ExecSQL("  select name from items where id=1"));
    EXPECT_EQ(st.FieldAsString(0), "");
    EXPECT_TRUE(st.ExecSQL("  select name from items where id=1", true));
    EXPECT_EQ(st.FieldAsString(0), "apple");
    // Any text counts as a query with IsQuery.
    EXPECT_TRUE(st.ExecSQL("pragma table_info(items)", true));
    EXPECT_EQ(st.FieldByName("name"), "id");

    EXPECT_TRUE(st.ExecSQL("insert into items(id, name) values(10, 'fig')"));
    EXPECT_TRUE(st.ExecSQL("update items set name='figs' where id=10"));
    EXPECT_TRUE(st.ExecSQL("update items set name='none' where id=999"));
    EXPECT_TRUE(st.ExecSQL("delete from items where id=10"));
    EXPECT_EQ(SqliteQuery(db, "select count(*) from items;"), "3\n");
    EXPECT_TRUE(st.ExecSQLFmt("select name from items where name like '%s%%'", {"pe"}));
    EXPECT_EQ(st.FieldAsString(0), "pear");
    EXPECT_THROW(st.ExecSQLFmt("select %x", {1}), FormatError);

    // Bad statements give false, and the statement stays usable.
    EXPECT_FALSE(st.ExecSQL("selec name from items"));
    EXPECT_FALSE(st.ExecSQL("select * from no_such_table"));
    EXPECT_TRUE(st.Failed());
    EXPECT_NE(st.LastError().find("no such table"), std::string::npos) << st.LastError();
    EXPECT_EQ(st.LastError()[5], ':') << "SQLSTATE first: " << st.LastError();
    EXPECT_FALSE(st.ExecSQL("insert into no_such_table values(1)"));
    EXPECT_TRUE(st.ExecSQL("select name from items where id=2"));
    EXPECT_FALSE(st.Failed());
    EXPECT_EQ(st.LastError(), "");
    EXPECT_EQ(st.FieldAsString(0), "pear");
}

TEST_F(SqliteTest, ColumnsAreDescribedUpperCase) {
    auto conn = Connected();
    TODBCStatement st(conn.get(), false, false);
    ASSERT_TRUE(st.ExecSQL("select id, name as Label, price, born, note from items where id=1"));
    ASSERT_EQ(st.ColumnCount(), 5);
    EXPECT_EQ(st.ColumnName(1), "LABEL");
    EXPECT_EQ(st.ColumnIndex("label"), 1);
    EXPECT_EQ(st.ColumnIndex("nothing"), -1);
    EXPECT_EQ(st.ColumnType(0), ctInteger);
    EXPECT_EQ(st.ColumnType(1), ctString);
    EXPECT_EQ(st.ColumnSize(1), 10);
    EXPECT_EQ(st.ColumnType(3), ctDateTime);
    EXPECT_EQ(st.ColumnName(-1), "");
    EXPECT_EQ(st.ColumnName(5), "");
    EXPECT_EQ(st.ColumnType(5), ctUnknown);
    EXPECT_EQ(st.ColumnSize(-1), -1);
    EXPECT_EQ(st.FieldAsString(5), "");
    EXPECT_EQ(st.FieldByName("nothing"), "");
    EXPECT_EQ(st.FieldAsInteger("nothing"), 0);
    EXPECT_EQ(st.FieldAsString(3), "2024-01-02 03:04:05");
}

class SqliteBothModes : public SqliteTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SqliteBothModes, NullsAndRepeatedReads) {
    auto conn = Connected(GetParam());
    TODBCStatement st(conn.get(), false, false);
    EXPECT_EQ(st.BindColumns, GetParam());
    ASSERT_TRUE(st.ExecSQL("select id, name, price, flag, note from items order by id"));
    // The same field twice in one row, in any mix of reads.
    EXPECT_EQ(st.FieldAsString(1), "apple");
    EXPECT_EQ(st.FieldView(1), "apple");
    EXPECT_EQ(st.FieldAsInteger("flag"), 1);
    EXPECT_TRUE(st.FieldAsBoolean("flag"));
    EXPECT_EQ(st.FieldAsString(3), "1");
    EXPECT_EQ(st.FieldByName("note"), "first");
    EXPECT_EQ(st.FieldByName("note"), "first");
    EXPECT_FALSE(st.FieldIsNull(4));

    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldAsString(1), "pear");
    for (int i = 2; i <= 4; ++i) {
        EXPECT_TRUE(st.FieldIsNull(i)) << i;
        EXPECT_EQ(st.FieldAsString(i), "") << i;
    }
    EXPECT_EQ(st.FieldAsInteger("price"), 0);
    EXPECT_EQ(st.FieldAsInteger("flag"), 0);
    EXPECT_FALSE(st.FieldAsBoolean("flag"));

    ASSERT_TRUE(st.Fetch());
    // Empty text is not NULL.
    EXPECT_FALSE(st.FieldIsNull(1));
    EXPECT_EQ(st.FieldAsString(1), "");
    EXPECT_FALSE(st.FieldIsNull(4));
    EXPECT_EQ(st.FieldAsInteger("price"), 7);
    EXPECT_FALSE(st.FieldAsBoolean("flag"));
    EXPECT_FALSE(st.Fetch());
    EXPECT_EQ(st.FieldAsString(1), "") << "no row is current";
}

TEST_P(SqliteBothModes, LongValuesComeBackWhole) {
    // SQLite keeps whatever is stored, whatever the declared length.
    std::string word = "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80x"; // 2-, 3- and 4-byte characters
    std::string longText;
    while (longText.size() < 300000)
        longText += word;
    std::string sql =
        "create table longs(id integer, short varchar(4), memo text, num decimal(3,1), data blob);"
        "insert into longs values(1, '" +
        longText.substr(0, 1000) + "', '" + longText + "', 12345678901234567890.5, zeroblob(70000));" +
        "insert into longs values(2, '" + longText.substr(0, 9000) + "', 'x', 1, x'41');" +
        "insert into longs values(3, '" + longText.substr(0, 500) + "', NULL, 2, NULL);";
    SqliteExec(db, sql);
    auto conn = Connected(GetParam());
    TODBCStatement st(conn.get(), false, false);
    ASSERT_TRUE(st.ExecSQL("select id, short, memo, num, data from longs order by id"));
    EXPECT_EQ(st.ColumnSize(1), 4);
    EXPECT_EQ(st.FieldView(1), longText.substr(0, 1000));
    EXPECT_EQ(st.FieldAsString(2), longText);
    EXPECT_EQ(st.FieldAsString(3), "1.23456789012346e+19");
    // A blob comes as its raw bytes, whole (the driver's own text would be X'...').
    EXPECT_EQ(st.FieldData(4).Bytes, std::string(70000, '\0'));
    ASSERT_TRUE(st.Fetch());
    // The buffer widened after the first cut value still serves a longer one.
    EXPECT_EQ(st.FieldAsString(1), longText.substr(0, 9000));
    EXPECT_EQ(st.FieldAsString(1), longText.substr(0, 9000));
    EXPECT_EQ(st.FieldAsString(4), "A");
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldAsString(1), longText.substr(0, 500));
    EXPECT_TRUE(st.FieldIsNull(2));
    EXPECT_EQ(st.FieldAsString(4), "");
}

TEST_P(SqliteBothModes, ExactValuesKeepBlanksBytesAndNull) {
    SqliteExec(db, "create table exact(id integer, txt varchar(20), memo text, raw blob, small varbinary(8));"
                   "insert into exact values(1, '  padded  ', char(9) || ' memo ' || char(10), "
                   "zeroblob(102400), x'00ff10');"
                   "insert into exact values(2, '', '', x'', x'20');"
                   "insert into exact values(3, NULL, NULL, NULL, NULL);");
    auto conn = Connected(GetParam());
    TODBCStatement st(conn.get(), false, false);
    ASSERT_TRUE(st.ExecSQL("select id, txt, memo, raw, small from exact order by id"));
    EXPECT_FALSE(st.ColumnIsBinary(0) || st.ColumnIsBinary(1) || st.ColumnIsBinary(2));
    EXPECT_TRUE(st.ColumnIsBinary(3));
    EXPECT_TRUE(st.ColumnIsBinary(4));
    EXPECT_FALSE(st.ColumnIsBinary(5));
    EXPECT_EQ(st.ColumnSqlType(1), SQL_VARCHAR);
    EXPECT_EQ(st.ColumnSqlType(4), SQL_VARBINARY);
    EXPECT_EQ(st.ColumnSqlType(5), SQL_UNKNOWN_TYPE);

    TFieldData field = st.FieldData(1);
    EXPECT_FALSE(field.Null);
    EXPECT_EQ(field.Bytes, "  padded  ");
    EXPECT_EQ(st.FieldView(1), "padded") << "the trimmed reads stay trimmed";
    EXPECT_EQ(st.FieldData(1).Bytes, "  padded  ") << "read twice";
    EXPECT_EQ(st.FieldData(2).Bytes, "\t memo \n");
    field = st.FieldData(3);
    EXPECT_FALSE(field.Null);
    EXPECT_EQ(field.Bytes, std::string(102400, '\0'));
    EXPECT_EQ(st.FieldData(4).Bytes, std::string_view("\x00\xff\x10", 3));

    ASSERT_TRUE(st.Fetch());
    for (int i = 1; i <= 3; ++i) {
        field = st.FieldData(i);
        EXPECT_FALSE(field.Null) << i;
        EXPECT_EQ(field.Bytes, "") << i;
    }
    EXPECT_EQ(st.FieldData(4).Bytes, " ");
    EXPECT_EQ(st.FieldView(4), "");

    ASSERT_TRUE(st.Fetch());
    for (int i = 1; i <= 4; ++i) {
        field = st.FieldData(i);
        EXPECT_TRUE(field.Null) << i;
        EXPECT_EQ(field.Bytes, "") << i;
    }
    EXPECT_TRUE(st.FieldData(5).Null) << "outside the columns";
    EXPECT_FALSE(st.Fetch());
    EXPECT_FALSE(st.Failed()) << "the end of the rows is no failure";
}

INSTANTIATE_TEST_SUITE_P(Modes, SqliteBothModes, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Bound" : "Unbound"; });

TEST_F(SqliteTest, ForwardOnlyCursorFetchesNextInEveryDirection) {
    // The driver turns the dynamic cursor into a static copy of the result, which the
    // statement replaces by a forward-only cursor so that rows stream.
    auto conn = Connected();
    TODBCStatement st(conn.get(), false, false);
    ASSERT_TRUE(st.ForwardOnly);
    EXPECT_FALSE(st.CanAbsolute || st.CanRelative || st.CanRefresh);
    ASSERT_TRUE(st.ExecSQL("select id from items order by id"));
    ASSERT_TRUE(st.Fetch(fdLast));
    EXPECT_EQ(st.FieldAsString(0), "2");
    ASSERT_TRUE(st.Fetch(fdPrior));
    EXPECT_EQ(st.FieldAsString(0), "3");
    EXPECT_FALSE(st.Fetch(fdFirst));
}

TEST_F(SqliteTest, CatalogueLists) {
    SqliteExec(db, "create table \"odd, name\"(a integer, \"b c\" text);");
    auto conn = Connected();
    TODBCStatement st(conn.get(), true, false);
    std::string tables, views = "old";
    st.GetTableList(views, "", false, tables);
    EXPECT_EQ(tables, "items,odd, name");
    EXPECT_EQ(views, "old,cheap") << "views are only appended to";
    std::string withSchema, views2;
    st.GetTableList(views2, "", true, withSchema);
    EXPECT_EQ(withSchema, "items,odd, name");
    EXPECT_EQ(views2, "cheap");

    std::string columns = "stale";
    st.GetColumnList("items", columns);
    EXPECT_EQ(columns, "ID,NAME,PRICE,FLAG,BORN,NOTE,RAW");
    st.GetColumnList("no_such_table", columns);
    EXPECT_EQ(columns, "");

    ASSERT_TRUE(st.Columns("", "", "items", ""));
    EXPECT_EQ(st.FieldByName("column_name"), "id");
    EXPECT_EQ(st.FieldByName("TYPE_NAME"), "INTEGER");
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldByName("Column_Name"), "name");
    EXPECT_EQ(st.FieldAsInteger("ordinal_position"), 2);
    EXPECT_FALSE(st.Columns("", "", "no_such_table", ""));

    ASSERT_TRUE(st.Statistics("items", "", ""));
    bool sawIndex = false;
    do {
        if (st.FieldByName("INDEX_NAME") == "items_name") {
            sawIndex = true;
            EXPECT_EQ(st.FieldByName("COLUMN_NAME"), "name");
            EXPECT_FALSE(st.FieldAsBoolean("NON_UNIQUE"));
        }
    } while (st.Fetch());
    EXPECT_TRUE(sawIndex);

    ASSERT_TRUE(st.PrimaryKeys("items", "", ""));
    EXPECT_EQ(st.FieldByName("COLUMN_NAME"), "id");
    EXPECT_FALSE(st.Fetch());
    EXPECT_FALSE(st.PrimaryKeys("cheap", "", ""));
}

TEST_F(SqliteTest, CatalogueNamesAreLiteralNotPatterns) {
    SqliteExec(db, "create table bid_a(a1 integer primary key, a2 text);"
                   "create table bidxa(x1 integer primary key, x2 text, x3 text);"
                   "create table \"bid%\"(p1 integer);");
    auto conn = Connected();
    EXPECT_FALSE(conn->SearchPatternEscape().empty());
    TODBCStatement st(conn.get(), true, false);
    std::string columns;
    st.GetColumnList("bid_a", columns);
    EXPECT_EQ(columns, "A1,A2");
    st.GetColumnList("bid%", columns);
    EXPECT_EQ(columns, "P1");
    ASSERT_TRUE(st.Columns("", "", "bid_a", ""));
    std::string names;
    do
        names += st.FieldByName("COLUMN_NAME") + ";";
    while (st.Fetch());
    EXPECT_EQ(names, "a1;a2;");
    EXPECT_FALSE(st.Columns("", "", "bid_a", "a_")) << "the column name is literal too";
    ASSERT_TRUE(st.PrimaryKeys("bid_a", "", ""));
    EXPECT_EQ(st.FieldByName("COLUMN_NAME"), "a1");
    EXPECT_FALSE(st.Fetch());
}

TEST_F(SqliteTest, StatementsBelongToTheirCreatorsAlone) {
    // Disconnect frees the handles and detaches; the owner deletes the object afterwards
    // (deleting them in Disconnect too would free them twice).
    auto conn = Connected();
    auto* kept = new TODBCStatement(conn.get(), false, false);
    auto* plain = new TODBCStatement(conn.get(), false, true);
    EXPECT_TRUE(plain->ForwardOnly == false && plain->CanRefresh == false && plain->CanAbsolute == false);
    ASSERT_EQ(conn->Statements.size(), 2u);
    delete kept;
    EXPECT_EQ(conn->Statements[0], nullptr);
    auto* reuse = new TODBCStatement(conn.get(), false, false);
    EXPECT_EQ(conn->Statements[0], reuse) << "first empty slot reused";
    ASSERT_TRUE(reuse->ExecSQL("select name from items where id=1"));
    conn->Disconnect();
    EXPECT_EQ(conn->Statements[0], nullptr);
    EXPECT_EQ(conn->Statements[1], nullptr);
    for (TODBCStatement* st : {reuse, plain}) {
        EXPECT_EQ(st->Connection, nullptr);
        EXPECT_FALSE(st->Allocated);
        EXPECT_EQ(st->FieldView(0), "") << "the row went with the handle";
        EXPECT_FALSE(st->Fetch());
        EXPECT_TRUE(st->Failed());
        EXPECT_FALSE(st->ExecSQL("select 1"));
        EXPECT_TRUE(st->Failed());
        EXPECT_FALSE(st->LastError().empty());
        EXPECT_FALSE(st->Columns("", "", "items", ""));
        EXPECT_TRUE(st->Failed());
    }
    delete reuse;
    // The connection may even go first.
    conn.reset();
    delete plain;

    // Reconnected, a new statement works and the old slots are reused.
    auto again = Connected();
    TODBCStatement fresh(again.get(), false, false);
    ASSERT_TRUE(fresh.ExecSQL("select name from items where id=2"));
    EXPECT_EQ(fresh.FieldAsString(0), "pear");
}

TEST_F(SqliteTest, DirectExecutionPumpsAndWakesPromptly) {
    auto conn = Connected();
    TODBCStatement st(conn.get(), false, false);
    int pumps = 0;
    UiHooks old = InstallUiHooks({[&] { ++pumps; }, nullptr});
    // A statement that does all its work inside SQLExecDirect (a query would, with StepAPI,
    // leave the work to the first fetch), so it runs on the worker thread while we pump.
    ASSERT_TRUE(st.ExecSQL("create temp table big as with recursive c(x) as "
                           "(select 1 union all select x+1 from c limit 3000000) select x from c"));
    EXPECT_FALSE(st.Executing);
    EXPECT_GE(pumps, 1);
    ASSERT_TRUE(st.ExecSQL("select count(*) from big"));
    EXPECT_EQ(st.FieldAsString(0), "3000000");
    // Quick statements do not wait out a 20 ms tick each: 50 of them would take a second.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(st.ExecSQL("select 1"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    InstallUiHooks(old);
}

TEST_F(SqliteTest, CancelRunningStopsALongStatement) {
    auto conn = Connected();
    TODBCStatement st(conn.get(), false, false);
    int pumps = 0;
    UiHooks old = InstallUiHooks({[&] {
                                      if (++pumps == 3) conn->CancelRunning();
                                  },
                                  nullptr});
    // Work enough for minutes, all inside SQLExecDirect.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(st.ExecSQL("create temp table big as with recursive c(x) as "
                            "(select 1 union all select x+1 from c limit 500000000) select x from c"));
    auto elapsed = std::chrono::steady_clock::now() - start;
    InstallUiHooks(old);
    EXPECT_LT(elapsed, std::chrono::seconds(20));
    EXPECT_TRUE(st.Failed());
    EXPECT_FALSE(st.Executing);
    TODBCStatement next(conn.get(), false, false);
    ASSERT_TRUE(next.ExecSQL("select count(*) from items"));
    EXPECT_EQ(next.FieldAsString(0), "3");
}

// Every route to a driver (data source, its library named directly, a file data source,
// a connection string by driver or by data source) finds the library of the driver it
// reaches; only the SQLite one's counts as SQLite.
TEST_F(SqliteTest, TheDriverOfEveryConnectRoute) {
    TODBC conn;
    auto driver = [&](const std::string& source, const std::string& text) {
        std::string found;
        conn.OnWorker([&] { found = ConnectDriver(conn.EnvHandle, source, text); });
        return found;
    };
    const std::string library = driver("ferro_sqlite", "");
    EXPECT_EQ(std::filesystem::path(library).filename(), "libsqlite3odbc.so") << library;
    EXPECT_TRUE(IsSqliteDriver(library));
    AddDataSource("ferro_by_file", library, "Database=" + db + "\n");
    AddDataSource("ferro_fb", "Firebird Emulated", "Database=" + db + "\n");
    AddDataSource("ferro_maria", "MariaDB", "Database=none\n");
    EXPECT_EQ(driver("ferro_by_file", ""), library);
    EXPECT_EQ(driver("FERRO_FB", ""), library) << "names compare without case";
    EXPECT_EQ(driver("", "DRIVER={SQLite3};Database=" + db), library);
    EXPECT_EQ(driver("", " uid=x ; driver = {Firebird Emulated} ;Database=" + db), library);
    EXPECT_EQ(driver("", "DSN=ferro_fb;UID=clerk"), library);
    EXPECT_EQ(driver("", TODBC::BuildConnectString(db, "", "", "", "SQLite3", "")), library);
    std::string file = dir.File("items.dsn");
    WriteFile(file, "[ODBC]\nDRIVER=Firebird Emulated\nDatabase=" + db + "\n");
    EXPECT_EQ(driver("", TODBC::FileDsnConnectString(file)), library);

    const std::string maria = driver("ferro_maria", "DRIVER={SQLite3}");
    EXPECT_EQ(std::filesystem::path(maria).filename(), "libmaodbc.so") << "the data source goes first";
    EXPECT_FALSE(IsSqliteDriver(maria));
    EXPECT_EQ(driver("", "DRIVER={MariaDB};PWD={a;b}"), maria);
    EXPECT_EQ(driver("", "DRIVER={No Such Driver}"), "No Such Driver") << "an unregistered name stays as given";
    EXPECT_EQ(driver("no_such_source", ""), "");
    EXPECT_EQ(driver("", "Database=" + db + ";PWD={x=DRIVER={SQLite3}}"), "");
}

// The SQLite library counts no allocations once a SQLite connect has set it up, which spares
// the export a lock per allocation.
TEST_F(SqliteTest, ASqliteConnectLeavesTheLibraryWithoutMemoryStatistics) {
    auto conn = Connected();
    TODBCStatement st(conn.get(), true, false);
    ASSERT_TRUE(st.ExecSQL("select name, note from items order by id"));
    EXPECT_EQ(st.FieldAsString(0), "apple");
    void* sqlite = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(sqlite, nullptr);
    auto memoryUsed = reinterpret_cast<long long (*)()>(dlsym(sqlite, "sqlite3_memory_used"));
    ASSERT_NE(memoryUsed, nullptr);
    EXPECT_EQ(memoryUsed(), 0) << "an open database with its statement counts its memory";
    EXPECT_TRUE(QuietSqliteMemoryStatistics()) << "once taken, reported so again";
    dlclose(sqlite);
}

TEST_F(SqliteTest, ADamagedPageFailsTheFetchRatherThanEndingTheRows) {
    const std::string damaged = dir.File("damaged.db");
    SqliteExec(damaged, "pragma page_size=4096; create table big(id integer primary key, pad text);"
                        "insert into big with recursive c(x) as (select 1 union all select x+1 from c "
                        "limit 20000) select x, printf('%0200d', x) from c;");
    const int pages = std::stoi(SqliteQuery(damaged, "pragma page_count;"));
    ASSERT_GT(pages, 100);
    {
        // Overwrite a page in the middle of the table's leaves with garbage.
        std::string content = ReadFile(damaged);
        const std::size_t page = static_cast<std::size_t>(pages / 2);
        for (std::size_t i = 0; i < 4096; ++i)
            content[(page - 1) * 4096 + i] = static_cast<char>(0xA5 ^ (i * 7));
        WriteFile(damaged, content);
    }
    AddSqliteDataSource("ferro_damaged", damaged);
    TODBC conn;
    ASSERT_TRUE(conn.Connect("ferro_damaged", "", ""));
    TODBCStatement st(&conn, true, false);
    ASSERT_TRUE(st.ExecSQL("select id, pad from big"));
    int rows = 1;
    while (st.Fetch())
        ++rows;
    EXPECT_GT(rows, 100);
    EXPECT_LT(rows, 20000);
    EXPECT_TRUE(st.Failed()) << "stopped after " << rows << " rows";
    EXPECT_FALSE(st.LastError().empty());
    // The statement is usable again afterwards.
    EXPECT_FALSE(st.ExecSQL("select id from big where id = -1"));
    EXPECT_FALSE(st.Failed());
}

TEST_F(SqliteTest, TraceFileGetsEveryCallAndItsResult) {
    const std::string trace = dir.File("trace.txt");
    EXPECT_FALSE(SetODBCTraceFile(dir.File("no/such/folder/trace.txt")));
    ASSERT_TRUE(SetODBCTraceFile(trace));
    EXPECT_FALSE(SetODBCTraceFile(dir.File("no/such/folder/trace.txt"))) << "and the trace goes on";
    {
        auto conn = Connected();
        TODBCStatement st(conn.get(), false, false);
        ASSERT_TRUE(st.ExecSQL("select name from items where id=1"));
        EXPECT_FALSE(st.Fetch());
        EXPECT_FALSE(st.ExecSQL("select * from no_such_table"));
    }
    ASSERT_TRUE(SetODBCTraceFile(""));
    const std::string text = ReadFile(trace);
    for (const char* line : {"SQLConnect -> 0 SQL_SUCCESS\n", "SQLExecDirect -> 0 SQL_SUCCESS\n",
                             "SQLFetch -> 100 SQL_NO_DATA\n", "SQLExecDirect -> -1 SQL_ERROR\n",
                             "SQLDisconnect -> 0 SQL_SUCCESS\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    // Tracing off: the file stays as it was.
    { auto conn = Connected(); }
    EXPECT_EQ(ReadFile(trace), text);
}

TEST(StatementText, ThirdWord) {
    EXPECT_EQ(TODBCStatement::ThirdWord("select x into y from z"), "INTO");
    EXPECT_EQ(TODBCStatement::ThirdWord("select bid_link from bidstatus where created>=x"), "FROM");
    EXPECT_EQ(TODBCStatement::ThirdWord("select x"), "X");
    EXPECT_EQ(TODBCStatement::ThirdWord("one"), "ONE");
}

} // namespace
