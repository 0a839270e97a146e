// Tables with a primary key read from MariaDB in key-ordered chunks: the same rows in the
// same order as one select ordered by the key, whatever the chunk boundaries; tables the
// chunks cannot serve are read in one select.
#include "ExportTestUtil.h"
#include "KeyChunks.h"
#include "ODBCApi.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The INSERT lines of a script, in order.
std::string InsertLines(const std::string& Text) {
    std::istringstream in(Lines(Text));
    std::string line, out;
    while (std::getline(in, line))
        if (line.rfind("INSERT", 0) == 0) out += line + "\n";
    return out;
}

std::size_t CountCalls(const std::string& Trace, const std::string& Name) {
    std::size_t count = 0;
    for (std::size_t at = Trace.find(Name + " -> "); at != std::string::npos; at = Trace.find(Name + " -> ", at + 1))
        if (at == 0 || Trace[at - 1] == '\n') ++count;
    return count;
}

class ExportChunks : public ::testing::Test {
  protected:
    void SetUp() override {
        db = FreshMariaDBDatabase(TestDatabaseName("fx_chunks"));
        // Key values with quotes and backslashes fall on chunk boundaries; NULLs elsewhere.
        MariaDBExec(db, "create table t(a int, b varchar(12), c varchar(20), d decimal(6,2), primary key(a, b));"
                        "insert into t select seq div 4, concat('k', seq, '\\\\', '''', seq % 3), "
                        "if(seq % 3 = 0, null, concat('c', 100 - seq)), if(seq % 5 = 0, null, seq / 8) "
                        "from seq_1_to_50;"
                        "create table exact like t; insert into exact select * from t limit 49;"
                        "create table empty_t like t;"
                        "create table nokey(a int, b varchar(5)); insert into nokey values(3,'x'),(1,'y'),(2,null);"
                        "create table floatkey(f double primary key, v int);"
                        "insert into floatkey select seq / 3, seq from seq_1_to_20;");
        ASSERT_TRUE(src.Open(db, MariaDBUser(), MariaDBPassword()));
    }
    void TearDown() override {
        src.Export.reset();
        src.Connection.Disconnect();
        MariaDBExec("", "DROP DATABASE IF EXISTS `" + db + "`;");
    }

    // The rows of Table dumped with chunks of ChunkRows (0: one select) and the number of
    // statements executed for them.
    std::string Rows(const std::string& Table, const std::string& Where, std::int32_t ChunkRows,
                     std::size_t* Selects = nullptr) {
        src.Export->KeyChunkRows = ChunkRows;
        const std::string file = dir.File(Table + std::to_string(ChunkRows) + ".sql");
        const std::string trace = dir.File("trace.txt");
        EXPECT_TRUE(SetODBCTraceFile(trace));
        const std::int32_t result =
            src.Export->DumpTable(edMySQL, Table, file, Where, false, true, false, false, "");
        EXPECT_TRUE(SetODBCTraceFile(""));
        EXPECT_EQ(result, 0) << src.Export->ErrorText;
        if (Selects) *Selects = CountCalls(ReadFile(trace), "SQLExecDirect");
        return InsertLines(ReadFile(file));
    }

    std::string db;
    ScratchDir dir;
    TSourceFixture src;
};

TEST_F(ExportChunks, ChunksGiveTheRowsOfOneSelectInKeyOrder) {
    const std::string whole = Rows("t", "1=1 order by a, b", 0);
    ASSERT_EQ(std::count(whole.begin(), whole.end(), '\n'), 50);
    std::size_t selects = 0;
    EXPECT_EQ(Rows("t", "", 7, &selects), whole);
    EXPECT_GE(selects, 8u) << "50 rows in chunks of 7";
    // The job's own ordering by the key, and a filter, are kept.
    EXPECT_EQ(Rows("t", "1=1 order by `a`, B asc", 7), whole);
    EXPECT_EQ(Rows("t", "c is null or d > 3", 4), Rows("t", "(c is null or d > 3) order by a, b", 0));
    // A last chunk that is full, then one that is empty.
    EXPECT_EQ(Rows("exact", "", 7), Rows("exact", "1=1 order by a, b", 0));
    EXPECT_EQ(Rows("empty_t", "", 7), "");
    // One chunk holding everything.
    EXPECT_EQ(Rows("t", "", 1000), whole);
}

TEST_F(ExportChunks, WhatChunksCannotServeIsReadInOneSelect) {
    std::size_t selects = 0;
    // Each count is the select that asks for the columns (without a row) and one row select.
    // An order of its own: the rows come in that order.
    const std::string own = Rows("t", "1=1 order by c desc, a, b", 0);
    EXPECT_EQ(Rows("t", "1=1 order by c desc, a, b", 7, &selects), own);
    EXPECT_EQ(selects, 2u);
    EXPECT_NE(own, Rows("t", "", 0));
    // No key, and a floating-point key.
    EXPECT_EQ(Rows("nokey", "", 2, &selects), Rows("nokey", "", 0));
    EXPECT_EQ(selects, 2u);
    EXPECT_EQ(Rows("floatkey", "", 6), Rows("floatkey", "", 0));
}

TEST(KeyChunkText, SplitsTheOrderingAndSpellsTheNextKey) {
    TRowOrder order = SplitRowOrder("bid_link in ('a order by b') order by recno");
    EXPECT_TRUE(order.Chunkable);
    EXPECT_EQ(order.Filter, "bid_link in ('a order by b')");
    EXPECT_EQ(order.OrderBy, "recno");
    order = SplitRowOrder("x = 'it''s' AND y = \"q\"");
    EXPECT_TRUE(order.Chunkable);
    EXPECT_EQ(order.OrderBy, "");
    for (const char* clause : {"1=1 limit 5", "a=1 group by a", "a=1; delete from t", "a='open",
                               "1=1 order by a union select 1", "a=1 -- c", "1=1 order by a order by b"})
        EXPECT_FALSE(SplitRowOrder(clause).Chunkable) << clause;

    EXPECT_TRUE(OrderIsKey("`A`, b ASC", {"a", "B"}));
    EXPECT_FALSE(OrderIsKey("a desc, b", {"a", "b"}));
    EXPECT_FALSE(OrderIsKey("b, a", {"a", "b"}));
    EXPECT_FALSE(OrderIsKey("a", {"a", "b"}));

    EXPECT_EQ(AfterKeyCondition({"a"}, {"1"}), "a > 1");
    EXPECT_EQ(AfterKeyCondition({"a", "b", "c"}, {"1", "'x'", "2"}),
              "a > 1 OR (a = 1 AND (b > 'x' OR (b = 'x' AND (c > 2))))");
    EXPECT_EQ(MySQLTextLiteral("it's \\ ok", true), "'it''s \\\\ ok'");
    EXPECT_EQ(MySQLTextLiteral("it's \\ ok", false), "'it''s \\ ok'");
}

} // namespace
