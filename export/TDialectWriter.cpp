#include "TDialectWriter.h"

#include "SqlText.h"
#include "Text.h"

void TDialectWriter::AppendIdent(std::string& Out, std::string_view Name) const {
    AppendQuotedIdent(Out, Name, IdentQuote());
}

std::string TDialectWriter::Ident(std::string_view Name) const {
    std::string r;
    AppendIdent(r, Name);
    return r;
}

void TDialectWriter::AppendValue(std::string& Out, std::string_view Value, TColumnType Type) const {
    AppendSqlValue(Out, Value, Type, false);
}

std::span<const TColInfo> TDialectWriter::TypeTable(TExportDialect) const {
    return {};
}

std::string TDialectWriter::DeclaredType(TExportDialect, std::string_view, std::string_view) const {
    return {};
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

void TDialectWriter::FinishType(std::string&, TExportDialect, bool) const {}

std::string TDialectWriter::TypeText(TExportDialect Source, bool OracleSelect, bool TimestampOverride,
                                     const TCatalogueField& Field) const {
    std::string text = LowerCase(Field("type_name"));
    for (const TColInfo& entry : TypeTable(Source)) {
        if (entry.SourceType != text) continue;
        if (!entry.TargetType.empty()) text = entry.TargetType;
        if (entry.HasLength) {
            const std::string length = Field(LengthColumn(entry, OracleSelect));
            if (entry.HasScale) {
                const std::string scale = Field(ScaleColumn());
                AppendLength(text, length, &scale);
            } else {
                AppendLength(text, length, nullptr);
            }
        }
        break;
    }
    FinishType(text, Source, TimestampOverride);
    return text;
}
