// How fast the scripts of the MySQL, SQLite and PostgreSQL forms load with their target's
// own client, with one row per INSERT and with several (--rows-per-insert), beside that
// target's own dump of the same table loaded the same way: mariadb-dump's default output
// into mariadb, sqlite3 .dump into sqlite3, pg_dump --inserts and pg_dump's default (COPY)
// output into psql -v ON_ERROR_STOP=1 -f, the PostgreSQL form also with its rows as a COPY
// block (--copy). Each load goes into a new, empty database; the rows are counted after it.
//
//   load_bench [--rows N[,N...]] [--rows-per-insert N[,N...]] [--repeat N] [--dir DIR]
//              [--mariadb-socket PATH] [--mariadb-user U] [--mariadb-password P]
//              [--pg-socket DIR --pg-port P] [--pg-user U] [--pg-password P]
//
// Each script is loaded --repeat times (default 3), each time into a new database, the
// scripts of one target taking turns; the fastest load counts, so that a passing burst of
// other work on the machine weighs less.
// For a MariaDB server on this machine the least processor time the server spent on a load
// is shown beside it: on a shared machine it moves far less than the wall time.
//
// --rows defaults to 50000,200000 and --rows-per-insert to 1,100,1000. SQLite is always
// measured; MariaDB and PostgreSQL when a server's socket is given, for example the private
// test servers (scripts/mariadb-test-server.sh start build/testenv/mariadb, then
// --mariadb-socket "$(cat build/testenv/mariadb/socket)"; scripts/postgres-test-server.sh
// start build/testenv/postgres, then --pg-socket "$(cat build/testenv/postgres/socketdir)"
// --pg-port "$(cat build/testenv/postgres/port)"). User and password default to ferrocan.
#include "TExport.h"
#include "TODBC.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

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

std::vector<long> Numbers(const std::string& List) {
    std::vector<long> numbers;
    for (std::size_t at = 0; at != std::string::npos;) {
        const std::size_t comma = List.find(',', at);
        numbers.push_back(std::atol(List.substr(at, comma == std::string::npos ? comma : comma - at).c_str()));
        at = comma == std::string::npos ? comma : comma + 1;
    }
    return numbers;
}

// Seconds of wall time a shell command takes; negative when it fails.
double Timed(const std::string& Command) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = Shell(Command);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok ? seconds : -1;
}

// Processor seconds (user + system, all threads) a process has used so far; negative when
// it cannot be read (no such process here).
double ProcessSeconds(long Pid) {
    std::ifstream in("/proc/" + std::to_string(Pid) + "/stat");
    std::string stat;
    if (Pid <= 0 || !std::getline(in, stat)) return -1;
    // The fields after the command's name, which ends at the last ')': state is the first,
    // utime and stime the 12th and 13th.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i)
        if (i >= 12) ticks += std::atof(field.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct TLoad {
    TLoad(std::string Name, std::string File) : Name(std::move(Name)), File(std::move(File)) {}
    std::string Name;
    std::string File;
    double Seconds = -1;   // the fastest load's wall time; negative when a load failed
    double ServerCpu = -1; // the least processor time the server spent on a load; negative when unknown
    std::string Rows;      // counted after the last load
};

// Loads every script Repeat times, each load after Prepare, taking turns (one round of all
// scripts, then the next), so that a passing burst of other work on the machine falls on
// every contender alike. Keeps each script's fastest load and the least processor time
// ServerPid (when given) spent on one, which a busy machine disturbs far less than the wall
// time. A script whose load fails is not loaded again.
void LoadAll(std::vector<TLoad>& Loads, int Repeat, const std::function<bool()>& Prepare,
             const std::function<std::string(const TLoad&)>& Command, const std::string& CountCommand,
             long ServerPid = 0) {
    std::vector<bool> failed(Loads.size(), false);
    for (int round = 0; round < Repeat; ++round)
        for (std::size_t i = 0; i < Loads.size(); ++i) {
            TLoad& l = Loads[i];
            if (failed[i] || !Prepare()) {
                failed[i] = true;
                l.Seconds = -1;
                continue;
            }
            const double cpu = ProcessSeconds(ServerPid);
            const double seconds = Timed(Command(l));
            const double used = cpu < 0 ? -1 : ProcessSeconds(ServerPid) - cpu;
            l.Rows = Output(CountCommand);
            if (seconds < 0) {
                failed[i] = true;
                l.Seconds = -1;
                continue;
            }
            if (l.Seconds < 0 || seconds < l.Seconds) l.Seconds = seconds;
            if (used >= 0 && (l.ServerCpu < 0 || used < l.ServerCpu)) l.ServerCpu = used;
        }
}

bool Export(const std::string& Dsn, const std::string& User, const std::string& Password, TExportDialect Dialect,
            long RowsPerInsert, const std::string& File, bool CopyRows = false) {
    TODBC connection;
    if (!connection.Connect(Dsn, User, Password)) {
        std::fprintf(stderr, "cannot connect to %s\n", Dsn.c_str());
        return false;
    }
    TExport engine(&connection, DialectForKind(connection.DatabaseKind()));
    engine.RowsPerInsert = static_cast<std::int32_t>(RowsPerInsert);
    engine.CopyRows = CopyRows;
    fs::remove(File);
    const int result = engine.DumpTable(Dialect, "b", File, "", true, true, false, false, "");
    if (result != 0) std::fprintf(stderr, "export failed: %s\n", engine.ErrorText.c_str());
    return result == 0;
}

// The engine's scripts of one form, one per rows-per-insert value, named "<Stem>-<n>.sql".
bool AddForms(std::vector<TLoad>& Loads, const std::string& Dsn, const std::string& User,
              const std::string& Password, TExportDialect Dialect, const std::vector<long>& PerInsert,
              const std::string& Dir, const std::string& Stem) {
    for (long n : PerInsert) {
        const std::string file = Dir + "/" + Stem + "-" + std::to_string(n) + ".sql";
        if (!Export(Dsn, User, Password, Dialect, n, file)) return false;
        Loads.push_back({"ferrocan --dialect " + Stem + (n > 1 ? " --rows-per-insert " + std::to_string(n) : ""),
                         file});
    }
    return true;
}

void Report(const char* Target, long Rows, int Repeat, const std::vector<TLoad>& Loads, std::size_t Native) {
    std::printf("%s, %ld rows of 8 columns, each script loaded into an empty database (best of %d):\n", Target,
                Rows, Repeat);
    for (const TLoad& l : Loads) {
        if (l.Seconds < 0) {
            std::printf("  %-52s FAILED\n", l.Name.c_str());
            continue;
        }
        std::printf("  %-52s %7.2f s  %5.2fx %s  (%.1f MB, rows loaded: %s)\n", l.Name.c_str(), l.Seconds,
                    l.Seconds / Loads[Native].Seconds, Loads[Native].Name.c_str(),
                    static_cast<double>(fs::file_size(l.File)) / 1e6, l.Rows.c_str());
        if (l.ServerCpu >= 0 && Loads[Native].ServerCpu > 0)
            std::printf("  %-52s %7.2f s  %5.2fx   server processor time\n", "", l.ServerCpu,
                        l.ServerCpu / Loads[Native].ServerCpu);
    }
    std::fflush(stdout);
}

// The table every target gets: the same 8 columns and values in each database's own SQL.
const char* const kSqliteMake =
    "CREATE TABLE b (id integer primary key, name varchar(40), price decimal(10,2), qty integer,"
    " made date, note varchar(80), code char(8), ratio double precision);"
    "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < %ld)"
    " INSERT INTO b SELECT n, 'name ' || n, n * 0.25, n %% 1000, '2024-01-01', 'it''s row ' || n,"
    " 'C' || (n %% 10000), n / 7.0 FROM s;";
const char* const kPostgresMake =
    "CREATE TABLE b (id integer primary key, name varchar(40), price numeric(10,2), qty integer, made date,"
    " note varchar(80), code char(8), ratio double precision);"
    "INSERT INTO b SELECT n, 'name ' || n, n * 0.25, n %% 1000, DATE '2024-01-01', 'it''s row ' || n,"
    " 'C' || (n %% 10000), n / 7.0 FROM generate_series(1, %ld) n;";
const char* const kMariaDBMake =
    "CREATE TABLE b (id int primary key, name varchar(40), price decimal(10,2), qty int, made date,"
    " note varchar(80), code char(8), ratio double);"
    "INSERT INTO b SELECT seq, concat('name ', seq), seq * 0.25, seq %% 1000, '2024-01-01',"
    " concat('it''s row ', seq), concat('C', seq %% 10000), seq / 7 FROM seq_1_to_%ld;";

std::string Make(const char* Pattern, long Rows) {
    char text[1024];
    std::snprintf(text, sizeof text, Pattern, Rows);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> counts{50000, 200000}, perInsert{1, 100, 1000};
    int repeat = 3;
    std::string dir = (fs::temp_directory_path() / "ferrocan-load-bench").string();
    std::string pgSocket, pgPort = "5432", pgUser = "ferrocan", pgPassword = "ferrocan";
    std::string mySocket, myUser = "ferrocan", myPassword = "ferrocan";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--rows") counts = Numbers(value);
        if (key == "--rows-per-insert") perInsert = Numbers(value);
        if (key == "--repeat") repeat = std::max(1, std::atoi(value.c_str()));
        if (key == "--dir") dir = value;
        if (key == "--pg-socket") pgSocket = value;
        if (key == "--pg-port") pgPort = value;
        if (key == "--pg-user") pgUser = value;
        if (key == "--pg-password") pgPassword = value;
        if (key == "--mariadb-socket") mySocket = value;
        if (key == "--mariadb-user") myUser = value;
        if (key == "--mariadb-password") myPassword = value;
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream(dir + "/odbcinst.ini") << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
                                                "[PostgreSQL]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n"
                                                "[MariaDB]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so\n";
        std::ofstream ini(dir + "/odbc.ini");
        ini << "[bench_sqlite]\nDriver=SQLite3\nDatabase=" << dir << "/source.db\nStepAPI=1\n";
        if (!pgSocket.empty())
            ini << "[bench_pg]\nDriver=PostgreSQL\nServername=" << pgSocket << "\nPort=" << pgPort
                << "\nDatabase=ferrocan_load_src\nUsername=" << pgUser << "\nPassword=" << pgPassword << "\n";
        if (!mySocket.empty())
            ini << "[bench_mariadb]\nDriver=MariaDB\nSocket=" << mySocket
                << "\nDatabase=ferrocan_load_src\nCharset=utf8mb4\n";
    }
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);

    for (long rows : counts) {
        // MariaDB: the MySQL form beside mariadb-dump's default output (multi-row INSERTs of
        // up to about 1 MB, each committed on its own, keys disabled and the table locked).
        if (!mySocket.empty()) {
            const std::string client = "MYSQL_PWD=" + Quoted(myPassword) + " mariadb --no-defaults -S " +
                                       Quoted(mySocket) + " -u" + Quoted(myUser) + " ";
            auto fresh = [&](const std::string& Name) {
                return Shell(client + "-e " +
                             Quoted("DROP DATABASE IF EXISTS " + Name + "; CREATE DATABASE " + Name +
                                    " CHARACTER SET utf8mb4"));
            };
            if (!fresh("ferrocan_load_src")) return 1;
            if (!Shell(client + "ferrocan_load_src -e " + Quoted(Make(kMariaDBMake, rows)))) return 1;
            std::vector<TLoad> loads{{"mariadb-dump (default)", dir + "/my-dump.sql"}};
            if (!Shell("MYSQL_PWD=" + Quoted(myPassword) + " mariadb-dump --no-defaults -S " + Quoted(mySocket) +
                       " -u" + Quoted(myUser) + " ferrocan_load_src b > " + Quoted(loads[0].File)))
                return 1;
            if (!AddForms(loads, "bench_mariadb", myUser, myPassword, edMySQL, perInsert, dir, "mysql")) return 1;
            // The server's process, when it runs on this machine, for its processor time.
            long serverPid = 0;
            std::ifstream(Output(client + "-N -e 'SELECT @@pid_file'")) >> serverPid;
            LoadAll(
                loads, repeat, [&] { return fresh("ferrocan_load_dst"); },
                [&](const TLoad& l) { return client + "ferrocan_load_dst < " + Quoted(l.File); },
                client + "-N ferrocan_load_dst -e 'SELECT count(*) FROM b'", serverPid);
            Report("MariaDB (mariadb)", rows, repeat, loads, 0);
            Shell(client + "-e 'DROP DATABASE ferrocan_load_src; DROP DATABASE ferrocan_load_dst'");
        }

        // SQLite: the SQLite form beside the shell's dump, each loaded by the shell.
        const std::string source = dir + "/source.db";
        fs::remove(source);
        std::ofstream(dir + "/make.sql") << Make(kSqliteMake, rows);
        if (!Shell("sqlite3 " + Quoted(source) + " < " + Quoted(dir + "/make.sql"))) return 1;
        std::vector<TLoad> sqlite{{"sqlite3 .dump", dir + "/sqlite-dump.sql"}};
        if (!Shell("sqlite3 " + Quoted(source) + " '.dump b' > " + Quoted(sqlite[0].File))) return 1;
        if (!AddForms(sqlite, "bench_sqlite", "", "", edSQLite, perInsert, dir, "sqlite")) return 1;
        const std::string db = dir + "/load.db";
        LoadAll(
            sqlite, repeat, [&] { return fs::remove(db) || !fs::exists(db); },
            [&](const TLoad& l) { return "sqlite3 -bail " + Quoted(db) + " < " + Quoted(l.File) + " > /dev/null"; },
            "sqlite3 " + Quoted(db) + " 'SELECT count(*) FROM b'");
        Report("SQLite (sqlite3)", rows, repeat, sqlite, 0);

        if (pgSocket.empty()) continue;
        const std::string env = "PGPASSWORD=" + Quoted(pgPassword) + " PGHOST=" + Quoted(pgSocket) +
                                " PGPORT=" + Quoted(pgPort) + " PGUSER=" + Quoted(pgUser) + " ";
        const std::string psql = env + "psql -X -q -v ON_ERROR_STOP=1 ";
        auto fresh = [&](const std::string& Name) {
            return Shell(psql + "-d postgres -c " + Quoted("DROP DATABASE IF EXISTS " + Name + " WITH (FORCE)") +
                         " -c " + Quoted("CREATE DATABASE " + Name + " TEMPLATE template0 ENCODING 'UTF8'"));
        };
        if (!fresh("ferrocan_load_src")) return 1;
        if (!Shell(psql + "-d ferrocan_load_src -c " + Quoted(Make(kPostgresMake, rows)))) return 1;
        std::vector<TLoad> pg{{"pg_dump --inserts", dir + "/pg-inserts.sql"}, {"pg_dump (COPY)", dir + "/pg-copy.sql"}};
        const std::string pgDump = env + "pg_dump --no-owner -d ferrocan_load_src -t b ";
        if (!Shell(pgDump + "--inserts > " + Quoted(pg[0].File))) return 1;
        if (!Shell(pgDump + "> " + Quoted(pg[1].File))) return 1;
        if (!AddForms(pg, "bench_pg", pgUser, pgPassword, edPostgreSQL, perInsert, dir, "postgresql")) return 1;
        pg.emplace_back("ferrocan --dialect postgresql --copy", dir + "/postgresql-copy.sql");
        if (!Export("bench_pg", pgUser, pgPassword, edPostgreSQL, 1, pg.back().File, true)) return 1;
        LoadAll(
            pg, repeat, [&] { return fresh("ferrocan_load_dst"); },
            [&](const TLoad& l) { return psql + "-d ferrocan_load_dst -f " + Quoted(l.File) + " > /dev/null"; },
            psql + "-At -d ferrocan_load_dst -c 'SELECT count(*) FROM b'");
        Report("PostgreSQL (psql -v ON_ERROR_STOP=1 -f)", rows, repeat, pg, 0);
        for (std::size_t i = 2; i < pg.size(); ++i)
            std::printf("  against pg_dump (COPY): %s %.2fx\n", pg[i].Name.c_str(), pg[i].Seconds / pg[1].Seconds);
        Shell(psql + "-d postgres -c 'DROP DATABASE IF EXISTS ferrocan_load_src WITH (FORCE)' -c "
                     "'DROP DATABASE IF EXISTS ferrocan_load_dst WITH (FORCE)'");
    }
    return 0;
}
