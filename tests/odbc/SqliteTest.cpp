// The database layer against the real SQLite ODBC driver.
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"
#include "UiHooks.h"

#include <gtest/gtest.h>

namespace {

class SqliteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = dir.File("t.db");
        SqliteExec(db, "create table items(id integer primary key, name varchar(10), price decimal(10,2), "
                       "flag integer, born datetime, note text);"
                       "insert into items values(1,'apple',1.5,1,'2024-01-02 03:04:05','first');"
                       "insert into items values(2,'pear',NULL,NULL,NULL,NULL);"
                       "create view cheap as select * from items where price < 2;");
        AddSqliteDataSource("ferro_sqlite", db);
    }
    ScratchDir dir;
    std::string db;
};

TEST_F(SqliteTest, Smoke) {
    TODBC conn;
    ASSERT_TRUE(conn.Connect("ferro_sqlite", "", ""));
    std::printf("info=%s kind=%d bind=%d\n", conn.ConnectInfo.c_str(), conn.DatabaseKind(), conn.BindColumns);
    TODBCStatement st(&conn, false, false);
    std::printf("fo=%d ref=%d abs=%d rel=%d\n", st.ForwardOnly, st.CanRefresh, st.CanAbsolute, st.CanRelative);
    ASSERT_TRUE(st.ExecSQL("select * from items order by id"));
    for (int i = 0; i < st.ColumnCount(); ++i)
        std::printf("%s type=%d size=%d val=[%s]\n", st.ColumnName(i).c_str(), st.ColumnType(i), st.ColumnSize(i),
                    st.FieldAsString(i).c_str());
    EXPECT_EQ(st.FieldAsString(1), "apple");
    EXPECT_EQ(st.FieldAsString(1), "apple");
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.FieldAsString(1), "pear");
    EXPECT_FALSE(st.Fetch());
}

} // namespace
