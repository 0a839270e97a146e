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
