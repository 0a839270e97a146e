#include "TDialectWriter.h"

#include "ReservedWords.h"
#include "SqlText.h"
#include "TExport.h"
#include "TTableFacts.h"
#include "TODBCStatement.h"
#include "Text.h"

void TDialectWriter::AppendIdent(std::string& Out, std::string_view Name) const {
    const std::string name = TargetName(Name);
    if (IsPlainIdentifier(name) && !IsReserved(name))
        Out.append(name);
    else
        AppendQuotedIdent(Out, name, IdentQuote());
}

bool TDialectWriter::IsReserved(std::string_view Name) const {
    return IsReservedIn(StandardReservedWords, Name);
}

std::string TDialectWriter::DefaultClause(std::string_view Default, bool SourceBackslashes) const {
    if (Default.empty() || Default == "NULL" || Default == "'0000-00-00'") return {};
    std::string precision;
    const TClockDefault clock = ClockDefault(Default, precision);
    if (clock != TClockDefault::None) return " DEFAULT " + ClockExpression(clock, precision);
    if (IsNumber(Default)) return " DEFAULT " + std::string(Default);
    // Drivers give a literal whole ('it''s'), as its body (it''s, the SQLite driver) or as
    // the bare value; whatever does not parse is taken as the value itself.
    std::string value;
    if (!ParseQuotedLiteral(Default, SourceBackslashes, value) &&
        !ParseQuotedLiteral("'" + std::string(Default) + "'", false, value))
        value = Default;
    // A zero date is no value the target takes.
    if (value == "0000-00-00 00:00:00" || value == "0000-00-00") return {};
    std::string text = " DEFAULT ";
    AppendSqlValue(text, value, ctString, BackslashEscapes(), NulExpression());
    return text;
}

std::string TDialectWriter::OnUpdateClause(std::string_view) const {
    return {};
}

std::string TDialectWriter::ClockExpression(TClockDefault Clock, const std::string&) const {
    switch (Clock) {
    case TClockDefault::Date:
        return "CURRENT_DATE";
    case TClockDefault::Time:
        return "CURRENT_TIME";
    default:
        return "CURRENT_TIMESTAMP";
    }
}

std::string TDialectWriter::Ident(std::string_view Name) const {
    std::string r;
    AppendIdent(r, Name);
    return r;
}

void TDialectWriter::AppendValue(std::string& Out, const TFieldData& Field, TColumnType Type, bool Binary) const {
    if (Field.Null)
        Out.append("null");
    else if (Binary)
        AppendHexLiteral(Out, Field.Bytes, HexPrefix());
    else
        AppendSqlValue(Out, Field.Bytes, Type, BackslashEscapes(), NulExpression());
}

void TDialectWriter::AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const {
    AppendValue(Out, Field, Column.Type, Column.Binary);
}

TRowForm TDialectWriter::RowForm(const TExport& Export, const std::vector<TResultColumn>&) {
    if (Export.CopyRows) throw std::runtime_error("COPY rows are a form of the PostgreSQL dialect only");
    TRowForm form;
    if (!RowsBegin().empty()) form.Begin = std::string(RowsBegin()) + "\r\n";
    form.Head = "INSERT INTO " + Ident(Export.TableName) + " VALUES(";
    form.Tail = ");\r\n";
    form.RowsPerStatement = RowsPerStatement();
    if (!RowsEnd().empty()) form.End = std::string(RowsEnd()) + "\r\n";
    return form;
}

std::string TDialectWriter::RowsFailed(std::string_view) const {
    return RowsAbort().empty() ? std::string() : std::string(RowsAbort()) + "\r\n";
}

bool TDialectWriter::WriteStructure(TExport&) {
    return false;
}

std::span<const TColInfo> TDialectWriter::TypeTable(TExportDialect) const {
    return {};
}

std::string TDialectWriter::DeclaredType(TExportDialect, std::string_view, std::string_view, std::string&) const {
    return {};
}

std::string TDialectWriter::IndexName(std::string_view, std::string_view Index) const {
    return std::string(Index);
}

bool TDialectWriter::SkipMissingKind(TExport& Export, const TIndexFacts& Index) const {
    if (Index.Kind.empty() || HasIndexKind(Index.Kind)) return false;
    Export.Line("/* " + Index.Kind + " index " + CommentText(Index.Name) +
                " left out: the target has no such index */");
    return true;
}

std::string TDialectWriter::IndexHead(TExport& Export, const TIndexFacts& Index, std::string_view Order) const {
    std::string text = "CREATE ";
    if (!Index.Kind.empty())
        text += Index.Kind + ' ';
    else if (Index.Unique)
        text += "UNIQUE ";
    text += Order;
    text += "INDEX " + Ident(IndexName(Export.TableName, Index.Name)) + " ON " + Ident(Export.TableName) + " (";
    return text;
}

void TDialectWriter::WriteIndex(TExport& Export, const TIndexFacts& Index) const {
    if (SkipMissingKind(Export, Index)) return;
    std::string text = IndexHead(Export, Index, "");
    for (std::size_t i = 0; i < Index.Columns.size(); ++i) {
        if (i > 0) text += ',';
        text += Ident(Index.Columns[i].Name);
        if (Index.Columns[i].Descending) text += " DESC";
    }
    Export.Line(text + ");");
}

void TDialectWriter::WriteAutoIncrement(TExport&, const std::vector<std::string>&) const {}

void TDialectWriter::WriteTableExtras(TExport&, const TTableFacts&) const {}

void TDialectWriter::WriteAfterRows(TExport&) const {}

std::string_view TDialectWriter::LengthColumn(const TColInfo& Entry, bool OracleSelect) const {
    // The Oracle catalogue select gives a number's precision apart from its byte length.
    if (OracleSelect && Entry.SourceType == "number") return "data_precision";
    return "column_size";
}

void TDialectWriter::AppendLength(std::string& Text, std::string_view Length, const std::string* Scale) const {
    Text += '(';
    Text += Length;
    if (Scale) {
        Text += ',';
        Text += *Scale;
    }
    Text += ')';
}

void TDialectWriter::FinishType(std::string&, TExportDialect, bool, std::string&) const {}

void TDialectWriter::IndexableType(std::string&, std::string&, std::size_t) const {}

std::string TDialectWriter::TypeText(TExportDialect Source, bool OracleSelect, bool TimestampOverride,
                                     const TCatalogueField& Field, std::string* Note) const {
    std::string text = LowerCase(Field("type_name"));
    // MySQL's zero fill only pads how a number is shown: the tables know the type without it,
    // and only a type that keeps its own name keeps it.
    constexpr std::string_view zeroFill = " zerofill";
    bool zeroFilled = text.ends_with(zeroFill);
    if (zeroFilled) text.resize(text.size() - zeroFill.size());
    std::string note;
    for (const TColInfo& entry : TypeTable(Source)) {
        if (entry.SourceType != text) continue;
        note = entry.Note;
        const std::string length = entry.HasLength ? Field(LengthColumn(entry, OracleSelect)) : std::string();
        // A NUMBER without declared precision holds any number; decimal(,) would not load.
        if (entry.SourceType == "number" && length.empty()) break;
        if (!entry.TargetType.empty()) {
            text = entry.TargetType;
            zeroFilled = false;
        }
        if (entry.HasLength) {
            if (entry.HasScale) {
                const std::string scale = Field(ScaleColumn());
                AppendLength(text, length, &scale);
            } else {
                AppendLength(text, length, nullptr);
            }
        }
        break;
    }
    if (zeroFilled) text += zeroFill;
    FinishType(text, Source, TimestampOverride, note);
    // A type name that is not a plain type (words, digits, parentheses, commas) could end the
    // statement; the driver's own name goes in as text then.
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '(' ||
              c == ')' || c == ',')) {
            note = "declared type " + CommentText(text) + " written as text";
            text = "text";
            break;
        }
    if (Note) *Note = note;
    return text;
}
