// The bid corpus in the SQLite and PostgreSQL forms, and a PostgreSQL source in every form
// with a real target here: exported by the real ferrocan-export, each whole script loaded
// by the target's own client (sqlite3, psql -v ON_ERROR_STOP=1 -f, mariadb), with no
// statement refused and every value arriving unchanged; the filtered exports carry exactly
// the rows they select.
#include "CorpusPostgreSQL.h"
#include "CorpusSuites.h"

namespace {

class MariaDBToSqliteForm : public FromMariaDB {
  protected:
    std::string Db;
    void SetUp() override {
        Label = "sqlite from mariadb";
        FromMariaDB::SetUp();
        Db = Work + "/target.db";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect sqlite --output sqlite.sql " + ExportArgs);
        Db = Work + "/target.db";
        Load = LoadIntoSqlite(Db, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Db, Table); }
};

class MariaDBToPostgres : public FromMariaDB {
  protected:
    std::string Target;
    // PostgreSQL text cannot hold NUL, and the export refuses such a value by name
    // (FactsDialectPostgres tests that); here the corpus row holds a blank instead, as the
    // PostgreSQL corpus does.
    void MakeSource() override {
        FromMariaDB::MakeSource();
        MariaDBExec(Source, "UPDATE bid_texts SET title = REPLACE(title, CHAR(0), ' '),"
                            " body = REPLACE(body, CHAR(0), ' ');");
    }
    void SetUp() override {
        Label = "postgresql from mariadb";
        Target = Database("dst");
        FromMariaDB::SetUp();
    }
    void ExportAndLoad() override {
        Script = Export("--dialect postgresql --output postgresql.sql " + ExportArgs);
        FreshPostgresDatabase(Target);
        Load = LoadIntoPostgres(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return PostgresTableRows(Target, Table); }
};

class MariaDBToPostgresCopy : public MariaDBToPostgres {
  protected:
    void SetUp() override {
        MariaDBToPostgres::SetUp();
        Label = "postgresql copy from mariadb";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect postgresql --copy --output postgresql.sql " + ExportArgs);
        FreshPostgresDatabase(Target);
        Load = LoadIntoPostgres(Target, Script);
    }
};

class SqliteToSqliteForm : public FromSqlite {
  protected:
    std::string Target;
    void SetUp() override {
        FromSqlite::SetUp();
        Label = "sqlite from sqlite";
        Target = Work + "/target.db";
    }
    void ExportAndLoad() override {
        AddSqliteDataSource("fc_corpus_sqlite_form", Source);
        int rc = -1;
        std::string err;
        const std::string file =
            RunExport(Work, "fc_corpus_sqlite_form", "--dialect sqlite --output sqlite.sql " + ExportArgs, &rc, &err);
        EXPECT_EQ(rc, 0) << err;
        ASSERT_FALSE(file.empty()) << err;
        Script = ReadFile(file);
        Target = Work + "/target.db";
        Load = LoadIntoSqlite(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Target, Table); }
};

class FromPostgres : public CorpusRoundTrip {
  protected:
    std::string Source, ExportArgs;
    void MakeSource() override {
        Source = FreshPostgresDatabase(Database("src"));
        PostgresExec(Source, ReadFile(CorpusFile("postgresql-corpus.sql")));
    }
    void ReadSource() override {
        Source = Database("src");
        Tables = PostgresCorpusTables(Source);
    }
    TTableRows SourceRows(const TCorpusTable& Table, const std::string& Where) override {
        return PostgresTableRows(Source, Table, Where);
    }
    std::string Export(const std::string& Args) {
        int rc = -1;
        std::string err;
        const std::string script = RunExport(Work, Source, Args + " " + ExportArgs, &rc, &err);
        EXPECT_EQ(rc, 0) << err;
        EXPECT_FALSE(script.empty()) << err;
        return script.empty() ? std::string() : ReadFile(script);
    }
};

class PostgresToPostgres : public FromPostgres {
  protected:
    std::string Target;
    void SetUp() override {
        Label = "postgresql from postgresql";
        Target = Database("dst");
        FromPostgres::SetUp();
    }
    void ExportAndLoad() override {
        Script = Export("--dialect postgresql --output postgresql.sql");
        FreshPostgresDatabase(Target);
        Load = LoadIntoPostgres(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return PostgresTableRows(Target, Table); }
};

// The same with each table's rows as one COPY block.
class PostgresToPostgresCopy : public PostgresToPostgres {
  protected:
    void SetUp() override {
        PostgresToPostgres::SetUp();
        Label = "postgresql copy from postgresql";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect postgresql --copy --output postgresql.sql");
        FreshPostgresDatabase(Target);
        Load = LoadIntoPostgres(Target, Script);
    }
};

class PostgresToMariaDB : public FromPostgres {
  protected:
    std::string Target;
    void SetUp() override {
        Label = "mysql from postgresql";
        Target = Database("dst");
        FromPostgres::SetUp();
    }
    void ExportAndLoad() override {
        Script = Export("--dialect mysql --output mysql.sql");
        FreshMariaDBDatabase(Target);
        Load = LoadIntoMariaDB(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return MariaDBTableRows(Target, Table); }
};

class PostgresToSqlite : public FromPostgres {
  protected:
    std::string Db;
    void SetUp() override {
        Label = "sqlite from postgresql";
        FromPostgres::SetUp();
        Db = Work + "/target.db";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect sqlite --output sqlite.sql");
        Db = Work + "/target.db";
        Load = LoadIntoSqlite(Db, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Db, Table); }
};

// bidstatus lists links holding a quote and backslashes: the filter built from them on a
// PostgreSQL source selects those links and nothing else.
class PostgresBidLinkFilter : public PostgresToPostgres {
  protected:
    void SetUp() override {
        ExportArgs = "--bid-link b1001";
        PostgresToPostgres::SetUp();
        Label = "postgresql bid-link";
        SourceWhere = "bid_link = 'B1001'";
    }
};

class PostgresMonthFilter : public PostgresToPostgres {
  protected:
    void SetUp() override {
        ExportArgs = "--since-month " + CurrentMonth();
        PostgresToPostgres::SetUp();
        Label = "postgresql month";
        SourceWhere = "bid_link IN (SELECT bid_link FROM bidstatus WHERE created >= date_trunc('month', CURRENT_DATE))";
    }
};

class MariaDBToPgMonth : public MariaDBToPostgres {
  protected:
    void SetUp() override {
        ExportArgs = "--since-month " + CurrentMonth();
        MariaDBToPostgres::SetUp();
        Label = "postgresql from mariadb month";
        SourceWhere = "bid_link IN (SELECT bid_link FROM bidstatus WHERE created >= DATE_FORMAT(CURDATE(), '%Y-%m-01'))";
    }
};

class SqliteToSqliteFormBidLinkFilter : public SqliteToSqliteForm {
  protected:
    void SetUp() override {
        ExportArgs = "--bid-link b1001";
        SqliteToSqliteForm::SetUp();
        Label = "sqlite bid-link";
        SourceWhere = "bid_link = 'B1001'";
    }
};

TEST_F(MariaDBToSqliteForm, Prepare) {
    EXPECT_NE(Script.find(" SQLite Dump using uExport"), std::string::npos);
}

TEST_F(MariaDBToSqliteForm, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBToSqliteForm, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(MariaDBToPostgres, Prepare) {
    EXPECT_NE(Script.find(" PostgreSQL Dump using uExport"), std::string::npos);
}

TEST_F(MariaDBToPostgres, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBToPostgres, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(MariaDBToPostgresCopy, Prepare) {
    EXPECT_NE(Script.find(" FROM stdin;"), std::string::npos);
    EXPECT_EQ(Script.find("INSERT INTO"), std::string::npos);
}

TEST_F(MariaDBToPostgresCopy, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(MariaDBToPostgresCopy, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(SqliteToSqliteForm, Prepare) {
    EXPECT_NE(Script.find(" SQLite Dump using uExport"), std::string::npos);
}

TEST_F(SqliteToSqliteForm, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(SqliteToSqliteForm, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(PostgresToPostgres, Prepare) {
    EXPECT_NE(Script.find(" PostgreSQL Dump using uExport"), std::string::npos);
}

TEST_F(PostgresToPostgres, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(PostgresToPostgres, EveryTableArrives) {
    ExpectEveryTable();
}

// An identity key numbers on after the loaded rows.
TEST_F(PostgresToPostgres, IdentityContinuesTheNumbering) {
    const std::string add = "INSERT INTO bid_items (bid_link) VALUES ('next') RETURNING recno;";
    EXPECT_EQ(PostgresQuery(Target, add), PostgresQuery(Source, add));
}

TEST_F(PostgresToPostgresCopy, Prepare) {
    EXPECT_NE(Script.find("COPY bid_items ("), std::string::npos);
    EXPECT_EQ(Script.find("INSERT INTO"), std::string::npos);
}

TEST_F(PostgresToPostgresCopy, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(PostgresToPostgresCopy, EveryTableArrives) {
    ExpectEveryTable();
}

TEST_F(PostgresToPostgresCopy, IdentityContinuesTheNumbering) {
    const std::string add = "INSERT INTO bid_items (bid_link) VALUES ('next') RETURNING recno;";
    EXPECT_EQ(PostgresQuery(Target, add), PostgresQuery(Source, add));
}

TEST_F(PostgresToMariaDB, Prepare) {
    EXPECT_NE(Script.find(" MySQL Dump using uExport"), std::string::npos);
}

TEST_F(PostgresToMariaDB, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(PostgresToMariaDB, EveryTableArrives) {
    for (const TCorpusTable& t : Tables)
        if (t.Name != "bid_bits") ExpectSameRows({t.Name});
}

// The driver reports a PostgreSQL bit(n) as text: it arrives as the text of its digits,
// which the script says beside the column (MySQL's bit(n) would drop leading zeros).
TEST_F(PostgresToMariaDB, BitStringsArriveAsTheirDigits) {
    EXPECT_NE(Script.find("  mask longtext /* bit string: its 0/1 digits as text */,"), std::string::npos);
    EXPECT_EQ(MariaDBQuery(Target, "SELECT id, active + 0, mask, flags FROM bid_bits ORDER BY id;"),
              "1\t1\t11111111\t101\n2\t0\t00000000\t\n3\t0\t00000001\t000000000001\n4\tNULL\tNULL\tNULL\n");
}

TEST_F(PostgresToSqlite, Prepare) {
    EXPECT_NE(Script.find(" SQLite Dump using uExport"), std::string::npos);
}

TEST_F(PostgresToSqlite, LoadsWithoutErrors) {
    ExpectLoadWithoutErrors();
}

TEST_F(PostgresToSqlite, EveryTableArrives) {
    for (const TCorpusTable& t : Tables)
        if (t.Name != "bid_bits") ExpectSameRows({t.Name});
}

// SQLite has no bit strings: a PostgreSQL bit(n) arrives as the text of its digits, which
// reads back as the same string.
TEST_F(PostgresToSqlite, BitStringsArriveAsTheirDigits) {
    EXPECT_NE(Script.find("  mask TEXT /* bit string: its 0/1 digits as text */,"), std::string::npos);
    EXPECT_EQ(SqliteQuery(Db, "SELECT id, quote(active), quote(mask), quote(flags) FROM bid_bits ORDER BY id;"),
              "1|1|'11111111'|'101'\n2|0|'00000000'|''\n3|0|'00000001'|'000000000001'\n4|NULL|NULL|NULL\n");
}

TEST_F(PostgresBidLinkFilter, Prepare) {
    EXPECT_NE(Script.find("bid_link='B1001'"), std::string::npos);
}

TEST_F(PostgresBidLinkFilter, SelectsTheRowsOfTheLink) {
    ExpectSelectedRowCounts(false);
}

TEST_F(PostgresBidLinkFilter, CarriesTheRowsOfTheLink) {
    ExpectLoadWithoutErrors();
    ExpectEveryTable();
}

TEST_F(PostgresMonthFilter, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(PostgresMonthFilter, SelectsTheBidsSinceTheMonth) {
    ExpectSelectedRowCounts(false);
}

TEST_F(PostgresMonthFilter, CarriesTheBidsSinceTheMonth) {
    ExpectLoadWithoutErrors();
    ExpectEveryTable();
}

TEST_F(MariaDBToPgMonth, Prepare) {
    EXPECT_FALSE(Script.empty());
}

TEST_F(MariaDBToPgMonth, CarriesTheBidsSinceTheMonth) {
    ExpectSelectedRowCounts(false);
    ExpectLoadWithoutErrors();
    ExpectEveryTable();
}

TEST_F(SqliteToSqliteFormBidLinkFilter, Prepare) {
    EXPECT_NE(Script.find("bid_link='B1001'"), std::string::npos);
}

TEST_F(SqliteToSqliteFormBidLinkFilter, CarriesTheRowsOfTheLink) {
    ExpectSelectedRowCounts(false);
    ExpectLoadWithoutErrors();
    ExpectEveryTable();
}

} // namespace
