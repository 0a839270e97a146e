// One state of the source for the whole job: rows that another connection inserts and
// deletes while a job runs (between its tables) never reach the script.
#include "AppTestSupport.h"
#include "TExportJob.h"
#include "TExportSession.h"

#include <ctime>
#include <functional>

namespace {

const char* const Schema = R"(
CREATE TABLE bidstatus(bid_link varchar(20), created date);
CREATE TABLE bid_a(recno int, bid_link varchar(20), descr varchar(40));
INSERT INTO bid_a VALUES(1,'B1','a-old');
CREATE TABLE bid_b(recno int, bid_link varchar(20), descr varchar(40));
INSERT INTO bid_b VALUES(1,'B1','b-old'),(2,'B1','b-deleted-meanwhile');
)";

// Another connection's changes, all committed before bid_b is read: a row inserted into
// and one deleted from bid_b, a new bid with a row of its own.
const char* const Meanwhile = R"(
INSERT INTO bid_b VALUES(3,'B1','b-inserted-meanwhile');
DELETE FROM bid_b WHERE recno=2;
INSERT INTO bidstatus VALUES('B2', current_date);
INSERT INTO bid_b VALUES(4,'B2','b-new-bid-meanwhile');
)";

// Runs a month-filtered job on DataSource; Exec runs SQL on another connection, once, as
// the first table starts. Returns the script.
std::string ExportWhileOthersWrite(const std::string& DataSource, const std::function<void(const std::string&)>& Exec,
                                   std::vector<std::string>* Log) {
    Exec(Schema);
    Exec("INSERT INTO bidstatus VALUES('B1', current_date);");
    ScratchDir dir;
    TExportSession session;
    EXPECT_TRUE(session.Open(DataSource, "", "", nullptr)) << session.ConnectError();
    if (!session.Exporter()) return "";
    TRecordingWindow window;
    const std::time_t now = std::time(nullptr);
    window.Month = std::to_string(std::localtime(&now)->tm_mon + 1);
    bool changed = false;
    window.OnStatus = [&](const std::string& Text) {
        if (changed || Text.rfind("Exporting Table ", 0) != 0) return;
        changed = true;
        Exec(Meanwhile);
    };
    TExportJob job(session.Connection(), session.Exporter(), edOracle, window);
    job.BaseFileName = dir.File("out.sql");
    job.Run();
    EXPECT_TRUE(changed) << "the other connection never wrote";
    EXPECT_TRUE(job.FileCreated) << job.FirstError;
    *Log = window.Log;
    return ReadFile(dir.File("out.sql"));
}

void ExpectTheStateAtTheStart(const std::string& Script, const std::vector<std::string>& Log) {
    EXPECT_NE(Script.find("'a-old'"), std::string::npos) << Script;
    EXPECT_NE(Script.find("'b-old'"), std::string::npos) << Script;
    EXPECT_NE(Script.find("'b-deleted-meanwhile'"), std::string::npos) << Script;
    EXPECT_EQ(Script.find("'b-inserted-meanwhile'"), std::string::npos) << Script;
    EXPECT_EQ(Script.find("b-new-bid-meanwhile"), std::string::npos) << Script;
    EXPECT_EQ(Script.find("'B2'"), std::string::npos) << "the month query ran before the change: " << Script;
    for (const std::string& line : Log)
        EXPECT_EQ(line.find("snapshot"), std::string::npos) << line;
}

TEST(ReadSnapshot, MariaDBRowsWrittenMeanwhileStayOut) {
    const std::string db = FreshMariaDBDatabase("fc_snapshot");
    std::vector<std::string> log;
    const std::string script = ExportWhileOthersWrite(db, [&](const std::string& Sql) { MariaDBExec(db, Sql); }, &log);
    ExpectTheStateAtTheStart(script, log);
    EXPECT_EQ(MariaDBQuery(db, "SELECT group_concat(recno ORDER BY recno) FROM bid_b;"), "1,3,4\n")
        << "the other connection's changes were committed";
}

TEST(ReadSnapshot, PostgresRowsWrittenMeanwhileStayOut) {
    const std::string db = FreshPostgresDatabase("fc_snapshot");
    std::vector<std::string> log;
    const std::string script = ExportWhileOthersWrite(db, [&](const std::string& Sql) { PostgresExec(db, Sql); }, &log);
    ExpectTheStateAtTheStart(script, log);
    EXPECT_EQ(PostgresQuery(db, "SELECT string_agg(recno::text, ',' ORDER BY recno) FROM bid_b;"), "1,3,4\n")
        << "the other connection's changes were committed";
}

} // namespace
