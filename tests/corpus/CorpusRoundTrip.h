#pragma once
// Round trips of the bid corpus: the real ferrocan-export writes a script, each target's
// own client loads it statement by statement (the refused statements are counted), and
// every value that arrives is compared with the source.
//
// Values are compared in a canonical text form that changes representation only, never
// content:
//   - text and binary values as their exact bytes (read as hex from every database);
//     CHAR columns without their trailing pad blanks;
//   - integers and decimals as decimal text without a plus sign, leading zeros or
//     trailing fractional zeros (1.50 and 1.5 are the same value, 1.5 and 1.6 are not);
//   - floating-point values as the double they denote;
//   - times and timestamps without a zero fraction (Firebird prints four decimals);
//   - bit values as their number, whether the target keeps them as numbers or bytes.
#include <optional>
#include <string>
#include <vector>

enum class TValueKind { Text, FixedText, Binary, Bit, Integer, Decimal, Float, Date, Time, DateTime };

struct TCorpusColumn {
    std::string Name;
    TValueKind Kind;
};

struct TCorpusTable {
    std::string Name;
    std::vector<TCorpusColumn> Columns;
    std::vector<std::size_t> Key; // positions of the primary-key columns
    bool Has(const std::string& Column) const;
};

// One row in canonical form; NULL is an empty optional.
using TCorpusRow = std::vector<std::optional<std::string>>;

struct TTableRows {
    bool Found = false;  // the table exists in the database read
    std::string Problem; // why it could not be read, when it could not
    std::vector<TCorpusRow> Rows;
};

// A file of tests/corpus.
std::string CorpusFile(const std::string& Name);

// Runs ferrocan-export in Dir with a settings file naming DataSource and the extra
// arguments; returns the path of the script written ("" when none). ExitCode and Errors
// get the exit status (124 when it ran longer than TimeoutSeconds) and standard error.
std::string RunExport(const std::string& Dir, const std::string& DataSource, const std::string& Args,
                      int* ExitCode = nullptr, std::string* Errors = nullptr, int TimeoutSeconds = 120);

// Statements of a script as the target's client reads them: split at the terminator
// outside quotes, quoted identifiers and comments; SET TERM changes the terminator
// (Firebird). Each piece keeps its text up to and including its terminator.
struct TScriptStatement {
    std::string Text;
    bool Empty = false; // only blanks and comments
    bool IsInsert = false;
};
std::vector<TScriptStatement> SplitScript(const std::string& Script, bool BackslashEscapes);

struct TLoadResult {
    int Statements = 0;  // statements sent
    int Errors = 0;      // statements the client refused
    int TooLong = 0;     // statements left out as longer than the target accepts
    std::string Messages; // the client's error output
};

// Loads with `mariadb --force` in strict mode (utf8mb4 connection).
TLoadResult LoadIntoMariaDB(const std::string& Database, const std::string& Script);
// Loads with isql-fb (embedded, UTF8 connection, no -bail) into an existing database and
// commits. Statements over 64 KB, which Firebird 3 refuses whatever they hold, are left
// out and counted in TooLong.
TLoadResult LoadIntoFirebird(const std::string& DbPath, const std::string& Script);
// Loads with the sqlite3 shell (no -bail).
TLoadResult LoadIntoSqlite(const std::string& DbPath, const std::string& Script);
// The table an INSERT statement names, without its quotes.
std::string InsertTableName(const std::string& Statement);
// The INSERT statements of an Oracle-form script, nothing else, as SQLite takes them:
// Oracle's CHR outside literals becomes SQLite's char.
std::string InsertsOf(const std::string& Script);

// The bid tables of a source with their columns' kinds and keys.
std::vector<TCorpusTable> MariaDBCorpusTables(const std::string& Database);
std::vector<TCorpusTable> SqliteCorpusTables(const std::string& DbPath);
const TCorpusTable* FindTable(const std::vector<TCorpusTable>& Tables, const std::string& Name);

// The rows of Table (columns by position) in canonical form. Where is a condition in the
// database's own SQL on the table's column names.
TTableRows MariaDBTableRows(const std::string& Database, const TCorpusTable& Table, const std::string& Where = "");
TTableRows SqliteTableRows(const std::string& DbPath, const TCorpusTable& Table, const std::string& Where = "");
// Firebird: the table is found by name, or, for a name Firebird cannot hold, by a shared
// beginning and the same number of columns.
TTableRows FirebirdTableRows(const std::string& DbPath, const TCorpusTable& Table);
// The name of Table in a Firebird database found that way ("" when there is none), and
// the names of its columns in order.
std::string FirebirdRelationOf(const std::string& DbPath, const TCorpusTable& Table);
std::vector<std::string> FirebirdColumnNames(const std::string& DbPath, const std::string& Relation);

struct TRowDiff {
    int MissingRows = 0;
    int ExtraRows = 0;
    int WrongRows = 0;   // rows present on both sides with at least one value changed
    int WrongValues = 0; // values changed in those rows
    std::string Report;  // empty when the rows are the same
};
// Rows matched by the primary key (by the whole row for a table without one).
TRowDiff CompareRows(const TCorpusTable& Table, const TTableRows& Expected, const TTableRows& Actual);

// Canonical form of one value given as the bytes or text a database returned.
std::string CanonicalValue(TValueKind Kind, const std::string& Value);
// A value made readable in a report: control bytes and non-ASCII as \xNN, long values cut.
std::string Printable(const std::string& Value);
