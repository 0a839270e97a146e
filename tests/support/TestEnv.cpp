#include "TestEnv.h"

#include <gtest/gtest.h>

#include <array>
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

std::string MariaDBDir() { return TestEnvDir() + "/mariadb"; }

// The password travels in MYSQL_PWD: with -p the client warns on standard error.
std::string MariaDBClient(const std::string& database) {
    return "MYSQL_PWD=" + ShellQuote(MariaDBPassword()) + " mariadb --no-defaults --protocol=socket -S " +
           ShellQuote(MariaDBSocket()) + " -u" + MariaDBUser() + " --batch --skip-column-names " +
           (database.empty() ? std::string() : ShellQuote(database));
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

std::string TestEnvDir() { return EnvOr("FERROCAN_TESTENV", "/tmp"); }
std::string SourceDir() { return EnvOr("FERROCAN_SOURCE_DIR", "."); }
std::string BinaryDir() { return EnvOr("FERROCAN_BINARY_DIR", "."); }

namespace {
int RunShell(const std::string& cmd, std::string* output) {
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf;
    std::string out;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
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
    int rc = RunCommand("sqlite3 -bail " + ShellQuote(dbPath) + " < " + ShellQuote(tmp.File("in.sql")), &out, &err);
    EXPECT_EQ(rc, 0) << "sqlite3 failed: " << err << out;
    return out;
}

std::string MariaDBSocket() {
    std::string sock = MariaDBDir() + "/mysqld.sock";
    if (!fs::exists(sock))
        ADD_FAILURE() << "the private MariaDB server is not running (no " << sock
                      << "); run the tests through ctest or scripts/test.sh";
    return sock;
}

std::string MariaDBUser() { return "ferrocan"; }
std::string MariaDBPassword() { return "ferrocan"; }

std::string FreshMariaDBDatabase(const std::string& name) {
    std::string out;
    int rc = RunCommand("printf '%s\\n' " + ShellQuote("DROP DATABASE IF EXISTS `" + name + "`; CREATE DATABASE `" + name +
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
