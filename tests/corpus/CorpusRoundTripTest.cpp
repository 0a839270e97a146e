// The bid corpus exported by the real ferrocan-export and loaded by each target's own
// client: MySQL form into MariaDB, Firebird form into Firebird 3, the Oracle form's rows
// into SQLite, from a MariaDB and from a SQLite source. Every statement must load and
// every value arrive unchanged; the filtered exports must carry exactly the rows they
// select.
//
// The Oracle form is loaded into SQLite without its structure section: its key section is
// no SQLite syntax (ALTER TABLE ... ADD PRIMARY KEY), so its INSERT statements go into the
// tables of sqlite-schema.sql, the corpus's own SQLite version.
#include "CorpusSuites.h"

namespace {

TEST_F(MariaDBToMariaDB, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(MariaDBToMariaDB, NumbersAtTheirLimits) {
    ExpectSameRows({"bid_counters", "bid_amounts"});
}

TEST_F(MariaDBToMariaDB, DatesAndTimes) {
    ExpectSameRows({"bid_schedule"});
}

TEST_F(MariaDBToMariaDB, LongNames) {
    ExpectSameRows({"bid_supplier_contract_amendment_history", "bid_supplier_contract_amendment_history_archive"});
    // New rows continue the numbering of an auto-increment key beyond 32 bits.
    const std::string add = "INSERT INTO bid_supplier_contract_amendment_history (supplier_contract_reference_code)"
                            " VALUES ('next');";
    MariaDBExec(Source, add);
    MariaDBExec(Target, add);
    ExpectSameAnswer("SELECT MAX(amendment_history_identifier) FROM bid_supplier_contract_amendment_history;");
}

TEST_F(MariaDBToFirebird, Prepare) {
    EXPECT_FALSE(Script.empty());
}

// Firebird has no full-text index: the rows arrive, and the descending index is one.
TEST_F(MariaDBToFirebird, FullTextAndDescendingIndexes) {
    ExpectSameRows({"bid_documents"});
    const std::string relation = FirebirdRelationOf(Fdb, Table("bid_documents"));
    EXPECT_EQ(FirebirdQuery(Fdb, "SELECT count(*) FROM rdb$indices WHERE rdb$index_type = 1 AND rdb$relation_name = '" +
                                     relation + "'"),
              "1\n");
}

TEST_F(MariaDBToSqlite, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(MariaDBToSqlite, LinkTablesAndKeys) {
    ExpectSameRows({"bid_items", "bid_item_tags", "bid_documents"});
}

TEST_F(MariaDBToSqlite, NumbersAtTheirLimits) {
    ExpectSameRows({"bid_counters", "bid_amounts"});
}

TEST_F(MariaDBToSqlite, DatesAndTimes) {
    ExpectSameRows({"bid_schedule"});
}

TEST_F(SqliteToSqlite, Prepare) {
    EXPECT_NE(Script.find(" Oracle Dump using uExport"), std::string::npos);
}

TEST_F(SqliteToSqlite, DatesAndTimes) {
    ExpectSameRows({"bid_schedule"});
}

} // namespace
