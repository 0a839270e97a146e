#include "TSQLiteWriter.h"

#include "ExactFloats.h"
#include "SqlText.h"
#include "TODBCStatement.h"

#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

// SQLite's keywords, sorted.
constexpr std::array<std::string_view, 147> kKeywords{
    "abort",      "action",       "add",          "after",        "all",         "alter",
    "always",     "analyze",      "and",          "as",           "asc",         "attach",
    "autoincrement", "before",    "begin",        "between",      "by",          "cascade",
    "case",       "cast",         "check",        "collate",      "column",      "commit",
    "conflict",   "constraint",   "create",       "cross",        "current",     "current_date",
    "current_time", "current_timestamp", "database", "default",   "deferrable",  "deferred",
    "delete",     "desc",         "detach",       "distinct",     "do",          "drop",
    "each",       "else",         "end",          "escape",       "except",      "exclude",
    "exclusive",  "exists",       "explain",      "fail",         "filter",      "first",
    "following",  "for",          "foreign",      "from",         "full",        "generated",
    "glob",       "group",        "groups",       "having",       "if",          "ignore",
    "immediate",  "in",           "index",        "indexed",      "initially",   "inner",
    "insert",     "instead",      "intersect",    "into",         "is",          "isnull",
    "join",       "key",          "last",         "left",         "like",        "limit",
    "match",      "materialized", "natural",      "no",           "not",         "nothing",
    "notnull",    "null",         "nulls",        "of",           "offset",      "on",
    "or",         "order",        "others",       "outer",        "over",        "partition",
    "plan",       "pragma",       "preceding",    "primary",      "query",       "raise",
    "range",      "recursive",    "references",   "regexp",       "reindex",     "release",
    "rename",     "replace",      "restrict",     "returning",    "right",       "rollback",
    "row",        "rows",         "savepoint",    "select",       "set",         "table",
    "temp",       "temporary",    "then",         "ties",         "to",          "transaction",
    "trigger",    "unbounded",    "union",        "unique",       "update",      "using",
    "vacuum",     "values",       "view",         "virtual",      "when",        "where",
    "window",     "with",         "without",
};

// Words, blanks and one parenthesised size or precision: a declaration that carries nothing
// else into the script.
bool IsPlainTypeDeclaration(std::string_view Type) {
    std::size_t i = 0;
    while (i < Type.size() && (std::isalnum(static_cast<unsigned char>(Type[i])) || Type[i] == '_' || Type[i] == ' '))
        ++i;
    if (i == Type.size()) return true;
    if (Type[i] != '(' || Type.back() != ')') return false;
    for (char c : Type.substr(i + 1, Type.size() - i - 2))
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == ',' || c == ' ' || c == '+' || c == '-')) return false;
    return true;
}

} // namespace

bool TSQLiteWriter::IsKeyword(std::string_view LowerName) const {
    return std::binary_search(kKeywords.begin(), kKeywords.end(), LowerName);
}

bool TSQLiteWriter::AppendText(std::string& Out, std::string_view Text, std::string&) const {
    // The sqlite3 shell cuts a statement at a NUL and drops a CR before a line end: such
    // text goes as its bytes.
    if (Text.find_first_of(std::string_view("\0\r", 2)) != std::string_view::npos) {
        Out.append("CAST(X'");
        AppendHex(Out, Text);
        Out.append("' AS TEXT)");
        return true;
    }
    Out += '\'';
    std::size_t run = 0;
    for (std::size_t i = Text.find('\''); i != std::string_view::npos; i = Text.find('\'', i + 1)) {
        Out.append(Text.data() + run, i + 1 - run);
        Out += '\'';
        run = i + 1;
    }
    Out.append(Text.data() + run, Text.size() - run);
    Out += '\'';
    return true;
}

void TSQLiteWriter::AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const {
    if (Field.Null) {
        Out.append("NULL");
        return;
    }
    if (Column.Binary) {
        Out.append("X'");
        AppendHex(Out, Field.Bytes);
        Out += '\'';
        return;
    }
    // Bare numbers load fastest; anything else, and integers beyond 64 bits, as text that the
    // column's affinity converts only where nothing is lost.
    if (IsFloatSqlType(Column.SqlType)) {
        if (IsSqlNumber(Field.Bytes)) {
            AppendFarFromHalfway(Out, Field.Bytes);
            return;
        }
        // SQLite reads no word for infinity, only a number beyond the largest double.
        if (const int sign = InfinitySign(Field.Bytes); sign != 0) {
            Out.append(sign < 0 ? "-9e999" : "9e999");
            return;
        }
    }
    if ((IsIntegerSqlType(Column.SqlType) && IsInt64Text(Field.Bytes)) ||
        (Column.SqlType == SQL_BIT && (Field.Bytes == "0" || Field.Bytes == "1"))) {
        Out.append(Field.Bytes);
        return;
    }
    std::string reason;
    AppendText(Out, Field.Bytes, reason);
}

std::string TSQLiteWriter::AutoIncrementDefinition(const TDriverColumn&, const TTargetType& Type, bool IsOnlyKey,
                                                   std::string& Note) const {
    if (IsOnlyKey) return "INTEGER PRIMARY KEY AUTOINCREMENT";
    // SQLite numbers only its one-column integer primary key.
    Note = "numbered by the source; SQLite numbers only a one-column integer primary key";
    return Type.Text;
}

std::string TSQLiteWriter::DefaultExpression(TColumnDefault::TKind Kind, const TValueShape&) const {
    return std::string(StandardClock(Kind));
}

std::string TSQLiteWriter::DefaultNumberOrBoolean(const TColumnDefault& Default, const TValueShape&) const {
    return Default.Value;
}

std::optional<std::string> TSQLiteWriter::KeptSourceType(const TSourceTable& Facts, const TDriverColumn& Column) const {
    // SQLite to SQLite: the declared type decides the column's affinity, so it stays as
    // declared (also none at all).
    if (Facts.Dbms != "sqlite" || !IsPlainTypeDeclaration(Column.SourceType)) return std::nullopt;
    return Column.SourceType;
}
