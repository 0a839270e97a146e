#include "TPostgreSQLWriter.h"

#include "SqlText.h"
#include "TExport.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <sqlext.h>

#include <algorithm>
#include <array>

namespace {

// "-0", "-0.0", "-0e5": a bare one is minus an integer or decimal zero, which has no sign,
// so a negative zero of a floating-point column would load as zero.
bool IsNegativeZero(std::string_view Text) {
    if (!Text.starts_with('-')) return false;
    const std::string_view mantissa = Text.substr(1, Text.find_first_of("eE") - 1);
    return mantissa.find_first_not_of("0.") == std::string_view::npos && mantissa.find('0') != std::string_view::npos;
}

// Key words that PostgreSQL does not take as a bare column or table name in every place
// (its reserved words, and those allowed only as a column name or only as a function or
// type name), sorted.
constexpr std::array<std::string_view, 152> kReserved{
    "all", "analyse", "analyze", "and", "any", "array", "as", "asc", "asymmetric", "authorization", "between",
    "bigint", "binary", "bit", "boolean", "both", "case", "cast", "char", "character", "check", "coalesce",
    "collate", "collation", "column", "concurrently", "constraint", "create", "cross", "current_catalog",
    "current_date", "current_role", "current_schema", "current_time", "current_timestamp", "current_user",
    "dec", "decimal", "default", "deferrable", "desc", "distinct", "do", "else", "end", "except", "exists",
    "extract", "false", "fetch", "float", "for", "foreign", "freeze", "from", "full", "grant", "greatest",
    "group", "grouping", "having", "ilike", "in", "initially", "inner", "inout", "int", "integer",
    "intersect", "interval", "into", "is", "isnull", "join", "lateral", "leading", "least", "left", "like",
    "limit", "localtime", "localtimestamp", "national", "natural", "nchar", "none", "normalize", "not",
    "notnull", "null", "nullif", "numeric", "offset", "on", "only", "or", "order", "out", "outer", "overlaps",
    "overlay", "placing", "position", "precision", "primary", "real", "references", "returning", "right",
    "row", "select", "session_user", "setof", "similar", "smallint", "some", "substring", "symmetric",
    "system_user", "table", "tablesample", "then", "time", "timestamp", "to", "trailing", "treat", "trim",
    "true", "union", "unique", "user", "using", "values", "varchar", "variadic", "verbose", "when", "where",
    "window", "with", "xmlattributes", "xmlconcat", "xmlelement", "xmlexists", "xmlforest", "xmlnamespaces",
    "xmlparse", "xmlpi", "xmlroot", "xmlserialize", "xmltable",
};

// The script's bytes are UTF-8, whatever encoding psql starts with.
constexpr std::string_view kClientEncoding = "SET client_encoding = 'UTF8';";

bool IsDateType(SQLSMALLINT Type) {
    return Type == SQL_TYPE_DATE || Type == SQL_TYPE_TIMESTAMP || Type == SQL_DATE || Type == SQL_TIMESTAMP;
}

bool IsNumberKind(TValueKind Kind) {
    switch (Kind) {
    case TValueKind::Int8:
    case TValueKind::Int16:
    case TValueKind::Int32:
    case TValueKind::Int64:
    case TValueKind::UInt64:
    case TValueKind::Decimal:
    case TValueKind::Real:
    case TValueKind::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TPostgreSQLWriter::IsKeyword(std::string_view LowerName) const {
    return std::binary_search(kReserved.begin(), kReserved.end(), LowerName);
}

bool TPostgreSQLWriter::IsBareName(std::string_view Name) const {
    // PostgreSQL folds bare names to lower case: any other letter case keeps its quotes.
    if (Name.empty() || (Name[0] >= '0' && Name[0] <= '9')) return false;
    for (char c : Name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

bool TPostgreSQLWriter::AppendText(std::string& Out, std::string_view Text, std::string& Reason) const {
    if (Text.find('\0') != std::string_view::npos) {
        Reason = "the text holds a NUL byte, which PostgreSQL text cannot store";
        return false;
    }
    // A backslash means one thing in '' and another in E'' unless standard_conforming_strings
    // is known: E'' with the backslash doubled reads the same under either setting.
    const bool escaped = Text.find('\\') != std::string_view::npos;
    if (escaped) Out += 'E';
    Out += '\'';
    std::size_t run = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c != '\'' && c != '\\') continue;
        Out.append(Text.data() + run, i + 1 - run);
        Out += c;
        run = i + 1;
    }
    Out.append(Text.data() + run, Text.size() - run);
    Out += '\'';
    return true;
}

void TPostgreSQLWriter::AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const {
    if (FCopy) {
        AppendCopyField(Out, Field, Column);
        return;
    }
    if (Field.Null) {
        Out.append("NULL");
        return;
    }
    if (Column.Binary) {
        // bytea's hex form; E'' so the backslash survives either string setting.
        Out.append("E'\\\\x");
        AppendHex(Out, Field.Bytes);
        Out += '\'';
        return;
    }
    if (IsNumericSqlType(Column.SqlType) && IsSqlNumber(Field.Bytes) && !IsNegativeZero(Field.Bytes)) {
        Out.append(Field.Bytes);
        return;
    }
    // A zero date is one source's "no date"; PostgreSQL has no such date.
    if (IsDateType(Column.SqlType) && Field.Bytes.starts_with("0000-00-00")) {
        Out.append("NULL");
        return;
    }
    std::string reason;
    if (!AppendText(Out, Field.Bytes, reason)) throw TValueRefused(reason);
}

void TPostgreSQLWriter::AppendCopyField(std::string& Out, const TFieldData& Field,
                                        const TResultColumn& Column) const {
    // A zero date is one source's "no date"; PostgreSQL has no such date.
    if (Field.Null || (IsDateType(Column.SqlType) && Field.Bytes.starts_with("0000-00-00"))) {
        Out.append("\\N");
        return;
    }
    if (Column.Binary) {
        // bytea's hex form, its backslash escaped for COPY.
        Out.append("\\\\x");
        AppendHex(Out, Field.Bytes);
        return;
    }
    // Every value is text to COPY; a number's text needs no escape.
    const std::string_view text = Field.Bytes;
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char escape;
        switch (text[i]) {
        case '\\': escape = '\\'; break;
        case '\t': escape = 't'; break;
        case '\n': escape = 'n'; break;
        case '\r': escape = 'r'; break;
        case '\b': escape = 'b'; break;
        case '\f': escape = 'f'; break;
        case '\v': escape = 'v'; break;
        case '\0': throw TValueRefused("the text holds a NUL byte, which PostgreSQL text cannot store");
        default: continue;
        }
        Out.append(text.data() + run, i - run);
        Out += '\\';
        Out += escape;
        run = i + 1;
    }
    Out.append(text.data() + run, text.size() - run);
}

void TPostgreSQLWriter::SayEncoding(TExport& Export) {
    if (FEncodingSaid) return;
    // COPY data goes to the server as it stands, so the client's encoding must be right;
    // before BEGIN, so that a rolled-back table does not undo it.
    Export.Line(kClientEncoding);
    FEncodingSaid = true;
}

bool TPostgreSQLWriter::WriteStructure(TExport& Export) {
    // The names in the structure are read in the script's encoding too.
    if (Export.CopyRows) SayEncoding(Export);
    return TFactsWriter::WriteStructure(Export);
}

TRowForm TPostgreSQLWriter::RowForm(const TExport& Export, const std::vector<TResultColumn>& Columns) {
    FCopy = Export.CopyRows;
    FTable = Export.TableName;
    if (!FCopy) return TFactsWriter::RowForm(Export, Columns);
    TRowForm form;
    if (!FEncodingSaid) {
        form.Begin = std::string(kClientEncoding) + "\r\n";
        FEncodingSaid = true;
    }
    form.Begin += "BEGIN;\r\nCOPY " + Ident(FTable);
    // The result's columns by name, spelled as the structure has them, for the result names
    // are upper case. Without the structure the columns go in table order, as INSERTs do.
    bool named = FColumns.size() == Columns.size();
    for (std::size_t i = 0; named && i < Columns.size(); ++i)
        named = SameText(FColumns[i], Columns[i].Name);
    if (named) {
        for (std::size_t i = 0; i < FColumns.size(); ++i) {
            form.Begin += i == 0 ? " (" : ", ";
            AppendIdent(form.Begin, FColumns[i]);
        }
        form.Begin += ')';
    }
    form.Begin += " FROM stdin;\r\n";
    form.Separator = '\t';
    form.Tail = "\r\n";
    form.End = "\\.\r\nCOMMIT;\r\n";
    return form;
}

std::string TPostgreSQLWriter::RowsFailed(std::string_view Reason) const {
    // The rows sent so far are rolled back (a COPY block is ended first), and the load stops
    // loudly with the reason (psql with ON_ERROR_STOP) instead of going on as if the table
    // had been loaded: a ROLLBACK alone succeeds and leaves the table silently empty.
    std::string message, reason;
    AppendText(message, "rows of table " + FTable + " not loaded: " + std::string(Reason), reason);
    std::string tag = "$refused$";
    for (int n = 1; message.find(tag) != std::string::npos; ++n)
        tag = "$refused" + std::to_string(n) + "$";
    return std::string(FCopy ? "\\.\r\n" : "") + "ROLLBACK;\r\nDO " + tag + " BEGIN RAISE EXCEPTION '%', " + message +
           "; END " + tag + ";\r\n";
}

std::string TPostgreSQLWriter::AutoIncrementDefinition(const TDriverColumn&, const TTargetType& Type, bool,
                                                       std::string& Note) const {
    if (Type.Text == "smallint" || Type.Text == "integer" || Type.Text == "bigint")
        return Type.Text + " GENERATED BY DEFAULT AS IDENTITY";
    Note = "numbered by the source; an identity column needs an integer type";
    return Type.Text;
}

std::string TPostgreSQLWriter::DefaultExpression(TColumnDefault::TKind Kind, const TValueShape& Shape) const {
    const TValueKind k = Shape.Kind;
    switch (Kind) {
    case TColumnDefault::CurrentTimestamp:
        if (k == TValueKind::TimestampTz) return "CURRENT_TIMESTAMP";
        if (k == TValueKind::Timestamp) return "LOCALTIMESTAMP";
        if (k == TValueKind::Date) return "CURRENT_DATE";
        return {};
    case TColumnDefault::CurrentDate:
        if (k == TValueKind::Date || k == TValueKind::Timestamp || k == TValueKind::TimestampTz) return "CURRENT_DATE";
        return {};
    case TColumnDefault::CurrentTime:
        if (k == TValueKind::Time) return "LOCALTIME";
        if (k == TValueKind::TimeTz) return "CURRENT_TIME";
        return {};
    default:
        return {};
    }
}

std::string TPostgreSQLWriter::DefaultNumberOrBoolean(const TColumnDefault& Default, const TValueShape& Shape) const {
    if (Shape.Kind == TValueKind::Boolean) {
        if (Default.Value == "0") return "FALSE";
        if (Default.Value == "1") return "TRUE";
        return {};
    }
    if (Default.Kind == TColumnDefault::Boolean) return {};
    if (IsNumberKind(Shape.Kind)) return Default.Value;
    // A number as the default of a text, date or other column: its text.
    std::string literal, reason;
    AppendText(literal, Default.Value, reason);
    return literal;
}

void TPostgreSQLWriter::WriteAfterRows(TExport& Export) const {
    if (FAutoIncrement.empty()) return;
    // New rows go on from the highest number loaded, which the target itself knows best.
    Export.SectionHeader("Identity values");
    const std::string table = Ident(Export.TableName);
    for (const std::string& column : FAutoIncrement) {
        std::string tableText, columnText, reason;
        AppendText(tableText, table, reason);
        AppendText(columnText, column, reason);
        Export.LineFmt("SELECT setval(pg_get_serial_sequence(%s, %s), GREATEST(COALESCE(MAX(%s), 0), 0) + 1, false) "
                       "FROM %s;",
                       {tableText, columnText, Ident(column), table});
    }
}
