#pragma once
// The output dialects: their codes, command-line names, banner lines and writers, kept in
// one list. A new dialect is one entry in that list and a writer of its own.
#include "TODBC.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

enum TExportDialect : std::uint8_t {
    edMySQL = 0,
    edFirebird = 1,
    edFoxPro = 2,
    edTabText = 3,
    edCommaText = 4,
    edOracle = 5,
    edSQLite = 6,
    edPostgreSQL = 7,
};

class TDialectWriter;

// One dialect of the list.
struct TDialectInfo {
    TExportDialect Code;
    std::string_view Name;      // as the command line names it
    std::string_view Banner;    // the banner's dialect line; empty for delimited text
    std::string_view Delimiter; // field separator of delimited text; empty for an SQL script
    std::unique_ptr<TDialectWriter> (*MakeWriter)();

    bool IsSQL() const { return Delimiter.empty(); }
};

// Every dialect, in code order.
std::span<const TDialectInfo> ExportDialects();
// The entry of a code; null for a code that is no dialect.
const TDialectInfo* FindDialect(TExportDialect Dialect);
// The writer of a dialect; the shared defaults for delimited text and unknown codes.
std::unique_ptr<TDialectWriter> MakeDialectWriter(TExportDialect Dialect);

// The dialect both programs write for a connection's database kind: MySQL and Firebird
// their own, every other kind the Oracle form.
TExportDialect DialectForKind(TDatabaseKind Kind);
// False (Dialect unchanged) for a name that is none of the list's.
bool DialectByName(std::string_view Name, TExportDialect& Dialect);
// The command-line name; empty for a code that is no dialect.
std::string_view DialectName(TExportDialect Dialect);
