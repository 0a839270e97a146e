#pragma once
// The PostgreSQL form: identifiers quoted where PostgreSQL would fold or refuse them, keys
// and indexes after CREATE TABLE, auto-increment as an identity column whose numbering
// continues after the loaded rows, bytea in hex, and literals that read the same whatever
// standard_conforming_strings says. Text holding a NUL byte is refused: PostgreSQL text
// cannot hold it. On request (TExport::CopyRows) each table's rows are one COPY block in
// COPY's text format instead of INSERTs: many times faster to load, but only psql reads it.
#include "TFactsWriter.h"

class TPostgreSQLWriter : public TFactsWriter {
  public:
    TPostgreSQLWriter() : TFactsWriter(edPostgreSQL) {}

    void AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const override;
    bool AppendText(std::string& Out, std::string_view Text, std::string& Reason) const override;
    void WriteAfterRows(TExport& Export) const override;
    bool WriteStructure(TExport& Export) override;
    TRowForm RowForm(const TExport& Export, const std::vector<TResultColumn>& Columns) override;
    std::string RowsFailed(std::string_view Reason) const override;

  protected:
    bool IsKeyword(std::string_view LowerName) const override;
    bool IsBareName(std::string_view Name) const override;
    bool KeyInsideCreate() const override { return false; }
    std::string AutoIncrementDefinition(const TDriverColumn& Column, const TTargetType& Type, bool IsOnlyKey,
                                        std::string& Note) const override;
    std::string DefaultExpression(TColumnDefault::TKind Kind, const TValueShape& Shape) const override;
    std::string DefaultNumberOrBoolean(const TColumnDefault& Default, const TValueShape& Shape) const override;
    std::size_t MaxNameBytes() const override { return 63; }

  private:
    // One field of a COPY row: \N for NULL, text with COPY's backslash escapes.
    void AppendCopyField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const;
    // The script's bytes are UTF-8, said once before the table's first statement.
    void SayEncoding(TExport& Export);

    bool FCopy = false;         // the rows are a COPY block
    bool FEncodingSaid = false; // this table's part of the script names its encoding
    std::string FTable;         // the table whose rows are written, for a failure's message
};
