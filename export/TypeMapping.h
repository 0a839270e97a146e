#pragma once
// Column type names for a (target, source) dialect pair: six constant tables and the
// builder of a column's type text from its catalogue row.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// One mapping entry.
struct TColInfo {
    std::string_view SourceType; // lower-case catalogue type name
    std::string_view TargetType; // empty: keep the source name
    bool HasLength;
    bool HasScale; // only together with HasLength
};

extern const std::span<const TColInfo> TypeTableA; // Firebird from MySQL
extern const std::span<const TColInfo> TypeTableB; // Firebird from Firebird
extern const std::span<const TColInfo> TypeTableC; // FoxPro from FoxPro
extern const std::span<const TColInfo> TypeTableD; // MySQL from Firebird
extern const std::span<const TColInfo> TypeTableE; // MySQL from MySQL
extern const std::span<const TColInfo> TypeTableF; // Oracle from Oracle

// The table for the pair; empty when the pair has none.
std::span<const TColInfo> TypeTableFor(std::uint8_t Target, std::uint8_t Source);

// Reads a catalogue column of the current row by name (empty for NULL or missing).
using TCatalogueField = std::function<std::string(std::string_view Column)>;

// Type text of the column on the current catalogue row. TimestampOverride: MySQL target,
// Firebird source, and the column carries a td_update trigger.
std::string TypeText(std::uint8_t Target, std::uint8_t Source, bool OracleSelect, bool TimestampOverride,
                     const TCatalogueField& Field);

// MySQL source and target: the complete type of an enum, set, binary, varbinary, bit or
// unsigned decimal column (and the fractional digits of datetime, time and timestamp) from the "type" value
// of SHOW COLUMNS, which the catalogue's type name and size cannot carry. Values are
// quoted anew. Empty when the type is none of these or the text has an unexpected form.
std::string MySQLDeclaredType(std::string_view CatalogueType, std::string_view ShowType);
