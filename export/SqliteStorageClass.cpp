#include "SqliteStorageClass.h"

std::string StorageClassExpression(std::string_view Ident) {
    const std::string c(Ident);
    // A real as the typed real columns get it: from 2^-8 to 2^40 the bits after the point
    // times 2^60, cheaper than a printf, which the other reals get.
    return "CASE typeof(" + c + ") WHEN 'integer' THEN 'i' WHEN 'real' THEN 'r' || CASE WHEN abs(" + c +
           ") >= 0.00390625 AND abs(" + c + ") < 1099511627776.0 THEN CAST((" + c + " - CAST(" + c +
           " AS INTEGER)) * 1152921504606846976 AS INTEGER) ELSE printf('%!.20e', " + c +
           ") END WHEN 'blob' THEN 'b' || hex(" + c + ") END";
}

TStorageClass ReadStorageClass(std::string_view Item, bool Null, std::string_view& Content) {
    Content = {};
    if (Null || Item.empty()) return TStorageClass::Text;
    Content = Item.substr(1);
    switch (Item[0]) {
    case 'i':
        return TStorageClass::Integer;
    case 'r':
        return TStorageClass::Real;
    case 'b':
        return TStorageClass::Blob;
    default:
        Content = {};
        return TStorageClass::Text;
    }
}

bool DecodeHex(std::string_view Hex, std::string& Bytes) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (Hex.size() % 2 != 0) return false;
    Bytes.clear();
    Bytes.reserve(Hex.size() / 2);
    for (std::size_t i = 0; i < Hex.size(); i += 2) {
        const int high = digit(Hex[i]), low = digit(Hex[i + 1]);
        if (high < 0 || low < 0) return false;
        Bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}
