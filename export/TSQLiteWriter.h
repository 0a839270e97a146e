#pragma once
// The SQLite form: the primary key inside CREATE TABLE (SQLite cannot add one later), an
// auto-increment key as INTEGER PRIMARY KEY AUTOINCREMENT, blobs as X'...', and text the
// shell would change (NUL, CR) as hex cast to text.
#include "TFactsWriter.h"

class TSQLiteWriter : public TFactsWriter {
  public:
    TSQLiteWriter() : TFactsWriter(edSQLite) {}

    void AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const override;
    bool AppendText(std::string& Out, std::string_view Text, std::string& Reason) const override;

  protected:
    bool IsKeyword(std::string_view LowerName) const override;
    bool KeyInsideCreate() const override { return true; }
    std::string AutoIncrementDefinition(const TDriverColumn& Column, const TTargetType& Type, bool IsOnlyKey,
                                        std::string& Note) const override;
    std::string DefaultExpression(TColumnDefault::TKind Kind, const TValueShape& Shape) const override;
    std::string DefaultNumberOrBoolean(const TColumnDefault& Default, const TValueShape& Shape) const override;
    std::optional<std::string> KeptSourceType(const TSourceTable& Facts, const TDriverColumn& Column) const override;
};
