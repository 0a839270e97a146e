#pragma once
// SQLite's own list of a table's columns. The SQLite driver's column catalogue leaves out
// generated columns, which the row select still returns; SQLite's table_xinfo has them all,
// in their place.
#include "Text.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TODBCStatement;

struct TSqliteColumn {
    std::string Name;
    std::string DeclaredType; // as declared; empty for none
    bool NotNull = false;
    // 0 a plain column, 1 a hidden column of a virtual table (never in SELECT *),
    // 2 a virtual and 3 a stored generated column.
    int Hidden = 0;
    // Of a generated column: the data type the driver gives it in a result, and the
    // declared size (the first number in parentheses), -1 when none.
    int SqlType = 0;
    long long Size = -1;

    bool Generated() const { return Hidden >= 2; }
};

// The columns of Table (SourceIdent: its name quoted for SQLite) in declared order; empty
// when every column is plain or SQLite cannot tell (no table_xinfo before 3.26), so that
// the catalogue stands as it is.
std::vector<TSqliteColumn> SqliteColumnsWithGenerated(TODBCStatement& Statement, std::string_view Table,
                                                      std::string_view SourceIdent);

// How the values of a column declared decimal or numeric fit that type: SQLite keeps any
// integer, real or text there.
enum class TDecimalFit : unsigned char {
    Fits,     // integers and reals, each the nearest double to a number of that precision and
              // scale; without a precision: no value at all
    Integers, // without a precision: integers only
    Doubles,  // without a precision: reals and integers a double holds exactly (up to 2^53)
    Numbers,  // finite integers and reals, some beyond the type (or beyond 2^53 beside reals)
    Other,    // texts, blobs or an infinity too
};

struct TSqliteDecimal {
    std::string Name;
    int Precision = 0; // 0: declared without one
    int Scale = 0;
    TDecimalFit Fit = TDecimalFit::Fits;
};

// The columns of Table declared decimal or numeric, with or without a precision, and how
// their values fit it, read in one pass over the table; Ident quotes a name for SQLite.
// Empty when the table has none or the pass fails.
std::vector<TSqliteDecimal> SqliteDecimalColumns(TODBCStatement& Statement, std::string_view Table,
                                                 const std::function<std::string(std::string_view)>& Ident);
// The ODBC data type that stands for such a column's values in the forms other than SQLite's
// (SQL_BIGINT, SQL_DOUBLE, an unconstrained SQL_DECIMAL or SQL_LONGVARCHAR); 0 where the
// declared type holds them.
int StandInSqlType(const TSqliteDecimal& Decimal);
// The row select asks for each value's storage class and exact content: reals whose driver
// text (15 digits) may not give them back, or values of several classes.
bool NeedsClassItem(const TSqliteDecimal& Decimal, bool DriverGivesText);
// A column declared with a character type and a length ("varchar(5)"), which SQLite does not
// enforce, and the longest text it holds, longer than that length.
struct TSqliteLongText {
    std::string Name;
    long long Longest = 0;
};

// The columns of Table whose texts outrun their declared length, read in one pass over the
// table; empty when none does or the pass fails.
std::vector<TSqliteLongText> SqliteLongTextColumns(TODBCStatement& Statement, std::string_view Table,
                                                   const std::function<std::string(std::string_view)>& Ident);

const TSqliteDecimal* FindDecimal(const std::vector<TSqliteDecimal>& Decimals, std::string_view Name);

// Orders Catalogue (columns with a Name) as the table declares Own: a generated column the
// catalogue lacks is made by MakeGenerated(const TSqliteColumn&); a hidden column of a
// virtual table is dropped, as SELECT * never returns it. Catalogue columns that Own does
// not name stay behind the others in their order.
template <class TColumn, class TMake>
void InsertGeneratedColumns(std::vector<TColumn>& Catalogue, const std::vector<TSqliteColumn>& Own,
                            TMake&& MakeGenerated) {
    if (Own.empty()) return;
    std::vector<TColumn> merged;
    std::vector<bool> taken(Catalogue.size(), false);
    for (const TSqliteColumn& own : Own) {
        bool found = false;
        for (std::size_t i = 0; i < Catalogue.size() && !found; ++i)
            if (!taken[i] && SameText(Catalogue[i].Name, own.Name)) {
                taken[i] = found = true;
                if (own.Hidden != 1) merged.push_back(std::move(Catalogue[i]));
            }
        if (!found && own.Generated()) merged.push_back(MakeGenerated(own));
    }
    for (std::size_t i = 0; i < Catalogue.size(); ++i)
        if (!taken[i]) merged.push_back(std::move(Catalogue[i]));
    Catalogue = std::move(merged);
}
