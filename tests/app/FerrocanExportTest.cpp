// ferrocan-export end to end: the real program against SQLite and MariaDB, its scripts
// loaded back into SQLite, MariaDB and Firebird, and its exit codes.
#include "AppTestSupport.h"

#include <chrono>
#include <ctime>
#include <filesystem>

namespace {

std::string Program() {
    return BinaryDir() + "/app/ferrocan-export";
}

const char* const Rows = R"(
INSERT INTO bidstatus VALUES('B1','2020-01-05'),('B2','2020-02-05');
INSERT INTO bid_items(recno, bid_link, descr) VALUES
  (1,'B1','it''s'),(2,'B1','back\slash'),(3,'B2','Grüße €'),(4,'B2',NULL),(5,'B3','plain');
INSERT INTO bid_notes VALUES('note-1');
INSERT INTO other_table VALUES(1);
)";

class ExportProgramTest : public ::testing::Test {
  protected:
    SqliteScratch Db{"clitest"};

    void SetUp() override {
        // B2 created this month, B1 long ago.
        Db.Exec(std::string("CREATE TABLE bidstatus(bid_link varchar(20), created date);"
                            "INSERT INTO bidstatus VALUES('B2', date('now'));"
                            "CREATE TABLE bid_items(recno integer, bid_link varchar(20), descr varchar(40));"
                            "CREATE TABLE bid_notes(note varchar(40));"
                            "CREATE TABLE other_table(x integer);") +
                Rows);
        WriteFile(Db.File("settings.ini"), "[ODBC Parameters]\nDNS Name=clitest\n");
    }
    int Export(const std::string& Args, std::string* Out = nullptr, std::string* Err = nullptr) {
        std::string out, err;
        const int rc = RunCommand("cd '" + Db.Dir.Path() + "' && timeout 120 '" + Program() +
                                      "' --settings settings.ini " + Args,
                                  &out, &err);
        if (Out) *Out = out;
        if (Err) *Err = err;
        return rc;
    }
};

TEST_F(ExportProgramTest, CommandLine) {
    std::string out, err;
    EXPECT_EQ(Export("--help", &out), 0);
    EXPECT_NE(out.find("Exit status"), std::string::npos);
    EXPECT_EQ(Export("--version", &out), 0);
    EXPECT_EQ(out.rfind("ferrocan-export ", 0), 0u);
    EXPECT_EQ(Export("--bogus", &out, &err), 1);
    EXPECT_NE(err.find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(Export("--dialect xml", nullptr, &err), 1);
    EXPECT_EQ(Export("--output", nullptr, &err), 1);
    EXPECT_FALSE(std::filesystem::exists(Db.File("Bid_Oracle_Data.sql")));
}

TEST_F(ExportProgramTest, SqliteScriptLoadsBackWithEveryRow) {
    std::string out, err;
    ASSERT_EQ(Export("", &out, &err), 0) << err;
    EXPECT_EQ(out, "Bid_Oracle_Data.sql\n");
    for (const char* line :
         {"Getting Table List...\n", "Exporting Table bid_items...\n", "Dumping table bid_items row 1\n",
          "Total rows dumped -  5\n", "File: BID_ORACLE_DATA.SQL created...\n", "Done.\n"})
        EXPECT_NE(err.find(line), std::string::npos) << line;

    const std::string copy = Db.File("copy.db");
    SqliteExec(copy, ReadFile(Db.File("Bid_Oracle_Data.sql")));
    const std::string query = "SELECT recno, bid_link, coalesce(descr,'') FROM bid_items ORDER BY recno;";
    EXPECT_EQ(SqliteQuery(copy, query), SqliteQuery(Db.DbPath, query));
    EXPECT_EQ(SqliteQuery(copy, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;"),
              "bid_items\nbid_notes\nbidstatus\n");

    // Bid link and month options, and an output in a folder of its own.
    ASSERT_EQ(Export("--bid-link b1 --output out/b1.sql", &out, &err), 0) << err;
    EXPECT_EQ(out, "out/b1.sql\n");
    std::string script = ReadFile(Db.File("out/b1.sql"));
    EXPECT_NE(script.find("back\\slash"), std::string::npos);
    EXPECT_EQ(script.find("plain"), std::string::npos);
    const std::time_t now = std::time(nullptr);
    const std::string month = std::to_string(std::localtime(&now)->tm_mon + 1);
    ASSERT_EQ(Export("--since-month " + month + " --output out/b1.sql", &out, &err), 0) << err;
    EXPECT_EQ(out, "out/b1_A.sql\n") << "never overwrites";
    script = ReadFile(Db.File("out/b1_A.sql"));
    EXPECT_NE(script.find("bid_link in ('B2')"), std::string::npos);
}

TEST_F(ExportProgramTest, ExitCodes) {
    std::string err;
    WriteFile(Db.File("bad.ini"), "[ODBC Parameters]\nDNS Name=nosuch\n");
    EXPECT_EQ(
        RunCommand("cd '" + Db.Dir.Path() + "' && '" + Program() + "' --settings bad.ini", nullptr, &err), 2);
    EXPECT_NE(err.find("Cannot connect to Datasource: nosuch"), std::string::npos) << err;

    Db.Exec("DELETE FROM bidstatus WHERE bid_link='B2';");
    EXPECT_EQ(Export("--since-month 12 --bid-link ''", nullptr, &err), 3)
        << "nothing since December last year";
    EXPECT_NE(err.find("error: No Bids found!?!"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR! File NOT created!?"), std::string::npos);

    EXPECT_EQ(Export("--bid-link \"B1,B2); DELETE FROM bid_items; --\"", nullptr, &err), 3);
    EXPECT_NE(err.find("error: Invalid Bid Link"), std::string::npos) << err;
    EXPECT_EQ(SqliteQuery(Db.DbPath, "SELECT count(*) FROM bid_items;"), "5\n");

    // A name with a blank splits into two list items; "bid" is no table: its dump fails,
    // and the script, short of that table, never takes the final name.
    Db.Exec("CREATE TABLE \"bid x\"(a integer);");
    std::string out;
    EXPECT_EQ(Export("", &out, &err), 4) << err;
    EXPECT_EQ(out, "") << "no file name: no whole script";
    EXPECT_FALSE(std::filesystem::exists(Db.File("Bid_Oracle_Data.sql")));
    EXPECT_NE(ReadFile(Db.File("Bid_Oracle_Data.sql.partial")).find("INSERT INTO bid_items"), std::string::npos);
    EXPECT_NE(err.find("kept in Bid_Oracle_Data.sql.partial"), std::string::npos) << err;
    EXPECT_EQ(err.find("created..."), std::string::npos) << err;
}

// The Oracle form, and the SQLite and PostgreSQL forms with their rows in a transaction: the
// table cut short ends in a rollback, so that loading the kept file leaves it empty instead
// of half loaded (psql stops there, with the reason).
TEST_F(ExportProgramTest, InterruptClosesTheFileAndExits130) {
    Db.Exec("DROP TABLE bid_items; DROP TABLE bid_notes; DROP TABLE bidstatus;"
            "CREATE TABLE bid_a_big(recno integer, bid_link varchar(20), descr varchar(40));"
            "CREATE TABLE bid_z_after(recno integer, bid_link varchar(20), descr varchar(40));" +
            FillRows("bid_a_big", 400000, "'B'") + FillRows("bid_z_after", 3, "'B'"));
    for (const std::string dialect : {"", "sqlite", "postgresql"}) {
        SCOPED_TRACE(dialect);
        std::filesystem::remove(Db.File("Bid_Oracle_Data.sql.partial"));
        const std::string cmd =
            "cd '" + Db.Dir.Path() + "' && ('" + Program() + "' --settings settings.ini" +
            (dialect.empty() ? "" : " --dialect " + dialect) +
            " 2>err.txt & pid=$!; "
            "for i in $(seq 600); do grep -q 'row 1000$' err.txt && break; sleep 0.05; done; "
            "kill -INT $pid; wait $pid; echo rc=$?)";
        std::string out;
        RunCommand(cmd, &out);
        EXPECT_NE(out.find("rc=130"), std::string::npos) << out << ReadFile(Db.File("err.txt"));
        const std::string err = ReadFile(Db.File("err.txt"));
        EXPECT_NE(err.find("error: interrupted"), std::string::npos);
        EXPECT_NE(err.find("kept in Bid_Oracle_Data.sql.partial"), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists(Db.File("Bid_Oracle_Data.sql")))
            << "a cut script never takes the name";
        const std::string script = ReadFile(Db.File("Bid_Oracle_Data.sql.partial"));
        const int rows = CountOf(script, "INSERT INTO bid_a_big ");
        EXPECT_GT(rows, 0);
        EXPECT_LT(rows, 400000);
        EXPECT_EQ(script.find("bid_z_after"), std::string::npos) << "no table after the interrupt";
        EXPECT_EQ(script.substr(script.size() - 2), "\r\n") << "the last line is whole";
        if (dialect == "sqlite") {
            EXPECT_EQ(script.substr(script.size() - 11), "ROLLBACK;\r\n");
            const std::string copy = Db.File("cut.db");
            std::filesystem::remove(copy);
            SqliteExec(copy, script);
            EXPECT_EQ(SqliteQuery(copy, "SELECT count(*) FROM bid_a_big;"), "0\n");
        } else if (dialect == "postgresql") {
            const std::string pg = FreshPostgresDatabase("cut_partial");
            std::string loaded, errors;
            EXPECT_NE(RunCommand("PGPASSWORD='" + PostgresPassword() + "' psql -X -v ON_ERROR_STOP=1 -h '" +
                                     PostgresSocketDir() + "' -p " + std::to_string(PostgresPort()) + " -U '" +
                                     PostgresUser() + "' -d " + pg + " -f '" +
                                     Db.File("Bid_Oracle_Data.sql.partial") + "'",
                                 &loaded, &errors),
                      0);
            EXPECT_NE(errors.find("rows of table bid_a_big not loaded: the export was interrupted"), std::string::npos)
                << errors;
            EXPECT_EQ(PostgresQuery(pg, "SELECT count(*) FROM bid_a_big"), "0\n");
        }
    }
}

// Bad options, an output that is a folder and a settings file that cannot be read are
// refused before any connect (the data source here does not exist: a connect would give 2).
TEST_F(ExportProgramTest, RefusalsBeforeConnecting) {
    WriteFile(Db.File("settings.ini"), "[ODBC Parameters]\nDNS Name=nosuch\n");
    std::string err;
    for (const char* month : {"ab", "-1", "3.5", "99999999999", "0", "13", "123", "", " 3"}) {
        EXPECT_EQ(Export(std::string("--since-month '") + month + "'", nullptr, &err), 1) << month;
        EXPECT_NE(err.find("--since-month takes a month from 1 to 12, not \"" + std::string(month) + "\""),
                  std::string::npos)
            << err;
    }
    for (const char* month : {"1", "09", "12"})
        EXPECT_EQ(Export(std::string("--since-month ") + month, nullptr, &err), 2) << month << err;
    for (const char* rows : {"0", "-5", "2x", "100001", "99999999999", ""}) {
        EXPECT_EQ(Export(std::string("--rows-per-insert '") + rows + "'", nullptr, &err), 1) << rows;
        EXPECT_NE(err.find("--rows-per-insert takes a number of rows from 1 to 100000, not \"" + std::string(rows) +
                           "\""),
                  std::string::npos)
            << err;
    }
    for (const char* rows : {"1", "100000"})
        EXPECT_EQ(Export(std::string("--rows-per-insert=") + rows, nullptr, &err), 2) << rows << err;

    std::filesystem::create_directory(Db.File("outdir"));
    for (const char* folder : {"outdir", "outdir/", "newdir/"}) {
        EXPECT_EQ(Export(std::string("--output ") + folder, nullptr, &err), 1) << folder;
        EXPECT_NE(err.find("--output " + std::string(folder) + " names a folder"), std::string::npos) << err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(Db.File("outdir")));

    std::string out;
    EXPECT_EQ(RunCommand("cd '" + Db.Dir.Path() + "' && '" + Program() + "' --settings missing.ini", &out, &err), 1);
    EXPECT_NE(err.find("cannot read the settings file missing.ini: No such file or directory"), std::string::npos)
        << err;
    EXPECT_EQ(RunCommand("cd '" + Db.Dir.Path() + "' && '" + Program() + "' --settings outdir", &out, &err), 1);
    EXPECT_NE(err.find("cannot read the settings file outdir: Is a directory"), std::string::npos) << err;
    EXPECT_EQ(err.find("Cannot connect"), std::string::npos);

    // COPY blocks are PostgreSQL's alone.
    for (const char* args : {"--copy", "--copy --dialect sqlite", "--dialect mysql --copy"}) {
        EXPECT_EQ(Export(args, nullptr, &err), 1) << args;
        EXPECT_NE(err.find("--copy writes PostgreSQL's COPY blocks: it needs --dialect postgresql"),
                  std::string::npos)
            << err;
    }
    EXPECT_EQ(Export("--copy --dialect postgresql", nullptr, &err), 2) << err;

    EXPECT_EQ(Export("--trace-odbc nosuchdir/trace.txt", nullptr, &err), 1);
    EXPECT_NE(err.find("cannot open the ODBC trace file nosuchdir/trace.txt"), std::string::npos) << err;
}

// A connect failure names the data source and adds the driver manager's diagnostic.
TEST_F(ExportProgramTest, ConnectFailureCarriesTheDiagnostic) {
    WriteFile(Db.File("bad.ini"), "[ODBC Parameters]\nDNS Name=nosuch\n");
    std::string err;
    EXPECT_EQ(Export("--settings bad.ini", nullptr, &err), 2);
    EXPECT_NE(err.find("error: Cannot connect to Datasource: nosuch\n  IM002: "), std::string::npos) << err;
}

// Every ODBC call and its result goes to the trace file.
TEST_F(ExportProgramTest, TraceFileHoldsTheCallsAndResults) {
    std::string err;
    ASSERT_EQ(Export("--trace-odbc trace.txt", nullptr, &err), 0) << err;
    const std::string trace = ReadFile(Db.File("trace.txt"));
    for (const char* call : {"SQLAllocHandle", "SQLConnect", "SQLTables", "SQLExecDirect", "SQLFetch",
                             "SQLDisconnect"})
        EXPECT_NE(trace.find(call), std::string::npos) << call;
    // Each call with its result: a fetch past the last row answers SQL_NO_DATA.
    EXPECT_NE(trace.find("SQLFetch -> 100 SQL_NO_DATA"), std::string::npos) << trace.substr(0, 2000);
    EXPECT_NE(trace.find("SQLConnect -> 0 SQL_SUCCESS"), std::string::npos) << trace.substr(0, 2000);
}

// A full disk: the table and the file are named with the system's reason, the rows written
// stay in the .partial file, and the final name is never taken.
TEST_F(ExportProgramTest, FullDiskKeepsThePartialFileAndNamesTheCause) {
    Db.Exec(FillRows("bid_items", 20000, "'B1'"));
    SmallTmpfs disk(Db.File("small"), "64k");
    FERROCAN_REQUIRE_MOUNT(disk);
    std::string out, err;
    EXPECT_EQ(Export("--output small/out.sql", &out, &err), 4) << err;
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("small/out.sql.partial: write failed: No space left on device"), std::string::npos) << err;
    EXPECT_NE(err.find("kept in small/out.sql.partial"), std::string::npos) << err;
    EXPECT_EQ(err.find("created..."), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(Db.File("small/out.sql")));
    EXPECT_GT(std::filesystem::file_size(Db.File("small/out.sql.partial")), 0u);
}

// A folder nothing can be written into (read-only, so even root cannot): the open failure
// names the file and the reason, and nothing is created.
TEST_F(ExportProgramTest, UnwritableFolderNamesTheFileAndTheReason) {
    SmallTmpfs folder(Db.File("ro"), "64k", /*ReadOnly*/ true);
    FERROCAN_REQUIRE_MOUNT(folder);
    std::string out, err;
    EXPECT_EQ(Export("--output ro/out.sql", &out, &err), 4) << err;
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("ro/out.sql.partial: Read-only file system"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR! File NOT created!?"), std::string::npos) << err;
    EXPECT_EQ(CountOf(err, "Read-only file system"), 2) << "once in the log, once in the message: " << err;
    EXPECT_TRUE(std::filesystem::is_empty(Db.File("ro")));
}

// A SQLite file with a page of the big table overwritten: the read breaks off, the table is
// named with the driver's diagnostic, exit 4, and only the .partial file holds the rows.
TEST_F(ExportProgramTest, DamagedDatabasePageFailsTheTable) {
    Db.Exec("DROP TABLE bid_notes; DROP TABLE bidstatus; CREATE TABLE bid_big(recno integer, bid_link varchar(20), "
            "descr varchar(40));" +
            FillRows("bid_big", 100000, "'B'"));
    const auto size = std::filesystem::file_size(Db.DbPath);
    ASSERT_GT(size, 1000000u);
    // A page near the end belongs to bid_big, the last table filled.
    std::string out;
    // Zeros: page type 0 is no valid b-tree page, so the damage is always seen.
    ASSERT_EQ(RunCommand("dd if=/dev/zero of='" + Db.DbPath + "' bs=4096 seek=" +
                             std::to_string(size / 4096 - 20) + " count=1 conv=notrunc 2>&1",
                         &out),
              0)
        << out;
    std::string err;
    EXPECT_EQ(Export("", &out, &err), 4) << err;
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("bid_big"), std::string::npos);
    EXPECT_NE(err.find("malformed"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR! Table 'bid_big': reading row "), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(Db.File("Bid_Oracle_Data.sql")));
    // The rows read before the damage are kept, and the cut shows.
    const int kept = CountOf(ReadFile(Db.File("Bid_Oracle_Data.sql.partial")), "INSERT INTO bid_big");
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 100000);
}

// --output -: the script on standard output, the log on standard error, no file; a reader
// that goes away is a write failure on standard output.
TEST_F(ExportProgramTest, ScriptToStandardOutput) {
    std::string out, err;
    ASSERT_EQ(Export("--output -", &out, &err), 0) << err;
    EXPECT_EQ(CountOf(out, "Dump using uExport"), 1) << "one banner, later tables appended";
    EXPECT_NE(err.find("Total rows dumped -  5"), std::string::npos);
    EXPECT_EQ(err.find("created..."), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(Db.File("-")));
    EXPECT_FALSE(std::filesystem::exists(Db.File("Bid_Oracle_Data.sql")));
    const std::string copy = Db.File("copy.db");
    SqliteExec(copy, out);
    const std::string query = "SELECT recno, bid_link, coalesce(descr,'') FROM bid_items ORDER BY recno;";
    EXPECT_EQ(SqliteQuery(copy, query), SqliteQuery(Db.DbPath, query));

    Db.Exec(FillRows("bid_items", 200000, "'B1'"));
    RunCommand("cd '" + Db.Dir.Path() + "' && ('" + Program() +
                   "' --settings settings.ini --output - 2>err.txt; echo $? >rc.txt) | head -c 100 >/dev/null",
               &out);
    EXPECT_EQ(ReadFile(Db.File("rc.txt")), "4\n");
    EXPECT_NE(ReadFile(Db.File("err.txt")).find("standard output: Broken pipe"), std::string::npos)
        << ReadFile(Db.File("err.txt"));
}

// --progress redraws one line per table on a terminal and writes nothing of it into a pipe.
TEST_F(ExportProgramTest, ProgressOnATerminalOnly) {
    std::string out, err;
    ASSERT_EQ(RunCommand("cd '" + Db.Dir.Path() + "' && script -qec \"'" + Program() +
                             "' --settings settings.ini --progress\" /dev/null",
                         &out),
              0)
        << out;
    EXPECT_NE(out.find("\rbid_items: 5 of 5 rows"), std::string::npos) << out;
    EXPECT_NE(out.find("\x1b[K"), std::string::npos);
    EXPECT_EQ(out.find("Dumping table bid_items row 1"), std::string::npos) << "the line replaces the row lines";
    EXPECT_NE(out.find("Total rows dumped -  5"), std::string::npos);

    ASSERT_EQ(Export("--progress --output piped.sql", &out, &err), 0) << err;
    EXPECT_EQ(err.find('\r'), std::string::npos);
    EXPECT_EQ(err.find(" of 5 rows"), std::string::npos);
    EXPECT_NE(err.find("Dumping table bid_items row 1"), std::string::npos);
}

// MariaDB source: a MySQL script loaded into a fresh MariaDB database, and a Firebird
// script loaded into Firebird 3 with isql-fb.
// Each case has databases of its own, so that cases may run side by side.
class ExportProgramMariaDBTest : public ::testing::Test {
  protected:
    ScratchDir Dir;
    const std::string Other = TestDatabaseName("fc_oth");
    const std::string Source = TestDatabaseName("fc_src");
    const std::string Target = TestDatabaseName("fc_dst");

    void SetUp() override {
        // Another database on the server holding a table of the same name: the driver's
        // table list then names bidstatus twice.
        MariaDBExec(FreshMariaDBDatabase(Other), "CREATE TABLE bidstatus(x int);");
        FreshMariaDBDatabase(Source);
        MariaDBExec(Source,
                    std::string("CREATE TABLE bidstatus(bid_link varchar(20), created date);"
                                "CREATE TABLE bid_items(recno int NOT NULL AUTO_INCREMENT PRIMARY KEY,"
                                " bid_link varchar(20), descr varchar(40), body text);"
                                "CREATE TABLE bid_notes(note varchar(40));"
                                "CREATE TABLE other_table(x int);") +
                        Rows + "UPDATE bid_items SET body = concat(descr, ' body');");
        WriteFile(Dir.File("settings.ini"), "[ODBC Parameters]\nDNS Name=" + Source + "\n");
    }
    void TearDown() override {
        MariaDBExec("", "DROP DATABASE IF EXISTS `" + Other + "`; DROP DATABASE IF EXISTS `" + Source +
                            "`; DROP DATABASE IF EXISTS `" + Target + "`;");
    }
    std::string Export(const std::string& Args) {
        std::string out, err;
        const int rc = RunCommand("cd '" + Dir.Path() + "' && timeout 120 '" + Program() +
                                      "' --settings settings.ini " + Args,
                                  &out, &err);
        EXPECT_EQ(rc, 0) << err;
        return Dir.File(out.substr(0, out.find('\n')));
    }
};

TEST_F(ExportProgramMariaDBTest, MySQLScriptLoadsIntoMariaDB) {
    const std::string script = Export("");
    const std::string copy = FreshMariaDBDatabase(Target);
    MariaDBExec(copy, ReadFile(script));
    const std::string query =
        "SELECT recno, bid_link, coalesce(descr,''), coalesce(body,'') FROM bid_items ORDER BY recno;";
    EXPECT_EQ(MariaDBQuery(copy, query), MariaDBQuery(Source, query));
    EXPECT_EQ(MariaDBQuery(copy, "SHOW TABLES;"), "bid_items\nbid_notes\nbidstatus\n");
}

// Hostile bid links against a MariaDB source that runs several statements per call: a
// typed link that tries to end its literal, and links in bidstatus whose backslashes would
// end or widen the month filter. Nothing is dropped, no row is lost or added, nothing hangs.
TEST_F(ExportProgramMariaDBTest, HostileLinksNeitherDropNorWidenNorLose) {
    AddDataSource("fc_cli_src_multi", "MariaDB",
                  "Socket=" + MariaDBSocket() + "\nDatabase=" + Source + "\nUser=" + MariaDBUser() +
                      "\nPassword=" + MariaDBPassword() + "\nOption=67108864\n");
    WriteFile(Dir.File("settings.ini"), "[ODBC Parameters]\nDNS Name=fc_cli_src_multi\n");
    // In MariaDB's own syntax: 'X\\' is X\ and '\\'') OR 1=1 #' is \') OR 1=1 #.
    MariaDBExec(Source, "CREATE TABLE VICTIM(x int); INSERT INTO VICTIM VALUES(1);"
                        "INSERT INTO bidstatus VALUES('X\\\\', curdate()), ('\\\\'') OR 1=1 #', curdate());"
                        "INSERT INTO bid_items(recno, bid_link, descr) VALUES"
                        " (10, 'X\\\\', 'x-row'), (11, '\\\\'') OR 1=1 #', 'inj-row');");
    auto loadedRecnos = [this](const std::string& Script) {
        const std::string copy = FreshMariaDBDatabase(Target);
        MariaDBExec(copy, ReadFile(Script));
        return MariaDBQuery(copy, "SELECT recno FROM bid_items ORDER BY recno;");
    };

    const std::time_t now = std::time(nullptr);
    const std::string month = std::to_string(std::localtime(&now)->tm_mon + 1);
    EXPECT_EQ(loadedRecnos(Export("--since-month " + month)), "10\n11\n") << "exactly the two recent links";

    EXPECT_EQ(loadedRecnos(Export("--bid-link \"';DROP TABLE VICTIM;SELECT '\"")), "") << "no such link";
    EXPECT_EQ(MariaDBQuery(Source, "SELECT count(*) FROM VICTIM;"), "1\n") << "the victim is still there";

    EXPECT_EQ(loadedRecnos(Export("--bid-link \"'X\\\\','b1'\"")), "1\n2\n10\n");
    EXPECT_EQ(loadedRecnos(Export("--bid-link \"\\\\') OR 1=1 #\"")), "11\n");
    EXPECT_EQ(MariaDBQuery(Source, "SELECT count(*) FROM bid_items;"), "7\n");
}

// Ctrl-C while the month query runs cancels the query and is reported as an interrupt,
// not as "no bids". The query would take a minute; the program ends long before.
TEST_F(ExportProgramMariaDBTest, InterruptDuringTheMonthQuery) {
    MariaDBExec(Source, "RENAME TABLE bidstatus TO bidstatus_rows; INSERT INTO bidstatus_rows VALUES('B9', curdate());"
                        " CREATE VIEW bidstatus AS SELECT bid_link, created FROM bidstatus_rows WHERE sleep(30) = 0;");
    // --foreground: otherwise timeout passes the signal on to its whole group as well, and
    // the second delivery ends the program before it can report.
    const std::string cmd = "cd '" + Dir.Path() + "' && (timeout --foreground 120 '" + Program() +
                            "' --settings settings.ini --since-month 1 2>err.txt & pid=$!; "
                            "for i in $(seq 600); do grep -q 'Getting Table List' err.txt && break; sleep 0.05; done; "
                            "sleep 1; kill -INT $pid; wait $pid; echo rc=$?)";
    std::string out;
    const auto start = std::chrono::steady_clock::now();
    RunCommand(cmd, &out);
    const auto spent = std::chrono::steady_clock::now() - start;
    const std::string err = ReadFile(Dir.File("err.txt"));
    EXPECT_NE(out.find("rc=130"), std::string::npos) << out << err;
    EXPECT_LT(spent, std::chrono::seconds(25)) << "the query was cancelled";
    EXPECT_NE(err.find("error: interrupted"), std::string::npos) << err;
    EXPECT_EQ(err.find("No Bids found"), std::string::npos) << err;
    EXPECT_NE(err.find("Done."), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(Dir.File("Bid_Oracle_Data.sql")));
}

TEST_F(ExportProgramMariaDBTest, FirebirdScriptLoadsWithIsql) {
    if (!RequireFirebirdTools()) return;
    const std::string script = Export("--dialect firebird --bid-link \"'B1','B2'\"");
    const std::string fdb = Dir.File("copy.fdb");
    FirebirdCreateDatabase(fdb);
    FirebirdRunScript(fdb, ReadFile(script));
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT recno, bid_link, descr, body FROM bid_items ORDER BY recno;"),
              MariaDBQuery(Source,
                           "SELECT concat_ws('|', recno, bid_link, coalesce(descr,''), coalesce(body,''))"
                           " FROM bid_items WHERE bid_link IN ('B1','B2') ORDER BY recno;"));
    EXPECT_EQ(FirebirdQuery(fdb, "SELECT count(*) FROM bid_notes;"), "1\n");
}

// A private MariaDB server (the shared one keeps serving the other tests), killed by its
// process id while the export reads a large table: the table fails with the driver's
// diagnostic, exit 4, and the final name is never taken. The program is held (SIGSTOP) from
// its first rows of the table until the server is gone, so that however loaded the machine,
// it cannot finish the table first: the rest of the million rows needs the server again.
TEST(ExportProgramServerKilled, ReadThatBreaksOffFailsTheTable) {
    ScratchDir dir;
    const std::string server = dir.File("server");
    const std::string script = SourceDir() + "/scripts/mariadb-test-server.sh";
    std::string out;
    ASSERT_EQ(RunCommand("'" + script + "' start '" + server + "' 2>&1", &out), 0) << out;
    struct StopServer {
        std::string Command;
        ~StopServer() { RunCommand(Command); }
    } stop{"'" + script + "' stop '" + server + "' >/dev/null 2>&1"};
    const std::string client = "mariadb --defaults-file='" + server + "/client.cnf' ";
    ASSERT_EQ(RunCommand(client + "-e \"CREATE DATABASE fc_kill; USE fc_kill;"
                                  " CREATE TABLE bid_big(recno int PRIMARY KEY, bid_link varchar(20), descr varchar(80));"
                                  " INSERT INTO bid_big SELECT seq, 'B', repeat('x', 60) FROM seq_1_to_1000000;\" 2>&1",
                         &out),
              0)
        << out;
    std::string socket = ReadFile(server + "/socket");
    while (!socket.empty() && (socket.back() == '\n' || socket.back() == ' '))
        socket.pop_back();
    AddDataSource("fc_kill", "MariaDB", "Socket=" + socket + "\nDatabase=fc_kill\nUser=" + MariaDBUser() +
                                            "\nPassword=" + MariaDBPassword() + "\n");
    WriteFile(dir.File("settings.ini"), "[ODBC Parameters]\nDNS Name=fc_kill\n");

    const std::string serverGone = "p=$(cat '" + server + "/mysqld.pid'); ! kill -0 $p 2>/dev/null || "
                                   "[ \"$(awk '{print $3}' /proc/$p/stat)\" = Z ]";
    RunCommand("cd '" + dir.Path() + "' && (timeout 120 '" + Program() +
                   "' --settings settings.ini 2>err.txt & pid=$!; "
                   "for i in $(seq 6000); do grep -q 'Dumping table bid_big row' err.txt && break; sleep 0.02; done; "
                   "prog=$(pgrep -P $pid); kill -STOP $prog; "
                   "kill -9 $(cat '" + server + "/mysqld.pid'); "
                   "for i in $(seq 1500); do { " + serverGone + "; } && break; sleep 0.02; done; "
                   "kill -CONT $prog; wait $pid; echo $? >rc.txt)",
               &out);
    const std::string err = ReadFile(dir.File("err.txt"));
    EXPECT_EQ(ReadFile(dir.File("rc.txt")), "4\n") << err;
    // Gone, or a zombie where the container's init does not reap.
    EXPECT_EQ(RunCommand(serverGone), 0)
        << "the server was stopped by its process id";
    // The driver's own account (SQLSTATE 08S01), under the table's name.
    EXPECT_NE(err.find("ERROR! Table 'bid_big': "), std::string::npos) << err;
    EXPECT_TRUE(err.find("08S01") != std::string::npos &&
                (err.find("Lost connection") != std::string::npos || err.find("gone away") != std::string::npos))
        << err;
    EXPECT_EQ(err.find("created..."), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("Bid_Oracle_Data.sql")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Bid_Oracle_Data.sql.partial")));
}

} // namespace
