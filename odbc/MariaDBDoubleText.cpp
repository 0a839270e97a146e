#include "MariaDBDoubleText.h"

#include <charconv>
#include <cstring>

std::size_t MariaDBDoubleText(double Value, char* Out) {
    // Shortest round-trip digits in scientific form: "-d.ddde+XX".
    char sci[32];
    const auto [end, ec] = std::to_chars(sci, sci + sizeof sci, Value, std::chars_format::scientific);
    if (ec != std::errc()) return 0;
    const char* p = sci;
    char* out = Out;
    if (*p == '-') *out++ = *p++;
    char digits[20];
    int count = 0;
    digits[count++] = *p++;
    if (*p == '.')
        for (++p; *p != 'e'; ++p) digits[count++] = *p;
    // p is at 'e'; the exponent is signed and has at least two digits.
    ++p;
    const bool negativeExponent = *p == '-';
    ++p;
    int exponent = 0;
    for (; p != end; ++p) exponent = exponent * 10 + (*p - '0');
    if (negativeExponent) exponent = -exponent;
    if (count == 1 && digits[0] == '0') {
        *out++ = '0';
        return static_cast<std::size_t>(out - Out);
    }
    const int point = exponent + 1; // digits before the point
    if (point >= -14 && (point <= 15 || count > point)) {
        if (point <= 0) {
            *out++ = '0';
            *out++ = '.';
            std::memset(out, '0', static_cast<std::size_t>(-point));
            out += -point;
            std::memcpy(out, digits, static_cast<std::size_t>(count));
            out += count;
        } else if (point >= count) {
            std::memcpy(out, digits, static_cast<std::size_t>(count));
            out += count;
            std::memset(out, '0', static_cast<std::size_t>(point - count));
            out += point - count;
        } else {
            std::memcpy(out, digits, static_cast<std::size_t>(point));
            out += point;
            *out++ = '.';
            std::memcpy(out, digits + point, static_cast<std::size_t>(count - point));
            out += count - point;
        }
        return static_cast<std::size_t>(out - Out);
    }
    *out++ = digits[0];
    if (count > 1) {
        *out++ = '.';
        std::memcpy(out, digits + 1, static_cast<std::size_t>(count - 1));
        out += count - 1;
    }
    *out++ = 'e';
    const auto [expEnd, expEc] = std::to_chars(out, Out + MariaDBDoubleTextMax, exponent);
    (void)expEc;
    return static_cast<std::size_t>(expEnd - Out);
}
