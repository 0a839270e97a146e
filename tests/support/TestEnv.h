#pragma once
// Test environment: scratch folders, data sources for the real drivers, and the private
// MariaDB and PostgreSQL servers and Firebird tools that the test script provides.
#include <optional>
#include <string>
#include <vector>

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The folder with the generated odbcinst.ini (drivers "SQLite3", "MariaDB", "PostgreSQL",
// "Firebird Emulated").
std::string TestEnvDir();
std::string SourceDir();
std::string BinaryDir();

// Adds (or replaces) a data source in this process's user odbc.ini ($ODBCINI).
// Lines are "Key=Value" pairs after Driver=.
void AddDataSource(const std::string& name, const std::string& driver, const std::string& lines);
// A data source named `name` for the SQLite database file dbPath (StepAPI=1 unless extra overrides).
void AddSqliteDataSource(const std::string& name, const std::string& dbPath, const std::string& extra = "");

// Runs SQL against a SQLite database file with the sqlite3 shell; fails the test on error.
void SqliteExec(const std::string& dbPath, const std::string& sql);
// Output of a query through the sqlite3 shell (list mode, '|' separated, one row a line).
std::string SqliteQuery(const std::string& dbPath, const std::string& sql);

// MariaDB: the private server started by the "mariadb" CTest fixture. Fails the test loudly
// when it is not running.
std::string MariaDBSocket();
std::string MariaDBUser(); // a user with all rights
std::string MariaDBPassword();
// A database name of the running test case's own, so that cases run side by side
// (ctest -j) never share a database on the shared servers: Prefix, the case's name in
// lower case cut to fit, and a hash of suite and case that keeps cut names apart. At most
// 32 characters, the longest data source name.
std::string TestDatabaseName(const std::string& Prefix);
// Creates a fresh, empty database and a data source of the same name pointing at it.
std::string FreshMariaDBDatabase(const std::string& name);
void MariaDBExec(const std::string& database, const std::string& sql);
std::string MariaDBQuery(const std::string& database, const std::string& sql);

// PostgreSQL: the private server started by the "postgres" CTest fixture. Fails the test
// loudly when it is not running.
std::string PostgresSocketDir(); // the folder holding the server's unix socket
int PostgresPort();
std::string PostgresUser(); // a superuser
std::string PostgresPassword();
// Creates a fresh, empty database (UTF8) and a data source of the same name pointing at it
// through the driver "PostgreSQL"; extra ("Key=Value" lines) is added to the data source.
std::string FreshPostgresDatabase(const std::string& name, const std::string& extra = "");
// Runs SQL with psql (stopping at the first error, each statement committed on its own);
// fails the test on error.
void PostgresExec(const std::string& database, const std::string& sql);
// Output of queries through psql: one row a line, values joined by tabs, NULL as "NULL",
// no headings or command tags (as MariaDBQuery, but values are printed unescaped).
std::string PostgresQuery(const std::string& database, const std::string& sql);

// Runs a command, returns its exit status and collects standard output and error.
int RunCommand(const std::string& command, std::string* output = nullptr);
// The same with standard error kept apart from standard output.
int RunCommand(const std::string& command, std::string* output, std::string* errors);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// Firebird 3 in embedded mode: isql-fb opens the database file directly, no server.
// Fails the test loudly (and returns false) when isql-fb is not installed.
bool RequireFirebirdTools();
// Creates an empty database file (UTF8 default character set), replacing an existing one.
void FirebirdCreateDatabase(const std::string& path);
// Runs a script with isql-fb -bail (connection character set UTF8; committed at the end
// unless a statement fails). Returns the output, standard error included. *status gets
// nonzero when a statement failed; without status, a failure fails the test.
std::string FirebirdRunScript(const std::string& path, const std::string& script, int* status = nullptr);
// The rows of one query, values as isql-fb prints them (blob text in full, scaled numbers
// with all their decimals, timestamps with four decimals), CHAR values without their
// padding; NULL is an empty optional. A value ending in line breaks in the last column of
// the last row loses them.
using FirebirdRow = std::vector<std::optional<std::string>>;
std::vector<FirebirdRow> FirebirdRows(const std::string& path, const std::string& sql);
// The same rows as text like SqliteQuery: one row a line, values joined by '|', NULL empty.
std::string FirebirdQuery(const std::string& path, const std::string& sql);
