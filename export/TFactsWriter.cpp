#include "TFactsWriter.h"

#include "SqlText.h"
#include "TExport.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <cstdio>
#include <functional>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWithText(std::string_view Text, std::string_view Prefix) {
    return Text.size() >= Prefix.size() && SameText(Text.substr(0, Prefix.size()), Prefix);
}

} // namespace

bool IsSqlNumber(std::string_view Text) {
    // IsNumber's form without the blanks and plus sign a target would not give back.
    return !Text.empty() && Text.front() != ' ' && Text.front() != '\t' && Text.front() != '+' && IsNumber(Text);
}

bool IsInt64Text(std::string_view Text) {
    const bool negative = !Text.empty() && Text[0] == '-';
    std::string_view digits = Text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 19) return false;
    for (char c : digits)
        if (!IsDigit(c)) return false;
    if (digits.size() < 19) return true;
    return digits <= (negative ? std::string_view("9223372036854775808") : std::string_view("9223372036854775807"));
}

void AppendHex(std::string& Out, std::string_view Bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t at = Out.size();
    Out.resize(at + 2 * Bytes.size());
    char* p = Out.data() + at;
    for (unsigned char c : Bytes) {
        *p++ = kDigits[c >> 4];
        *p++ = kDigits[c & 15];
    }
}

bool TFactsWriter::IsBareName(std::string_view Name) const {
    if (Name.empty() || IsDigit(Name[0])) return false;
    for (char c : Name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_')) return false;
    return true;
}

void TFactsWriter::AppendIdent(std::string& Out, std::string_view Name) const {
    if (IsBareName(Name) && !IsKeyword(LowerCase(Name))) {
        Out.append(Name);
        return;
    }
    Out += '"';
    for (char c : Name) {
        if (c == '"') Out += '"';
        if (c != '\0') Out += c; // no identifier can carry a NUL
    }
    Out += '"';
}

std::string TFactsWriter::IndexName(const std::string& Table, const std::string& Index, int Position) const {
    std::string name;
    if (Index.empty() || StartsWithText(Index, "sqlite_autoindex"))
        name = Table + "_key" + std::to_string(Position);
    else if (StartsWithText(Index, Table))
        name = Index;
    else
        name = Table + "_" + Index;
    const std::size_t limit = MaxNameBytes();
    if (limit > 0 && name.size() > limit) {
        // Cut, with a hash of the whole name so that two long names stay apart.
        char hash[10];
        std::snprintf(hash, sizeof hash, "_%08zx", std::hash<std::string>{}(name) & 0xffffffffu);
        name = name.substr(0, limit - 9) + hash;
    }
    return name;
}

std::string TFactsWriter::DefaultClause(const TDriverColumn& Column, const TValueShape& Shape) const {
    const TColumnDefault def = ParseDefault(Column.Default);
    std::string text;
    switch (def.Kind) {
    case TColumnDefault::None:
        return {};
    case TColumnDefault::Literal: {
        // A zero date is a "no date" marker of one source, no date of the targets'.
        const bool dateKind = Shape.Kind == TValueKind::Date || Shape.Kind == TValueKind::Timestamp ||
                              Shape.Kind == TValueKind::TimestampTz;
        if (dateKind && def.Value.starts_with("0000-00-00")) return {};
        std::string reason;
        text = " DEFAULT ";
        if (AppendText(text, def.Value, reason)) return text;
        break;
    }
    case TColumnDefault::Number:
    case TColumnDefault::Boolean:
        text = DefaultNumberOrBoolean(def, Shape);
        if (!text.empty()) return " DEFAULT " + text;
        break;
    case TColumnDefault::CurrentTimestamp:
    case TColumnDefault::CurrentDate:
    case TColumnDefault::CurrentTime:
        text = DefaultExpression(def.Kind, Shape);
        if (!text.empty()) return " DEFAULT " + text;
        break;
    case TColumnDefault::Unknown:
        break;
    }
    return " /* default left out: " + CommentText(Column.Default) + " */";
}

std::string TFactsWriter::ColumnDefinition(const TSourceTable& Facts, const TDriverColumn& Column,
                                           std::string& Note) const {
    const TValueShape shape = ShapeOf(Column);
    TTargetType type = TypeFromShape(shape, FTarget, Column.AutoIncrement);
    const std::optional<std::string> kept = KeptSourceType(Facts, Column);
    if (kept) type = {*kept, ""};
    Note = type.Note;
    std::string def = Ident(Column.Name);
    if (!type.Text.empty()) def += ' ';
    if (Column.AutoIncrement) {
        def += AutoIncrementDefinition(Column, type, Facts.AutoIncrementKey() == &Column, Note);
    } else {
        def += type.Text;
        def += DefaultClause(Column, shape);
    }
    if (!Column.Nullable || Facts.InPrimaryKey(Column.Name)) def += " NOT NULL";
    return def;
}

bool TFactsWriter::WriteStructure(TExport& Export) {
    TSourceTable facts;
    FAutoIncrement.clear();
    FColumns.clear();
    if (!facts.Read(Export)) {
        Export.Statement->CheckError(SQL_ERROR);
        Export.ResultCode = TExport::ResultNoColumns;
        return true;
    }
    const std::string table = Ident(Export.TableName);
    Export.Line("");
    Export.SectionHeader("Table structure");
    if (Export.DropFirst) Export.LineFmt("DROP TABLE IF EXISTS %s;", {table});
    Export.LineFmt("CREATE TABLE %s (", {table});
    std::vector<std::string> lines;
    for (const TDriverColumn& column : facts.Columns) {
        std::string note;
        std::string line = "  " + ColumnDefinition(facts, column, note);
        if (!note.empty()) line += " /* " + CommentText(note) + " */";
        lines.push_back(std::move(line));
        if (column.AutoIncrement) FAutoIncrement.push_back(column.Name);
        FColumns.push_back(column.Name);
    }
    std::string key;
    for (const std::string& k : facts.PrimaryKey)
        key += (key.empty() ? "" : ",") + Ident(k);
    if (KeyInsideCreate() && !key.empty() && !facts.AutoIncrementKey()) lines.push_back("  PRIMARY KEY (" + key + ")");
    for (std::size_t i = 0; i < lines.size(); ++i)
        Export.Line(i + 1 < lines.size() ? lines[i] + "," : lines[i]);
    Export.Line(");");

    Export.SectionHeader("Indexes");
    if (!KeyInsideCreate() && !key.empty()) Export.LineFmt("ALTER TABLE %s ADD PRIMARY KEY (%s);", {table, key});
    int position = 0;
    for (const TSourceIndex& index : facts.Indexes) {
        ++position;
        if (!index.LeftOutKind.empty()) {
            Export.Line("/* " + CommentText(index.LeftOutKind) + " index " + CommentText(index.Name) +
                        " left out: the target has no such index */");
            continue;
        }
        std::string columns;
        for (const auto& [name, descending] : index.Columns)
            columns += (columns.empty() ? "" : ",") + Ident(name) + (descending ? " DESC" : "");
        Export.LineFmt("CREATE %sINDEX %s ON %s (%s);", {index.Unique ? "UNIQUE " : "",
                                                         Ident(IndexName(Export.TableName, index.Name, position)),
                                                         table, columns});
    }
    return true;
}
