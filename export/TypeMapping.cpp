#include "TypeMapping.h"

#include "SqlText.h"
#include "TExport.h"
#include "Text.h"

#include <array>
#include <vector>

namespace {

constexpr std::array<TColInfo, 30> kTableA{{
    {"tinyint", "smallint", false, false},
    {"tinyint unsigned", "smallint", false, false},
    {"smallint", "smallint", false, false},
    {"smallint unsigned", "smallint", false, false},
    {"mediumint", "int", false, false},
    {"mediumint unsigned", "int", false, false},
    {"int", "int", false, false},
    {"int unsigned", "int", false, false},
    {"integer", "int", false, false},
    {"integer unsigned", "int", false, false},
    {"bigint", "bigint", false, false},
    {"bigint unsigned", "bigint", false, false},
    {"float", "float", false, false},
    // Firebird has no type called double.
    {"double", "double precision", false, false},
    {"decimal", "decimal", true, true},
    {"char", "char", true, false},
    {"varchar", "varchar", true, false},
    {"datetime", "timestamp", false, false},
    {"timestamp", "", false, false},
    {"date", "date", false, false},
    {"time", "time", false, false},
    // char(1) would refuse every value longer than one letter.
    {"enum", "varchar", true, false},
    {"tinytext", "blob sub_type text", false, false},
    {"text", "blob sub_type text", false, false},
    {"mediumtext", "blob sub_type text", false, false},
    {"longtext", "blob sub_type text", false, false},
    {"tinyblob", "blob", false, false},
    {"blob", "blob", false, false},
    {"mediumblob", "blob", false, false},
    {"longblob", "blob", false, false},
}};

constexpr std::array<TColInfo, 10> kTableB{{
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
}};

constexpr std::array<TColInfo, 5> kTableC{{
    {"n", "number", true, true},
    {"l", "logical", false, false},
    {"c", "char", true, false},
    {"d", "date", false, false},
    {"t", "timedate", false, false},
}};

constexpr std::array<TColInfo, 10> kTableD{{
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "datetime", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
}};

constexpr std::array<TColInfo, 19> kTableE{{
    {"tinyint", "", true, false},
    {"tinyint unsigned", "", true, false},
    {"smallint", "", true, false},
    {"smallint unsigned", "", true, false},
    {"mediumint", "", true, false},
    {"mediumint unsigned", "", true, false},
    {"int", "", true, false},
    {"int unsigned", "", true, false},
    {"bigint", "", true, false},
    {"bigint unsigned", "", true, false},
    {"float", "", true, false},
    // The catalogue's size of a double is its precision; MySQL refuses double(15).
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"datetime", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
    {"enum", "", false, false},
}};

constexpr std::array<TColInfo, 5> kTableF{{
    {"char", "", true, false},
    {"date", "", false, false},
    {"decimal", "", true, true},
    {"number", "decimal", true, true},
    {"varchar2", "", true, false},
}};

} // namespace

const std::span<const TColInfo> TypeTableA{kTableA};
const std::span<const TColInfo> TypeTableB{kTableB};
const std::span<const TColInfo> TypeTableC{kTableC};
const std::span<const TColInfo> TypeTableD{kTableD};
const std::span<const TColInfo> TypeTableE{kTableE};
const std::span<const TColInfo> TypeTableF{kTableF};

std::span<const TColInfo> TypeTableFor(std::uint8_t Target, std::uint8_t Source) {
    if (Target == edFirebird && Source == edMySQL) return TypeTableA;
    if (Target == edFirebird && Source == edFirebird) return TypeTableB;
    if (Target == edFoxPro && Source == edFoxPro) return TypeTableC;
    if (Target == edMySQL && Source == edFirebird) return TypeTableD;
    if (Target == edMySQL && Source == edMySQL) return TypeTableE;
    if (Target == edOracle && Source == edOracle) return TypeTableF;
    return {};
}

std::string TypeText(std::uint8_t Target, std::uint8_t Source, bool OracleSelect, bool TimestampOverride,
                     const TCatalogueField& Field) {
    std::string text = LowerCase(Field("type_name"));
    for (const TColInfo& entry : TypeTableFor(Target, Source)) {
        if (entry.SourceType != text) continue;
        if (!entry.TargetType.empty()) text = entry.TargetType;
        if (entry.HasLength) {
            std::string_view lengthColumn = "column_size";
            if (Target == edFoxPro)
                lengthColumn = "length";
            else if (OracleSelect && entry.SourceType == "number")
                lengthColumn = "data_precision";
            // MySQL takes the length before the attribute: int(10) unsigned, not int unsigned(10).
            constexpr std::string_view unsignedSuffix = " unsigned";
            const bool isUnsigned = Target == edMySQL && text.ends_with(unsignedSuffix);
            if (isUnsigned) text.resize(text.size() - unsignedSuffix.size());
            text += '(';
            text += Field(lengthColumn);
            if (entry.HasScale) {
                text += ',';
                text += Field(Target == edFoxPro ? "scale" : "decimal_digits");
            }
            text += ')';
            if (isUnsigned) text += unsignedSuffix;
        }
        break;
    }
    if (TimestampOverride && Target == edMySQL && Source == edFirebird) text = "timestamp";
    return text;
}

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
