// The test environment itself: the private servers and their helpers.
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {
std::vector<std::string> CommaList(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        items.push_back(item);
    return items;
}
} // namespace

TEST(TestEnvMariaDB, QueryOutputHoldsOnlyRows) {
    std::string db = FreshMariaDBDatabase("ferrocan_testenv");
    MariaDBExec(db, "CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(20));"
                    "INSERT INTO t VALUES (1, 'it''s'), (2, 'zwei');");
    // No client warning or other standard error text may leak into the rows.
    EXPECT_EQ(MariaDBQuery(db, "SELECT id, name FROM t ORDER BY id;"), "1\tit's\n2\tzwei\n");
    EXPECT_EQ(MariaDBQuery(db, "SELECT CURRENT_USER();"), MariaDBUser() + "@localhost\n");
    // A fresh database of the same name is empty again.
    FreshMariaDBDatabase("ferrocan_testenv");
    EXPECT_EQ(MariaDBQuery(db, "SHOW TABLES;"), "");
}

TEST(TestEnvPostgres, QueryOutputHoldsOnlyRows) {
    std::string db = FreshPostgresDatabase("ferrocan_testenv");
    PostgresExec(db, "CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(20));"
                     "INSERT INTO t VALUES (1, 'it''s \xC3\xA4\xE2\x82\xAC'), (2, NULL), (3, '');");
    // No notice, heading or command tag may leak into the rows; NULL and empty stay apart.
    EXPECT_EQ(PostgresQuery(db, "SELECT id, name FROM t ORDER BY id;"),
              "1\tit's \xC3\xA4\xE2\x82\xAC\n2\tNULL\n3\t\n");
    EXPECT_EQ(PostgresQuery(db, "SELECT current_user, current_database(), pg_encoding_to_char(encoding) "
                                "FROM pg_database WHERE datname = current_database();"),
              PostgresUser() + "\t" + db + "\tUTF8\n");
    // A fresh database of the same name is empty again.
    FreshPostgresDatabase("ferrocan_testenv");
    EXPECT_EQ(PostgresQuery(db, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public';"), "0\n");
}

TEST(TestEnvPostgres, ExecStopsAtTheFirstError) {
    std::string db = FreshPostgresDatabase("ferrocan_testenv_err");
    PostgresExec(db, "CREATE TABLE t (a INT);");
    // The failure names the statement's error; what follows it is not run.
    EXPECT_FATAL_FAILURE(PostgresExec("ferrocan_testenv_err", "INSERT INTO t VALUES (1);\n"
                                                              "INSERT INTO t VALUES ('x');\n"
                                                              "INSERT INTO t VALUES (3);\n"),
                         "invalid input syntax");
    EXPECT_EQ(PostgresQuery(db, "SELECT a FROM t;"), "1\n");
}

TEST(TestEnvPostgres, DataSourceConnectsThroughTheDriverManager) {
    std::string db = FreshPostgresDatabase("ferrocan_testenv_odbc");
    PostgresExec(db, "CREATE TABLE bids (id INT PRIMARY KEY, note TEXT);"
                     "INSERT INTO bids VALUES (1, '\xC3\xA4\xE2\x82\xAC');"
                     "CREATE TABLE bidstatus (bid_link VARCHAR(10));"
                     "CREATE VIEW bid_view AS SELECT * FROM bids;");
    TODBC conn;
    ASSERT_TRUE(conn.Connect(db, PostgresUser(), PostgresPassword())) << conn.LastError();
    {
        TODBCStatement st(&conn, true, false);
        ASSERT_TRUE(st.ExecSQL("SELECT id, note, current_database() FROM bids")) << st.LastError();
        EXPECT_EQ(st.FieldAsString(0), "1");
        EXPECT_EQ(st.FieldAsString(1), "\xC3\xA4\xE2\x82\xAC");
        EXPECT_EQ(st.FieldAsString(2), db);
        EXPECT_FALSE(st.Fetch());

        std::string views, tables;
        st.GetTableList(views, "", false, tables);
        std::vector<std::string> tableList = CommaList(tables), viewList = CommaList(views);
        EXPECT_NE(std::find(tableList.begin(), tableList.end(), "bids"), tableList.end()) << tables;
        EXPECT_NE(std::find(tableList.begin(), tableList.end(), "bidstatus"), tableList.end()) << tables;
        EXPECT_NE(std::find(viewList.begin(), viewList.end(), "bid_view"), viewList.end()) << views;
        EXPECT_EQ(std::find(tableList.begin(), tableList.end(), "bid_view"), tableList.end()) << tables;
    }
    conn.Disconnect();

    // The server asks for the password on the socket too.
    TODBC refused;
    EXPECT_FALSE(refused.Connect(db, PostgresUser(), "wrong"));
    EXPECT_NE(refused.LastError().find("password authentication failed"), std::string::npos)
        << refused.LastError();
}

TEST(TestEnvCommand, StandardErrorKeptApart) {
    std::string out, err;
    EXPECT_EQ(RunCommand("echo out; echo err >&2; exit 3", &out, &err), 3);
    EXPECT_EQ(out, "out\n");
    EXPECT_EQ(err, "err\n");
    EXPECT_EQ(RunCommand("echo out; echo err >&2", &out), 0);
    EXPECT_EQ(out, "out\nerr\n");
}

TEST(TestEnvSqlite, ExecAndQuery) {
    ScratchDir dir;
    std::string db = dir.File("t.db");
    SqliteExec(db, "CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 'x'), (2, NULL);");
    EXPECT_EQ(SqliteQuery(db, "SELECT a, b FROM t ORDER BY a;"), "1|x\n2|\n");
}

TEST(TestEnvFirebird, CreateInsertSelectBack) {
    ASSERT_TRUE(RequireFirebirdTools());
    ScratchDir dir;
    std::string db = dir.File("it's.fdb");
    FirebirdCreateDatabase(db);
    FirebirdRunScript(
        db, "create table bids (id integer not null primary key, name varchar(20),\n"
            "  price numeric(10,2), born date, note blob sub_type text, code char(3));\n"
            "insert into bids values (1, 'it''s  a\\b', 12.5, '2024-01-02',\n"
            "  'first line\nsecond line', 'ab');\n"
            "insert into bids values (2, null, null, null, null, null);\n"
            "insert into bids values (3, '\xC3\xBC\xE2\x82\xAC two\nlines', -0.01, null, '', 'xyz');\n");
    std::vector<FirebirdRow> rows =
        FirebirdRows(db, "select id, name, price, born, note, code as \"lower label\" from bids order by id");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              (FirebirdRow{"1", "it's  a\\b", "12.50", "2024-01-02", "first line\nsecond line", "ab"}));
    EXPECT_EQ(rows[1],
              (FirebirdRow{"2", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(rows[2],
              (FirebirdRow{"3", "\xC3\xBC\xE2\x82\xAC two\nlines", "-0.01", std::nullopt, "", "xyz"}));
    // A blob as the last column, then the text form of the same query.
    EXPECT_EQ(FirebirdQuery(db, "select id, note from bids order by id;"),
              "1|first line\nsecond line\n2|\n3|\n");
    EXPECT_EQ(FirebirdQuery(db, "select count(*) from bids where id > 1"), "2\n");
    EXPECT_EQ(FirebirdQuery(db, "select id from bids where id > 99"), "");
}

TEST(TestEnvFirebird, FailedStatementIsReportedAndNotCommitted) {
    ASSERT_TRUE(RequireFirebirdTools());
    ScratchDir dir;
    std::string db = dir.File("t.fdb");
    FirebirdCreateDatabase(db);
    FirebirdRunScript(db, "create table t (a integer);");
    int status = 0;
    std::string out = FirebirdRunScript(db,
                                        "insert into t values (1);\n"
                                        "insert into t values ('not a number');\n"
                                        "insert into t values (3);\n",
                                        &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("SQLSTATE"), std::string::npos) << out;
    EXPECT_EQ(FirebirdQuery(db, "select count(*) from t"), "0\n");
    FirebirdRunScript(db, "insert into t values (5);", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FirebirdQuery(db, "select a from t"), "5\n");
    // A database that cannot be opened is a failure too.
    FirebirdRunScript(dir.File("missing.fdb"), "select 1 from rdb$database;", &status);
    EXPECT_NE(status, 0);
}
