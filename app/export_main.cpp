// ferrocan-export: the export job without a window, for scheduled and scripted use.
#include "Settings.h"
#include "TExport.h"
#include "TExportJob.h"
#include "TExportSession.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "UiHooks.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#ifndef FERROCAN_VERSION
#define FERROCAN_VERSION "unknown"
#endif

namespace {

// Exit codes.
constexpr int ExitOK = 0;
constexpr int ExitUsage = 1;
constexpr int ExitNoConnection = 2;
constexpr int ExitNoFile = 3;
constexpr int ExitTableFailed = 4;
constexpr int ExitJobError = 5;
constexpr int ExitInterrupted = 130;

const char* const Usage =
    "Usage: ferrocan-export [OPTION]...\n"
    "Export the bid tables of the ODBC data source named in ZURIREV.ini into one SQL script.\n"
    "\n"
    "  --settings FILE       read the data source from FILE instead of ZURIREV.ini\n"
    "                        (beside the program, else /etc/ZURIREV.ini)\n"
    "  --bid-link LIST       export only these bid links (B1 or 'B1','B2')\n"
    "  --since-month MM      export the bids created since month MM (ignored with --bid-link)\n"
    "  --oracle-select       read columns from all_tab_columns (when SQLGetColumns() fails)\n"
    "  --output FILE         script name (default Bid_Oracle_Data.sql); an existing file\n"
    "                        is never overwritten, FILE_A, FILE_B... are used instead\n"
    "  --dialect NAME        mysql, firebird, foxpro, tab, comma or oracle\n"
    "                        (default: from the kind of database connected to)\n"
    "  --help                show this text\n"
    "  --version             show the version\n"
    "\n"
    "Progress goes to standard error; the name of the file written to standard output.\n"
    "\n"
    "Exit status:\n"
    "  0    the file was created and every table was dumped without error\n"
    "  1    bad command line\n"
    "  2    cannot connect to the data source\n"
    "  3    no file created (no bids found, no bid tables, invalid bid link, no free name)\n"
    "  4    the file was created but at least one table failed\n"
    "  5    an error ended the job\n"
    "  130  interrupted (Ctrl-C); the file is closed and holds the tables finished so far\n";

std::atomic<bool> Interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    Interrupted.store(true);
}

void ErrorLine(const std::string& Text) {
    std::fprintf(stderr, "ferrocan-export: error: %s\n", Text.c_str());
}

class THeadlessWindow : public TJobWindow {
  public:
    std::string BidLink, Month;
    bool OracleSelect = false;

    std::string BidLinkText() override { return BidLink; }
    void SetBidLinkText(const std::string& Text) override { BidLink = Text; }
    std::string MonthText() override { return Month; }
    bool OracleSelectChecked() override { return OracleSelect; }
    void SetStatusText(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
    void AppendLog(const std::string& Line) override { std::fprintf(stderr, "%s\n", Line.c_str()); }
    void ShowMessageBox(const std::string& Text) override { ErrorLine(Text); }
    void SetButtonEnabled(bool) override {}
    bool StopRequested() override { return Interrupted.load(); }
};

} // namespace

int main(int argc, char** argv) {
    THeadlessWindow window;
    std::string settingsFile, output = "Bid_Oracle_Data.sql";
    bool dialectGiven = false;
    TExportDialect dialect = edOracle;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return ExitOK;
        }
        if (arg == "--version") {
            std::printf("ferrocan-export %s\n", FERROCAN_VERSION);
            return ExitOK;
        }
        if (arg == "--oracle-select" && !hasValue) {
            window.OracleSelect = true;
            continue;
        }
        const bool known = arg == "--settings" || arg == "--bid-link" || arg == "--since-month" ||
                           arg == "--output" || arg == "--dialect";
        if (!known) {
            ErrorLine("unknown option " + arg + " (see --help)");
            return ExitUsage;
        }
        if (!takeValue()) {
            ErrorLine("option " + arg + " needs a value");
            return ExitUsage;
        }
        if (arg == "--settings") settingsFile = value;
        if (arg == "--bid-link") window.BidLink = value;
        if (arg == "--since-month") window.Month = value;
        if (arg == "--output") output = value;
        if (arg == "--dialect") {
            if (!DialectByName(value, dialect)) {
                ErrorLine("unknown dialect " + value + " (mysql, firebird, foxpro, tab, comma, oracle)");
                return ExitUsage;
            }
            dialectGiven = true;
        }
    }
    if (output.empty()) {
        ErrorLine("--output needs a file name");
        return ExitUsage;
    }

    TExportSession session;
    // The signal handler only sets the flag; the event pump, called by the lower layers
    // after every row and while a statement executes, passes it on.
    InstallUiHooks(UiHooks{[&session] {
                               if (!Interrupted.load()) return;
                               if (TExport* exporter = session.Exporter()) exporter->Cancelled = true;
                               if (TODBC* connection = session.Connection())
                                   for (TODBCStatement* s : connection->Statements)
                                       if (s && s->Executing.load()) s->CancelRequested.store(true);
                           },
                           [](const std::string& Text) { ErrorLine(Text); }});
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // a second Ctrl-C ends the program at once
    sigaction(SIGINT, &action, nullptr);

    std::string dataSource, userName, password;
    ReadODBCSettings(dataSource, userName, password, settingsFile);
    if (!session.Open(dataSource, userName, password, [&window](const std::string& TableName, std::int32_t Row) {
            window.AppendLog(ProgressLine(TableName, Row));
        })) {
        ErrorLine("Cannot connect to Datasource: " + dataSource);
        return ExitNoConnection;
    }
    if (!dialectGiven) dialect = session.Dialect();

    TExportJob job(session.Connection(), session.Exporter(), dialect, window);
    job.BaseFileName = output;
    job.Run();
    session.Close();

    if (job.FileCreated) std::printf("%s\n", job.OutputName.c_str());
    if (Interrupted.load() || job.Stopped) {
        ErrorLine("interrupted");
        return ExitInterrupted;
    }
    if (job.Failed) return ExitJobError;
    if (!job.FileCreated) return ExitNoFile;
    if (job.TablesFailed > 0) return ExitTableFailed;
    return ExitOK;
}
