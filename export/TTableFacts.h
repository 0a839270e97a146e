#pragma once
// What the structure sections know about one table, read from the source's catalogue
// once and then written in each dialect's terms.
#include "TNameList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TColumnFacts {
    std::string Name;
    std::string TypeName;      // as the catalogue reports it
    std::int32_t SqlType = 0;  // ODBC SQL data type; 0 when the catalogue gave none
    std::string Size;          // "column_size"
    std::string DecimalDigits; // "decimal_digits"
    std::string Precision;     // "data_precision" of the Oracle catalogue select
    std::string Length;        // "length" and "scale" of the FoxPro catalogue
    std::string Scale;
    bool Nullable = false;
    bool Unconstrained = false; // a numeric declared without precision (PostgreSQL's typmod -1)
    std::string Default;       // "column_def" as reported; empty for none
    bool AutoIncrement = false;
    bool Timestamp = false;    // a MySQL timestamp, or a Firebird column with a td_update trigger
    std::string DeclaredType;  // MySQL source: the "type" of SHOW COLUMNS
    std::string OnUpdate;      // MySQL source: the clock of "on update ..." in SHOW COLUMNS "extra"

    // The catalogue text above by its catalogue column name (empty for another name).
    std::string Catalogue(std::string_view Column) const;
};

struct TIndexColumn {
    std::string Name;
    bool Descending = false;
};

struct TIndexFacts {
    std::string Name;
    bool Unique = false;
    std::string Kind; // "FULLTEXT" or "SPATIAL" (MySQL source); empty for an ordinary index
    std::vector<TIndexColumn> Columns;
};

struct TTableFacts {
    std::vector<TColumnFacts> Columns; // in catalogue order
    TNameList KeyColumns;              // the primary key, in key order
    std::vector<TIndexFacts> Indexes;  // in catalogue order, without the primary key's own

    // The index is the one that holds the primary key: unique, on the key's columns.
    bool IsKeyIndex(const TIndexFacts& Index) const;
    TNameList AutoIncColumns;
    TNameList TimestampColumns;
};
