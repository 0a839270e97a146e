#pragma once
// 8-bit text helpers. Case folding is ASCII-only on purpose: values are bytes in
// the source's code page, and only A-Z/a-z may change.
#include <string>
#include <string_view>

// Drops leading and trailing characters with codes up to 32 (blank and control characters).
std::string_view TrimView(std::string_view s);
inline std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

inline char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}
inline char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Equality without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);
// Position of needle in hay without regard to ASCII letter case, or npos.
std::size_t FindText(std::string_view hay, std::string_view needle);
