#include "TMySQLWriter.h"

#include "ExactFloats.h"
#include "ReservedWords.h"
#include "SqlText.h"
#include "TExport.h"
#include "TODBCStatement.h"

#include <array>

namespace {

// From a Firebird source.
constexpr TColInfo kFromFirebird[] = {
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "datetime", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
};

// From a MySQL source: every name stays.
constexpr TColInfo kFromMySQL[] = {
    {"tinyint", "", true, false},
    {"tinyint unsigned", "", true, false},
    {"smallint", "", true, false},
    {"smallint unsigned", "", true, false},
    {"mediumint", "", true, false},
    {"mediumint unsigned", "", true, false},
    {"int", "", true, false},
    {"int unsigned", "", true, false},
    {"bigint", "", true, false},
    {"bigint unsigned", "", true, false},
    {"float", "", true, false},
    // The catalogue's size of a double is its precision; MySQL refuses double(15).
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"datetime", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
    {"enum", "", false, false},
    {"decimal unsigned", "", true, true},
    {"float unsigned", "", false, false},
    {"double unsigned", "", false, false},
    {"bit", "", true, false},
    {"binary", "", true, false},
    {"varbinary", "", true, false},
    {"year", "", false, false},
    // Without SHOW COLUMNS a set is as wide as its longest value list.
    {"set", "varchar", true, false},
};

} // namespace

bool IsMySQLBareNumber(SQLSMALLINT SqlType, std::string_view Text) {
    if (!IsNumericSqlType(SqlType)) return false;
    const bool integer = IsIntegerSqlType(SqlType), floating = IsFloatSqlType(SqlType);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, digits = 0;
    const std::size_t n = Text.size();
    if (i < n && Text[i] == '-') ++i;
    // A literal keeps leading zeros in a text column, a bare number does not.
    if (i + 1 < n && Text[i] == '0' && digit(Text[i + 1])) return false;
    while (i < n && digit(Text[i]))
        ++i, ++digits;
    if (digits == 0) return false;
    if (integer) return i == n && digits <= 65;
    if (i < n && Text[i] == '.') {
        ++i;
        const std::size_t fraction = i;
        while (i < n && digit(Text[i]))
            ++i, ++digits;
        if (i == fraction) return false;
    }
    if (digits > 65) return false;
    if (i == n) return true;
    // An exponent makes a floating-point literal, which the server reads as it reads text.
    if (!floating || (Text[i] != 'e' && Text[i] != 'E')) return false;
    ++i;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
    const std::size_t exponent = i;
    while (i < n && digit(Text[i]) && i - exponent < 3)
        ++i;
    return i == n && i > exponent;
}

void TMySQLWriter::AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const {
    if (Column.SqlType == SQL_REAL && !Field.Null && !Column.Binary) {
        // A float column narrows the double it reads, and refuses one beyond the largest float.
        std::string wide;
        if (WidenedFloatText(Field.Bytes, wide)) {
            AppendField(Out, TFieldData{wide, false}, TResultColumn{{}, Column.Type, SQL_DOUBLE, false});
            return;
        }
    }
    if (RowsPerStatement() > 1 && !Field.Null && !Column.Binary && IsMySQLBareNumber(Column.SqlType, Field.Bytes))
        Out.append(Field.Bytes);
    else
        AppendValue(Out, Field, Column.Type, Column.Binary);
}

std::span<const TColInfo> TMySQLWriter::TypeTable(TExportDialect Source) const {
    if (Source == edMySQL) return kFromMySQL;
    if (Source == edFirebird) return kFromFirebird;
    return {};
}

std::string TMySQLWriter::DeclaredType(TExportDialect Source, std::string_view CatalogueType,
                                       std::string_view ShowType, std::string&) const {
    if (Source != edMySQL) return {};
    return MySQLDeclaredType(CatalogueType, ShowType);
}

void TMySQLWriter::WriteAutoIncrement(TExport& Export, const std::vector<std::string>& Definitions) const {
    // MySQL refuses an auto-increment column that is not yet a key, so the marker comes
    // once the index section has made it one.
    for (const std::string& def : Definitions)
        Export.LineFmt("ALTER TABLE %s MODIFY %s;", {Ident(Export.TableName), def});
}

void TMySQLWriter::IndexableType(std::string& Text, std::string& Note, std::size_t KeyWidth) const {
    // MySQL indexes no text or blob without a prefix length, and a prefix would make a key
    // unique on its first characters only. Such a column gets the widest varchar or
    // varbinary whose share of the key fits InnoDB's 3072 bytes (four bytes a character);
    // a longer value is refused on load, never cut.
    const bool text = Text == "tinytext" || Text == "text" || Text == "mediumtext" || Text == "longtext";
    const bool bytes = Text == "tinyblob" || Text == "blob" || Text == "mediumblob" || Text == "longblob";
    if ((!text && !bytes) || KeyWidth == 0) return;
    const std::size_t length = (text ? 768 : 3072) / KeyWidth;
    Note = Text + " in a key or index: bounded to " + std::to_string(length) +
           (text ? " characters" : " bytes") + ", MySQL indexes no " + (text ? "text" : "blob") + " whole";
    Text = (text ? "varchar(" : "varbinary(") + std::to_string(length) + ")";
}

void TMySQLWriter::AppendLength(std::string& Text, std::string_view Length, const std::string* Scale) const {
    // MySQL takes the length before the attribute: int(10) unsigned, not int unsigned(10).
    constexpr std::string_view unsignedSuffix = " unsigned";
    const bool isUnsigned = Text.ends_with(unsignedSuffix);
    if (isUnsigned) Text.resize(Text.size() - unsignedSuffix.size());
    TDialectWriter::AppendLength(Text, Length, Scale);
    if (isUnsigned) Text += unsignedSuffix;
}

void TMySQLWriter::FinishType(std::string& Text, TExportDialect Source, bool TimestampOverride,
                              std::string&) const {
    if (TimestampOverride && Source == edFirebird) Text = "timestamp";
}

std::string TMySQLWriter::ClockExpression(TClockDefault Clock, const std::string& Precision) const {
    switch (Clock) {
    case TClockDefault::Date:
        return "(CURRENT_DATE)"; // other expressions than the timestamp need parentheses
    case TClockDefault::Time:
        return "(CURRENT_TIME)";
    default:
        // The default of a datetime(N) column must carry the same digits.
        return Precision.empty() ? "CURRENT_TIMESTAMP" : "CURRENT_TIMESTAMP(" + Precision + ")";
    }
}

std::string TMySQLWriter::OnUpdateClause(std::string_view Clock) const {
    std::string precision;
    if (ClockDefault(Clock, precision) != TClockDefault::Timestamp) return {};
    return " ON UPDATE " + ClockExpression(TClockDefault::Timestamp, precision);
}

bool TMySQLWriter::IsReserved(std::string_view Name) const {
    return IsReservedIn(MySQLReservedWords, Name);
}
