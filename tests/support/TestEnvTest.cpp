// The test environment itself: the private MariaDB server and its helpers.
#include "TestEnv.h"

#include <gtest/gtest.h>

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
