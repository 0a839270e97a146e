// Corpus round trips of the values themselves: text, binary, enums and sets, numbers,
// names and defaults, also in the filtered exports.
#include "CorpusSuites.h"

namespace {

TEST_F(MariaDBToMariaDB, ScriptLoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

// The many-to-many link table: its key is both columns in key order, and each column
// keeps its own index.
TEST_F(MariaDBToMariaDB, LinkTablesAndKeys) {
    ExpectSameRows({"bid_items", "bid_item_tags"});
    ExpectSameAnswer("SELECT table_name, index_name, column_name, seq_in_index, non_unique"
                     " FROM information_schema.statistics WHERE table_schema = DATABASE()"
                     " AND table_name IN ('bid_item_tags', 'bidstatus', 'bid_enums')"
                     " ORDER BY table_name, index_name, seq_in_index;");
}

TEST_F(MariaDBToMariaDB, FullTextAndDescendingIndexes) {
    ExpectSameRows({"bid_documents"});
    ExpectSameAnswer("SELECT table_name, index_name, column_name, seq_in_index, collation, index_type"
                     " FROM information_schema.statistics WHERE table_schema = DATABASE()"
                     " AND table_name IN ('bid_documents', 'bid_items') ORDER BY table_name, index_name, seq_in_index;");
}

TEST_F(MariaDBToMariaDB, TextValues) {
    ExpectSameRows({"bid_texts"});
}

TEST_F(MariaDBToMariaDB, BinaryValues) {
    ExpectSameRows({"bid_bits", "bid_blob_big"});
}

// The defaults arrive as the same expressions and literals, the quoted one included, and
// the injected text in one of them stays text; timestamps keep their clock and on-update.
TEST_F(MariaDBToMariaDB, DefaultsAndInjection) {
    ExpectSameRows({"bid_defaults", "bid_0_victim"});
    ExpectSameAnswer("SELECT table_name, column_name, column_default, is_nullable, extra FROM information_schema.columns"
                     " WHERE table_schema = DATABASE() AND table_name IN ('bid_defaults', 'bid_items',"
                     " 'bid_supplier_contract_amendment_history') ORDER BY table_name, ordinal_position;");
}

TEST_F(MariaDBToMariaDB, EnumsAndSets) {
    ExpectSameRows({"bid_enums", "bidstatus"});
}

TEST_F(MariaDBToMariaDB, ReservedWordNames) {
    ExpectSameRows({"bid_tags"});
}

// bid_a and bidxa: "_" is a pattern character in catalogue calls.
TEST_F(MariaDBToMariaDB, UnderscoreInNames) {
    ExpectSameRows({"bid_a", "bidxa"});
}

TEST_F(MariaDBBidLinkFilter, ScriptLoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBBidLinkFilter, CarriesTheRowsOfTheLink) {
    ExpectEveryTable();
}

TEST_F(MariaDBMonthFilter, ScriptLoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBMonthFilter, CarriesTheBidsSinceTheMonth) {
    ExpectEveryTable();
}

TEST_F(MariaDBToFirebird, LinkTablesAndKeys) {
    ExpectSameRows({"bid_items", "bid_item_tags"});
    // The link table's primary key holds both columns.
    const std::string relation = FirebirdRelationOf(Fdb, Table("bid_item_tags"));
    EXPECT_EQ(FirebirdQuery(Fdb, "SELECT count(*) FROM rdb$relation_constraints rc JOIN rdb$index_segments s"
                                 " ON s.rdb$index_name = rc.rdb$index_name WHERE rc.rdb$constraint_type ="
                                 " 'PRIMARY KEY' AND rc.rdb$relation_name = '" +
                                     relation + "'"),
              "2\n");
}

// Firebird 3 takes no statement over 64 KB and no string literal over 16383 characters:
// the 100 KB blob and the 30 KB text arrive in pieces, so nothing is over the limit.
TEST_F(MariaDBToFirebird, ScriptLoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
    EXPECT_EQ(Load.TooLong, 0) << "statements over 64 KB";
}

// NUL bytes, CR LF inside and at the end, blanks, quotes, backslashes, and long text.
TEST_F(MariaDBToFirebird, TextValues) {
    ExpectSameRows({"bid_texts"});
}

// Bits, binary strings and blobs byte for byte, 100 KB of zero bytes included.
TEST_F(MariaDBToFirebird, BinaryValues) {
    ExpectSameRows({"bid_bits", "bid_blob_big"});
}

TEST_F(MariaDBToFirebird, EnumsAndSets) {
    ExpectSameRows({"bid_enums", "bidstatus"});
}

TEST_F(MariaDBToFirebird, NumbersAtTheirLimits) {
    ExpectSameRows({"bid_counters", "bid_amounts"});
}

TEST_F(MariaDBToFirebird, DefaultsAndInjection) {
    ExpectSameRows({"bid_defaults", "bid_0_victim"});
    // A row that takes every default gets the same values as in the source.
    const std::string relation = FirebirdRelationOf(Fdb, Table("bid_defaults"));
    const std::vector<std::string> cols = FirebirdColumnNames(Fdb, relation);
    ASSERT_EQ(cols.size(), 8u);
    MariaDBExec(Source, "INSERT INTO bid_defaults (id, made) VALUES (100, '2024-05-05 05:05:05');");
    FirebirdRunScript(Fdb, "INSERT INTO " + Quoted(relation) + " (" + Quoted(cols[0]) + ", " + Quoted(cols[5]) +
                               ") VALUES (100, '2024-05-05 05:05:05');\nCOMMIT;\n");
    ExpectSameRows({"bid_defaults"});
}

TEST_F(MariaDBToFirebird, ReservedWordNames) {
    ExpectSameRows({"bid_tags"});
}

TEST_F(MariaDBToFirebird, LongNames) {
    ExpectSameRows({"bid_supplier_contract_amendment_history", "bid_supplier_contract_amendment_history_archive"});
    // The generator goes on past the largest key, beyond 32 bits.
    const std::string relation = FirebirdRelationOf(Fdb, Table("bid_supplier_contract_amendment_history"));
    const std::vector<std::string> cols = FirebirdColumnNames(Fdb, relation);
    ASSERT_EQ(cols.size(), 4u);
    FirebirdRunScript(Fdb, "INSERT INTO " + Quoted(relation) + " (" + Quoted(cols[1]) +
                               ") VALUES ('next');\nCOMMIT;\n");
    EXPECT_EQ(FirebirdQuery(Fdb, "SELECT MAX(" + Quoted(cols[0]) + ") FROM " + Quoted(relation)), "5000000002\n");
}

TEST_F(MariaDBToFirebird, UnderscoreInNames) {
    ExpectSameRows({"bid_a", "bidxa"});
}

TEST_F(MariaDBToSqlite, RowsLoadWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBToSqlite, BinaryValues) {
    ExpectSameRows({"bid_bits", "bid_blob_big"});
}

TEST_F(MariaDBToSqlite, TextValues) {
    ExpectSameRows({"bid_texts"});
}

TEST_F(MariaDBToSqlite, EnumsAndSets) {
    ExpectSameRows({"bid_enums", "bidstatus"});
}

TEST_F(MariaDBToSqlite, DefaultsAndNames) {
    ExpectSameRows({"bid_defaults", "bid_0_victim", "bid_tags", "bid_supplier_contract_amendment_history",
                    "bid_supplier_contract_amendment_history_archive", "bid_a", "bidxa"});
}

TEST_F(SqliteToSqlite, RowsLoadWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(SqliteToSqlite, LinkTablesAndKeys) {
    ExpectSameRows({"bid_items", "bid_item_tags", "bid_documents"});
}

TEST_F(SqliteToSqlite, TextValues) {
    ExpectSameRows({"bid_texts"});
}

TEST_F(SqliteToSqlite, BinaryValues) {
    ExpectSameRows({"bid_bits", "bid_blob_big"});
}

TEST_F(SqliteToSqlite, EnumsAndSets) {
    ExpectSameRows({"bid_enums", "bidstatus"});
}

TEST_F(SqliteToSqlite, NumbersAtTheirLimits) {
    ExpectSameRows({"bid_counters", "bid_amounts"});
}

TEST_F(SqliteToSqlite, DefaultsAndNames) {
    ExpectSameRows({"bid_defaults", "bid_0_victim", "bid_tags", "bid_supplier_contract_amendment_history",
                    "bid_supplier_contract_amendment_history_archive", "bid_a", "bidxa"});
}

TEST_F(SqliteBidLinkFilter, RowsLoadWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(SqliteBidLinkFilter, CarriesTheRowsOfTheLink) {
    ExpectEveryTable();
}

TEST_F(SqliteMonthFilter, RowsLoadWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(SqliteMonthFilter, CarriesTheBidsSinceTheMonth) {
    ExpectEveryTable();
}

} // namespace
