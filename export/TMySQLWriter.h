#pragma once
// The MySQL form: backquoted identifiers, backslash-escaped literals, InnoDB tables and
// auto-increment markers added once the key exists.
#include "TDialectWriter.h"

class TMySQLWriter : public TDialectWriter {
  public:
    char IdentQuote() const override { return '`'; }
    bool BackslashEscapes() const override { return true; }
    // The literals escape with backslashes, which a session in NO_BACKSLASH_ESCAPES mode
    // would store as they stand. A version comment, which only MySQL-kind servers run,
    // turns the mode off for the loading session.
    std::string_view ScriptPreamble() const override {
        return "/*!40101 SET SESSION sql_mode = REPLACE(@@sql_mode, 'NO_BACKSLASH_ESCAPES', '') */;";
    }
    bool MultiRowValues() const override { return true; }
    // With several rows per INSERT, numbers that MariaDB reads back exactly go bare; every
    // other value, and every value of the one-row form, as AppendValue writes it.
    void AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const override;
    // Only with several rows per INSERT, so the default script stays as it always was.
    std::string_view RowsBegin() const override { return RowsPerStatement() > 1 ? "START TRANSACTION;" : ""; }
    std::string_view RowsEnd() const override { return RowsPerStatement() > 1 ? "COMMIT;" : ""; }
    std::string_view RowsAbort() const override { return RowsPerStatement() > 1 ? "ROLLBACK;" : ""; }
    std::span<const TColInfo> TypeTable(TExportDialect Source) const override;
    std::string DeclaredType(TExportDialect Source, std::string_view CatalogueType,
                             std::string_view ShowType, std::string& Note) const override;
    std::string OnUpdateClause(std::string_view Clock) const override;
    std::string_view AutoIncrementMarker() const override { return " auto_increment"; }
    std::string_view CreateTableEnd() const override { return ") ENGINE = INNODB;"; }
    void WriteAutoIncrement(TExport& Export, const std::vector<std::string>& Definitions) const override;
    void IndexableType(std::string& Text, std::string& Note, std::size_t KeyWidth) const override;

  protected:
    bool HasIndexKind(std::string_view Kind) const override { return Kind == "FULLTEXT" || Kind == "SPATIAL"; }
    void AppendLength(std::string& Text, std::string_view Length, const std::string* Scale) const override;
    void FinishType(std::string& Text, TExportDialect Source, bool TimestampOverride,
                    std::string& Note) const override;
    std::string ClockExpression(TClockDefault Clock, const std::string& Precision) const override;
    bool IsReserved(std::string_view Name) const override;
};

// Text, a value of a column of that ODBC type, reads back as the same value when MySQL or
// MariaDB takes it as a bare literal: integers and decimals in plain form (no leading
// zero, no '+'), floating values also with an exponent, at most 65 digits (a longer plain
// literal is cut short by the server without an error).
bool IsMySQLBareNumber(SQLSMALLINT SqlType, std::string_view Text);
