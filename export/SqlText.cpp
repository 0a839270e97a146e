#include "SqlText.h"

#include "Text.h"

#include <sqlext.h>

#include <array>
#include <cstring>

namespace {
bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

bool IsPlainIdentifier(std::string_view Name) {
    if (Name.empty() || IsDigit(Name.front())) return false;
    for (char c : Name)
        if (!IsAsciiLetter(c) && !IsDigit(c) && c != '_' && c != '$') return false;
    return true;
}

void AppendQuotedIdent(std::string& Out, std::string_view Name, char Quote) {
    const char q = Quote;
    Out += q;
    for (char c : Name) {
        if (c == q) Out += q;
        if (c != '\0') Out += c; // no identifier can carry a NUL
    }
    Out += q;
}

std::string CommentText(std::string_view Text) {
    std::string r;
    r.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        r += Text[i];
        // Neither closes the comment early nor, where comments nest, opens another.
        if ((Text[i] == '*' && i + 1 < Text.size() && Text[i + 1] == '/') ||
            (Text[i] == '/' && i + 1 < Text.size() && Text[i + 1] == '*'))
            r += ' ';
    }
    return r;
}

std::string LiteralBody(std::string_view Text) {
    std::string r;
    r.reserve(Text.size());
    for (char c : Text) {
        if (c == '\'') r += '\'';
        r += c;
    }
    return r;
}

namespace {
// Bytes of a value that AppendSqlValue changes: one table look-up per byte on the row path.
constexpr auto kNeedsCare = [] {
    std::array<bool, 256> t{};
    t[static_cast<unsigned char>('\'')] = t[static_cast<unsigned char>('\\')] = true;
    t[0] = t[static_cast<unsigned char>('\r')] = t[static_cast<unsigned char>('\n')] = true;
    t[0x1a] = true;
    return t;
}();
} // namespace

void AppendSqlValue(std::string& Out, std::string_view Value, TColumnType Type, bool MySQLTarget,
                    std::string_view NulExpression) {
    if (Type != ctString) {
        if ((Type == ctDate && Value == "0000-00-00") ||
            (Type == ctDateTime && Value == "0000-00-00 00:00:00")) {
            Out.append("null");
            return;
        }
        // A quoted '1' is a one-byte string to MySQL, too long for a BIT(1) column.
        if (Type == ctBoolean && MySQLTarget && (Value == "0" || Value == "1")) {
            Out.append(Value);
            return;
        }
    }
    std::size_t first = 0;
    while (first < Value.size() && !kNeedsCare[static_cast<unsigned char>(Value[first])]) ++first;
    if (first == Value.size()) {
        // Most values need no care: one resize and a copy instead of three appends.
        const std::size_t at = Out.size();
        Out.resize(at + Value.size() + 2);
        char* to = Out.data() + at;
        to[0] = '\'';
        if (!Value.empty()) std::memcpy(to + 1, Value.data(), Value.size());
        to[Value.size() + 1] = '\'';
        return;
    }
    Out += '\'';
    std::size_t run = 0; // start of the current stretch of bytes that need no care
    for (std::size_t i = first; i < Value.size(); ++i) {
        const char c = Value[i];
        if (!kNeedsCare[static_cast<unsigned char>(c)]) continue;
        Out.append(Value.data() + run, i - run);
        run = i + 1;
        if (c == '\'')
            Out.append("''");
        else if (c == '\\')
            Out.append(MySQLTarget ? "\\\\" : "\\");
        else if (MySQLTarget)
            // As MySQL's own dumps write them: the mariadb client drops a raw CR before a
            // line end inside a string, and a Ctrl-Z ends a script read on Windows.
            Out.append(c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\0' ? "\\0" : "\\Z");
        else if (c == '\r')
            Out.append(i + 1 < Value.size() && Value[i + 1] == '\n' ? "\r' || '" : "\r");
        else if (c == '\0' && !NulExpression.empty()) {
            Out.append("' || ");
            Out.append(NulExpression);
            Out.append(" || '");
        } else if (c != '\0')
            Out += c;
    }
    Out.append(Value.data() + run, Value.size() - run);
    Out += '\'';
}

void AppendHexLiteral(std::string& Out, std::string_view Bytes, char Prefix) {
    static constexpr char digits[] = "0123456789ABCDEF";
    Out += Prefix;
    Out += '\'';
    for (char c : Bytes) {
        const auto b = static_cast<unsigned char>(c);
        Out += digits[b >> 4];
        Out += digits[b & 15];
    }
    Out += '\'';
}

void AppendDelimited(std::string& Out, std::string_view Value, std::string_view Delimiter) {
    const bool enclose = (!Delimiter.empty() && Value.find(Delimiter) != std::string_view::npos) ||
                         Value.find_first_of("\"\r\n") != std::string_view::npos;
    if (!enclose) {
        Out.append(Value);
        return;
    }
    Out += '"';
    for (char c : Value) {
        if (c == '"') Out += '"';
        Out += c;
    }
    Out += '"';
}

std::string QuoteDelimited(std::string_view Value, std::string_view Delimiter) {
    std::string r;
    AppendDelimited(r, Value, Delimiter);
    return r;
}

TClockDefault ClockDefault(std::string_view Default, std::string& Precision) {
    std::string t;
    for (char c : Default)
        if (c != ' ') t += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    // SQLite keeps a default's parentheses: (CURRENT_TIMESTAMP), (datetime('now')).
    while (t.size() >= 2 && t.front() == '(' && t.back() == ')')
        t = t.substr(1, t.size() - 2);
    Precision.clear();
    const std::size_t open = t.find('(');
    if (open != std::string::npos && t.back() == ')') {
        const std::string inside = t.substr(open + 1, t.size() - open - 2);
        bool digits = true;
        for (char c : inside)
            if (!IsDigit(c)) digits = false;
        if (digits) {
            Precision = inside;
            t.resize(open);
        }
    }
    if (t == "current_timestamp" || t == "now" || t == "localtimestamp" || t == "localtime" || t == "sysdate" ||
        t == "getdate" || t == "systimestamp" || t == "datetime('now')" || t == "datetime('now','localtime')")
        return TClockDefault::Timestamp;
    Precision.clear();
    if (t == "current_date" || t == "curdate" || t == "date('now')" || t == "today") return TClockDefault::Date;
    if (t == "current_time" || t == "curtime" || t == "time('now')") return TClockDefault::Time;
    return TClockDefault::None;
}

bool ParseQuotedLiteral(std::string_view Text, bool Backslashes, std::string& Value) {
    if (Text.size() < 2 || Text.front() != '\'') return false;
    Value.clear();
    std::size_t i = 1;
    while (i < Text.size()) {
        const char c = Text[i++];
        if (c == '\'') {
            if (i < Text.size() && Text[i] == '\'') {
                Value += '\'';
                ++i;
                continue;
            }
            return i == Text.size();
        }
        if (c == '\\' && Backslashes) {
            if (i >= Text.size()) return false;
            const char e = Text[i++];
            switch (e) {
            case '0':
                Value += '\0';
                break;
            case 'n':
                Value += '\n';
                break;
            case 'r':
                Value += '\r';
                break;
            case 't':
                Value += '\t';
                break;
            case 'Z':
                Value += '\x1a';
                break;
            default:
                Value += e;
                break;
            }
            continue;
        }
        Value += c;
    }
    return false;
}

bool IsNumber(std::string_view Text) {
    std::size_t i = 0;
    const std::size_t n = Text.size();
    while (i < n && (Text[i] == ' ' || Text[i] == '\t'))
        ++i;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(Text[i]))
        ++i, ++digits;
    if (i < n && Text[i] == '.') {
        ++i;
        while (i < n && IsDigit(Text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (Text[i] == 'e' || Text[i] == 'E')) {
        ++i;
        if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && IsDigit(Text[i]))
            ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

bool IsIntegerSqlType(SQLSMALLINT Type) {
    return Type == SQL_TINYINT || Type == SQL_SMALLINT || Type == SQL_INTEGER || Type == SQL_BIGINT;
}

bool IsDecimalSqlType(SQLSMALLINT Type) {
    return Type == SQL_DECIMAL || Type == SQL_NUMERIC;
}

bool IsFloatSqlType(SQLSMALLINT Type) {
    return Type == SQL_REAL || Type == SQL_FLOAT || Type == SQL_DOUBLE;
}

bool IsNumericSqlType(SQLSMALLINT Type) {
    return IsIntegerSqlType(Type) || IsDecimalSqlType(Type) || IsFloatSqlType(Type);
}

int InfinitySign(std::string_view Text) {
    int sign = 1;
    if (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) {
        sign = Text[0] == '-' ? -1 : 1;
        Text.remove_prefix(1);
    }
    return SameText(Text, "inf") || SameText(Text, "infinity") ? sign : 0;
}
