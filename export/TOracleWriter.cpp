#include "TOracleWriter.h"

#include "ReservedWords.h"

#include <array>
#include <string>

namespace {

// From an Oracle source.
constexpr TColInfo kFromOracle[] = {
    {"char", "", true, false},
    {"date", "", false, false},
    {"decimal", "", true, true},
    {"number", "decimal", true, true},
    {"varchar2", "", true, false},
};

} // namespace

bool TOracleWriter::IsReserved(std::string_view Name) const {
    return IsReservedIn(OracleReservedWords, Name);
}

std::span<const TColInfo> TOracleWriter::TypeTable(TExportDialect Source) const {
    if (Source == edOracle) return kFromOracle;
    return {};
}

void TOracleWriter::IndexableType(std::string& Text, std::string& Note, std::size_t) const {
    // Oracle indexes no clob or blob. A text or binary of unknown length in a key gets the
    // longest bounded type; a longer value would be refused on load, not cut.
    if (Text == "clob") {
        Text = "varchar2(4000)";
        Note = "text of unknown length in a key or index: bounded, Oracle indexes no clob";
    } else if (Text == "blob") {
        Text = "raw(2000)";
        Note = "bytes of unknown length in a key or index: bounded, Oracle indexes no blob";
    }
}
