// The export job against the real SQLite ODBC driver, through a recording double of its
// window operations.
#include "TExportJob.h"
#include "AppTestSupport.h"
#include "BidFilter.h"
#include "OutputFileName.h"
#include "TExportSession.h"
#include "TProgressLine.h"
#include "Format.h"
#include "TODBCStatement.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

const char* const Schema = R"(
CREATE TABLE bidstatus(bid_link varchar(20), created date);
INSERT INTO bidstatus VALUES('B100','2024-03-02'),('B200','2023-06-10'),('O''NEIL','2024-03-10'),('B300','2022-01-01');
CREATE TABLE bid_items(recno integer, bid_link varchar(20), descr varchar(40));
INSERT INTO bid_items VALUES(3,'B100','item-b100-3'),(1,'B100','item-b100-1'),(2,'B200','item-b200-2'),
  (4,'B%1','item-pct-4'),(5,'O''NEIL','item-oneil-5');
CREATE TABLE Bid_Links(bid_link varchar(20), descr varchar(40));
INSERT INTO Bid_Links VALUES('B100','link-b100'),('B200','link-b200');
CREATE TABLE bidnotes(note varchar(40));
INSERT INTO bidnotes VALUES('note-1');
CREATE TABLE bidseq(recno integer, descr varchar(40));
INSERT INTO bidseq VALUES(2,'seq-2'),(1,'seq-1');
CREATE TABLE other(bid_link varchar(20), descr varchar(40));
INSERT INTO other VALUES('B100','other-1');
CREATE TABLE xbid(descr varchar(40));
INSERT INTO xbid VALUES('xbid-1');
)";

std::tm Date(int Year, int Month, int Day) {
    std::tm tm{};
    tm.tm_year = Year - 1900;
    tm.tm_mon = Month - 1;
    tm.tm_mday = Day;
    return tm;
}

bool Exists(const std::string& Name) {
    return std::filesystem::exists(Name);
}

class ExportJobTest : public ::testing::Test {
  protected:
    SqliteScratch Db{"jobtest"};
    std::unique_ptr<TODBC> Connection;
    std::unique_ptr<TExport> Exporter;
    TRecordingWindow Window;
    std::tm Today = Date(2024, 3, 15);

    void Connect() {
        Connection = std::make_unique<TODBC>();
        ASSERT_TRUE(Connection->Connect("jobtest", "", ""));
        Exporter = std::make_unique<TExport>(Connection.get(), edOracle);
        Exporter->OnProgress = [this](const std::string& T, std::int32_t Row) {
            Window.AppendLog(ProgressLine(T, Row));
        };
    }
    void SetUp() override {
        Db.Exec(Schema);
        Connect();
    }
    void TearDown() override {
        Exporter.reset();
        Connection.reset();
    }
    TExportJob Run() {
        TExportJob job(Connection.get(), Exporter.get(), edOracle, Window);
        job.Now = [this] { return Today; };
        job.Run();
        return job;
    }
    std::string Output(const std::string& Name = "Bid_Oracle_Data.sql") { return ReadFile(Db.File(Name)); }
};

TEST_F(ExportJobTest, BothBoxesEmptyDumpsEveryBidTableWholeIntoOneFile) {
    WriteFile("Bid_Oracle_Data.zip", "old");
    ASSERT_EQ(chmod("Bid_Oracle_Data.zip", 0444), 0);

    const TExportJob job = Run();
    EXPECT_TRUE(job.FileCreated);
    EXPECT_EQ(job.TablesDumped, 5);
    EXPECT_EQ(job.TablesFailed, 0);
    EXPECT_FALSE(Exists("Bid_Oracle_Data.zip")) << "the read-only .zip is deleted";
    EXPECT_FALSE(Exists("Bid_Oracle_Data.sql.partial")) << "renamed once whole";

    const std::string out = Output();
    for (const char* payload :
         {"item-b100-3", "item-b200-2", "item-oneil-5", "link-b200", "note-1", "seq-2", "B300"})
        EXPECT_NE(out.find(payload), std::string::npos) << payload;
    EXPECT_EQ(out.find("other-1"), std::string::npos);
    EXPECT_EQ(out.find("xbid-1"), std::string::npos);
    EXPECT_EQ(out.find(" WHERE:"), std::string::npos) << "no filter, no ordering";
    EXPECT_EQ(CountOf(out, "Dump using uExport"), 1) << "later tables append";

    const std::vector<std::string> status = {"Getting Table List...",
                                             "Exporting Table bidstatus...",
                                             "Exporting Table bid_items...",
                                             "Exporting Table Bid_Links...",
                                             "Exporting Table bidnotes...",
                                             "Exporting Table bidseq...",
                                             "Done."};
    EXPECT_EQ(Window.Status, status);
    ASSERT_GE(Window.Log.size(), 3u);
    const std::vector<std::string> tail(Window.Log.end() - 3, Window.Log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "File: BID_ORACLE_DATA.SQL created...", ""}));
    EXPECT_EQ(Window.ButtonStates, (std::vector<bool>{false, true}));
    EXPECT_TRUE(Window.Boxes.empty());
}

TEST_F(ExportJobTest, OneBidLinkIsUpperCasedAndFiltersByTableColumns) {
    Window.BidLink = "b100";
    Window.Month = "4"; // ignored when a bid link is typed
    Run();
    EXPECT_EQ(Window.BidLink, "B100");
    const std::string out = Output();
    EXPECT_NE(out.find(" WHERE: bid_link='B100' order by recno\r\n"), std::string::npos);
    EXPECT_NE(out.find(" WHERE: bid_link='B100'\r\n"), std::string::npos);
    EXPECT_LT(out.find("item-b100-1"), out.find("item-b100-3")) << "ordered by recno";
    EXPECT_EQ(out.find("item-b200-2"), std::string::npos);
    EXPECT_EQ(out.find("link-b200"), std::string::npos);
    EXPECT_NE(out.find("note-1"), std::string::npos) << "a table without the columns is dumped whole";
    // A table with recno but no bid_link: whole, ordered, with a valid select.
    EXPECT_NE(out.find(" WHERE: 1=1 order by recno\r\n"), std::string::npos);
    ASSERT_NE(out.find("seq-1"), std::string::npos);
    EXPECT_LT(out.find("seq-1"), out.find("seq-2"));
}

TEST_F(ExportJobTest, CommaListGoesIntoAnInList) {
    Window.BidLink = "'b100','b200'";
    Run();
    const std::string out = Output();
    EXPECT_NE(out.find(" WHERE: bid_link in ('B100','B200') order by recno\r\n"), std::string::npos);
    EXPECT_NE(out.find("item-b200-2"), std::string::npos);
    EXPECT_NE(out.find("link-b100"), std::string::npos);
    EXPECT_EQ(out.find("item-oneil-5"), std::string::npos);

    // Bare words go in unchanged; SQLite reads them as column names, so the selects fail:
    // the tables are named as failed and the script keeps its temporary name.
    Window.BidLink = "B1,B2";
    const TExportJob failed = Run();
    EXPECT_GT(failed.TablesFailed, 0);
    EXPECT_FALSE(Exists("Bid_Oracle_Data_A.sql"));
    EXPECT_NE(Output("Bid_Oracle_Data_A.sql.partial").find(" WHERE: bid_link in (B1,B2)"), std::string::npos)
        << "an unquoted list goes in unchanged";
}

TEST_F(ExportJobTest, MonthFilterUsesCurrentYearOrTheYearBeforeAndQuotesLinks) {
    Window.Month = "3"; // current month: since 2024-03-01
    Run();
    std::string out = Output();
    EXPECT_NE(out.find(" WHERE: bid_link in ('B100','O''NEIL') order by recno"), std::string::npos);
    EXPECT_NE(out.find("item-oneil-5"), std::string::npos) << "a link holding a quote still matches";
    EXPECT_EQ(out.find("item-b200-2"), std::string::npos);

    Window.Month = "04"; // later than March: since 2023-04-01
    Run();
    out = Output("Bid_Oracle_Data_A.sql");
    EXPECT_NE(out.find(" WHERE: bid_link in ('B100','B200','O''NEIL') order by recno"), std::string::npos);
    EXPECT_NE(out.find("item-b200-2"), std::string::npos);
    EXPECT_EQ(out.find("B300"), std::string::npos);
    EXPECT_TRUE(Window.Boxes.empty());
}

TEST_F(ExportJobTest, MonthThatFindsNothingExportsNothing) {
    Today = Date(2030, 6, 15);
    Window.Month = "5";
    const TExportJob job = Run();
    EXPECT_EQ(Window.Boxes, (std::vector<std::string>{"No Bids found!?!"}));
    EXPECT_EQ(Window.Log, (std::vector<std::string>{"ERROR! File NOT created!?"}));
    EXPECT_EQ(Window.Status, (std::vector<std::string>{"Getting Table List...", "Done."}));
    EXPECT_FALSE(job.FileCreated);
    EXPECT_FALSE(Exists("Bid_Oracle_Data.sql"));
}

TEST_F(ExportJobTest, NoBidTablesCreatesNoFile) {
    Db.Exec("DROP TABLE bidstatus; DROP TABLE bid_items; DROP TABLE Bid_Links; DROP TABLE bidnotes; DROP "
            "TABLE bidseq;");
    const TExportJob job = Run();
    EXPECT_EQ(job.TablesDumped, 0);
    EXPECT_EQ(Window.Log, (std::vector<std::string>{"ERROR! File NOT created!?"}));
    EXPECT_TRUE(Window.Boxes.empty());
}

TEST_F(ExportJobTest, ExistingOutputGetsTheNextFreeNameAndOnlyItsZipGoes) {
    WriteFile("Bid_Oracle_Data.sql", "keep");
    WriteFile("Bid_Oracle_Data.zip", "keep");
    WriteFile("Bid_Oracle_Data_B.zip", "old");
    ASSERT_EQ(chmod("Bid_Oracle_Data_B.zip", 0444), 0);

    EXPECT_EQ(Run().OutputName, "Bid_Oracle_Data_A.sql");
    EXPECT_EQ(Run().OutputName, "Bid_Oracle_Data_B.sql");
    EXPECT_EQ(ReadFile("Bid_Oracle_Data.sql"), "keep");
    EXPECT_TRUE(Exists("Bid_Oracle_Data.zip"));
    EXPECT_FALSE(Exists("Bid_Oracle_Data_B.zip"));
    EXPECT_NE(std::find(Window.Log.begin(), Window.Log.end(), "File: BID_ORACLE_DATA_B.SQL created..."),
              Window.Log.end());
}

TEST_F(ExportJobTest, ProgressLinesOfEmptySmallAndLargeTables) {
    Db.Exec("DROP TABLE bidstatus; DROP TABLE bid_items; DROP TABLE Bid_Links; DROP TABLE bidnotes; DROP "
            "TABLE bidseq;"
            "CREATE TABLE bid_empty(recno integer, bid_link varchar(20), descr varchar(40));"
            "CREATE TABLE bid_five(recno integer, bid_link varchar(20), descr varchar(40));"
            "CREATE TABLE bid_big(recno integer, bid_link varchar(20), descr varchar(40));" +
            FillRows("bid_five", 5, "'B'") + FillRows("bid_big", 2500, "'B'"));
    Run();
    const std::vector<std::string> expected = {"Dumping table bid_empty row 1",
                                               "Total rows dumped -  0",
                                               "Dumping table bid_five row 1",
                                               "Total rows dumped -  5",
                                               "Dumping table bid_big row 1",
                                               "Dumping table bid_big row 1000",
                                               "Dumping table bid_big row 2000",
                                               "Total rows dumped -  2500",
                                               "",
                                               "File: BID_ORACLE_DATA.SQL created...",
                                               ""};
    EXPECT_EQ(Window.Log, expected);
    EXPECT_EQ(CountOf(Output(), "INSERT INTO bid_big "), 2500);
}

TEST_F(ExportJobTest, ErrorOutOfALowerLayerIsShownAndTheButtonComesBack) {
    int statementsBefore = 0;
    for (auto* s : Connection->Statements)
        statementsBefore += s != nullptr;
    Window.OnStatus = [](const std::string& Text) {
        if (Text == "Exporting Table bid_items...") throw FormatError("bad pattern");
    };
    const TExportJob job = Run();
    EXPECT_TRUE(job.Failed);
    EXPECT_EQ(Window.Boxes, (std::vector<std::string>{"bad pattern"}));
    EXPECT_EQ(Window.ButtonStates, (std::vector<bool>{false, true}));
    int statementsAfter = 0;
    for (auto* s : Connection->Statements)
        statementsAfter += s != nullptr;
    EXPECT_EQ(statementsAfter, statementsBefore) << "the job's statement is released";

    // The next job runs normally.
    Window.OnStatus = nullptr;
    EXPECT_TRUE(Run().FileCreated);
}

// One link is the body of bid_link='...': a quote in it is data, never the literal's end.
// A list that would end its parentheses or hold a statement is refused before anything runs.
TEST_F(ExportJobTest, BidLinksNeverBecomeStatements) {
    Db.Exec("INSERT INTO bid_items VALUES(6,'Q'';X','item-quote-6');");
    Window.BidLink = "q';x";
    EXPECT_TRUE(Run().FileCreated);
    std::string out = Output();
    EXPECT_NE(out.find(" WHERE: bid_link='Q'';X' order by recno"), std::string::npos);
    EXPECT_NE(out.find("item-quote-6"), std::string::npos) << "the link with a quote is found";
    EXPECT_EQ(CountOf(out, "INSERT INTO bid_items "), 1);

    Window.BidLink = "';DROP TABLE bid_items;SELECT '";
    EXPECT_TRUE(Run().FileCreated);
    EXPECT_EQ(CountOf(Output("Bid_Oracle_Data_A.sql"), "INSERT INTO bid_items "), 0) << "no such link";
    EXPECT_EQ(SqliteQuery(Db.DbPath, "SELECT count(*) FROM bid_items;"), "6\n");
    EXPECT_TRUE(Window.Boxes.empty());

    for (const char* list : {"'B100'),('B200'", "B100,B200) OR (1=1", "'B100';DROP TABLE bid_items;--,'B200'",
                             "'B100',B200--", "'B100',,'B200'", "'B100','open"}) {
        Window = TRecordingWindow();
        Window.BidLink = list;
        const TExportJob job = Run();
        EXPECT_TRUE(job.Refused) << list;
        EXPECT_EQ(Window.Boxes, (std::vector<std::string>{"Invalid Bid Link"})) << list;
        EXPECT_EQ(Window.Status, (std::vector<std::string>{"Done."}));
        EXPECT_EQ(Window.ButtonStates, (std::vector<bool>{false, true}));
    }
    EXPECT_FALSE(Exists("Bid_Oracle_Data_B.sql"));
    EXPECT_EQ(SqliteQuery(Db.DbPath, "SELECT count(*) FROM bid_items;"), "6\n");

    // Inside a quoted item the same characters are data.
    Window = TRecordingWindow();
    Window.BidLink = "'a;b--c/*d', 'O''NEIL'";
    EXPECT_TRUE(Run().FileCreated);
    // In the script's comment "/*" is broken apart, as comments nest in some targets.
    EXPECT_NE(Output("Bid_Oracle_Data_B.sql").find(" WHERE: bid_link in ('A;B--C/ *D','O''NEIL') order by recno"),
              std::string::npos);
}

// A table that fails: its error in the log, the script kept under its temporary name and
// named in the message, the final name never taken.
TEST_F(ExportJobTest, FailedTableKeepsThePartialFileAndNamesIt) {
    // A name with a blank splits into "bid" and "x"; there is no table "bid".
    Db.Exec("CREATE TABLE \"bid x\"(a integer);");
    const TExportJob job = Run();
    EXPECT_EQ(job.TablesFailed, 1);
    EXPECT_FALSE(job.FileCreated);
    EXPECT_FALSE(Exists("Bid_Oracle_Data.sql"));
    EXPECT_NE(Output("Bid_Oracle_Data.sql.partial").find("item-b100-3"), std::string::npos);
    ASSERT_FALSE(job.FirstError.empty());
    EXPECT_NE(std::find(Window.Log.begin(), Window.Log.end(), "ERROR! " + job.FirstError), Window.Log.end());
    EXPECT_NE(job.FirstError.find("bid"), std::string::npos) << job.FirstError;
    EXPECT_NE(job.FirstError.find("no such table"), std::string::npos) << "the driver's reason: " << job.FirstError;
    EXPECT_NE(std::find(Window.Log.begin(), Window.Log.end(), "ERROR! File NOT created!?"), Window.Log.end());
    ASSERT_EQ(Window.Boxes.size(), 1u);
    EXPECT_NE(Window.Boxes[0].find("kept in Bid_Oracle_Data.sql.partial"), std::string::npos) << Window.Boxes[0];
    EXPECT_EQ(Window.Status.back(), "Done.");

    // The next whole export takes the final name, and no temporary file is left.
    Db.Exec("DROP TABLE \"bid x\";");
    Window = TRecordingWindow();
    EXPECT_TRUE(Run().FileCreated);
    EXPECT_TRUE(Exists("Bid_Oracle_Data.sql"));
    EXPECT_FALSE(Exists("Bid_Oracle_Data.sql.partial"));
}

TEST_F(ExportJobTest, PercentInBidLinkReachesTheDatabase) {
    Window.BidLink = "b%1";
    Run();
    const std::string out = Output();
    EXPECT_NE(out.find("item-pct-4"), std::string::npos);
    EXPECT_EQ(out.find("item-b100-1"), std::string::npos);
}

// Start-up shared by both programs: the dialect follows the kind of database reached, the
// engine reports through the bound progress event, and a failed connect keeps nothing.
TEST(ExportSession, OpenChoosesTheDialectAndBindsProgress) {
    EXPECT_EQ(DialectForKind(dkMySQL), edMySQL);
    EXPECT_EQ(DialectForKind(dkFirebird), edFirebird);
    for (TDatabaseKind kind : {dkUnknown, dkOracle, dkFoxPro, dkAccess, dkSQLServer})
        EXPECT_EQ(DialectForKind(kind), edOracle) << int(kind);

    SqliteScratch db("sessiontest");
    db.Exec("CREATE TABLE bid_a(x integer); INSERT INTO bid_a VALUES(1),(2);");
    TExportSession session;
    std::vector<std::string> lines;
    ASSERT_TRUE(session.Open("sessiontest", "", "", [&](const std::string& T, std::int32_t Row) {
        lines.push_back(ProgressLine(T, Row));
    }));
    ASSERT_NE(session.Connection(), nullptr);
    ASSERT_NE(session.Exporter(), nullptr);
    EXPECT_EQ(session.Dialect(), edOracle) << "SQLite is none of MySQL and Firebird";
    EXPECT_EQ(session.Exporter()->DumpTable(session.Dialect(), "bid_a", "out.sql", "", true, true, false, false, ""),
              0);
    EXPECT_EQ(lines, (std::vector<std::string>{"Dumping table bid_a row 1", "Total rows dumped -  2"}));

    // A failed connect releases what an earlier one held.
    EXPECT_FALSE(session.Open("nosuchsource", "", "", nullptr));
    EXPECT_EQ(session.Connection(), nullptr);
    EXPECT_EQ(session.Exporter(), nullptr);
}

// The terminal progress line: rate from the rows done so far, time left from the rows
// still to come; without a count, neither a total nor a time left.
TEST(ExportJobHelpers, ProgressLineRateAndTimeLeft) {
    EXPECT_EQ(TProgressLine::Text("bid_a", 500, 2000, 10.0), "bid_a: 500 of 2000 rows, 50 rows/s, 0:30 left");
    EXPECT_EQ(TProgressLine::Text("bid_a", 1000, 1000000, 1.0), "bid_a: 1000 of 1000000 rows, 1000 rows/s, 16:39 left");
    EXPECT_EQ(TProgressLine::Text("bid_a", 10, 100000, 1.0), "bid_a: 10 of 100000 rows, 10 rows/s, 2:46:39 left");
    EXPECT_EQ(TProgressLine::Text("bid_a", 500, -1, 10.0), "bid_a: 500 rows, 50 rows/s");
    EXPECT_EQ(TProgressLine::Text("bid_a", 0, 7, 0.0), "bid_a: 0 of 7 rows");
}

TEST(ExportJobHelpers, FreeNameSuffixesRunPastZZ) {
    EXPECT_EQ(FreeNameSuffix(0), "A");
    EXPECT_EQ(FreeNameSuffix(25), "Z");
    EXPECT_EQ(FreeNameSuffix(26), "AA");
    EXPECT_EQ(FreeNameSuffix(51), "AZ");
    EXPECT_EQ(FreeNameSuffix(52), "BA");
    EXPECT_EQ(FreeNameSuffix(701), "ZZ");
    EXPECT_EQ(FreeNameSuffix(702), "AAA");
}

TEST(ExportJobHelpers, MakeFreeFileNameNeverOverwrites) {
    ScratchDir dir;
    const std::string name = dir.File("out.sql");
    EXPECT_EQ(MakeFreeFileName(name), name);
    WriteFile(name, "");
    for (std::size_t i = 0; i < 26; ++i)
        WriteFile(dir.File("out_" + FreeNameSuffix(i) + ".sql"), "");
    EXPECT_EQ(MakeFreeFileName(name), dir.File("out_AA.sql"));
    for (std::size_t i = 26; i < 702; ++i)
        WriteFile(dir.File("out_" + FreeNameSuffix(i) + ".sql"), "");
    EXPECT_EQ(MakeFreeFileName(name), dir.File("out_AAA.sql"));
    for (std::size_t i = 702; i < 702 + 26 * 26 * 26; ++i)
        WriteFile(dir.File("out_" + FreeNameSuffix(i) + ".sql"), "");
    EXPECT_EQ(MakeFreeFileName(name), "") << "every candidate taken: no name rather than an overwrite";

    // A name without extension, in a folder whose name holds a dot.
    std::filesystem::create_directory(dir.File("a.b"));
    WriteFile(dir.File("a.b/plain"), "");
    EXPECT_EQ(MakeFreeFileName(dir.File("a.b/plain")), dir.File("a.b/plain_A"));
    EXPECT_EQ(ChangeFileExt(dir.File("a.b/plain"), ".zip"), dir.File("a.b/plain.zip"));
}

TEST(ExportJobHelpers, InputReading) {
    EXPECT_EQ(SplitNameList("bid items,\r\n bidstatus , ,x"),
              (std::vector<std::string>{"bid", "items", "bidstatus", "x"}));
    for (const char* zero : {"0", "-3", "abc", "  ", "3x", "", " 3"})
        EXPECT_EQ(MonthBoxValue(zero) > 0, false) << zero;
    EXPECT_EQ(MonthBoxValue("03"), 3);
    EXPECT_EQ(MonthBoxValue("13"), 13);
    EXPECT_EQ(DoublePercent("a%b%%"), "a%%b%%%%");
    EXPECT_EQ(ProgressLine("t", 1000), "Dumping table t row 1000");
    EXPECT_EQ(ProgressLine("t", -1), "Total rows dumped -  0");
}

// Literals for the source: MySQL-kind sources read backslash escapes, so a backslash of a
// link is doubled there and only there; a list is rebuilt item by item.
TEST(ExportJobHelpers, BidLinkQuotingFollowsTheSource) {
    EXPECT_EQ(QuoteSQLText("O'NEIL", false), "'O''NEIL'");
    EXPECT_EQ(QuoteSQLText("X\\", false), "'X\\'");
    EXPECT_EQ(QuoteSQLText("X\\", true), "'X\\\\'");
    EXPECT_EQ(QuoteSQLText("\\') OR 1=1 #", true), "'\\\\'') OR 1=1 #'");

    std::string list;
    ASSERT_TRUE(BidLinkList(" 'B1' ,B2,'it''s','X\\' ", true, list));
    EXPECT_EQ(list, "'B1',B2,'it''s','X\\\\'");
    ASSERT_TRUE(BidLinkList("'X\\','B1'", false, list));
    EXPECT_EQ(list, "'X\\','B1'");
    for (const char* bad : {"B1)", "'B1' 'B2'", "B1 B2", "'B1';'B2'", "B-1,B2", "\"B1\",B2", "`B1`,B2", ",B1", "B1,",
                            "'B1',(select 1)"})
        EXPECT_FALSE(BidLinkList(bad, false, list)) << bad;

    TBidFilter filter;
    ASSERT_TRUE(filter.FromBox("\\') OR 1=1 #", true));
    EXPECT_TRUE(filter.Single);
    EXPECT_EQ(filter.Links, "'\\\\'') OR 1=1 #'");
    EXPECT_FALSE(filter.FromBox("'B1') OR (1=1,'B2'", false));
}

} // namespace

// Names and bid links from the source never become SQL of their own: the script of hostile
// names and links loads into a fresh database and creates exactly the source's tables and rows.
TEST(ExportJobSafety, HostileNamesAndLinksLoadAsData) {
    SqliteScratch db("jobsafety");
    db.Exec(R"(
CREATE TABLE bidstatus(bid_link varchar(20), created date);
INSERT INTO bidstatus VALUES('A*/B','2024-03-02'),('Q''T--','2024-03-05'),('OLD','2020-01-01');
CREATE TABLE "bid;drop" (recno integer, bid_link varchar(20), "v*/w" text);
INSERT INTO "bid;drop" VALUES(1,'A*/B','x'),(2,'Q''T--','y'),(3,'OLD','z');
CREATE TABLE "bid*/c--" ("it's" text);
INSERT INTO "bid*/c--" VALUES('*/ DROP TABLE bidstatus; --');
)");
    TODBC conn;
    ASSERT_TRUE(conn.Connect("jobsafety", "", ""));
    TExport exporter(&conn, edOracle);
    TRecordingWindow window;
    window.Month = "3";
    TExportJob job(&conn, &exporter, edOracle, window);
    job.Now = [] {
        std::tm tm{};
        tm.tm_year = 2024 - 1900;
        tm.tm_mon = 2;
        tm.tm_mday = 15;
        return tm;
    };
    job.Run();
    ASSERT_TRUE(job.FileCreated);
    const std::string script = ReadFile(db.File("Bid_Oracle_Data.sql"));
    // Comments cannot be closed early by a name or a link.
    EXPECT_NE(script.find(" WHERE: bid_link in ('A* /B','Q''T--') order by recno"), std::string::npos)
        << script;
    EXPECT_NE(script.find(" Table structure for table 'bid* /c--'"), std::string::npos) << script;

    const std::string copy = db.File("copy.db");
    SqliteExec(copy, script);
    EXPECT_EQ(SqliteQuery(copy, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;"),
              "bid*/c--\nbid;drop\nbidstatus\n");
    EXPECT_EQ(SqliteQuery(copy, "SELECT * FROM \"bid;drop\" ORDER BY recno;"), "1|A*/B|x\n2|Q'T--|y\n");
    EXPECT_EQ(SqliteQuery(copy, "SELECT * FROM \"bid*/c--\";"), "*/ DROP TABLE bidstatus; --\n");
    // bidstatus is a bid table too, filtered by its bid_link like the others.
    EXPECT_EQ(SqliteQuery(copy, "SELECT bid_link FROM bidstatus ORDER BY 1;"), "A*/B\nQ'T--\n");
}
