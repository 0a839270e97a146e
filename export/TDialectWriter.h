#pragma once
// What one target dialect writes differently: identifier quotes, value literals, type
// texts, the column-definition markers, the end of CREATE TABLE and the target's own
// sections. The shared path (TExport) asks its writer wherever dialects differ; the
// defaults here are the plain SQL forms that most targets share.
#include "TColInfoList.h"
#include "TODBCStatement.h"
#include "TExportDialect.h"
#include "SqlText.h"
#include "TypeMapping.h"

#include <sql.h>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TExport;
struct TTableFacts;
struct TIndexFacts;
struct TFieldData;

// A result column as the row writer sees it.
struct TResultColumn {
    std::string Name;
    TColumnType Type = ctUnknown;
    SQLSMALLINT SqlType = 0; // the ODBC SQL data type the driver described
    bool Binary = false;     // values come as raw bytes
};

// How a table's rows are written: each row is Head, its fields joined by Separator, then
// Tail. Begin and End are whole lines around the rows, written only when the table has rows.
struct TRowForm {
    std::string Begin;
    std::string Head;
    char Separator = ',';
    std::string Tail;
    std::string End;
    // Rows joined into one INSERT (VALUES(...),\r\n(...);), for the INSERT form only.
    std::int32_t RowsPerStatement = 1;
};

// Raised by a writer for a value its target cannot hold unchanged; the row path adds the
// table, column and row and ends the table with result 4.
class TValueRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TDialectWriter {
  public:
    virtual ~TDialectWriter() = default;

    // Identifiers: the name as it stands when plain, otherwise in the dialect's quotes.
    virtual char IdentQuote() const { return '"'; }
    virtual void AppendIdent(std::string& Out, std::string_view Name) const;
    std::string Ident(std::string_view Name) const;

    // One field of an INSERT: NULL as null, a binary column's bytes as a hex literal, every
    // other value as a quoted literal in the dialect's escapes.
    void AppendValue(std::string& Out, const TFieldData& Field, TColumnType Type, bool Binary) const;
    // Literals: backslash escapes (MySQL) or standard ones, and the hex literal's prefix.
    virtual bool BackslashEscapes() const { return false; }
    // A line after the banner that sets up the loading session; empty for none.
    virtual std::string_view ScriptPreamble() const { return {}; }
    virtual char HexPrefix() const { return 'X'; }
    // The longest statement the target's script reader takes, in bytes; 0 for no limit.
    virtual std::size_t StatementLimit() const { return 0; }
    // The target's expression for a NUL character, joined to text literals with "||";
    // empty when the target has none (the NUL is then left out).
    virtual std::string_view NulExpression() const { return {}; }
    // One field of an INSERT as the row path writes it (AppendValue unless the writer has
    // forms of its own); raises TValueRefused for a value the target cannot hold unchanged.
    virtual void AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const;
    // The target reads several rows in one INSERT (VALUES (...),(...)).
    virtual bool MultiRowValues() const { return false; }
    // Rows per INSERT asked for by the engine; the target's own limit is RowsPerStatement.
    std::int32_t RowsPerInsert = 1;
    std::int32_t RowsPerStatement() const { return MultiRowValues() && RowsPerInsert > 1 ? RowsPerInsert : 1; }
    // Lines around a table's INSERTs, written only when it has rows; RowsAbort ends them
    // instead of RowsEnd when a value was refused.
    virtual std::string_view RowsBegin() const { return {}; }
    virtual std::string_view RowsEnd() const { return {}; }
    virtual std::string_view RowsAbort() const { return {}; }
    // Called once before a table's rows: their form, one INSERT a row unless the writer has
    // a form of its own for what Export asks; AppendField then writes fields of that form.
    virtual TRowForm RowForm(const TExport& Export, const std::vector<TResultColumn>& Columns);
    // The lines that end the rows instead of End when a value was refused or the read failed.
    virtual std::string RowsFailed(std::string_view Reason) const;

    // Writers that build the whole structure section themselves (columns, keys, indexes and
    // their own objects): true when written, false to leave it to the shared path.
    virtual bool WriteStructure(TExport& Export);

    // The type text of the column on the current catalogue row, for a source dialect.
    // TimestampOverride: the column carries a Firebird td_update trigger.
    // Note, when given, gets the remark to write beside the column (empty for none).
    std::string TypeText(TExportDialect Source, bool OracleSelect, bool TimestampOverride,
                         const TCatalogueField& Field, std::string* Note = nullptr) const;
    // " DEFAULT ..." for the catalogue's default text: the clock as the target's expression,
    // a number as it stands, anything else as a literal; empty for none.
    // SourceBackslashes: the source's literals escape with backslashes.
    std::string DefaultClause(std::string_view Default, bool SourceBackslashes) const;
    // " ON UPDATE <clock>" for a MySQL source's on-update clock, where the target has the
    // clause; empty otherwise and for any text that is not the clock.
    virtual std::string OnUpdateClause(std::string_view Clock) const;
    // The type table for a source dialect; empty when the pair has none.
    virtual std::span<const TColInfo> TypeTable(TExportDialect Source) const;
    // A MySQL source's declared type (SHOW COLUMNS "type") when the target keeps it
    // whole or needs what it says; empty to use the type table. Note: as for TypeText.
    virtual std::string DeclaredType(TExportDialect Source, std::string_view CatalogueType,
                                     std::string_view ShowType, std::string& Note) const;

    // The type of a column in a key or index where the target cannot index Text; may set
    // a note as for TypeText. KeyWidth: columns of the widest key or index holding it.
    virtual void IndexableType(std::string& Text, std::string& Note, std::size_t KeyWidth) const;

    // Column definitions: whether NOT NULL is written, the auto-increment marker.
    virtual bool WritesNotNull() const { return true; }
    virtual std::string_view AutoIncrementMarker() const { return {}; }
    // The line that closes CREATE TABLE.
    virtual std::string_view CreateTableEnd() const { return ");"; }

    // One index other than the primary key's.
    virtual void WriteIndex(TExport& Export, const TIndexFacts& Index) const;
    // After the index section: the definitions (with marker) of auto-increment columns.
    virtual void WriteAutoIncrement(TExport& Export, const std::vector<std::string>& Definitions) const;
    // After the structure (also when the catalogue gave no column): the target's own objects.
    virtual void WriteTableExtras(TExport& Export, const TTableFacts& Facts) const;
    // After the rows, when the structure was asked for.
    virtual void WriteAfterRows(TExport& Export) const;

  protected:
    // The target has indexes of this kind ("FULLTEXT", "SPATIAL").
    virtual bool HasIndexKind(std::string_view) const { return false; }
    // The index's name in the script.
    virtual std::string IndexName(std::string_view Table, std::string_view Index) const;
    // "CREATE [UNIQUE |kind ]INDEX name ON table (", without the columns.
    std::string IndexHead(TExport& Export, const TIndexFacts& Index, std::string_view Order) const;
    // The skipped index's comment line when the target lacks its kind; true when written.
    bool SkipMissingKind(TExport& Export, const TIndexFacts& Index) const;
    // Catalogue columns of a type's length and scale.
    virtual std::string_view LengthColumn(const TColInfo& Entry, bool OracleSelect) const;
    virtual std::string_view ScaleColumn() const { return "decimal_digits"; }
    // Appends "(length[,scale])" to a type text.
    virtual void AppendLength(std::string& Text, std::string_view Length, const std::string* Scale) const;
    // Last word on a type text; may set a note to write beside the column.
    virtual void FinishType(std::string& Text, TExportDialect Source, bool TimestampOverride,
                            std::string& Note) const;
    // The target's expression for a clock default; Precision: fractional digits or empty.
    virtual std::string ClockExpression(TClockDefault Clock, const std::string& Precision) const;
    // Reserved words of the target, which are quoted when they stand as names.
    virtual bool IsReserved(std::string_view Name) const;
    // The name as the target takes it (a target with a length limit shortens it).
    virtual std::string TargetName(std::string_view Name) const { return std::string(Name); }
};
