#include "ExactFloats.h"

#include "Text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

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

// Whether the last digit of a number's text stands for tenths or less. One pass: this runs
// for every real of an SQLite table.
bool ReachesTenths(std::string_view Text) {
    std::size_t i = 0;
    while (i < Text.size() && Text[i] != '.') ++i;
    if (i == Text.size()) return false;
    long decimals = 0;
    for (++i; i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; ++i) ++decimals;
    if (i == Text.size()) return decimals >= 1;
    if (Text[i] != 'e' && Text[i] != 'E') return false;
    long exponent = 0;
    std::string_view digits = Text.substr(i + 1);
    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
    if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ptr != digits.data() + digits.size())
        return false;
    return exponent - decimals <= -1;
}

// An integer below 2^60 (19 digits) with an optional minus sign, as SQLite writes one.
std::optional<std::int64_t> ReadFractionBits(std::string_view Text) {
    const bool negative = !Text.empty() && Text[0] == '-';
    if (negative) Text.remove_prefix(1);
    if (Text.empty() || Text.size() > 19) return std::nullopt;
    std::int64_t value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

} // namespace

std::string ExactFloatExpression(TDatabaseKind Kind, std::string_view DbmsName, SQLSMALLINT SqlType,
                                 TColumnType Type, std::string_view Ident, TExactForm& Form) {
    Form = TExactForm::Double;
    // A float widens to a double exactly, and the server's text of a double has every digit.
    // Times one widens it on every server version (a cast to DOUBLE is newer on some) and
    // keeps a negative zero, which adding zero would not.
    if (Kind == dkMySQL && SqlType == SQL_REAL) {
        Form = TExactForm::Single;
        return "(" + std::string(Ident) + " * 1e0)";
    }
    // Any numeric column of SQLite may hold reals; only they get an exact form. Integers and
    // texts stay as the driver gives them. From 2^-8 to 2^40 the bits after the point times
    // 2^60 are an integer, taken off and scaled exactly, and the driver's 15 digits are close
    // enough to tell the whole part; that costs a fraction of a printf, which the other reals
    // get, with more digits than a double needs: SQLite's printf may be off in the 17th.
    if (Kind == dkUnknown && SameText(DbmsName, "SQLite") && Type == ctFloat) {
        Form = TExactForm::Fraction;
        const std::string c(Ident);
        return "CASE WHEN typeof(" + c + ") = 'real' THEN CASE WHEN abs(" + c + ") >= 0.00390625 AND abs(" + c +
               ") < 1099511627776.0 THEN CAST((" + c + " - CAST(" + c + " AS INTEGER)) * 1152921504606846976 AS INTEGER)"
               " ELSE printf('%!.20e', " + c + ") END END";
    }
    return {};
}

bool WidenedFloatText(std::string_view Text, std::string& Out) {
    const std::string_view trimmed = TrimView(Text);
    float value = 0;
    const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    // NaN and the infinities keep their words, which no such target reads either way.
    if (ec != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(value) ||
        ReadsAsFloat(Text, value))
        return false;
    char text[32];
    Out.assign(text, std::to_chars(text, text + sizeof text, static_cast<double>(value)).ptr);
    return true;
}

bool ExactFloatText(std::string_view Driver, std::string_view Exact, TExactForm Form, std::string& Out) {
    std::optional<double> driver;
    std::optional<double> exact;
    // The printf text of the other reals always has an exponent, the bits never.
    if (Form == TExactForm::Fraction && Exact.find('e') == std::string_view::npos) {
        // The value is its whole part plus Exact / 2^60 (both exact doubles, their sum the
        // value), and lies within 2^40, where the driver's 15 digits reach below the point:
        // within half a tenth of the value, the driver's text tells the whole part.
        const std::optional<std::int64_t> bits = ReadFractionBits(Exact);
        if (!bits || !ReachesTenths(Driver)) return false;
        driver = ReadDouble(Driver);
        if (!driver) return false;
        const double fraction = std::ldexp(static_cast<double>(*bits), -60);
        exact = std::nearbyint(*driver - fraction) + fraction;
    } else {
        exact = ReadDouble(Exact);
    }
    // Infinity keeps the driver's spelling, which each target's handling expects.
    if (!exact || !std::isfinite(*exact)) return false;
    char text[64];
    if (Form == TExactForm::Single) {
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
    if (!driver) driver = ReadDouble(Driver);
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

namespace {

// What Firebird 3 makes of a number's text (its conversion of a text to a double, step for
// step, each step rounded on its own); nullopt where it refuses the text.
std::optional<double> ReadAsFirebird(std::string_view Text) {
    static constexpr double kUpper[] = {1e0, 1e32, 1e64, 1e96, 1e128, 1e160, 1e192, 1e224, 1e256, 1e288};
    static constexpr double kLower[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10,
                                        1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21,
                                        1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31};
    double value = 0;
    int scale = 0;
    bool fraction = false, negative = false;
    std::size_t i = 0;
    for (; i < Text.size() && Text[i] != 'e' && Text[i] != 'E'; ++i) {
        const char c = Text[i];
        if (c >= '0' && c <= '9') {
            if (fraction) ++scale;
            // Two roundings, as Firebird's build does them, never one fused step.
            volatile double tens = value * 10.0;
            value = tens + (c - '0');
        } else if (c == '.') {
            fraction = true;
        } else if (c == '-' && i == 0) {
            negative = true;
        } else {
            return std::nullopt;
        }
    }
    if (i < Text.size()) {
        int exponent = 0;
        std::string_view digits = Text.substr(i + 1);
        if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ptr != digits.data() + digits.size())
            return std::nullopt;
        scale -= exponent;
    }
    if (negative) value = -value;
    if (scale > 308 || scale < -308) return std::nullopt;
    const int magnitude = scale < 0 ? -scale : scale;
    const double power = kUpper[magnitude >> 5] * kLower[magnitude & 31];
    if (scale > 0) value /= power;
    if (scale < 0) value *= power;
    if (std::isinf(value)) return std::nullopt;
    return value;
}

} // namespace

bool ExactProductText(std::string_view Text, std::string& Out) {
    const std::optional<double> value = ReadDouble(Text);
    if (!value || !std::isfinite(*value)) return false;
    const std::optional<double> firebird = ReadAsFirebird(TrimView(Text));
    if (firebird && std::bit_cast<std::uint64_t>(*firebird) == std::bit_cast<std::uint64_t>(*value)) return false;
    int exponent = 0;
    auto whole = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(*value), &exponent), 53));
    exponent -= 53;
    while (whole != 0 && whole % 2 == 0) {
        whole /= 2;
        ++exponent;
    }
    // Fewer than 16 digits: gathered without rounding. Each power of two is an integer of at
    // most 2^62, and each step's result is exact, down to the subnormals.
    Out.assign(std::signbit(*value) ? "-" : "");
    Out += std::to_string(whole) + "e0";
    for (; exponent > 0; exponent -= std::min(exponent, 62))
        Out += "*" + std::to_string(std::uint64_t{1} << std::min(exponent, 62));
    for (; exponent < 0; exponent += std::min(-exponent, 62))
        Out += "/" + std::to_string(std::uint64_t{1} << std::min(-exponent, 62));
    return true;
}
