#pragma once
// What one target dialect writes differently: identifier quotes, value literals, type
// texts, the column-definition markers, the end of CREATE TABLE and the target's own
// sections. The shared path (TExport) asks its writer wherever dialects differ; the
// defaults here are the plain SQL forms that most targets share.
#include "TColInfoList.h"
#include "TExportDialect.h"
#include "TypeMapping.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

class TExport;
struct TTableFacts;

class TDialectWriter {
  public:
    virtual ~TDialectWriter() = default;

    // Identifiers: the name as it stands when plain, otherwise in the dialect's quotes.
    virtual char IdentQuote() const { return '"'; }
    void AppendIdent(std::string& Out, std::string_view Name) const;
    std::string Ident(std::string_view Name) const;

    // One field of an INSERT.
    virtual void AppendValue(std::string& Out, std::string_view Value, TColumnType Type) const;

    // The type text of the column on the current catalogue row, for a source dialect.
    // TimestampOverride: the column carries a Firebird td_update trigger.
    std::string TypeText(TExportDialect Source, bool OracleSelect, bool TimestampOverride,
                         const TCatalogueField& Field) const;
    // The type table for a source dialect; empty when the pair has none.
    virtual std::span<const TColInfo> TypeTable(TExportDialect Source) const;
    // A MySQL source's declared type (SHOW COLUMNS "type") when the target keeps it
    // whole; empty to use the type table.
    virtual std::string DeclaredType(TExportDialect Source, std::string_view CatalogueType,
                                     std::string_view ShowType) const;

    // Column definitions: whether NOT NULL is written, the auto-increment marker.
    virtual bool WritesNotNull() const { return true; }
    virtual std::string_view AutoIncrementMarker() const { return {}; }
    // The line that closes CREATE TABLE.
    virtual std::string_view CreateTableEnd() const { return ");"; }

    // After the index section: the definitions (with marker) of auto-increment columns.
    virtual void WriteAutoIncrement(TExport& Export, const std::vector<std::string>& Definitions) const;
    // After the structure (also when the catalogue gave no column): the target's own objects.
    virtual void WriteTableExtras(TExport& Export, const TTableFacts& Facts) const;
    // After the rows, when the structure was asked for.
    virtual void WriteAfterRows(TExport& Export) const;

  protected:
    // Catalogue columns of a type's length and scale.
    virtual std::string_view LengthColumn(const TColInfo& Entry, bool OracleSelect) const;
    virtual std::string_view ScaleColumn() const { return "decimal_digits"; }
    // Appends "(length[,scale])" to a type text.
    virtual void AppendLength(std::string& Text, std::string_view Length, const std::string* Scale) const;
    // Last word on a type text.
    virtual void FinishType(std::string& Text, TExportDialect Source, bool TimestampOverride) const;
};
