// The bid corpus with several rows per INSERT (--rows-per-insert 4) in the MySQL, SQLite
// and PostgreSQL forms, each script loaded whole by the target's own client and every value
// compared; beside the corpus, a table with no rows and one of 1001 rows (no multiple of 4)
// holding NULLs, quotes, backslashes and bytes of every value.
#include "CorpusPostgreSQL.h"
#include "CorpusSuites.h"

namespace {

const std::string kRowsPerInsert = "--rows-per-insert 4";

void AddMultiRowTables(const std::string& Source) {
    MariaDBExec(Source, "SET NAMES utf8mb4;"
                        "CREATE TABLE bid_none (id INT PRIMARY KEY, note VARCHAR(20));"
                        "CREATE TABLE bid_many (id INT PRIMARY KEY, note VARCHAR(80), data VARBINARY(32),"
                        " amount DECIMAL(12,2)) DEFAULT CHARSET=utf8mb4;"
                        "INSERT INTO bid_many SELECT seq,"
                        " IF(seq % 6 = 0, NULL, CONCAT('O''Brien \\\\ ', seq, IF(seq % 4 = 1, '\\r\\n', 'ü'))),"
                        " IF(seq % 9 = 0, NULL, UNHEX(MD5(seq))), IF(seq % 5 = 0, NULL, seq / 4)"
                        " FROM seq_1_to_1001;");
}

// Rows are joined: some statement carries a second row.
void ExpectJoinedRows(const std::string& Script, const std::string& Begin) {
    EXPECT_NE(Script.find("),\r\n("), std::string::npos);
    EXPECT_NE(Script.find(Begin + "\r\nINSERT INTO bid_many VALUES("), std::string::npos);
}

class MultiRowIntoMariaDB : public IntoMariaDB {
  protected:
    void SetUp() override {
        ExportArgs = kRowsPerInsert;
        IntoMariaDB::SetUp();
        Label = "mysql, 4 rows per insert";
    }
    void MakeSource() override {
        IntoMariaDB::MakeSource();
        AddMultiRowTables(Source);
    }
};

class MultiRowIntoSqlite : public FromMariaDB {
  protected:
    std::string Db;
    void SetUp() override {
        Label = "sqlite from mariadb, 4 rows per insert";
        FromMariaDB::SetUp();
        Db = Work + "/target.db";
    }
    void MakeSource() override {
        FromMariaDB::MakeSource();
        AddMultiRowTables(Source);
    }
    void ExportAndLoad() override {
        Script = Export("--dialect sqlite --output sqlite.sql " + kRowsPerInsert);
        Db = Work + "/target.db"; // SetUp names it only after the preparation
        Load = LoadIntoSqlite(Db, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Db, Table); }
};

class MultiRowIntoPostgres : public FromMariaDB {
  protected:
    std::string Target;
    void SetUp() override {
        Label = "postgresql from mariadb, 4 rows per insert";
        Target = Database("dst");
        FromMariaDB::SetUp();
    }
    // PostgreSQL text cannot hold NUL (the export refuses it; other tests see to that).
    void MakeSource() override {
        FromMariaDB::MakeSource();
        MariaDBExec(Source, "UPDATE bid_texts SET title = REPLACE(title, CHAR(0), ' '),"
                            " body = REPLACE(body, CHAR(0), ' ');");
        AddMultiRowTables(Source);
    }
    void ExportAndLoad() override {
        Script = Export("--dialect postgresql --output postgresql.sql " + kRowsPerInsert);
        FreshPostgresDatabase(Target);
        Load = LoadIntoPostgres(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return PostgresTableRows(Target, Table); }
};

TEST_F(MultiRowIntoMariaDB, Prepare) {
    ExpectJoinedRows(Script, "START TRANSACTION;");
}

TEST_F(MultiRowIntoMariaDB, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MultiRowIntoMariaDB, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(MultiRowIntoSqlite, Prepare) {
    ExpectJoinedRows(Script, "BEGIN;");
}

TEST_F(MultiRowIntoSqlite, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MultiRowIntoSqlite, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(MultiRowIntoPostgres, Prepare) {
    ExpectJoinedRows(Script, "BEGIN;");
}

TEST_F(MultiRowIntoPostgres, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MultiRowIntoPostgres, EveryTableArrives) {
    ExpectEveryTable();
}

} // namespace
