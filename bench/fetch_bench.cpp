// Fetch benchmark: reads one table of 8 columns through TODBCStatement and through a plain
// ODBC loop (bound SQL_C_CHAR columns, SQLFetch) over the same driver, in the same run.
//
//   fetch_bench [rows] [--dir DIR] [--mariadb-socket PATH] [--user U] [--password P]
//
// SQLite always (data source with StepAPI=1, so the driver steps instead of loading the
// whole result); MariaDB when a socket is given. Tables are created once per row count and
// reused. Prints times, the ratio and the peak resident set size.
#include "TODBC.h"
#include "TODBCStatement.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
const char* const kMariaDBDriver = "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so";

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Processor time of the whole process (the worker thread included): on a shared machine it
// varies far less than the wall clock.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Result {
    long rows = 0;
    unsigned long long bytes = 0;
    double seconds = 0;
};

Result ReadThroughStatement(TODBC& conn, const std::string& sql) {
    Result r;
    double start = CpuSeconds();
    TODBCStatement st(&conn, false, false);
    for (bool row = st.ExecSQL(sql); row; row = st.Fetch()) {
        // The dump's per-field path: the exact bytes, no copy.
        for (int i = 0; i < st.ColumnCount(); ++i)
            r.bytes += st.FieldData(i).Bytes.size();
        ++r.rows;
    }
    r.seconds = CpuSeconds() - start;
    return r;
}

Result ReadPlain(TODBC& conn, const std::string& sql) {
    Result r;
    double start = CpuSeconds();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQLSucceeded(ODBC_CALL(SQLAllocHandle, SQL_HANDLE_STMT, conn.DbcHandle, &stmt))) return r;
    if (SQLSucceeded(ODBC_CALL(SQLExecDirect, stmt,
                               reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS))) {
        SQLSMALLINT count = 0;
        ODBC_CALL(SQLNumResultCols, stmt, &count);
        constexpr SQLLEN width = 128;
        std::vector<char> buffers(static_cast<std::size_t>(count) * width);
        std::vector<SQLLEN> lengths(count);
        for (SQLUSMALLINT i = 0; i < count; ++i)
            ODBC_CALL(SQLBindCol, stmt, i + 1, SQL_C_CHAR, buffers.data() + i * width, width, &lengths[i]);
        while (SQLSucceeded(ODBC_CALL(SQLFetch, stmt))) {
            for (SQLSMALLINT i = 0; i < count; ++i)
                if (lengths[i] > 0) r.bytes += static_cast<unsigned long long>(lengths[i]);
            ++r.rows;
        }
    }
    ODBC_CALL(SQLFreeHandle, SQL_HANDLE_STMT, stmt);
    r.seconds = CpuSeconds() - start;
    return r;
}

long CountRows(TODBC& conn, const std::string& table) {
    TODBCStatement st(&conn, true, false);
    if (!st.ExecSQL("select count(*) from " + table)) return -1;
    return std::atol(st.FieldAsString(0).c_str());
}

bool Exec(TODBC& conn, const std::string& sql) {
    TODBCStatement st(&conn, false, false);
    if (st.ExecSQL(sql)) return true;
    conn.ShowErrors = true;
    st.CheckError(SQL_ERROR);
    conn.ShowErrors = false;
    return false;
}

void Compare(const char* label, TODBC& conn, const std::string& table, long rows) {
    std::string sql = "select * from " + table;
    // Warm the caches once, then alternate and keep each side's best time.
    ReadPlain(conn, sql);
    std::printf("%-8s peak RSS after the plain loop %ld KiB\n", label, PeakRssKiB());
    Result plain, layer;
    for (int pass = 0; pass < 3; ++pass) {
        Result p = ReadPlain(conn, sql);
        Result l = ReadThroughStatement(conn, sql);
        if (pass == 0 || p.seconds < plain.seconds) plain = p;
        if (pass == 0 || l.seconds < layer.seconds) layer = l;
    }
    std::printf("%-13s rows=%ld  plain %.3f s  statement %.3f s (processor time, best of 3)  ratio %.3f  "
                "(bytes %llu / %llu)  peak RSS %ld KiB\n",
                label, rows, plain.seconds, layer.seconds, layer.seconds / plain.seconds, plain.bytes,
                layer.bytes, PeakRssKiB());
    if (plain.rows != rows || layer.rows != rows || plain.bytes != layer.bytes)
        std::printf("%-8s MISMATCH: plain %ld rows, statement %ld rows\n", label, plain.rows, layer.rows);
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string dir = (std::filesystem::temp_directory_path() / "ferrocan-bench").string();
    std::string socket, user = "ferrocan", password = "ferrocan";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (arg == "--dir")
            dir = next();
        else if (arg == "--mariadb-socket")
            socket = next();
        else if (arg == "--user")
            user = next();
        else if (arg == "--password")
            password = next();
        else
            rows = std::atol(arg.c_str());
    }
    std::filesystem::create_directories(dir);
    std::string table = "bench_" + std::to_string(rows);
    std::string dbPath = dir + "/bench.db";

    // The benchmark's own data sources.
    std::string ini = dir + "/odbc.ini";
    std::ofstream(ini) << "[ferro_bench]\nDriver=" << kSqliteDriver << "\nDatabase=" << dbPath
                       << "\nStepAPI=1\n\n"
                       << "[ferro_bench_maria]\nDriver=" << kMariaDBDriver << "\nSocket=" << socket
                       << "\nUser=" << user << "\nPassword="
                       << password
                       // Streams rows instead of loading the whole result (Connector/ODBC 3.1.17 and
                       // later, forward-only cursors only); older connectors ignore the key.
                       << "\nNO_CACHE=1\n";
    setenv("ODBCINI", ini.c_str(), 1);

    std::string columns =
        "(id integer, qty integer, price decimal(12,2), amount decimal(14,4), name varchar(40), "
        "code varchar(12), created datetime, updated datetime)";
    {
        TODBC conn;
        if (!conn.Connect("ferro_bench", "", "")) {
            std::fprintf(stderr, "cannot connect to the SQLite data source\n");
            return 1;
        }
        if (CountRows(conn, table) != rows) {
            Exec(conn, "drop table if exists " + table);
            Exec(conn, "create table " + table + columns);
            Exec(conn,
                 "insert into " + table +
                     " with recursive n(i) as (select 1 union all select i+1 from n where i < " +
                     std::to_string(rows) +
                     ") select i, i % 1000, (i % 100000) / 100.0, i * 1.2345, 'customer name number ' || i, "
                     "printf('C%08d', i), datetime(1600000000 + i, 'unixepoch'), "
                     "datetime(1700000000 + i, 'unixepoch') from n");
        }
        std::printf("SQLite   bound columns: %s\n", conn.BindColumns ? "yes" : "no");
        Compare("SQLite", conn, table, rows);
    }
    if (!socket.empty()) {
        TODBC conn;
        if (!conn.Connect("ferro_bench_maria", "", "")) {
            std::fprintf(stderr, "cannot connect to MariaDB at %s\n", socket.c_str());
            return 1;
        }
        Exec(conn, "create database if not exists ferro_bench");
        Exec(conn, "use ferro_bench");
        std::string qualified = "ferro_bench." + table;
        if (CountRows(conn, qualified) != rows) {
            Exec(conn, "drop table if exists " + qualified);
            Exec(conn, "create table " + qualified + columns);
            Exec(conn, "insert into " + qualified +
                           " select seq, seq % 1000, (seq % 100000) / 100.0, seq * 1.2345, "
                           "concat('customer name number ', seq), concat('C', lpad(seq, 8, '0')), "
                           "from_unixtime(1600000000 + seq), from_unixtime(1700000000 + seq) from seq_1_to_" +
                           std::to_string(rows));
        }
        std::printf("MariaDB  bound columns: %s\n", conn.BindColumns ? "yes" : "no");
        Compare("MariaDB", conn, qualified, rows);
        // The dump engine switches its connection to bound columns before it reads tables.
        conn.BindColumns = true;
        Compare("MariaDB/bound", conn, qualified, rows);
    }
    return 0;
}
