// Tables with a primary key read from MariaDB in key-ordered chunks: the same rows in the
// same order as one select ordered by the key, whatever the chunk boundaries; tables the
// chunks cannot serve are read in one select.
#include "ExportTestUtil.h"
#include "KeyChunks.h"
#include "ODBCApi.h"
#include "TestEnv.h"

#include "TODBCStatement.h"
#include "UiHooks.h"

#include <gtest/gtest.h>

#include <chrono>
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
                        "insert into floatkey select seq / 3, seq from seq_1_to_20;"
                        // Values longer than any first buffer, read in pieces with SQLGetData.
                        "create table longv(a int, b varchar(3), txt longtext, bin longblob, primary key(a, b));"
                        "insert into longv select seq div 3, concat('x', seq % 3), "
                        "if(seq % 4 = 0, null, repeat(concat('t', seq, ''''), 30000 + seq * 7)), "
                        "if(seq % 5 = 0, null, unhex(repeat('00ff275c', seq * 3000))) from seq_1_to_20;"
                        "create table gone like t; insert into gone select * from t;");
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

    // Dumps Table with chunks of ChunkRows, Pump called for each event pump; the result code.
    std::int32_t DumpPumping(const std::string& Table, const std::string& Where, std::int32_t ChunkRows,
                             const std::string& File, std::function<void()> Pump) {
        src.Export->KeyChunkRows = ChunkRows;
        UiHooks old = InstallUiHooks({std::move(Pump), nullptr});
        const std::int32_t result = src.Export->DumpTable(edMySQL, Table, File, Where, false, true, false, false, "");
        InstallUiHooks(old);
        return result;
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

TEST_F(ExportChunks, LongValuesAndNullsComeWholeThroughEveryChunk) {
    const std::string whole = Rows("longv", "1=1 order by a, b", 0);
    ASSERT_EQ(std::count(whole.begin(), whole.end(), '\n'), 20);
    ASSERT_GT(whole.size(), 20u * 60000u) << "the long values are in the script";
    std::size_t selects = 0;
    EXPECT_EQ(Rows("longv", "", 3, &selects), whole);
    EXPECT_GE(selects, 7u) << "20 rows in chunks of 3";
    EXPECT_EQ(Rows("longv", "", 4), whole) << "a last chunk that is full";
}

// The select of a later chunk fails (its table was dropped while the first chunk was
// read): the table fails, naming the row reached, and the rows before it are the table's
// first rows.
TEST_F(ExportChunks, ALaterChunkThatFailsFailsTheTable) {
    const std::string whole = Rows("gone", "1=1 order by a, b", 0);
    src.Export->KeyChunkRows = 7;
    bool dropped = false;
    src.Export->OnProgress = [&](const std::string&, std::int32_t Row) {
        if (Row != 1 || dropped) return;
        dropped = true;
        MariaDBExec(db, "drop table gone");
    };
    const std::string file = dir.File("gone.sql");
    const std::int32_t result = src.Export->DumpTable(edMySQL, "gone", file, "", false, true, false, false, "");
    src.Export->OnProgress = nullptr;
    ASSERT_TRUE(dropped);
    EXPECT_NE(result, 0);
    const std::string error = src.Export->ErrorText;
    // The second chunk's select runs at its first row.
    EXPECT_NE(error.find("reading row 8 failed"), std::string::npos) << error;
    EXPECT_NE(error.find("doesn't exist"), std::string::npos) << error;
    const std::string written = InsertLines(ReadFile(file));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 7);
    EXPECT_EQ(whole.substr(0, written.size()), written);
}

// Ctrl-C while the select of a later chunk runs (each row after the first chunks sleeps a
// second): the select is cancelled, the table stops at most after the rows before it, and
// the connection serves the next statement.
TEST_F(ExportChunks, CancelStopsTheSelectOfALaterChunk) {
    const std::string whole = Rows("t", "1=1 order by a, b", 0);
    // The second chunk's select is slow, or the third's.
    for (const char* where : {"a < 2 or sleep(1) = 0", "a < 4 or sleep(1) = 0"}) {
        SCOPED_TRACE(where);
        int pumps = 0;
        const std::string file = dir.File("cancel.sql");
        const auto start = std::chrono::steady_clock::now();
        DumpPumping("t", where, 7, file, [&] {
            // Interrupted while a select runs; from then on every pump passes it on, as the
            // program's pump does.
            if (pumps < 5 && !(src.Export->Statement->Executing && ++pumps == 5)) return;
            src.Export->Cancelled = true;
            src.Connection.CancelRunning();
        });
        const std::string written = InsertLines(ReadFile(file));
        UiHooks old = InstallUiHooks({[&] { src.Connection.CancelRunning(); }, nullptr});
        EXPECT_TRUE(src.Export->Statement->ExecSQL("select 5", true));
        InstallUiHooks(old);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(4)) << "a chunk of 7 sleeping rows takes 7 s";
        EXPECT_EQ(src.Export->Statement->FieldAsString(0), "5");
        EXPECT_LE(std::count(written.begin(), written.end(), '\n'), 14);
        EXPECT_EQ(whole.substr(0, written.size()), written);
    }
}

TEST_F(ExportChunks, WhatChunksCannotServeIsReadInOneSelect) {
    std::size_t selects = 0;
    // Each count is the catalogue select (for invisible columns), the select that asks for the columns
    // (without a row) and one row select, the latter two each with the SHOW COLUMNS that finds the
    // plain integer columns to read as binary numbers.
    // An order of its own: the rows come in that order.
    const std::string own = Rows("t", "1=1 order by c desc, a, b", 0);
    EXPECT_EQ(Rows("t", "1=1 order by c desc, a, b", 7, &selects), own);
    EXPECT_EQ(selects, 5u);
    EXPECT_NE(own, Rows("t", "", 0));
    // No key, and a floating-point key.
    EXPECT_EQ(Rows("nokey", "", 2, &selects), Rows("nokey", "", 0));
    EXPECT_EQ(selects, 5u);
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
