#pragma once
// Dialects whose whole structure comes from the driver's facts, so that any source fits:
// CREATE TABLE with each column's type from TypeFromFacts, its default and NOT NULL, the
// primary key (inside CREATE TABLE or after it), and every other index. Values come
// exact, and each table's rows stand inside one transaction.
#include "TDialectWriter.h"
#include "TSourceTable.h"

#include <optional>
#include <string>
#include <vector>

class TFactsWriter : public TDialectWriter {
  public:
    explicit TFactsWriter(TExportDialect Target) : FTarget(Target) {}

    void AppendIdent(std::string& Out, std::string_view Name) const override;
    bool MultiRowValues() const override { return true; }
    std::string_view RowsBegin() const override { return "BEGIN;"; }
    std::string_view RowsEnd() const override { return "COMMIT;"; }
    std::string_view RowsAbort() const override { return "ROLLBACK;"; }
    bool WriteStructure(TExport& Export) override;

    // A text literal; false when the target cannot hold the text unchanged (Reason set).
    virtual bool AppendText(std::string& Out, std::string_view Text, std::string& Reason) const = 0;

  protected:
    // The name is a keyword of the target, so it stands quoted.
    virtual bool IsKeyword(std::string_view LowerName) const = 0;
    // Whether Name stands bare: letters, digits and '_' (in the case the target keeps).
    virtual bool IsBareName(std::string_view Name) const;
    // SQLite cannot add a primary key to a table once made.
    virtual bool KeyInsideCreate() const = 0;
    // The definition after the name of a column that numbers itself.
    virtual std::string AutoIncrementDefinition(const TDriverColumn& Column, const TTargetType& Type,
                                                bool IsOnlyKey, std::string& Note) const = 0;
    // The target's expression for a current date/time default, empty when none fits.
    virtual std::string DefaultExpression(TColumnDefault::TKind Kind, const TValueShape& Shape) const = 0;
    virtual std::string DefaultNumberOrBoolean(const TColumnDefault& Default, const TValueShape& Shape) const = 0;
    // The source's own type text, where the source is of the target's kind and its text
    // is a plain type declaration; nullopt to build the type from the facts.
    virtual std::optional<std::string> KeptSourceType(const TSourceTable&, const TDriverColumn&) const {
        return std::nullopt;
    }
    // Index names are schema-wide in the target: the table's name goes in front.
    virtual std::size_t MaxNameBytes() const { return 0; }
    std::string IndexName(const std::string& Table, const std::string& Index, int Position) const;

    // Columns that number themselves, kept for the rows' after-work.
    std::vector<std::string> FAutoIncrement;
    // The table's columns as CREATE TABLE names them (result names are upper case).
    std::vector<std::string> FColumns;

  private:
    std::string ColumnDefinition(const TSourceTable& Facts, const TDriverColumn& Column, std::string& Note) const;
    std::string DefaultClause(const TDriverColumn& Column, const TValueShape& Shape) const;

    TExportDialect FTarget;
};

// Value text helpers of both targets.
// A number as SQL writes it: [-]digits[.digits][e[+-]digits], or [-].digits.
bool IsSqlNumber(std::string_view Text);
// An integer in the signed 64-bit range.
bool IsInt64Text(std::string_view Text);
void AppendHex(std::string& Out, std::string_view Bytes);
