#pragma once
// The Firebird form: type tables from MySQL and Firebird sources, and the objects Firebird
// needs around a table: generators, triggers, the grant and the generator values.
#include "TDialectWriter.h"

#include <string>
#include <vector>

// Firebird 3 takes names of at most 31 bytes: a longer name becomes its first 22 bytes (cut
// at a character's start), "$" and 8 hex digits of a hash of the whole name, the same in
// every run and in every statement that names it.
std::string FirebirdName(std::string_view Name);

class TFirebirdWriter : public TDialectWriter {
  public:
    char HexPrefix() const override { return 'x'; }
    std::string_view NulExpression() const override { return "ascii_char(0)"; }
    std::size_t StatementLimit() const override { return 65535; }
    void AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const override;
    std::span<const TColInfo> TypeTable(TExportDialect Source) const override;
    std::string DeclaredType(TExportDialect Source, std::string_view CatalogueType, std::string_view ShowType,
                             std::string& Note) const override;
    void WriteTableExtras(TExport& Export, const TTableFacts& Facts) const override;
    void WriteAfterRows(TExport& Export) const override;
    void WriteIndex(TExport& Export, const TIndexFacts& Index) const override;

  protected:
    std::string IndexName(std::string_view Table, std::string_view Index) const override;
    void FinishType(std::string& Text, TExportDialect Source, bool TimestampOverride,
                    std::string& Note) const override;
    bool IsReserved(std::string_view Name) const override;
    std::string TargetName(std::string_view Name) const override;

  private:
    // Generators and triggers made up for columns of another source: auto-increment and
    // self-numbering columns, and a MySQL source's clocks.
    void WriteMadeUp(TExport& Export, const TTableFacts& Facts) const;
    void WriteFromFirebird(TExport& Export) const;
    // The triggers that stand for a MySQL source's clocks: a timestamp column filled when
    // left NULL, and a column's on-update clock. Made with the table's other objects and
    // written after its rows, so that loading the rows (NULLs of a nullable timestamp, a
    // long value's appending UPDATEs) never fires them.
    void MakeClockTriggers(const TExport& Export, const TTableFacts& Facts) const;
    mutable std::vector<std::string> FClockTriggers; // lines
    mutable std::vector<std::string> FCopiedTriggers; // lines: a Firebird source's triggers
    // "BEFORE INSERT ", "AFTER INSERT OR UPDATE " … for a trigger type of Firebird's catalogue.
    static std::string TriggerEvents(std::int32_t Type);
};
