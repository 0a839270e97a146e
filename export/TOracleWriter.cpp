#include "TOracleWriter.h"

#include <array>

namespace {

// From an Oracle source.
constexpr std::array<TColInfo, 5> kFromOracle{{
    {"char", "", true, false},
    {"date", "", false, false},
    {"decimal", "", true, true},
    {"number", "decimal", true, true},
    {"varchar2", "", true, false},
}};

} // namespace

std::span<const TColInfo> TOracleWriter::TypeTable(TExportDialect Source) const {
    if (Source == edOracle) return kFromOracle;
    return {};
}
