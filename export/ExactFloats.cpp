#include "ExactFloats.h"

#include "Text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

// The number a text stands for, read as the target reads it (nearest double); nullopt when
// the whole text is no number.
std::optional<double> ReadDouble(std::string_view Text) {
    Text = TrimView(Text);
    if (!Text.empty() && Text[0] == '+') Text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (ec != std::errc() || end != Text.data() + Text.size()) return std::nullopt;
    return value;
}

// Whether Text, read as a double and narrowed, is Value (as a target with single-precision
// columns reads it), within the range of floats.
bool ReadsAsFloat(std::string_view Text, float Value) {
    const std::optional<double> read = ReadDouble(Text);
    return read && std::fabs(*read) <= std::numeric_limits<float>::max() &&
           std::bit_cast<std::uint32_t>(static_cast<float>(*read)) == std::bit_cast<std::uint32_t>(Value);
}

} // namespace

std::string ExactFloatExpression(TDatabaseKind Kind, std::string_view DbmsName, SQLSMALLINT SqlType,
                                 TColumnType Type, std::string_view Ident, bool& Single) {
    Single = false;
    // A float widens to a double exactly, and the server's text of a double has every digit.
    // Times one widens it on every server version (a cast to DOUBLE is newer on some) and
    // keeps a negative zero, which adding zero would not.
    if (Kind == dkMySQL && SqlType == SQL_REAL) {
        Single = true;
        return "(" + std::string(Ident) + " * 1e0)";
    }
    // Any numeric column of SQLite may hold reals; only they get an exact text, with more
    // digits than a double needs: SQLite's own conversion may be off in the 17th digit.
    // Integers and texts stay as the driver gives them.
    if (Kind == dkUnknown && SameText(DbmsName, "SQLite") && Type == ctFloat)
        return "CASE WHEN typeof(" + std::string(Ident) + ") = 'real' THEN printf('%!.20e', " +
               std::string(Ident) + ") END";
    return {};
}

bool ExactFloatText(std::string_view Driver, std::string_view Exact, bool Single, std::string& Out) {
    const std::optional<double> exact = ReadDouble(Exact);
    // Infinity keeps the driver's spelling, which each target's handling expects.
    if (!exact || !std::isfinite(*exact)) return false;
    char text[64];
    if (Single) {
        const auto value = static_cast<float>(*exact);
        if (ReadsAsFloat(Driver, value)) return false;
        auto written = std::to_chars(text, text + sizeof text, value);
        // The shortest text of the largest floats lies beyond the largest float as a double,
        // which a target that narrows a double refuses; the double's own text never does.
        if (!ReadsAsFloat(std::string_view(text, static_cast<std::size_t>(written.ptr - text)), value))
            written = std::to_chars(text, text + sizeof text, static_cast<double>(value));
        Out.assign(text, written.ptr);
        return true;
    }
    const std::optional<double> driver = ReadDouble(Driver);
    // Compared bit for bit, so that a negative zero is told from zero.
    if (driver && std::bit_cast<std::uint64_t>(*driver) == std::bit_cast<std::uint64_t>(*exact)) return false;
    Out.assign(text, std::to_chars(text, text + sizeof text, *exact).ptr);
    return true;
}

void AppendFarFromHalfway(std::string& Out, std::string_view Text) {
    if constexpr (std::numeric_limits<long double>::digits >= 64) {
        double value = 0;
        long double precise = 0;
        const char* end = Text.data() + Text.size();
        if (Text.find_first_of(".eE") != std::string_view::npos &&
            std::from_chars(Text.data(), end, value).ptr == end && std::fabs(value) >= 1e-291 &&
            std::isfinite(value) && std::from_chars(Text.data(), end, precise).ptr == end) {
            // The text's distance from the value, in steps to the neighbour on its side (below
            // a power of two that step is half the one above). The value has 53 bits, the text
            // read in extended precision 64: the distance is off by far less than the margin.
            const long double magnitude = std::fabs(value), text = std::fabs(precise);
            const long double step = text < magnitude ? magnitude - std::nextafter(std::fabs(value), 0.0)
                                                      : std::nextafter(std::fabs(value), HUGE_VAL) - magnitude;
            if (std::fabs(text - magnitude) > step * (31.0L / 64)) {
                char digits[32];
                Out.append(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17).ptr);
                return;
            }
        }
    }
    Out.append(Text);
}
