#pragma once
// A column's type in a target dialect from what every driver reports about it: its ODBC
// SQL data type, size, decimal digits, nullability and auto-increment flag. The source's
// own type name is read only where it says more than those facts (enum, set, unsigned,
// text against varchar, a declared precision the driver does not report, a few types of
// one database that the others lack).
#include "TExportDialect.h"
#include "TypeMapping.h"

#include <string>
#include <string_view>

struct TDriverColumn {
    std::string Name;
    int SqlType = 0;        // DATA_TYPE of the column catalogue (SQL_UNKNOWN_TYPE when absent)
    long long Size = -1;    // COLUMN_SIZE: characters, digits or bytes; -1 when not reported
    int Digits = -1;        // DECIMAL_DIGITS: scale or fractional seconds; -1 when not reported
    bool Nullable = true;
    bool AutoIncrement = false;
    bool Unconstrained = false; // a numeric declared without precision (the size is the driver's guess)
    bool TimeIsDuration = false; // the source's time holds durations (negative, over 24 hours)
    std::string SourceType;      // the catalogue's type name in lower case
    std::string Default;         // COLUMN_DEF as the catalogue gives it; empty for none
};

// The facts of the column on the current row of a column catalogue (SQLColumns).
TDriverColumn FactsFromCatalogue(const TCatalogueField& Field);

// What a column's values are, whatever the source calls them.
enum class TValueKind {
    Boolean,
    Int8,
    Int16,
    Int32,
    Int64,
    UInt64, // beyond the signed 64-bit range
    Decimal,
    Real,
    Double,
    Char,
    VarChar,
    Text,
    Binary,
    VarBinary,
    Blob,
    Date,
    Time,
    Duration,
    Timestamp,
    TimestampTz,
    TimeTz, // a time of day with its zone's offset
    Uuid,
    Json,
    BitString, // PostgreSQL's bit(n) and varbit, which drivers report as text of 0/1 digits
    Other,
};

struct TValueShape {
    TValueKind Kind = TValueKind::Other;
    long long Length = -1; // characters or bytes; -1 unknown
    int Precision = -1;    // decimal digits in all; -1 unconstrained
    int Scale = 0;
    int Fraction = -1; // fractional second digits; -1 unknown
    std::string SourceName; // the source type's base name (no size, lower case)
};

TValueShape ShapeOf(const TDriverColumn& Facts);

// The type text for a target and, when the target holds the values in another form than
// the source (digits as text, a wider type), a note for a comment beside the column.
struct TTargetType {
    std::string Text;
    std::string Note;
};
TTargetType TypeFromFacts(const TDriverColumn& Facts, TExportDialect Target);
TTargetType TypeFromShape(const TValueShape& Shape, TExportDialect Target, bool AutoIncrement);

// A literal default or an expression the targets share; what DefaultText makes of COLUMN_DEF.
struct TColumnDefault {
    enum TKind { None, Literal, Number, CurrentTimestamp, CurrentDate, CurrentTime, Boolean, Unknown } Kind = None;
    std::string Value; // the literal's text, the number, "1"/"0", or the unknown expression
};
// Reads a catalogue default: NULL and empty give None; a quoted literal (quotes doubled,
// an optional ::cast after it), a number, the current date/time expressions of the usual
// databases; every other expression is Unknown (left out by the writers, with a comment).
TColumnDefault ParseDefault(std::string_view Text);
// The standard SQL keyword of a clock default (CURRENT_TIMESTAMP, CURRENT_DATE,
// CURRENT_TIME); empty for any other kind.
std::string_view StandardClock(TColumnDefault::TKind Kind);
