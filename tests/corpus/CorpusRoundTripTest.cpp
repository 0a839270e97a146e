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

// datetime(6) keeps its six digits, past Firebird's four.
TEST_F(MariaDBToFirebird, DatesAndTimes) {
    ExpectSameRows({"bid_schedule"});
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

TEST_F(MariaDBBidLinkFilter, Prepare) {
    EXPECT_NE(Script.find("bid_link='B1001'"), std::string::npos);
}

TEST_F(MariaDBBidLinkFilter, SelectsTheRowsOfTheLink) {
    ExpectSelectedRowCounts(true);
}

TEST_F(MariaDBMonthFilter, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(MariaDBMonthFilter, SelectsTheBidsSinceTheMonth) {
    ExpectSelectedRowCounts(true);
}

TEST_F(MariaDBMonthFilterNoBackslashEscapes, Prepare) {
    EXPECT_NE(Script.find("O''Brien"), std::string::npos);
}

TEST_F(MariaDBMonthFilterNoBackslashEscapes, SelectsTheBidsSinceTheMonth) {
    ExpectSelectedRowCounts(true);
}

TEST_F(MariaDBMonthFilterNoBackslashEscapes, CarriesTheBidsSinceTheMonth) {
    ExpectEveryTable();
}

// A single bid link is a literal: text that would close it and add statements of its own
// (on a data source that allows several statements per call) reaches nothing, and a
// refused statement never leaves the program hanging.
TEST(MariaDBBidLinkInjection, ClosingQuoteReachesNothing) {
    const std::string source = FreshMariaDBDatabase("fc_corpus_injection");
    MariaDBExec(source, ReadFile(CorpusFile("mariadb-corpus.sql")));
    AddDataSource("fc_corpus_multi", "MariaDB",
                  "Socket=" + MariaDBSocket() + "\nDatabase=" + source + "\nUser=" + MariaDBUser() +
                      "\nPassword=" + MariaDBPassword() + "\nCharset=utf8mb4\nOption=67108864\n");
    // The job upper-cases the box, so the statement lowers the table name itself; no
    // comma, or the text would count as a list of links.
    const std::string link = "';SET @Q=LOWER('DROP TABLE BID_0_VICTIM');PREPARE S FROM @Q;EXECUTE S;SELECT '";
    ScratchDir dir;
    for (const char* dsn : {"fc_corpus_multi", "fc_corpus_injection"}) {
        int rc = -1;
        std::string err;
        const std::string script =
            RunExport(dir.Path(), dsn, "--bid-link \"" + link + "\" --output inj.sql", &rc, &err, 30);
        EXPECT_NE(rc, 124) << dsn << ": the export hangs";
        EXPECT_TRUE(rc == 0 || rc == 3) << dsn << ": exit " << rc << "\n" << err;
        EXPECT_EQ(MariaDBQuery(source, "SELECT note FROM bid_0_victim;"), "still here\n") << dsn;
        if (rc == 0) {
            // Exported: the link matched no row anywhere.
            for (const TScriptStatement& s : SplitScript(ReadFile(script), true))
                if (s.IsInsert) {
                    EXPECT_EQ(s.Text.find("B1001"), std::string::npos) << dsn << ": " << s.Text;
                }
        }
    }
    MariaDBExec("", "DROP DATABASE IF EXISTS fc_corpus_injection;");
}

TEST_F(SqliteBidLinkFilter, Prepare) {
    EXPECT_NE(Script.find("bid_link='B1001'"), std::string::npos);
}

TEST_F(SqliteBidLinkFilter, SelectsTheRowsOfTheLink) {
    ExpectSelectedRowCounts(false);
}

TEST_F(SqliteMonthFilter, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(SqliteMonthFilter, SelectsTheBidsSinceTheMonth) {
    ExpectSelectedRowCounts(false);
}

} // namespace
