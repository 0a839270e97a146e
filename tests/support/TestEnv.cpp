#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::string ShellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'')
            r += "'\\''";
        else
            r += c;
    }
    return r + "'";
}

std::string MariaDBDir() {
    return TestEnvDir() + "/mariadb";
}

std::string TrimLine(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

// The password travels in MYSQL_PWD: with -p the client warns on standard error.
std::string MariaDBClient(const std::string& database) {
    return "MYSQL_PWD=" + ShellQuote(MariaDBPassword()) + " mariadb --no-defaults --protocol=socket -S " +
           ShellQuote(MariaDBSocket()) + " -u" + MariaDBUser() + " --batch --skip-column-names " +
           (database.empty() ? std::string() : ShellQuote(database));
}

std::string PostgresDir() {
    return TestEnvDir() + "/postgres";
}

std::string PostgresClient(const std::string& database) {
    return "PGPASSWORD=" + ShellQuote(PostgresPassword()) + " PGCLIENTENCODING=UTF8 psql -X -q -v ON_ERROR_STOP=1" +
           " -h " + ShellQuote(PostgresSocketDir()) + " -p " + std::to_string(PostgresPort()) + " -U " +
           PostgresUser() + " -d " + ShellQuote(database.empty() ? std::string("postgres") : database);
}

} // namespace

ScratchDir::ScratchDir() {
    std::string tmpl = (fs::temp_directory_path() / "ferrocan-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TestEnvDir() {
    return EnvOr("FERROCAN_TESTENV", "/tmp");
}
std::string SourceDir() {
    return EnvOr("FERROCAN_SOURCE_DIR", ".");
}
std::string BinaryDir() {
    return EnvOr("FERROCAN_BINARY_DIR", ".");
}

namespace {
int RunShell(const std::string& cmd, std::string* output) {
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf;
    std::string out;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    int status = pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

int RunCommand(const std::string& command, std::string* output) {
    return RunShell("( " + command + " ) 2>&1", output);
}

int RunCommand(const std::string& command, std::string* output, std::string* errors) {
    ScratchDir tmp;
    std::string errFile = tmp.File("stderr");
    int rc = RunShell("( " + command + " ) 2>" + ShellQuote(errFile), output);
    if (errors) *errors = ReadFile(errFile);
    return rc;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

void AddDataSource(const std::string& name, const std::string& driver, const std::string& lines) {
    // Each test process gets its own user odbc.ini, so tests never see each other's sources.
    static const ScratchDir iniDir;
    static const std::string iniPath = [] {
        std::string path = iniDir.File("odbc.ini");
        setenv("ODBCINI", path.c_str(), 1);
        std::ofstream(path, std::ios::trunc).flush();
        return path;
    }();
    // Drop an older section of the same name.
    std::istringstream old(ReadFile(iniPath));
    std::string kept, line;
    bool skipping = false;
    while (std::getline(old, line)) {
        if (!line.empty() && line.front() == '[') skipping = (line == "[" + name + "]");
        if (!skipping) kept += line + "\n";
    }
    kept += "[" + name + "]\nDriver=" + driver + "\n" + lines;
    if (!lines.empty() && lines.back() != '\n') kept += "\n";
    WriteFile(iniPath, kept);
}

void AddSqliteDataSource(const std::string& name, const std::string& dbPath, const std::string& extra) {
    std::string lines = "Database=" + dbPath + "\n";
    if (extra.find("StepAPI") == std::string::npos) lines += "StepAPI=1\n";
    lines += extra;
    AddDataSource(name, "SQLite3", lines);
}

void SqliteExec(const std::string& dbPath, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out;
    int rc = RunCommand("sqlite3 -bail " + ShellQuote(dbPath) + " < " + ShellQuote(tmp.File("in.sql")), &out);
    ASSERT_EQ(rc, 0) << "sqlite3 failed: " << out;
}

std::string SqliteQuery(const std::string& dbPath, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out, err;
    int rc = RunCommand("sqlite3 -bail " + ShellQuote(dbPath) + " < " + ShellQuote(tmp.File("in.sql")), &out,
                        &err);
    EXPECT_EQ(rc, 0) << "sqlite3 failed: " << err << out;
    return out;
}

std::string MariaDBSocket() {
    // The server script names its socket in a file: under a deep build folder the socket
    // lives elsewhere, as socket paths are limited to 107 bytes.
    std::string sock = TrimLine(ReadFile(MariaDBDir() + "/socket"));
    if (sock.empty()) sock = MariaDBDir() + "/mysqld.sock";
    if (!fs::exists(sock))
        ADD_FAILURE() << "the private MariaDB server is not running (no " << sock
                      << "); run the tests through ctest or scripts/test.sh";
    return sock;
}

std::string MariaDBUser() {
    return "ferrocan";
}
std::string MariaDBPassword() {
    return "ferrocan";
}

std::string TestDatabaseName(const std::string& Prefix) {
    constexpr std::size_t MaxLength = 32;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string full = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    std::string readable = test ? test->name() : "none";
    for (char& c : readable)
        c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                                                          : '_';
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (unsigned char c : full) {
        hash ^= c;
        hash *= 16777619u;
    }
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(hash));
    const std::size_t fixed = Prefix.size() + 1 + 1 + 6;
    EXPECT_LT(fixed, MaxLength) << "prefix too long for a data source name: " << Prefix;
    readable.resize(std::min(readable.size(), MaxLength > fixed ? MaxLength - fixed : 0));
    return Prefix + "_" + readable + "_" + std::string(tag, 6);
}

std::string FreshMariaDBDatabase(const std::string& name) {
    std::string out;
    int rc = RunCommand("printf '%s\\n' " +
                            ShellQuote("DROP DATABASE IF EXISTS `" + name + "`; CREATE DATABASE `" + name +
                                       "` CHARACTER SET utf8mb4;") +
                            " | " + MariaDBClient(""),
                        &out);
    EXPECT_EQ(rc, 0) << out;
    AddDataSource(name, "MariaDB",
                  "Socket=" + MariaDBSocket() + "\nDatabase=" + name + "\nUser=" + MariaDBUser() +
                      "\nPassword=" + MariaDBPassword() + "\nCharset=utf8mb4\n");
    return name;
}

void MariaDBExec(const std::string& database, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out;
    int rc = RunCommand(MariaDBClient(database) + " < " + ShellQuote(tmp.File("in.sql")), &out);
    ASSERT_EQ(rc, 0) << "mariadb failed: " << out;
}

std::string MariaDBQuery(const std::string& database, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out, err;
    int rc = RunCommand(MariaDBClient(database) + " < " + ShellQuote(tmp.File("in.sql")), &out, &err);
    EXPECT_EQ(rc, 0) << "mariadb failed: " << err << out;
    return out;
}

// ---- PostgreSQL ----

std::string PostgresSocketDir() {
    // As with MariaDB, a deep build folder puts the socket elsewhere; the file names it.
    std::string dir = TrimLine(ReadFile(PostgresDir() + "/socketdir"));
    if (dir.empty()) dir = PostgresDir();
    std::string sock = dir + "/.s.PGSQL." + std::to_string(PostgresPort());
    if (!fs::exists(sock))
        ADD_FAILURE() << "the private PostgreSQL server is not running (no " << sock
                      << "); run the tests through ctest or scripts/test.sh";
    return dir;
}

int PostgresPort() {
    std::string port = TrimLine(ReadFile(PostgresDir() + "/port"));
    if (port.empty()) {
        ADD_FAILURE() << "the private PostgreSQL server was never started (no " << PostgresDir()
                      << "/port); run the tests through ctest or scripts/test.sh";
        return 0;
    }
    return std::atoi(port.c_str());
}

std::string PostgresUser() {
    return "ferrocan";
}
std::string PostgresPassword() {
    return "ferrocan";
}

namespace {
std::string QuotePgIdentifier(const std::string& name) {
    std::string r = "\"";
    for (char c : name)
        r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}
} // namespace

std::string FreshPostgresDatabase(const std::string& name, const std::string& extra) {
    // Separate statements: CREATE DATABASE cannot run inside a transaction block. FORCE
    // ends sessions a failed test left open.
    PostgresExec("", "DROP DATABASE IF EXISTS " + QuotePgIdentifier(name) + " WITH (FORCE);\n"
                     "CREATE DATABASE " + QuotePgIdentifier(name) + " TEMPLATE template0 ENCODING 'UTF8';\n");
    std::string lines = "Servername=" + PostgresSocketDir() + "\nPort=" + std::to_string(PostgresPort()) +
                        "\nDatabase=" + name + "\nUsername=" + PostgresUser() + "\nPassword=" + PostgresPassword() +
                        "\n" + extra;
    AddDataSource(name, "PostgreSQL", lines);
    return name;
}

void PostgresExec(const std::string& database, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out, err;
    int rc = RunCommand(PostgresClient(database) + " -f " + ShellQuote(tmp.File("in.sql")), &out, &err);
    ASSERT_EQ(rc, 0) << "psql failed: " << err << out;
}

std::string PostgresQuery(const std::string& database, const std::string& sql) {
    ScratchDir tmp;
    WriteFile(tmp.File("in.sql"), sql);
    std::string out, err;
    int rc = RunCommand(PostgresClient(database) + " --no-align --tuples-only --field-separator=" +
                            ShellQuote("\t") + " -P null=NULL -f " + ShellQuote(tmp.File("in.sql")),
                        &out, &err);
    EXPECT_EQ(rc, 0) << "psql failed: " << err << out;
    return out;
}

// ---- Firebird (embedded) ----

namespace {

std::string IsqlCommand(const std::string& dbPath, bool bail) {
    // A plain file path selects the embedded engine. The lock folder is private to the
    // test environment so that tests never depend on a system-wide server's folder.
    std::string lockDir = TestEnvDir() + "/firebird-lock";
    std::error_code ec;
    fs::create_directories(lockDir, ec);
    return "FIREBIRD_LOCK=" + ShellQuote(lockDir) + " isql-fb -q" + (bail ? " -bail" : "") +
           " -ch UTF8 -user SYSDBA " + (dbPath.empty() ? std::string() : ShellQuote(dbPath));
}

bool ScriptFailed(int rc, const std::string& output) {
    return rc != 0 || output.find("Statement failed") != std::string::npos;
}

std::string StatementOf(const std::string& sql) {
    std::string s = sql;
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == ';'))
        s.pop_back();
    return s + ";\n";
}

} // namespace

bool RequireFirebirdTools() {
    std::string out;
    if (RunCommand("command -v isql-fb", &out) == 0) return true;
    ADD_FAILURE() << "isql-fb is not installed (Debian packages firebird3.0-utils and "
                     "firebird3.0-server-core); scripts/test.sh installs them";
    return false;
}

void FirebirdCreateDatabase(const std::string& path) {
    ASSERT_TRUE(RequireFirebirdTools());
    std::error_code ec;
    fs::remove(path, ec);
    std::string sql = "create database '";
    for (char c : path)
        sql += c == '\'' ? std::string("''") : std::string(1, c);
    sql += "' user 'SYSDBA' page_size 8192 default character set UTF8;\n";
    ScratchDir tmp;
    WriteFile(tmp.File("create.sql"), sql);
    std::string out;
    int rc = RunCommand(IsqlCommand("", true) + " -i " + ShellQuote(tmp.File("create.sql")), &out);
    ASSERT_FALSE(ScriptFailed(rc, out)) << "cannot create Firebird database " << path << ": " << out;
    ASSERT_TRUE(fs::exists(path)) << out;
}

std::string FirebirdRunScript(const std::string& path, const std::string& script, int* status) {
    if (!RequireFirebirdTools()) {
        if (status) *status = -1;
        return "isql-fb missing";
    }
    ScratchDir tmp;
    WriteFile(tmp.File("script.sql"), script);
    std::string out;
    int rc = RunCommand(IsqlCommand(path, true) + " -i " + ShellQuote(tmp.File("script.sql")), &out);
    bool failed = ScriptFailed(rc, out);
    if (status)
        *status = failed ? (rc != 0 ? rc : 1) : 0;
    else
        EXPECT_FALSE(failed) << "isql-fb failed on " << path << ":\n" << out;
    return out;
}

std::vector<FirebirdRow> FirebirdRows(const std::string& path, const std::string& sql) {
    std::vector<FirebirdRow> rows;
    if (!RequireFirebirdTools()) return rows;
    // List mode prints every value on its own labelled line; the descriptor display gives
    // the labels and types, so multi-line values and blob text can be told apart from the
    // next label. A sentinel query marks where the rows end.
    const std::string sentinel = "FERROCAN_END_OF_ROWS";
    std::string script = "set list on;\nset blob all;\nset sqlda_display on;\n" + StatementOf(sql) +
                         "set sqlda_display off;\nselect 1 as " + sentinel + " from rdb$database;\n";
    ScratchDir tmp;
    WriteFile(tmp.File("query.sql"), script);
    std::string out, err;
    int rc = RunCommand(IsqlCommand(path, true) + " -i " + ShellQuote(tmp.File("query.sql")), &out, &err);
    if (ScriptFailed(rc, out + err)) {
        ADD_FAILURE() << "isql-fb query failed on " << path << ": " << sql << "\n" << err << out;
        return rows;
    }

    std::vector<std::string> lines;
    {
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
    }
    std::size_t i = 0;
    while (i < lines.size() && lines[i].rfind("OUTPUT message field count:", 0) != 0)
        ++i;
    struct Column {
        std::string label;
        bool blob = false;
        bool fixed = false; // CHAR: isql-fb pads to the byte width of the column
    };
    std::vector<Column> cols;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        const std::string& l = lines[i];
        std::size_t typePos = l.find(": sqltype: ");
        if (typePos != std::string::npos && typePos == 2) {
            int type = std::atoi(l.c_str() + typePos + 11);
            cols.push_back({"", (type & ~1) == 520, (type & ~1) == 452});
        } else if (std::size_t a = l.find(" alias: "); a != std::string::npos && !cols.empty()) {
            cols.back().label = l.substr(a + 8);
        }
    }
    std::size_t end = lines.size();
    while (end > i && lines[end - 1].rfind(sentinel, 0) != 0)
        --end;
    if (end > i) --end; // the sentinel line itself
    while (end > i && lines[end - 1].empty())
        --end;
    if (cols.empty()) return rows;

    // isql-fb (Firebird 3) pads labels to 32 columns: 31 characters of name and a blank.
    auto isLabel = [&](const std::string& l, std::size_t c) {
        const std::string& label = cols[c].label;
        return l.size() > label.size() && l.compare(0, label.size(), label) == 0 && l[label.size()] == ' ';
    };
    auto valueOf = [&](const std::string& l, std::size_t c) {
        std::size_t start = std::max<std::size_t>(cols[c].label.size() + 1, 32);
        return start < l.size() ? l.substr(start) : std::string();
    };
    std::ptrdiff_t field = -1; // current field of the current row
    bool blobTextStarted = false;
    const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(cols.size()) - 1;
    for (std::size_t k = i; k < end; ++k) {
        const std::string& l = lines[k];
        if ((field == -1 || field == last) && l.empty() && k + 1 < end && isLabel(lines[k + 1], 0)) {
            rows.emplace_back();
            field = -1;
            continue;
        }
        if (rows.empty()) continue;
        FirebirdRow& row = rows.back();
        if (field < last && isLabel(l, static_cast<std::size_t>(field + 1))) {
            ++field;
            std::string v = valueOf(l, static_cast<std::size_t>(field));
            if (v == "<null>")
                row.push_back(std::nullopt);
            else if (cols[static_cast<std::size_t>(field)].blob)
                row.push_back(std::string());
            else if (cols[static_cast<std::size_t>(field)].fixed)
                row.push_back(v.substr(0, v.find_last_not_of(' ') + 1));
            else
                row.push_back(v);
            blobTextStarted = false;
            continue;
        }
        if (field < 0 || !row.back()) continue;
        std::string& v = *row.back();
        if (cols[static_cast<std::size_t>(field)].blob && !blobTextStarted) {
            v = l;
            blobTextStarted = true;
        } else {
            v += "\n" + l;
        }
    }
    return rows;
}

std::string FirebirdQuery(const std::string& path, const std::string& sql) {
    std::string text;
    for (const FirebirdRow& row : FirebirdRows(path, sql)) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) text += '|';
            if (row[c]) text += *row[c];
        }
        text += '\n';
    }
    return text;
}
