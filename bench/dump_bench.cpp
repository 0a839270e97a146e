// DumpTable against a plain ODBC loop writing the same INSERT text, mariadb-dump and the
// sqlite3 shell's .dump, on one table of 8 columns with a primary key. Each contender runs
// in its own child process so its peak memory is its own.
//
//   dump_bench [--rows N[,N...]] [--dir DIR] [--mariadb-socket PATH] [--mariadb-user U]
//              [--mariadb-password P] [--only plain|exact|threaded|engine|serial|textnumbers]
//              [--repeat N] [--sqlite yes|no]
//
// --only runs that one contender in this process, without a child, on the table an earlier
// run left in the same --dir (SQLite, or MariaDB when a socket is given), for a profiler.
// --repeat measures each contender N times and keeps each one's best wall and processor time.
// On MariaDB DumpTable also runs with the connector's own text of doubles and integers
// (textnumbers), as before such columns were fetched as binary numbers.
//
// --sqlite no leaves SQLite out (it is measured by default).
// Several row counts (--rows 1000000,5000000) are measured one after the other in one run.
// The MariaDB data source asks for streaming with NO_CACHE=1 and FORWARDONLY=1, but only
// Connector/ODBC 3.1.17 and later honour that with a forward-only cursor; 3.1.15 (Debian 12)
// still holds the whole result in memory, so the plain loop's peak grows with the row count
// (the engine reads such a driver in key-ordered chunks).
#include "ExactFloats.h"
#include "ODBCApi.h"
#include "TColInfoList.h"
#include "TExport.h"
#include "TODBC.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun {
    double Seconds = 0;
    double CpuSeconds = 0; // user + system time of the child alone, steadier than wall time on a busy machine
    long PeakKB = 0;
    bool Ok = false;
};

// Runs Body in a child process; its exit status 0 means success.
TRun Measure(const std::function<bool()>& Body) {
    TRun r;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(Body() ? 0 : 1);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.PeakKB = usage.ru_maxrss;
    r.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

// The best wall and processor time of the rounds so far, the largest peak, every round ok.
void Keep(TRun& Best, const TRun& Run, int Round) {
    if (Round == 0) {
        Best = Run;
        return;
    }
    Best.Seconds = std::min(Best.Seconds, Run.Seconds);
    Best.CpuSeconds = std::min(Best.CpuSeconds, Run.CpuSeconds);
    Best.PeakKB = std::max(Best.PeakKB, Run.PeakKB);
    Best.Ok = Best.Ok && Run.Ok;
}

bool Shell(const std::string& Command) {
    return std::system(Command.c_str()) == 0;
}

bool DumpWithEngine(const std::string& Dsn, const std::string& User, const std::string& Password,
                    const std::string& Table, const std::string& File, TExportDialect Dialect,
                    bool ReadAhead = true, bool BinaryNumbers = true) {
    TODBC connection;
    connection.ReadAhead = ReadAhead;
    connection.BinaryNumbers = BinaryNumbers;
    if (!connection.Connect(Dsn, User, Password)) return false;
    TExport engine(&connection, Dialect);
    return engine.DumpTable(Dialect, Table, File, "", false, true, false, false, "") == 0;
}

// The same INSERT text through bound SQL_C_CHAR buffers and stdio, without the engine.
// Threaded: a second thread is started (and ended) first. From then on glibc's mutexes take
// atomic instructions, as in every program that has a worker thread, and drivers lock
// several of them per value. Exact: the reals as DumpTable writes them from SQLite, whose
// driver gives 15 digits: the same extra select items, each value's text made the same way.
bool DumpPlain(const std::string& Dsn, const std::string& User, const std::string& Password,
               const std::string& Table, const std::string& File, bool Threaded = false, bool Exact = false) {
    if (Threaded) std::thread([] {}).join();
    if (!LoadODBC()) return false;
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ODBCApi.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    ODBCApi.SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ODBCApi.SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    auto chars = [](const std::string& s) {
        return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
    };
    if (!SQLSucceeded(
            ODBCApi.SQLConnect(dbc, chars(Dsn), SQL_NTS, chars(User), SQL_NTS, chars(Password), SQL_NTS)))
        return false;
    ODBCApi.SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string sql = "SELECT * FROM " + Table;
    SQLSMALLINT columns = 0;
    std::vector<int> exactColumn;  // per table column: its extra column, -1 for none
    std::vector<TExactForm> forms; // per table column
    if (Exact) {
        const std::string probe = sql + " WHERE 1=0";
        if (!SQLSucceeded(ODBCApi.SQLExecDirect(stmt, chars(probe), SQL_NTS))) return false;
        ODBCApi.SQLNumResultCols(stmt, &columns);
        std::string items;
        int extra = columns;
        for (SQLSMALLINT c = 0; c < columns; ++c) {
            SQLCHAR name[256];
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            ODBCApi.SQLDescribeCol(stmt, c + 1, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
            TExactForm form = TExactForm::Double;
            const std::string item = ExactFloatExpression(dkUnknown, "SQLite", type, ColumnTypeOf(type),
                                                          reinterpret_cast<const char*>(name), form);
            exactColumn.push_back(item.empty() ? -1 : extra++);
            forms.push_back(form);
            if (!item.empty()) items += ", " + item;
        }
        ODBCApi.SQLFreeStmt(stmt, SQL_CLOSE);
        sql = "SELECT *" + items + " FROM " + Table;
    }
    if (!SQLSucceeded(ODBCApi.SQLExecDirect(stmt, chars(sql), SQL_NTS))) return false;
    SQLSMALLINT selected = 0;
    ODBCApi.SQLNumResultCols(stmt, &selected);
    if (!Exact) columns = selected;
    constexpr SQLLEN width = 256;
    std::vector<char> buffers(selected * width);
    std::vector<SQLLEN> lengths(selected);
    for (SQLSMALLINT c = 0; c < selected; ++c)
        ODBCApi.SQLBindCol(stmt, c + 1, SQL_C_CHAR, buffers.data() + c * width, width, &lengths[c]);
    FILE* out = std::fopen(File.c_str(), "wb");
    if (!out) return false;
    std::string line, exact;
    const std::string prefix = "INSERT INTO " + Table + " VALUES(";
    while (SQLSucceeded(ODBCApi.SQLFetch(stmt))) {
        line.assign(prefix);
        for (SQLSMALLINT c = 0; c < columns; ++c) {
            if (c) line += ',';
            if (lengths[c] == SQL_NULL_DATA) {
                line += "null";
                continue;
            }
            line += '\'';
            const char* v = buffers.data() + c * width;
            SQLLEN length = std::min(lengths[c], width - 1);
            if (Exact && exactColumn[c] >= 0 && lengths[exactColumn[c]] != SQL_NULL_DATA &&
                ExactFloatText(std::string_view(v, length),
                               std::string_view(buffers.data() + exactColumn[c] * width,
                                                std::min(lengths[exactColumn[c]], width - 1)),
                               forms[c], exact)) {
                v = exact.data();
                length = static_cast<SQLLEN>(exact.size());
            }
            for (SQLLEN i = 0; i < length; ++i) {
                if (v[i] == '\'') line += '\'';
                line += v[i];
            }
            line += '\'';
        }
        line += ");\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    const bool ok = std::fclose(out) == 0;
    ODBCApi.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    ODBCApi.SQLDisconnect(dbc);
    ODBCApi.SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    ODBCApi.SQLFreeHandle(SQL_HANDLE_ENV, env);
    return ok;
}

// The file Whole ends with the bytes of Tail (the engine's file has a banner and a comment first).
bool EndsWithFile(const std::string& Whole, const std::string& Tail) {
    std::error_code ec;
    const auto wholeSize = fs::file_size(Whole, ec), tailSize = fs::file_size(Tail, ec);
    if (ec || tailSize > wholeSize) return false;
    std::ifstream a(Whole, std::ios::binary), b(Tail, std::ios::binary);
    a.seekg(static_cast<std::streamoff>(wholeSize - tailSize));
    std::vector<char> x(1 << 16), y(1 << 16);
    while (b) {
        b.read(y.data(), static_cast<std::streamsize>(y.size()));
        a.read(x.data(), b.gcount());
        if (a.gcount() != b.gcount() || !std::equal(y.begin(), y.begin() + b.gcount(), x.begin()))
            return false;
    }
    return true;
}

void Report(const char* Name, const TRun& Run, const TRun& Base) {
    std::printf("  %-34s %7.2f s  %8ld KB peak  %5.2fx plain  (cpu %5.2f s, %5.2fx plain)%s\n", Name,
                Run.Seconds, Run.PeakKB, Run.Seconds / Base.Seconds, Run.CpuSeconds,
                Run.CpuSeconds / Base.CpuSeconds, Run.Ok ? "" : "  (FAILED)");
}

void Compare(const std::string& Label, const std::string& Dsn, const std::string& User,
             const std::string& Password, TExportDialect Dialect, const std::string& Dir, long Rows,
             const std::string& ToolName, const std::string& ToolCommand, int Repeat, bool ExactReals = false,
             bool TextNumbers = false) {
    std::printf("%s, %ld rows of 8 columns%s:\n", Label.c_str(), Rows, Repeat > 1 ? ", best of each" : "");
    TRun plain, exact, threaded, engine, serial, text, tool;
    // Round by round, so that each contender meets the same spells of load from elsewhere.
    for (int round = 0; round < Repeat; ++round) {
        Keep(plain, Measure([&] { return DumpPlain(Dsn, User, Password, "b", Dir + "/plain.sql"); }), round);
        if (ExactReals)
            Keep(exact,
                 Measure([&] { return DumpPlain(Dsn, User, Password, "b", Dir + "/exact.sql", false, true); }),
                 round);
        Keep(threaded,
             Measure([&] { return DumpPlain(Dsn, User, Password, "b", Dir + "/threaded.sql", true); }), round);
        Keep(engine,
             Measure([&] { return DumpWithEngine(Dsn, User, Password, "b", Dir + "/engine.sql", Dialect); }),
             round);
        Keep(serial,
             Measure([&] {
                 return DumpWithEngine(Dsn, User, Password, "b", Dir + "/serial.sql", Dialect, false);
             }),
             round);
        if (TextNumbers)
            Keep(text,
                 Measure([&] {
                     return DumpWithEngine(Dsn, User, Password, "b", Dir + "/textnumbers.sql", Dialect, true, false);
                 }),
                 round);
        Keep(tool, Measure([&] { return Shell(ToolCommand); }), round);
    }
    Report("plain ODBC loop", plain, plain);
    if (ExactReals) Report("plain loop, exact reals", exact, plain);
    Report("plain loop, threaded process", threaded, plain);
    Report("DumpTable", engine, plain);
    Report("DumpTable without read-ahead", serial, plain);
    if (TextNumbers) Report("DumpTable, numbers as text", text, plain);
    Report(ToolName.c_str(), tool, plain);
    std::printf("  DumpTable against %s: %.2fx (cpu %.2fx)", ToolName.c_str(), engine.Seconds / tool.Seconds,
                engine.CpuSeconds / tool.CpuSeconds);
    if (TextNumbers)
        std::printf("; with numbers as text %.2fx (cpu %.2fx)", text.Seconds / tool.Seconds,
                    text.CpuSeconds / tool.CpuSeconds);
    std::printf("\n  INSERT lines the same bytes as the plain loop's: %s\n",
                EndsWithFile(Dir + "/engine.sql", Dir + "/plain.sql") ? "yes" : "no");
    if (TextNumbers)
        std::printf("  ... with numbers as text: %s\n",
                    EndsWithFile(Dir + "/textnumbers.sql", Dir + "/plain.sql") ? "yes" : "no");
    if (!ExactReals) return;
    // The lossy loop writes the driver's 15-digit reals; this one does DumpTable's job.
    std::printf("  DumpTable against the plain loop with exact reals: %.2fx (cpu %.2fx); without read-ahead"
                " %.2fx (cpu %.2fx)\n",
                engine.Seconds / exact.Seconds, engine.CpuSeconds / exact.CpuSeconds, serial.Seconds / exact.Seconds,
                serial.CpuSeconds / exact.CpuSeconds);
    std::printf("  INSERT lines the same bytes as the exact loop's: %s\n",
                EndsWithFile(Dir + "/engine.sql", Dir + "/exact.sql") ? "yes" : "no");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> counts{1000000};
    std::string dir = (fs::temp_directory_path() / "ferrocan-dump-bench").string();
    std::string socket, user = "ferrocan", password = "ferrocan", only;
    int repeat = 1;
    bool sqlite = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--rows") {
            counts.clear();
            for (std::size_t at = 0; at != std::string::npos;) {
                const std::size_t comma = value.find(',', at);
                counts.push_back(std::atol(value.substr(at, comma == std::string::npos ? comma : comma - at).c_str()));
                at = comma == std::string::npos ? comma : comma + 1;
            }
        } else if (key == "--dir") {
            dir = value;
        } else if (key == "--mariadb-socket") {
            socket = value;
        } else if (key == "--mariadb-user") {
            user = value;
        } else if (key == "--mariadb-password") {
            password = value;
        } else if (key == "--only") {
            only = value;
        } else if (key == "--sqlite") {
            sqlite = value != "no";
        } else if (key == "--repeat") {
            repeat = std::max(1, std::atoi(value.c_str()));
        }
    }
    fs::create_directories(dir);
    {
        std::ofstream(dir + "/odbcinst.ini")
            << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
               "[MariaDB]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so\n";
        std::ofstream ini(dir + "/odbc.ini");
        ini << "[bench_sqlite]\nDriver=SQLite3\nDatabase=" << dir << "/bench.db\nStepAPI=1\n";
        if (!socket.empty())
            ini << "[bench_mariadb]\nDriver=MariaDB\nSocket=" << socket
                << "\nDatabase=ferrocan_bench\nUser=" << user << "\nPassword=" << password
                << "\nNO_CACHE=1\nFORWARDONLY=1\n";
    }
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
    if (!only.empty()) {
        const bool maria = !socket.empty();
        const std::string dsn = maria ? "bench_mariadb" : "bench_sqlite";
        const std::string u = maria ? user : "", p = maria ? password : "";
        if (only == "plain") return DumpPlain(dsn, u, p, "b", dir + "/plain.sql") ? 0 : 1;
        if (only == "threaded") return DumpPlain(dsn, u, p, "b", dir + "/threaded.sql", true) ? 0 : 1;
        if (only == "exact") return DumpPlain(dsn, u, p, "b", dir + "/exact.sql", false, !maria) ? 0 : 1;
        if (only == "serial")
            return DumpWithEngine(dsn, u, p, "b", dir + "/serial.sql", maria ? edMySQL : edOracle, false) ? 0 : 1;
        if (only == "textnumbers")
            return DumpWithEngine(dsn, u, p, "b", dir + "/textnumbers.sql", maria ? edMySQL : edOracle, true, false)
                       ? 0
                       : 1;
        if (only == "engine")
            return DumpWithEngine(dsn, u, p, "b", dir + "/engine.sql", maria ? edMySQL : edOracle) ? 0 : 1;
        std::fprintf(stderr, "--only takes plain, exact, threaded, engine, serial or textnumbers\n");
        return 2;
    }

    const std::string columns = "id integer primary key, name varchar(40), price decimal(10,2), qty integer,"
                                " made date, note varchar(80), code char(8), ratio double precision";
    const std::string select = "SELECT n, 'name ' || n, n * 0.25, n % 1000, '2024-01-01', 'it''s row ' || n,"
                               " 'C' || (n % 10000), n / 7.0";
    const std::string db = dir + "/bench.db";
    for (long rows : sqlite ? counts : std::vector<long>{}) {
        fs::remove(db);
        std::ofstream(dir + "/load.sql")
            << "CREATE TABLE b (" << columns
            << ");WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < " << rows
            << ") INSERT INTO b " << select << " FROM s;";
        if (!Shell("sqlite3 " + db + " < " + dir + "/load.sql")) return 1;
        Compare("SQLite (StepAPI=1)", "bench_sqlite", "", "", edOracle, dir, rows, "sqlite3 .dump",
                "sqlite3 " + db + " '.dump b' > " + dir + "/tool.sql", repeat, true);
    }
    if (!socket.empty()) {
        const std::string client = "mariadb --no-defaults -S " + socket + " -u" + user + " -p" + password;
        for (long rows : counts) {
            std::ofstream(dir + "/load_my.sql")
                << "DROP DATABASE IF EXISTS ferrocan_bench;CREATE DATABASE ferrocan_bench;USE ferrocan_bench;"
                << "CREATE TABLE b (id int primary key, name varchar(40), price decimal(10,2), qty int, made date,"
                   " note varchar(80), code char(8), ratio double);"
                << "INSERT INTO b SELECT seq, concat('name ', seq), seq * 0.25, seq % 1000, '2024-01-01',"
                   " concat('it''s row ', seq), concat('C', seq % 10000), seq / 7 FROM seq_1_to_"
                << rows << ";";
            if (!Shell(client + " < " + dir + "/load_my.sql")) return 1;
            Compare("MariaDB (NO_CACHE=1, FORWARDONLY=1)", "bench_mariadb", user, password, edMySQL, dir, rows,
                    "mariadb-dump --skip-extended-insert",
                    "mariadb-dump --no-defaults -S " + socket + " -u" + user + " -p" + password +
                        " --skip-extended-insert ferrocan_bench b > " + dir + "/tool.sql",
                    repeat, false, true);
        }
    }
    return 0;
}
