#include "SqliteColumns.h"

#include "SqlText.h"
#include "TODBCStatement.h"

#include <algorithm>
#include <cctype>

namespace {

long long FirstSize(std::string_view Type) {
    const std::size_t open = Type.find('(');
    if (open == std::string_view::npos) return -1;
    long long n = -1;
    for (std::size_t i = open + 1; i < Type.size() && std::isdigit(static_cast<unsigned char>(Type[i])); ++i)
        n = (n < 0 ? 0 : n * 10) + (Type[i] - '0');
    return n;
}

} // namespace

std::vector<TSqliteColumn> SqliteColumnsWithGenerated(TODBCStatement& Statement, std::string_view Table,
                                                      std::string_view SourceIdent) {
    std::vector<TSqliteColumn> columns;
    bool special = false;
    for (bool row = Statement.ExecSQL("SELECT name, type, \"notnull\", hidden FROM pragma_table_xinfo('" +
                                          LiteralBody(Table) + "') ORDER BY cid",
                                      true, false);
         row; row = Statement.Fetch(fdNext, 1)) {
        TSqliteColumn c;
        c.Name = Statement.FieldByName("name");
        c.DeclaredType = Statement.FieldByName("type");
        c.NotNull = Statement.FieldAsInteger("notnull") != 0;
        c.Hidden = Statement.FieldAsInteger("hidden");
        c.Size = FirstSize(c.DeclaredType);
        special = special || c.Hidden != 0;
        columns.push_back(std::move(c));
    }
    if (Statement.Failed() || !special) return {};
    // The driver types a result column by its declared type as it does a catalogue column.
    Statement.ExecSQL("SELECT * FROM " + std::string(SourceIdent) + " WHERE 1=0", true, false);
    if (Statement.Failed()) return {};
    for (TSqliteColumn& c : columns) {
        if (!c.Generated()) continue;
        const int index = Statement.ColumnIndex(c.Name);
        if (index < 0) return {}; // not a column of SELECT *: better the catalogue as it is
        c.SqlType = Statement.ColumnSqlType(index);
    }
    return columns;
}
