#include "TFoxProWriter.h"

#include <array>

namespace {

// From a FoxPro source: its one-letter type codes.
constexpr TColInfo kFromFoxPro[] = {
    {"n", "number", true, true},
    {"l", "logical", false, false},
    {"c", "char", true, false},
    {"d", "date", false, false},
    {"t", "timedate", false, false},
};

} // namespace

std::span<const TColInfo> TFoxProWriter::TypeTable(TExportDialect Source) const {
    if (Source == edFoxPro) return kFromFoxPro;
    return {};
}
