#include "Format.h"

#include <charconv>

namespace {

const FormatArg& NextArg(FormatArgs args, std::size_t& index, std::string_view pattern) {
    if (index >= args.size()) throw FormatError("Format '" + std::string(pattern) + "': missing argument");
    return *(args.begin() + index++);
}

void AppendNumber(std::string& out, long long v, int minDigits) {
    char buf[32];
    unsigned long long mag =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    auto res = std::to_chars(buf, buf + sizeof buf, mag);
    int digits = static_cast<int>(res.ptr - buf);
    if (v < 0) out += '-';
    for (int i = digits; i < minDigits; ++i)
        out += '0';
    out.append(buf, res.ptr);
}

} // namespace

void FormatAppend(std::string& out, std::string_view pattern, FormatArgs args) {
    std::size_t argIndex = 0;
    std::size_t i = 0;
    while (i < pattern.size()) {
        std::size_t pct = pattern.find('%', i);
        if (pct == std::string_view::npos) {
            out.append(pattern.substr(i));
            break;
        }
        out.append(pattern.substr(i, pct - i));
        std::size_t p = pct + 1;
        if (p >= pattern.size()) throw FormatError("Format '" + std::string(pattern) + "': lone % at end");
        char c = pattern[p];
        if (c == '%') {
            out += '%';
        } else if (c == 's') {
            const FormatArg& a = NextArg(args, argIndex, pattern);
            if (!a.IsText()) throw FormatError("Format '" + std::string(pattern) + "': %s needs text");
            out.append(a.Text());
        } else if (c == 'd' || (c == '.' && p + 2 < pattern.size() && pattern[p + 1] >= '0' &&
                                pattern[p + 1] <= '9' && pattern[p + 2] == 'd')) {
            int minDigits = 0;
            if (c == '.') {
                minDigits = pattern[p + 1] - '0';
                p += 2;
            }
            const FormatArg& a = NextArg(args, argIndex, pattern);
            if (a.IsText()) throw FormatError("Format '" + std::string(pattern) + "': %d needs a number");
            AppendNumber(out, a.Number(), minDigits);
        } else {
            throw FormatError("Format '" + std::string(pattern) + "': invalid directive");
        }
        i = p + 1;
    }
}

std::string Format(std::string_view pattern, FormatArgs args) {
    std::string out;
    FormatAppend(out, pattern, args);
    return out;
}
