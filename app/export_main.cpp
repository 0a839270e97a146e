// ferrocan-export: the export job without a window, for scheduled and scripted use.
#include "ODBCApi.h"
#include "Settings.h"
#include "TExport.h"
#include "TExportJob.h"
#include "TExportSession.h"
#include "TODBC.h"
#include "TProgressLine.h"
#include "UiHooks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
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
    "  --since-month MM      export the bids created since month MM, 1 to 12\n"
    "                        (ignored with --bid-link)\n"
    "  --oracle-select       read columns from all_tab_columns (when SQLGetColumns() fails)\n"
    "  --output FILE         script name (default Bid_Oracle_Data.sql); an existing file\n"
    "                        is never overwritten, FILE_A, FILE_B... are used instead.\n"
    "                        The script is written as FILE.partial and renamed to FILE\n"
    "                        once every table is in it. FILE - writes to standard output\n"
    "  --dialect NAME        mysql, firebird, foxpro, tab, comma, oracle,\n"
    "                        sqlite or postgresql\n"
    "                        (default: from the kind of database connected to)\n"
    "  --copy                with --dialect postgresql: each table's rows as one COPY\n"
    "                        block instead of INSERTs, much faster to load; such a\n"
    "                        script loads only with psql (psql -v ON_ERROR_STOP=1 -f)\n"
    "  --rows-per-insert N   up to N rows in one INSERT, 1 to 100000 (default 1), for\n"
    "                        the mysql, sqlite and postgresql dialects, which also get\n"
    "                        each table's rows in one transaction; no INSERT grows past\n"
    "                        1,000,000 bytes unless one row alone is longer. firebird,\n"
    "                        oracle and foxpro keep one row per INSERT; with --copy\n"
    "                        the rows are COPY blocks and N has no effect\n"
    "  --progress            on a terminal: one line per table with rows done, rows in\n"
    "                        all, rate and time left, redrawn in place\n"
    "  --trace-odbc FILE     write every ODBC call and its result to FILE\n"
    "  --help                show this text\n"
    "  --version             show the version\n"
    "\n"
    "Progress goes to standard error; the name of the file written to standard output.\n"
    "\n"
    "Exit status:\n"
    "  0    the file was created and every table was dumped without error\n"
    "  1    bad command line, or the settings file cannot be read\n"
    "  2    cannot connect to the data source\n"
    "  3    no file created (no bids found, no bid tables, invalid bid link, no free name)\n"
    "  4    at least one table failed (read, write or open); the rows written so far are\n"
    "       kept in FILE.partial and FILE is not created\n"
    "  5    an error ended the job\n"
    "  130  interrupted (Ctrl-C); what was written so far, the interrupted table cut off,\n"
    "       is kept in FILE.partial and FILE is not created\n";

std::atomic<bool> Interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    Interrupted.store(true);
}

// Set while a progress line is on the terminal, so that other output starts on a line of its own.
TProgressLine* Progress = nullptr;

void ErrorLine(const std::string& Text) {
    if (Progress) Progress->Clear();
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
    void SetStatusText(const std::string& Text) override { AppendLog(Text); }
    void AppendLog(const std::string& Line) override {
        if (Progress) Progress->Clear();
        std::fprintf(stderr, "%s\n", Line.c_str());
    }
    void ShowMessageBox(const std::string& Text) override { ErrorLine(Text); }
    void SetButtonEnabled(bool) override {}
    bool StopRequested() override { return Interrupted.load(); }
    bool WantsRowCounts() override { return Progress != nullptr; }
    void TableStarting(const std::string& Table, std::int64_t RowsInAll) override {
        if (Progress) Progress->Start(Table, RowsInAll);
    }
};

// A month of the year: one or two digits, 1 to 12.
bool ReadMonth(std::string_view Text) {
    if (Text.empty() || Text.size() > 2) return false;
    int value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 12;
}

// Rows per INSERT: a whole number from 1 to 100000.
bool ReadRowsPerInsert(std::string_view Text, std::int32_t& Rows) {
    if (Text.empty() || Text.size() > 6) return false;
    std::int32_t value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 100000) return false;
    Rows = value;
    return true;
}

// Empty when the settings file can be read; else why not.
std::string SettingsFileProblem(const std::string& Name) {
    const int fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    char byte;
    const bool readable = ::read(fd, &byte, 1) >= 0;
    const int error = errno;
    ::close(fd);
    return readable ? std::string() : std::strerror(error);
}

bool NamesAFolder(const std::string& Name) {
    struct stat st {};
    return Name.back() == '/' || (::stat(Name.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

} // namespace

int main(int argc, char** argv) {
    THeadlessWindow window;
    std::string settingsFile, output = "Bid_Oracle_Data.sql", traceFile;
    bool dialectGiven = false, progressWanted = false, copyRows = false;
    std::int32_t rowsPerInsert = 1;
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
        if (arg == "--progress" && !hasValue) {
            progressWanted = true;
            continue;
        }
        if (arg == "--copy" && !hasValue) {
            copyRows = true;
            continue;
        }
        const bool known = arg == "--settings" || arg == "--bid-link" || arg == "--since-month" ||
                           arg == "--output" || arg == "--dialect" || arg == "--trace-odbc" ||
                           arg == "--rows-per-insert";
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
        if (arg == "--since-month") {
            if (!ReadMonth(value)) {
                ErrorLine("--since-month takes a month from 1 to 12, not \"" + value + "\"");
                return ExitUsage;
            }
            window.Month = value;
        }
        if (arg == "--output") output = value;
        if (arg == "--trace-odbc") traceFile = value;
        if (arg == "--rows-per-insert" && !ReadRowsPerInsert(value, rowsPerInsert)) {
            ErrorLine("--rows-per-insert takes a number of rows from 1 to 100000, not \"" + value + "\"");
            return ExitUsage;
        }
        if (arg == "--dialect") {
            if (!DialectByName(value, dialect)) {
                ErrorLine("unknown dialect " + value + " (mysql, firebird, foxpro, tab, comma, oracle, sqlite, postgresql)");
                return ExitUsage;
            }
            dialectGiven = true;
        }
    }
    if (copyRows && (!dialectGiven || dialect != edPostgreSQL)) {
        ErrorLine("--copy writes PostgreSQL's COPY blocks: it needs --dialect postgresql");
        return ExitUsage;
    }
    if (output.empty()) {
        ErrorLine("--output needs a file name");
        return ExitUsage;
    }
    const bool toStandardOutput = output == TExportJob::StandardOutputName;
    if (!toStandardOutput && NamesAFolder(output)) {
        ErrorLine("--output " + output + " names a folder, not a file");
        return ExitUsage;
    }
    if (settingsFile.empty()) settingsFile = SettingsFileName();
    if (const std::string problem = SettingsFileProblem(settingsFile); !problem.empty()) {
        ErrorLine("cannot read the settings file " + settingsFile + ": " + problem);
        return ExitUsage;
    }
    if (!traceFile.empty() && !SetODBCTraceFile(traceFile)) {
        ErrorLine("cannot open the ODBC trace file " + traceFile + ": " + std::strerror(errno));
        return ExitUsage;
    }
    // A reader that goes away gives a write error that names the output, not a silent end.
    if (toStandardOutput) std::signal(SIGPIPE, SIG_IGN);
    // Redrawn lines only on a terminal; a pipe or a file gets the plain log.
    std::unique_ptr<TProgressLine> progress;
    if (progressWanted && ::isatty(STDERR_FILENO)) {
        progress = std::make_unique<TProgressLine>(stderr);
        Progress = progress.get();
    }

    TExportSession session;
    // The signal handler only sets the flag; the event pump, called by the lower layers
    // after every row and while a statement executes, passes it on.
    InstallUiHooks(UiHooks{[&session] {
                               if (!Interrupted.load()) return;
                               if (TExport* exporter = session.Exporter()) exporter->Cancelled = true;
                               if (TODBC* connection = session.Connection()) connection->CancelRunning();
                           },
                           [](const std::string& Text) { ErrorLine(Text); }});
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // a second Ctrl-C ends the program at once
    sigaction(SIGINT, &action, nullptr);

    std::string dataSource, userName, password;
    ReadODBCSettings(dataSource, userName, password, settingsFile);
    const bool opened =
        session.Open(dataSource, userName, password, [&window](const std::string& TableName, std::int32_t Row) {
            if (!Progress) {
                window.AppendLog(ProgressLine(TableName, Row));
            } else if (Row >= 0) {
                Progress->Rows(Row > 0 ? Row - 1 : 0);
            } else {
                Progress->Finish(-static_cast<std::int64_t>(Row) - 1);
                window.AppendLog(ProgressLine(TableName, Row));
            }
        });
    if (!opened) {
        ErrorLine("Cannot connect to Datasource: " + dataSource);
        const std::string& connectError = session.ConnectError();
        for (std::size_t start = 0; start < connectError.size();) {
            const std::size_t end = std::min(connectError.find('\n', start), connectError.size());
            std::fprintf(stderr, "  %s\n", connectError.substr(start, end - start).c_str());
            start = end + 1;
        }
        return Interrupted.load() ? ExitInterrupted : ExitNoConnection;
    }
    if (!dialectGiven) dialect = session.Dialect();
    session.Exporter()->CopyRows = copyRows;
    session.Exporter()->RowsPerInsert = rowsPerInsert;

    TExportJob job(session.Connection(), session.Exporter(), dialect, window);
    job.BaseFileName = output;
    job.Run();
    session.Close();
    Progress = nullptr;

    if (job.FileCreated && !toStandardOutput) std::printf("%s\n", job.OutputName.c_str());
    if (Interrupted.load() || job.Stopped) {
        ErrorLine("interrupted");
        return ExitInterrupted;
    }
    if (job.Failed) return ExitJobError;
    if (job.TablesFailed > 0 || (!job.FileCreated && !job.FirstError.empty())) return ExitTableFailed;
    if (!job.FileCreated) return ExitNoFile;
    return ExitOK;
}
