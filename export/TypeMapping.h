#pragma once
// Entries of the type tables that each dialect writer keeps for the sources it knows, and
// the full type of a MySQL column from its declaration.
#include <functional>
#include <string>
#include <string_view>

// One mapping entry.
struct TColInfo {
    std::string_view SourceType; // lower-case catalogue type name
    std::string_view TargetType; // empty: keep the source name
    bool HasLength;
    bool HasScale; // only together with HasLength
    // Written beside the column when the target type is not the source's own (why it holds
    // every value); empty for none.
    std::string_view Note = {};
};

// Reads a catalogue column of the current row by name (empty for NULL or missing).
using TCatalogueField = std::function<std::string(std::string_view Column)>;

// MySQL source and target: the complete type of an enum, set, binary, varbinary, bit or
// unsigned decimal column (and the fractional digits of datetime, time and timestamp) from the "type" value
// of SHOW COLUMNS, which the catalogue's type name and size cannot carry. Values are
// quoted anew. Empty when the type is none of these or the text has an unexpected form.
std::string MySQLDeclaredType(std::string_view CatalogueType, std::string_view ShowType);
