// The database layer against a real MariaDB server through its ODBC connector.
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"
#include "Text.h"
#include "UiHooks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <dlfcn.h>

namespace {

class MariaDBTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // One database per test, so that tests can run side by side.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        // Data source names are limited to 32 characters.
        dsn = FreshMariaDBDatabase("ferro_" + LowerCase(name).substr(0, 24));
        MariaDBExec(dsn, "create table items(id int primary key, name varchar(10), price decimal(10,2), "
                         "born datetime, note longtext, flag bit(1));"
                         "create index items_price on items(price);"
                         "insert into items values(1,'apple',1.50,'2024-01-02 03:04:05','first',1),"
                         "(2,'pear',NULL,NULL,NULL,NULL),(3,'',7,NULL,'',0);"
                         "create view cheap as select * from items where price < 2;");
    }
    std::string dsn;
};

TEST_F(MariaDBTest, ConnectsUnboundAndReadsRows) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    // The registered driver is named "MariaDB", which counts as MySQL.
    EXPECT_EQ(conn.ConnectInfo, "MariaDB");
    EXPECT_EQ(conn.DatabaseKind(), dkMySQL);
    // The connector allows SQLGetData on any column in any order and can refresh a row.
    EXPECT_FALSE(conn.BindColumns);
    TODBCStatement st(&conn, false, false);
    EXPECT_FALSE(st.BindColumns);

    ASSERT_TRUE(st.ExecSQL("select id, name, price, born, note, flag from items order by id"));
    EXPECT_EQ(st.ColumnType(2), ctFloat);
    EXPECT_EQ(st.ColumnType(3), ctDateTime);
    EXPECT_EQ(st.ColumnType(4), ctMemo);
    // Repeated reads of one field, in both kinds of read.
    EXPECT_EQ(st.FieldAsString(1), "apple");
    EXPECT_EQ(st.FieldAsString(1), "apple");
    EXPECT_EQ(st.FieldAsString(2), "1.50");
    EXPECT_EQ(st.FieldAsInteger("price"), 1);
    EXPECT_EQ(st.FieldAsString(2), "1.50");
    EXPECT_EQ(st.FieldAsInteger("id"), 1);
    EXPECT_EQ(st.FieldAsString(0), "1");
    EXPECT_EQ(st.FieldByName("born"), "2024-01-02 03:04:05");
    EXPECT_EQ(st.FieldByName("note"), "first");
    EXPECT_TRUE(st.FieldAsBoolean("flag"));
    ASSERT_TRUE(st.Fetch());
    for (int i = 2; i <= 5; ++i) {
        EXPECT_TRUE(st.FieldIsNull(i)) << i;
        EXPECT_EQ(st.FieldAsString(i), "") << i;
    }
    EXPECT_EQ(st.FieldAsInteger("price"), 0);
    EXPECT_FALSE(st.FieldAsBoolean("flag"));
    ASSERT_TRUE(st.Fetch());
    EXPECT_FALSE(st.FieldIsNull(1));
    EXPECT_FALSE(st.FieldIsNull(4));
    EXPECT_EQ(st.FieldByName("note"), "");
    EXPECT_FALSE(st.Fetch());
}

TEST_F(MariaDBTest, AConnectElsewhereLoadsNoSqliteLibrary) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    EXPECT_EQ(dlopen("libsqlite3.so.0", RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

TEST_F(MariaDBTest, KindFromTheDbmsName) {
    // Registered by library path, the data source's description names no database.
    std::string path = ReadFile(TestEnvDir() + "/odbcinst.ini");
    auto at = path.find("libmaodbc.so");
    ASSERT_NE(at, std::string::npos);
    auto start = path.rfind('=', at) + 1;
    std::string library = path.substr(start, at + 12 - start);
    AddDataSource("ferro_bypath", library,
                  "Socket=" + MariaDBSocket() + "\nDatabase=" + dsn + "\nUser=" + MariaDBUser() +
                      "\nPassword=" + MariaDBPassword() + "\n");
    TODBC conn;
    ASSERT_TRUE(conn.Connect("ferro_bypath", "", ""));
    EXPECT_EQ(conn.ConnectInfo, library);
    EXPECT_EQ(TODBC::KindFromText(conn.ConnectInfo), dkUnknown);
    EXPECT_EQ(conn.DatabaseKind(), dkMySQL);
}

TEST_F(MariaDBTest, StatementsOfTheServer) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, MariaDBUser(), MariaDBPassword()));
    TODBCStatement st(&conn, true, false);
    ASSERT_TRUE(st.ExecSQL("SHOW COLUMNS FROM items", true));
    EXPECT_EQ(st.FieldByName("field"), "id");
    EXPECT_EQ(st.FieldByName("Type"), "int(11)");
    EXPECT_EQ(st.FieldByName("key"), "PRI");
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldByName("FIELD"), "name");
    // The third word INTO: executed, nothing fetched.
    EXPECT_TRUE(st.ExecSQL("select name into @n from items where id=1"));
    EXPECT_TRUE(st.ExecSQL("select @n as n"));
    EXPECT_EQ(st.FieldByName("n"), "apple");
    EXPECT_TRUE(st.ExecSQL("update items set name='none' where id=999"));
    EXPECT_FALSE(st.ExecSQL("select * from no_such_table"));
    EXPECT_FALSE(st.ExecSQL("selec 1"));

    // The connector lists every database's tables for a null catalog; only the current
    // database's may come back, since the dump selects them by bare name.
    const std::string other = FreshMariaDBDatabase("ferro_other_db");
    MariaDBExec(other, "create table bid_elsewhere(id int); create view other_view as select 1 as x;");
    std::string tables, views;
    st.GetTableList(views, "", false, tables);
    EXPECT_EQ(tables, "items") << tables;
    EXPECT_EQ(views, "cheap") << views;
    std::string columns;
    st.GetColumnList("items", columns);
    EXPECT_EQ(columns, "ID,NAME,PRICE,BORN,NOTE,FLAG");
    ASSERT_TRUE(st.Columns("", "", "items", ""));
    EXPECT_EQ(st.FieldByName("column_name"), "id");
    ASSERT_TRUE(st.Statistics("items", "", ""));
    ASSERT_TRUE(st.PrimaryKeys("items", "", ""));
    EXPECT_EQ(st.FieldByName("COLUMN_NAME"), "id");
}

TEST_F(MariaDBTest, CatalogueNamesAreLiteralNotPatterns) {
    MariaDBExec(dsn, "create table bid_a(a1 int primary key, a2 text);"
                     "create table bidxa(x1 int primary key, x2 text, x3 text);");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, true, false);
    std::string columns;
    st.GetColumnList("bid_a", columns);
    EXPECT_EQ(columns, "A1,A2");
    ASSERT_TRUE(st.Columns("", "", "bid_a", ""));
    std::string names;
    do
        names += st.FieldByName("COLUMN_NAME") + ";";
    while (st.Fetch());
    EXPECT_EQ(names, "a1;a2;");
    ASSERT_TRUE(st.Statistics("bid_a", "", ""));
    std::string tables;
    do
        tables += st.FieldByName("TABLE_NAME") + ";";
    while (st.Fetch());
    EXPECT_EQ(tables, "bid_a;");
}

TEST_F(MariaDBTest, LongValuesComeBackWhole) {
    std::string word = "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80x";
    std::string longText;
    for (int i = 0; i < 20000; ++i)
        longText += word;
    MariaDBExec(
        dsn, "insert into items(id, note) values(10, repeat(convert(x'C3A4E282ACF09F988078' using utf8mb4), "
             "20000));");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, false, false);
    ASSERT_TRUE(st.ExecSQL("select note, concat(note, 'z') as more from items where id=10"));
    EXPECT_EQ(st.FieldView(0), longText);
    EXPECT_EQ(st.FieldAsString(1), longText + "z");
    EXPECT_EQ(st.FieldAsString(0), longText);

    // A NUL inside a value does not end it, bound or not. (The SQLite driver itself cuts
    // text at a NUL, so only this driver can show it.)
    MariaDBExec(dsn, "insert into items(id, name, note) "
                     "values(11, concat('a', char(0), 'b'), concat('c', char(0), 'd'));");
    for (bool bound : {false, true}) {
        conn.BindColumns = bound;
        TODBCStatement nul(&conn, false, false);
        ASSERT_EQ(nul.BindColumns, bound);
        ASSERT_TRUE(nul.ExecSQL("select name, note from items where id=11"));
        EXPECT_EQ(nul.FieldView(0), std::string_view("a\0b", 3)) << bound;
        EXPECT_EQ(nul.FieldView(1), std::string_view("c\0d", 3)) << bound;
    }
}

TEST_F(MariaDBTest, ExactValuesKeepBlanksBytesAndNull) {
    MariaDBExec(dsn, "create table exact(id int primary key, txt varchar(20), memo longtext, raw longblob,"
                     " small varbinary(8), b8 bit(8), b1 bit(1));"
                     "insert into exact values(1, '  padded  ', concat(char(9), ' memo ', char(10)),"
                     " repeat(char(0), 102400), x'00ff10', b'00000000', b'0'),"
                     " (2, '', '', '', x'20', b'00000001', b'1'),"
                     " (3, NULL, NULL, NULL, NULL, NULL, NULL);");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    for (bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "bound" : "unbound");
        conn.BindColumns = bound;
        TODBCStatement st(&conn, false, false);
        ASSERT_TRUE(st.ExecSQL("select id, txt, memo, raw, small, b8, b1 from exact order by id"));
        EXPECT_FALSE(st.ColumnIsBinary(1) || st.ColumnIsBinary(2) || st.ColumnIsBinary(6));
        EXPECT_TRUE(st.ColumnIsBinary(3) && st.ColumnIsBinary(4) && st.ColumnIsBinary(5));
        EXPECT_EQ(st.ColumnSqlType(4), SQL_VARBINARY);
        EXPECT_EQ(st.ColumnSqlType(6), SQL_BIT);

        EXPECT_EQ(st.FieldData(1).Bytes, "  padded  ");
        EXPECT_EQ(st.FieldView(1), "padded");
        EXPECT_EQ(st.FieldData(2).Bytes, "\t memo \n");
        TFieldData raw = st.FieldData(3);
        EXPECT_FALSE(raw.Null);
        EXPECT_EQ(raw.Bytes, std::string(102400, '\0'));
        EXPECT_EQ(st.FieldData(4).Bytes, std::string_view("\x00\xff\x10", 3));
        EXPECT_EQ(st.FieldData(5).Bytes, std::string_view("\x00", 1));
        EXPECT_EQ(st.FieldData(6).Bytes, "0");

        ASSERT_TRUE(st.Fetch());
        for (int i = 1; i <= 3; ++i) {
            EXPECT_FALSE(st.FieldData(i).Null) << i;
            EXPECT_EQ(st.FieldData(i).Bytes, "") << i;
        }
        EXPECT_EQ(st.FieldData(4).Bytes, " ");
        EXPECT_EQ(st.FieldData(5).Bytes, std::string_view("\x01", 1));
        EXPECT_EQ(st.FieldData(6).Bytes, "1");

        ASSERT_TRUE(st.Fetch());
        for (int i = 1; i <= 6; ++i) {
            EXPECT_TRUE(st.FieldData(i).Null) << i;
            EXPECT_EQ(st.FieldData(i).Bytes, "") << i;
        }
        EXPECT_FALSE(st.Fetch());
        EXPECT_FALSE(st.Failed());
    }
}

TEST_F(MariaDBTest, ScrollingFetchesMoveWhereAsked) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, false, false);
    // The setup ends with a forward-only cursor whose attributes still claim scrolling; the
    // connector refuses the move, and that is a failure, not the end of the rows.
    ASSERT_TRUE(st.ExecSQL("select id from items order by id"));
    ASSERT_FALSE(st.ForwardOnly);
    EXPECT_FALSE(st.Fetch(fdLast));
    EXPECT_TRUE(st.Failed());
    EXPECT_EQ(st.LastError().rfind("HY106: ", 0), 0u) << st.LastError();

    // A static cursor scrolls: every direction lands on its row.
    ASSERT_TRUE(SQLSucceeded(ODBCApi.SQLFreeStmt(st.StmtHandle, SQL_CLOSE)));
    ASSERT_TRUE(SQLSucceeded(ODBCApi.SQLSetStmtAttr(st.StmtHandle, SQL_ATTR_CURSOR_TYPE,
                                                    reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC),
                                                    SQL_IS_UINTEGER)));
    ASSERT_TRUE(st.ExecSQL("select id from items order by id"));
    const struct {
        TFetchDirection direction;
        std::int32_t offset;
        const char* id;
    } moves[] = {{fdLast, 0, "3"},     {fdPrior, 0, "2"},     {fdFirst, 0, "1"},
                 {fdAbsolute, 3, "3"}, {fdRelative, -2, "1"}, {fdNext, 1, "2"}};
    for (const auto& move : moves) {
        ASSERT_TRUE(st.Fetch(move.direction, move.offset)) << move.direction << " " << st.LastError();
        EXPECT_EQ(st.FieldAsString(0), move.id) << move.direction;
    }
    EXPECT_FALSE(st.Fetch(fdAbsolute, 10)) << "past the end";
    EXPECT_FALSE(st.Failed());
    EXPECT_FALSE(st.Fetch(static_cast<TFetchDirection>(9)));
    EXPECT_TRUE(st.Failed()) << "no such direction";
}

TEST_F(MariaDBTest, ARefusedMultiStatementTextLeavesNothingHanging) {
    // The data source does not allow several statements in one text. The connector refuses
    // such a text and keeps its connection lock; every later call must still be served (a
    // call from another thread than the refused one would wait for good: the CTest timeout
    // of these tests ends such a run).
    MariaDBExec(dsn, "create table VICTIM(x int); insert into VICTIM values(1);");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, true, false);
    for (const char* text : {"select id from items where name='';DROP TABLE VICTIM;SELECT ''",
                             "select id from items where name='x';DROP TABLE VICTIM;SELECT 'y'"}) {
        EXPECT_FALSE(st.ExecSQL(text));
        EXPECT_TRUE(st.Failed());
        EXPECT_EQ(st.LastError().rfind("42000: ", 0), 0u) << st.LastError();
        ASSERT_TRUE(st.ExecSQL("select name from items where id=1"));
        EXPECT_EQ(st.FieldAsString(0), "apple");
    }
    TODBCStatement other(&conn, false, false);
    ASSERT_TRUE(other.ExecSQL("select count(*) from VICTIM"));
    EXPECT_EQ(other.FieldAsString(0), "1") << "the second statement never ran";
    std::string columns;
    other.GetColumnList("items", columns);
    EXPECT_EQ(columns, "ID,NAME,PRICE,BORN,NOTE,FLAG");
    EXPECT_TRUE(conn.EndTransaction(true));
    conn.Disconnect();
    EXPECT_FALSE(conn.Connected);
}

TEST_F(MariaDBTest, CancelRunningReachesOnlyExecutingStatements) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement idle(&conn, false, false);
    TODBCStatement st(&conn, false, false);
    int pumps = 0;
    UiHooks old = InstallUiHooks({[&] {
                                      if (++pumps == 3) conn.CancelRunning();
                                  },
                                  nullptr});
    auto start = std::chrono::steady_clock::now();
    st.ExecSQL("SELECT SLEEP(5)");
    auto elapsed = std::chrono::steady_clock::now() - start;
    InstallUiHooks(old);
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_FALSE(idle.CancelRequested) << "a statement that was not executing is left alone";
    EXPECT_TRUE(idle.ExecSQL("select 3"));
    EXPECT_EQ(idle.FieldAsString(0), "3");
}

TEST_F(MariaDBTest, CancelWhileEventsArePumped) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, false, false);
    int pumps = 0;
    bool sawExecuting = false;
    UiHooks old = InstallUiHooks({[&] {
                                      sawExecuting = sawExecuting || st.Executing;
                                      if (++pumps == 5) st.CancelRequested = true;
                                  },
                                  nullptr});
    auto start = std::chrono::steady_clock::now();
    bool ok = st.ExecSQL("SELECT SLEEP(5)");
    auto elapsed = std::chrono::steady_clock::now() - start;
    InstallUiHooks(old);
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_GE(pumps, 5);
    EXPECT_TRUE(sawExecuting);
    EXPECT_FALSE(st.Executing);
    // An interrupted SLEEP answers 1 rather than failing.
    if (ok) {
        EXPECT_EQ(st.FieldAsString(0), "1");
    }
    // The next execution starts without the request.
    EXPECT_TRUE(st.ExecSQL("select 2"));
    EXPECT_EQ(st.FieldAsString(0), "2");
    EXPECT_FALSE(st.CancelRequested);
}

TEST_F(MariaDBTest, BadConnectionsFailQuietly) {
    std::vector<std::string> boxes;
    UiHooks old = InstallUiHooks({nullptr, [&](const std::string& t) { boxes.push_back(t); }});
    TODBC conn;
    EXPECT_FALSE(conn.Connect(dsn, MariaDBUser(), "wrong password"));
    EXPECT_FALSE(conn.Connected);
    EXPECT_EQ(conn.LastError().rfind("28000: ", 0), 0u) << conn.LastError();
    EXPECT_NE(conn.LastError().find("Access denied"), std::string::npos) << conn.LastError();
    // A server that is not there: refused at once, no hang.
    AddDataSource("ferro_down", "MariaDB", "Socket=/nonexistent/mysqld.sock\nDatabase=x\nUser=u\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(conn.Connect("ferro_down", "u", "p"));
    EXPECT_NE(conn.LastError().find("/nonexistent/mysqld.sock"), std::string::npos) << conn.LastError();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(boxes.empty());
    conn.ShowErrors = true;
    EXPECT_FALSE(conn.Connect(dsn, MariaDBUser(), "wrong password"));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].rfind("ODBC Error: ", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("Access denied"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(". State:  28000"), std::string::npos) << boxes[0];
    InstallUiHooks(old);

    // With ShowErrors, a failing statement explains itself through CheckError.
    boxes.clear();
    old = InstallUiHooks({nullptr, [&](const std::string& t) { boxes.push_back(t); }});
    ASSERT_TRUE(conn.Connect(dsn, "", ""));
    TODBCStatement st(&conn, false, false);
    EXPECT_FALSE(st.ExecSQL("select * from no_such_table"));
    EXPECT_TRUE(boxes.empty()) << "execution results are not reported";
    EXPECT_TRUE(st.Failed());
    EXPECT_EQ(st.LastError().rfind("42S02: ", 0), 0u) << st.LastError();
    st.CheckError(SQL_ERROR);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Stmt Error: ", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("no_such_table"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find(". State:  42S02"), std::string::npos) << boxes[0];
    InstallUiHooks(old);
}

} // namespace
