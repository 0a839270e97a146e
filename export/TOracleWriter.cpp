#include "TOracleWriter.h"

#include "ReservedWords.h"

#include <array>

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
