// How fast the SQLite and PostgreSQL forms load with their target's own client, beside
// that target's own dump of the same table loaded the same way: sqlite3 .dump into sqlite3,
// pg_dump --inserts and pg_dump's default (COPY) output into psql -v ON_ERROR_STOP=1 -f, the
// PostgreSQL form both with INSERTs and with its rows as a COPY block (--copy).
// Each load goes into a new, empty database; the rows are counted after it.
//
//   load_bench [--rows N] [--repeat N] [--dir DIR] [--pg-socket DIR --pg-port P] [--pg-user U]
//              [--pg-password P]
//
// Each script is loaded --repeat times (default 3), each time into a new database; the
// fastest load counts, so that a passing burst of other work on the machine weighs less.
//
// SQLite is always measured; PostgreSQL when a server's socket folder is given, for example
// the private test server (scripts/postgres-test-server.sh start build/testenv/postgres,
// then --pg-socket "$(cat build/testenv/postgres/socketdir)" --pg-port "$(cat
// build/testenv/postgres/port)").
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

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& Text) {
    std::string r = "'";
    for (char c : Text)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

bool Shell(const std::string& Command) {
    return std::system(Command.c_str()) == 0;
}

std::string Output(const std::string& Command) {
    std::string text;
    if (FILE* pipe = popen(Command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, pipe))
            text += buf;
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// Seconds of wall time a shell command takes; negative when it fails.
double Timed(const std::string& Command) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = Shell(Command);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok ? seconds : -1;
}

// The fastest of Repeat runs of Command, each after Prepare; negative when any run fails.
double Fastest(int Repeat, const std::function<bool()>& Prepare, const std::string& Command) {
    double best = -1;
    for (int i = 0; i < Repeat; ++i) {
        if (!Prepare()) return -1;
        const double seconds = Timed(Command);
        if (seconds < 0) return -1;
        if (best < 0 || seconds < best) best = seconds;
    }
    return best;
}

bool Export(const std::string& Dsn, const std::string& User, const std::string& Password, TExportDialect Dialect,
            const std::string& File, bool CopyRows = false) {
    TODBC connection;
    if (!connection.Connect(Dsn, User, Password)) {
        std::fprintf(stderr, "cannot connect to %s\n", Dsn.c_str());
        return false;
    }
    TExport engine(&connection, DialectForKind(connection.DatabaseKind()));
    engine.CopyRows = CopyRows;
    fs::remove(File);
    const int result = engine.DumpTable(Dialect, "b", File, "", true, true, false, false, "");
    if (result != 0) std::fprintf(stderr, "export failed: %s\n", engine.ErrorText.c_str());
    return result == 0;
}

struct TLoad {
    const char* Name;
    double Seconds;
    std::string Rows;
};

void Report(const char* Target, long Rows, int Repeat, const TLoad* Loads, int Count, int Native) {
    std::printf("%s, %ld rows of 8 columns, each script loaded into an empty database (best of %d):\n", Target,
                Rows, Repeat);
    for (int i = 0; i < Count; ++i) {
        const TLoad& l = Loads[i];
        if (l.Seconds < 0) {
            std::printf("  %-36s FAILED\n", l.Name);
            continue;
        }
        std::printf("  %-36s %7.2f s  %5.2fx %s  (rows loaded: %s)\n", l.Name, l.Seconds,
                    l.Seconds / Loads[Native].Seconds, Loads[Native].Name, l.Rows.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    long rows = 200000;
    int repeat = 3;
    std::string dir = (fs::temp_directory_path() / "ferrocan-load-bench").string();
    std::string pgSocket, pgPort = "5432", pgUser = "ferrocan", pgPassword = "ferrocan";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--rows") rows = std::atol(value.c_str());
        if (key == "--repeat") repeat = std::max(1, std::atoi(value.c_str()));
        if (key == "--dir") dir = value;
        if (key == "--pg-socket") pgSocket = value;
        if (key == "--pg-port") pgPort = value;
        if (key == "--pg-user") pgUser = value;
        if (key == "--pg-password") pgPassword = value;
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream(dir + "/odbcinst.ini") << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
                                                "[PostgreSQL]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n";
        std::ofstream ini(dir + "/odbc.ini");
        ini << "[bench_sqlite]\nDriver=SQLite3\nDatabase=" << dir << "/source.db\nStepAPI=1\n";
        if (!pgSocket.empty())
            ini << "[bench_pg]\nDriver=PostgreSQL\nServername=" << pgSocket << "\nPort=" << pgPort
                << "\nDatabase=ferrocan_load_src\nUsername=" << pgUser << "\nPassword=" << pgPassword << "\n";
    }
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);

    // SQLite: the table, its form and the shell's dump, each loaded by the shell.
    const std::string source = dir + "/source.db";
    std::ofstream(dir + "/make.sql")
        << "CREATE TABLE b (id integer primary key, name varchar(40), price decimal(10,2), qty integer,"
           " made date, note varchar(80), code char(8), ratio double precision);"
           "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < "
        << rows
        << ") INSERT INTO b SELECT n, 'name ' || n, n * 0.25, n % 1000, '2024-01-01', 'it''s row ' || n,"
           " 'C' || (n % 10000), n / 7.0 FROM s;";
    if (!Shell("sqlite3 " + Quoted(source) + " < " + Quoted(dir + "/make.sql"))) return 1;
    if (!Export("bench_sqlite", "", "", edSQLite, dir + "/sqlite-form.sql")) return 1;
    if (!Shell("sqlite3 " + Quoted(source) + " '.dump b' > " + Quoted(dir + "/sqlite-dump.sql"))) return 1;
    auto sqliteLoad = [&](const char* Name, const std::string& File) {
        const std::string db = dir + "/load.db";
        const double seconds = Fastest(
            repeat, [&] { return fs::remove(db) || !fs::exists(db); },
            "sqlite3 -bail " + Quoted(db) + " < " + Quoted(File) + " > /dev/null");
        return TLoad{Name, seconds, Output("sqlite3 " + Quoted(db) + " 'SELECT count(*) FROM b'")};
    };
    const TLoad sqlite[] = {sqliteLoad("sqlite3 .dump", dir + "/sqlite-dump.sql"),
                            sqliteLoad("ferrocan --dialect sqlite", dir + "/sqlite-form.sql")};
    Report("SQLite (sqlite3)", rows, repeat, sqlite, 2, 0);

    if (pgSocket.empty()) return 0;
    const std::string env = "PGPASSWORD=" + Quoted(pgPassword) + " PGHOST=" + Quoted(pgSocket) +
                            " PGPORT=" + Quoted(pgPort) + " PGUSER=" + Quoted(pgUser) + " ";
    const std::string psql = env + "psql -X -q -v ON_ERROR_STOP=1 ";
    auto fresh = [&](const std::string& Name) {
        return Shell(psql + "-d postgres -c " + Quoted("DROP DATABASE IF EXISTS " + Name + " WITH (FORCE)") +
                     " -c " + Quoted("CREATE DATABASE " + Name + " TEMPLATE template0 ENCODING 'UTF8'"));
    };
    if (!fresh("ferrocan_load_src")) return 1;
    const std::string make =
        "CREATE TABLE b (id integer primary key, name varchar(40), price numeric(10,2), qty integer, made date,"
        " note varchar(80), code char(8), ratio double precision);"
        "INSERT INTO b SELECT n, 'name ' || n, n * 0.25, n % 1000, DATE '2024-01-01', 'it''s row ' || n,"
        " 'C' || (n % 10000), n / 7.0 FROM generate_series(1, " +
        std::to_string(rows) + ") n;";
    if (!Shell(psql + "-d ferrocan_load_src -c " + Quoted(make))) return 1;
    if (!Export("bench_pg", pgUser, pgPassword, edPostgreSQL, dir + "/pg-form.sql")) return 1;
    if (!Export("bench_pg", pgUser, pgPassword, edPostgreSQL, dir + "/pg-copy-form.sql", true)) return 1;
    const std::string pgDump = env + "pg_dump --no-owner -d ferrocan_load_src -t b ";
    if (!Shell(pgDump + "--inserts > " + Quoted(dir + "/pg-inserts.sql"))) return 1;
    if (!Shell(pgDump + "> " + Quoted(dir + "/pg-copy.sql"))) return 1;
    auto pgLoad = [&](const char* Name, const std::string& File) {
        const double seconds = Fastest(repeat, [&] { return fresh("ferrocan_load_dst"); },
                                       psql + "-d ferrocan_load_dst -f " + Quoted(File) + " > /dev/null");
        return TLoad{Name, seconds, Output(psql + "-At -d ferrocan_load_dst -c 'SELECT count(*) FROM b'")};
    };
    const TLoad pg[] = {pgLoad("pg_dump --inserts", dir + "/pg-inserts.sql"),
                        pgLoad("pg_dump (COPY)", dir + "/pg-copy.sql"),
                        pgLoad("ferrocan --dialect postgresql", dir + "/pg-form.sql"),
                        pgLoad("ferrocan --dialect postgresql --copy", dir + "/pg-copy-form.sql")};
    Report("PostgreSQL (psql -v ON_ERROR_STOP=1 -f)", rows, repeat, pg, 4, 0);
    std::printf("  against pg_dump (COPY): ferrocan %.2fx, ferrocan --copy %.2fx\n", pg[2].Seconds / pg[1].Seconds,
                pg[3].Seconds / pg[1].Seconds);
    Shell(psql + "-d postgres -c 'DROP DATABASE IF EXISTS ferrocan_load_src WITH (FORCE)' -c "
                 "'DROP DATABASE IF EXISTS ferrocan_load_dst WITH (FORCE)'");
    return 0;
}
