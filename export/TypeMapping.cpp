#include "TypeMapping.h"

#include "SqlText.h"
#include "TColInfoList.h"
#include "Text.h"

#include <vector>

namespace {

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix) {
    return Text.size() >= Prefix.size() && SameText(Text.substr(0, Prefix.size()), Prefix);
}

// The values of "'a','b'" as the server shows them: quotes doubled or backslash-escaped.
// False when the text is not such a list.
bool ParseValueList(std::string_view Text, std::vector<std::string>& Values) {
    std::size_t i = 0;
    while (true) {
        if (i >= Text.size() || Text[i] != '\'') return false;
        ++i;
        std::string value;
        while (true) {
            if (i >= Text.size()) return false;
            const char c = Text[i++];
            if (c == '\'') {
                if (i < Text.size() && Text[i] == '\'') {
                    value += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            if (c == '\\') {
                if (i >= Text.size()) return false;
                const char e = Text[i++];
                switch (e) {
                case '0':
                    value += '\0';
                    break;
                case 'n':
                    value += '\n';
                    break;
                case 'r':
                    value += '\r';
                    break;
                case 't':
                    value += '\t';
                    break;
                case 'Z':
                    value += '\x1a';
                    break;
                default:
                    value += e;
                    break;
                }
                continue;
            }
            value += c;
        }
        Values.push_back(std::move(value));
        if (i == Text.size()) return true;
        if (Text[i] != ',') return false;
        ++i;
    }
}

// "(digits)" exactly.
bool IsParenthesisedNumber(std::string_view Text) {
    if (Text.size() < 3 || Text.front() != '(' || Text.back() != ')') return false;
    for (char c : Text.substr(1, Text.size() - 2))
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string MySQLDeclaredType(std::string_view CatalogueType, std::string_view ShowType) {
    const std::string name = LowerCase(CatalogueType);
    if (name == "enum" || name == "set") {
        if (!StartsWithNoCase(ShowType, name + "(") || !ShowType.ends_with(')')) return {};
        std::vector<std::string> values;
        if (!ParseValueList(ShowType.substr(name.size() + 1, ShowType.size() - name.size() - 2), values))
            return {};
        // Written anew from the parsed values, so no text from the server reaches the script unquoted.
        std::string text = name + '(';
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0) text += ',';
            AppendSqlValue(text, values[i], ctString, true);
        }
        return text + ')';
    }
    if (name == "decimal unsigned") {
        // The catalogue has no entry that keeps the scale of an unsigned decimal.
        if (!StartsWithNoCase(ShowType, "decimal(")) return {};
        const std::size_t close = ShowType.find(')');
        if (close == std::string_view::npos) return {};
        const std::string digits(ShowType.substr(8, close - 8));
        const std::size_t comma = digits.find(',');
        if (comma == std::string::npos || !IsParenthesisedNumber("(" + digits.substr(0, comma) + ")") ||
            !IsParenthesisedNumber("(" + digits.substr(comma + 1) + ")"))
            return {};
        const std::string rest = LowerCase(ShowType.substr(close + 1));
        if (rest != " unsigned" && rest != " unsigned zerofill") return {};
        return "decimal(" + digits + ")" + rest;
    }
    if (name == "binary" || name == "varbinary" || name == "bit" || name == "datetime" || name == "time" ||
        name == "timestamp") {
        if (!StartsWithNoCase(ShowType, name)) return {};
        const std::string_view rest = ShowType.substr(name.size());
        if (rest.empty()) return name;
        if (!IsParenthesisedNumber(rest)) return {};
        return name + std::string(rest);
    }
    return {};
}
