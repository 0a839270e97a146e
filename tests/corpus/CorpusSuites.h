#pragma once
// The suites of the corpus round trips: one fixture per source and target.
//
// Exporting and loading take most of the time, so each suite does them once: its Prepare
// case builds the source, exports and loads, and leaves everything in a folder of the test
// environment (CTest runs it first as the suite's fixture); the other cases only read.
#include "CorpusRoundTrip.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <map>

inline std::string CurrentMonth() {
    const std::time_t now = std::time(nullptr);
    return std::to_string(std::localtime(&now)->tm_mon + 1);
}

inline std::string LowerName(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class CorpusRoundTrip : public ::testing::Test {
  protected:
    std::string Suite;  // the suite's name: its folder and database names
    std::string Work;   // the suite's folder
    std::string Label;  // names the target in messages and measurements
    std::string Script; // the exported script
    TLoadResult Load;
    std::vector<TCorpusTable> Tables;
    // Where clause, in the source's SQL, selecting what a filtered export should carry.
    std::string SourceWhere;

    // Builds the source; reads its tables.
    virtual void MakeSource() = 0;
    virtual void ReadSource() = 0;
    // Exports and loads into a new target; the script goes to Script, the outcome to Load.
    virtual void ExportAndLoad() = 0;
    virtual TTableRows SourceRows(const TCorpusTable& Table, const std::string& Where) = 0;
    virtual TTableRows TargetRows(const TCorpusTable& Table) = 0;

    CorpusRoundTrip()
        : Suite(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()),
          Work(TestEnvDir() + "/corpus/" + Suite) {}

    void SetUp() override {
        if (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) == "Prepare") {
            std::error_code ec;
            std::filesystem::remove_all(Work, ec);
            std::filesystem::create_directories(Work);
            MakeSource();
            if (HasFatalFailure()) return;
            ReadSource();
            ExportAndLoad();
            WriteFile(Work + "/script.sql", Script);
            WriteFile(Work + "/load.txt", std::to_string(Load.Statements) + " " + std::to_string(Load.Errors) + " " +
                                              std::to_string(Load.TooLong) + "\n" + Load.Messages);
        } else {
            const std::string load = ReadFile(Work + "/load.txt");
            ASSERT_FALSE(load.empty()) << "nothing prepared in " << Work << ": run " << Suite << ".Prepare first";
            std::sscanf(load.c_str(), "%d %d %d", &Load.Statements, &Load.Errors, &Load.TooLong);
            Load.Messages = load.substr(load.find('\n') + 1);
            Script = ReadFile(Work + "/script.sql");
            ReadSource();
        }
        ASSERT_GE(Tables.size(), 18u);
    }

    std::string Database(const char* Role) const { return "fc_" + LowerName(Suite) + "_" + Role; }

    const TCorpusTable& Table(const std::string& Name) {
        static const TCorpusTable none;
        const TCorpusTable* t = FindTable(Tables, Name);
        EXPECT_NE(t, nullptr) << "the corpus has no table " << Name;
        return t ? *t : none;
    }

    // Every listed table arrives with the rows of the source, value by value.
    void ExpectSameRows(std::initializer_list<std::string> Names) {
        for (const std::string& name : Names) {
            const TCorpusTable& table = Table(name);
            if (table.Name.empty()) continue;
            const TTableRows expected = SourceRows(table, table.Has("bid_link") ? SourceWhere : std::string());
            ASSERT_TRUE(expected.Found) << expected.Problem;
            const TTableRows actual = TargetRows(table);
            const TRowDiff diff = CompareRows(table, expected, actual);
            std::cout << "[corpus] " << Label << " " << name << ": rows " << expected.Rows.size() << ", missing "
                      << diff.MissingRows << ", extra " << diff.ExtraRows << ", changed rows " << diff.WrongRows
                      << ", changed values " << diff.WrongValues << "\n";
            EXPECT_TRUE(diff.Report.empty()) << Label << ":\n" << diff.Report;
        }
    }

    void ExpectEveryTable() {
        for (const TCorpusTable& t : Tables)
            ExpectSameRows({t.Name});
    }

    // The script carries, table by table, as many rows as the source selects.
    void ExpectSelectedRowCounts(bool BackslashEscapes) {
        std::map<std::string, std::size_t> counts;
        for (const TScriptStatement& s : SplitScript(Script, BackslashEscapes))
            if (s.IsInsert) ++counts[LowerName(InsertTableName(s.Text))];
        for (const TCorpusTable& t : Tables) {
            const TTableRows expected = SourceRows(t, t.Has("bid_link") ? SourceWhere : std::string());
            EXPECT_EQ(counts[LowerName(t.Name)], expected.Rows.size()) << Label << ": rows of " << t.Name;
        }
    }

    void ExpectLoadWithoutErrors() {
        std::cout << "[corpus] " << Label << " load: statements " << Load.Statements << ", errors " << Load.Errors
                  << ", too long " << Load.TooLong << "\n";
        EXPECT_GT(Load.Statements, 20);
        EXPECT_EQ(Load.Errors, 0) << Label << ":\n" << Load.Messages;
    }
};

class FromMariaDB : public CorpusRoundTrip {
  protected:
    std::string Source;
    std::string ExportArgs;
    std::string SourceDataSource; // the data source the export reads; empty: the one of Source

    void MakeSource() override {
        Source = FreshMariaDBDatabase(Database("src"));
        MariaDBExec(Source, ReadFile(CorpusFile("mariadb-corpus.sql")));
    }
    void ReadSource() override {
        Source = Database("src");
        Tables = MariaDBCorpusTables(Source);
    }
    TTableRows SourceRows(const TCorpusTable& Table, const std::string& Where) override {
        return MariaDBTableRows(Source, Table, Where);
    }
    std::string Export(const std::string& Args) {
        int rc = -1;
        std::string err;
        const std::string script =
            RunExport(Work, SourceDataSource.empty() ? Source : SourceDataSource, Args, &rc, &err);
        EXPECT_EQ(rc, 0) << err;
        EXPECT_FALSE(script.empty()) << err;
        return ReadFile(script);
    }
};

class IntoMariaDB : public FromMariaDB {
  protected:
    std::string Target;
    void SetUp() override {
        Label = "mysql";
        Target = Database("dst");
        FromMariaDB::SetUp();
    }
    void ExportAndLoad() override {
        Script = Export("--dialect mysql --output mysql.sql " + ExportArgs);
        FreshMariaDBDatabase(Target);
        Load = LoadIntoMariaDB(Target, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return MariaDBTableRows(Target, Table); }
    // The same query on both sides gives the same answer.
    void ExpectSameAnswer(const std::string& Query) {
        EXPECT_EQ(MariaDBQuery(Target, Query), MariaDBQuery(Source, Query)) << Query;
    }
};

using MariaDBToMariaDB = IntoMariaDB;

class MariaDBToFirebird : public FromMariaDB {
  protected:
    std::string Fdb;
    void SetUp() override {
        ASSERT_TRUE(RequireFirebirdTools());
        Label = "firebird";
        FromMariaDB::SetUp();
        Fdb = Work + "/corpus.fdb";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect firebird --output firebird.sql");
        Fdb = Work + "/corpus.fdb";
        FirebirdCreateDatabase(Fdb);
        Load = LoadIntoFirebird(Fdb, Script);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return FirebirdTableRows(Fdb, Table); }
    static std::string Quoted(const std::string& Name) { return "\"" + Name + "\""; }
};

class MariaDBToSqlite : public FromMariaDB {
  protected:
    std::string Db;
    void SetUp() override {
        Label = "oracle from mariadb";
        FromMariaDB::SetUp();
        Db = Work + "/rows.db";
    }
    void ExportAndLoad() override {
        Script = Export("--dialect oracle --output oracle.sql");
        Db = Work + "/rows.db";
        SqliteExec(Db, ReadFile(CorpusFile("sqlite-schema.sql")));
        Load = LoadIntoSqlite(Db, InsertsOf(Script));
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Db, Table); }
};

class FromSqlite : public CorpusRoundTrip {
  protected:
    std::string Source, Db, ExportArgs;
    void SetUp() override {
        Label = "oracle from sqlite";
        CorpusRoundTrip::SetUp();
        Db = Work + "/rows.db";
    }
    void MakeSource() override {
        SqliteExec(Work + "/source.db",
                   ReadFile(CorpusFile("sqlite-schema.sql")) + ReadFile(CorpusFile("sqlite-rows.sql")));
    }
    void ReadSource() override {
        Source = Work + "/source.db";
        Tables = SqliteCorpusTables(Source);
    }
    void ExportAndLoad() override {
        AddSqliteDataSource("fc_corpus_sqlite", Source);
        int rc = -1;
        std::string err;
        const std::string file = RunExport(Work, "fc_corpus_sqlite", "--output oracle.sql " + ExportArgs, &rc, &err);
        EXPECT_EQ(rc, 0) << err;
        ASSERT_FALSE(file.empty()) << err;
        Script = ReadFile(file);
        Db = Work + "/rows.db";
        SqliteExec(Db, ReadFile(CorpusFile("sqlite-schema.sql")));
        Load = LoadIntoSqlite(Db, InsertsOf(Script));
    }
    TTableRows SourceRows(const TCorpusTable& Table, const std::string& Where) override {
        return SqliteTableRows(Source, Table, Where);
    }
    TTableRows TargetRows(const TCorpusTable& Table) override { return SqliteTableRows(Db, Table); }
};

using SqliteToSqlite = FromSqlite;

// ---- Filters: the rows of one bid link, and of the bids created since a month ----

class MariaDBBidLinkFilter : public IntoMariaDB {
  protected:
    void SetUp() override {
        ExportArgs = "--bid-link b1001";
        IntoMariaDB::SetUp();
        Label = "mysql bid-link";
        SourceWhere = "bid_link = 'B1001'";
    }
};

// bidstatus lists links holding a quote and backslashes (X\, \') OR 1=1 #, O'Brien): the
// filter built from them must select those links and nothing else.
class MariaDBMonthFilter : public IntoMariaDB {
  protected:
    void SetUp() override {
        ExportArgs = "--since-month " + CurrentMonth();
        IntoMariaDB::SetUp();
        Label = "mysql month";
        SourceWhere = "bid_link IN (SELECT bid_link FROM bidstatus WHERE created >= DATE_FORMAT(CURDATE(), '%Y-%m-01'))";
    }
};

// The same on a source whose session reads a backslash as itself (NO_BACKSLASH_ESCAPES):
// doubled backslashes would make X\ match nothing.
class MariaDBMonthFilterNoBackslashEscapes : public MariaDBMonthFilter {
  protected:
    void SetUp() override {
        MariaDBMonthFilter::SetUp();
        Label = "mysql month, no backslash escapes";
    }
    void ExportAndLoad() override {
        SourceDataSource = "fc_corpus_nbe"; // a data source name has at most 32 characters
        AddDataSource(SourceDataSource, "MariaDB",
                      "Socket=" + MariaDBSocket() + "\nDatabase=" + Source + "\nUser=" + MariaDBUser() +
                          "\nPassword=" + MariaDBPassword() +
                          "\nCharset=utf8mb4\nInitStmt=SET SESSION sql_mode='NO_BACKSLASH_ESCAPES'\n");
        MariaDBMonthFilter::ExportAndLoad();
    }
};

class SqliteBidLinkFilter : public FromSqlite {
  protected:
    void SetUp() override {
        ExportArgs = "--bid-link b1001";
        FromSqlite::SetUp();
        Label = "oracle from sqlite bid-link";
        SourceWhere = "bid_link = 'B1001'";
    }
};

class SqliteMonthFilter : public FromSqlite {
  protected:
    void SetUp() override {
        ExportArgs = "--since-month " + CurrentMonth();
        FromSqlite::SetUp();
        Label = "oracle from sqlite month";
        SourceWhere = "bid_link IN (SELECT bid_link FROM bidstatus WHERE created >= date('now', 'start of month'))";
    }
};
