#pragma once
// Round trips of the driver-facts dialects: rows read back exactly through ODBC on both
// sides and compared value by value, numbers by value where the target keeps them as
// numbers, everything else byte for byte.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using TValueRow = std::vector<std::optional<std::string>>;

// Every row of a query: exact values (FieldData), NULL as an empty optional. Fails the
// test when the connect or the query fails.
std::vector<TValueRow> ReadRows(const std::string& Dsn, const std::string& Sql, const std::string& User = "",
                                const std::string& Password = "");

// Compares two row sets; the columns in Numeric compare as numbers (12.50 equals 12.5,
// 1e3 equals 1000). Adds one failure per differing value, naming row and column.
void ExpectSameRows(const std::vector<TValueRow>& Source, const std::vector<TValueRow>& Target,
                    const std::set<int>& Numeric, const std::string& Label);

// Runs a script through the sqlite3 shell (-bail); its output, standard error included.
// *status gets the exit status.
std::string SqliteLoad(const std::string& DbPath, const std::string& ScriptPath, int* Status);

// Runs a script through psql the way its users load it (-X -v ON_ERROR_STOP=1 -f), with
// ServerOptions as PGOPTIONS ("-c name=value"); the exit status, output and errors.
int PostgresLoad(const std::string& Database, const std::string& ScriptPath, const std::string& ServerOptions,
                 std::string* Output, std::string* Errors);
// Runs a script through the mariadb client (stopping at the first error, strict mode);
// the exit status and output, standard error included.
int MariaDBLoad(const std::string& Database, const std::string& ScriptPath, std::string* Output);

// Each nonzero floating-point value of Column in Table (with an integer column id), exactly:
// taken apart into a 53-bit integer and a power of two by the database's own arithmetic
// (powers of two made by doubling), never through a text of the value.
std::map<int, double> SqliteExactDoubles(const std::string& DbPath, const std::string& Table,
                                         const std::string& Column);
std::map<int, double> FirebirdExactDoubles(const std::string& DbPath, const std::string& Table,
                                           const std::string& Column);

// Each line's fields (split at '|' or tab) as the shortest text of their double, any other
// text as <text>: texts of one value in different spellings compare equal, any other bit
// does not.
std::vector<std::string> DoubleLines(const std::string& Text);
// The same, but an integer text of up to 19 digits stays as it is: a 64-bit integer that a
// double would round is told apart from its neighbours.
std::vector<std::string> NumberLines(const std::string& Text);
