#include "SqliteColumns.h"

#include "SqlText.h"
#include "TODBCStatement.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <sqlext.h>

namespace {

long long FirstSize(std::string_view Type) {
    const std::size_t open = Type.find('(');
    if (open == std::string_view::npos) return -1;
    long long n = -1;
    for (std::size_t i = open + 1; i < Type.size() && std::isdigit(static_cast<unsigned char>(Type[i])); ++i)
        n = (n < 0 ? 0 : n * 10) + (Type[i] - '0');
    return n;
}

// "decimal(10,2)" or "NUMERIC (5)": the precision and scale; a bare "decimal" or "numeric"
// gives a precision of 0. False for any other type.
bool DecimalDeclaration(std::string_view Type, int& Precision, int& Scale) {
    const std::size_t open = Type.find('(');
    const std::string base = LowerCase(TrimView(Type.substr(0, open)));
    if (base != "decimal" && base != "numeric") return false;
    if (open == std::string_view::npos) {
        Precision = Scale = 0;
        return true;
    }
    Precision = Scale = -1;
    int* target = &Precision;
    for (std::size_t i = open + 1; i < Type.size() && Type[i] != ')'; ++i) {
        const char c = Type[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            *target = (*target < 0 ? 0 : *target * 10) + (c - '0');
            if (*target > 1000) return false;
        } else if (c == ',' && target == &Precision) {
            target = &Scale;
        } else if (c != ' ') {
            return false;
        }
    }
    if (Scale < 0) Scale = 0;
    return Precision > 0 && Scale <= Precision;
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

// Each stored column of Table (no hidden one of a virtual table) as its name and declared type.
static std::vector<std::pair<std::string, std::string>> DeclaredTypes(TODBCStatement& Statement, std::string_view Table) {
    std::vector<std::pair<std::string, std::string>> columns;
    for (bool row = Statement.ExecSQL("SELECT name, type FROM pragma_table_xinfo('" + LiteralBody(Table) +
                                          "') WHERE hidden <> 1 ORDER BY cid",
                                      true, false);
         row; row = Statement.Fetch(fdNext, 1))
        columns.emplace_back(Statement.FieldByName("name"), Statement.FieldByName("type"));
    return columns;
}

std::vector<TSqliteDecimal> SqliteDecimalColumns(TODBCStatement& Statement, std::string_view Table,
                                                 const std::function<std::string(std::string_view)>& Ident) {
    std::vector<TSqliteDecimal> decimals;
    for (auto& [name, type] : DeclaredTypes(Statement, Table)) {
        TSqliteDecimal d;
        if (!DecimalDeclaration(type, d.Precision, d.Scale)) continue;
        d.Name = std::move(name);
        decimals.push_back(std::move(d));
    }
    if (decimals.empty()) return {};
    // A real fits when it lies below 10^(p-s) and is the quotient of its scaled, rounded value
    // and 10^s (both exact, so the quotient is the double nearest that decimal). 0 fits,
    // 1 is a number beyond the type, 2 anything else.
    // Without a precision, the distinct flags summed tell which kinds occur: 1 an integer a
    // double holds, 2 one beyond 2^53, 4 a finite real, 8 anything else.
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        const std::string c = Ident(decimals[i].Name);
        if (i > 0) sql += ", ";
        if (decimals[i].Precision == 0) {
            sql += "sum(DISTINCT CASE typeof(" + c + ") WHEN 'integer' THEN CASE WHEN " + c +
                   " > 9007199254740992 OR " + c + " < -9007199254740992 THEN 2 ELSE 1 END WHEN 'real' THEN CASE WHEN " +
                   c + " > 1.7976931348623157e308 OR " + c + " < -1.7976931348623157e308 THEN 8 ELSE 4 END WHEN "
                   "'null' THEN NULL ELSE 8 END)";
            continue;
        }
        const std::string whole = "1e" + std::to_string(decimals[i].Precision - decimals[i].Scale);
        const std::string scale = "1e" + std::to_string(decimals[i].Scale);
        sql += "max(CASE typeof(" + c + ") WHEN 'null' THEN 0 WHEN 'integer' THEN " + c + " >= " + whole + " OR " +
               c + " <= -" + whole + " WHEN 'real' THEN CASE WHEN " + c + " > 1.7976931348623157e308 OR " + c +
               " < -1.7976931348623157e308 THEN 2 WHEN " + c + " >= " + whole + " OR " + c + " <= -" + whole +
               " OR round(" + c + " * " + scale + ") / " + scale + " <> " + c + " THEN 1 ELSE 0 END ELSE 2 END)";
    }
    sql += " FROM " + Ident(Table);
    if (!Statement.ExecSQL(sql, true, false)) return {};
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        const std::string_view fit = Statement.FieldView(static_cast<int>(i));
        if (decimals[i].Precision > 0) {
            decimals[i].Fit = fit == "1" ? TDecimalFit::Numbers : fit == "2" ? TDecimalFit::Other : TDecimalFit::Fits;
            continue;
        }
        int flags = 0;
        std::from_chars(fit.data(), fit.data() + fit.size(), flags);
        decimals[i].Fit = flags & 8                ? TDecimalFit::Other
                          : (flags & 6) == 6       ? TDecimalFit::Numbers
                          : flags & 4              ? TDecimalFit::Doubles
                          : flags != 0             ? TDecimalFit::Integers
                                                   : TDecimalFit::Fits;
    }
    return decimals;
}

int StandInSqlType(const TSqliteDecimal& Decimal) {
    switch (Decimal.Fit) {
    case TDecimalFit::Fits:
        return 0;
    case TDecimalFit::Integers:
        return SQL_BIGINT;
    case TDecimalFit::Doubles:
        return SQL_DOUBLE;
    case TDecimalFit::Numbers:
        return SQL_DECIMAL;
    case TDecimalFit::Other:
        break;
    }
    return SQL_LONGVARCHAR;
}

bool NeedsClassItem(const TSqliteDecimal& Decimal, bool DriverGivesText) {
    // A column the driver calls a double gets its reals exactly without one; only values of
    // other classes need it there.
    if (!DriverGivesText) return Decimal.Fit == TDecimalFit::Other;
    switch (Decimal.Fit) {
    case TDecimalFit::Fits:
        return Decimal.Precision > 15;
    case TDecimalFit::Integers:
        return false; // the driver's text of an integer has every digit
    default:
        return true;
    }
}

std::vector<TSqliteLongText> SqliteLongTextColumns(TODBCStatement& Statement, std::string_view Table,
                                                   const std::function<std::string(std::string_view)>& Ident) {
    std::vector<std::pair<std::string, long long>> declared;
    for (auto& [name, type] : DeclaredTypes(Statement, Table)) {
        const long long length = FirstSize(type);
        if (length >= 0 && LowerCase(type).find("char") != std::string::npos)
            declared.emplace_back(std::move(name), length);
    }
    if (declared.empty()) return {};
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < declared.size(); ++i) {
        const std::string c = Ident(declared[i].first);
        // length() counts characters of a text, bytes of a blob, digits of a number's text.
        sql += (i > 0 ? ", max(length(" : "max(length(") + c + "))";
    }
    sql += " FROM " + Ident(Table);
    if (!Statement.ExecSQL(sql, true, false)) return {};
    std::vector<TSqliteLongText> longer;
    for (std::size_t i = 0; i < declared.size(); ++i) {
        const std::string_view text = Statement.FieldView(static_cast<int>(i));
        long long longest = 0;
        std::from_chars(text.data(), text.data() + text.size(), longest);
        if (longest > declared[i].second) longer.push_back({declared[i].first, longest});
    }
    return longer;
}

const TSqliteDecimal* FindDecimal(const std::vector<TSqliteDecimal>& Decimals, std::string_view Name) {
    for (const TSqliteDecimal& d : Decimals)
        if (SameText(d.Name, Name)) return &d;
    return nullptr;
}
