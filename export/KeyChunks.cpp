#include "KeyChunks.h"

#include "Text.h"

#include <cctype>

namespace {

bool IsWordChar(char C) {
    return std::isalnum(static_cast<unsigned char>(C)) || C == '_' || C == '$';
}

// Upper-cased words of Text outside quotes and their positions; false for an unclosed
// quote or comment.
struct TWord {
    std::string Text;
    std::size_t At;
};
bool Words(std::string_view Text, std::vector<TWord>& Out, bool& Semicolon) {
    Semicolon = false;
    for (std::size_t i = 0; i < Text.size();) {
        const char c = Text[i];
        if (c == '\'' || c == '"' || c == '`') {
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= Text.size()) return false;
                if (c == '\'' && Text[j] == '\\') {
                    ++j;
                    continue;
                }
                if (Text[j] == c) {
                    if (j + 1 < Text.size() && Text[j + 1] == c) {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            i = j + 1;
        } else if (c == '-' && i + 1 < Text.size() && Text[i + 1] == '-') {
            return false;
        } else if (c == '/' && i + 1 < Text.size() && Text[i + 1] == '*') {
            return false;
        } else if (c == ';') {
            Semicolon = true;
            ++i;
        } else if (IsWordChar(c)) {
            std::size_t j = i;
            while (j < Text.size() && IsWordChar(Text[j])) ++j;
            Out.push_back({UpperCase(Text.substr(i, j - i)), i});
            i = j;
        } else {
            ++i;
        }
    }
    return true;
}

std::string Unquoted(std::string_view Name) {
    Name = TrimView(Name);
    if (Name.size() >= 2 && (Name.front() == '`' || Name.front() == '"') && Name.back() == Name.front())
        return std::string(Name.substr(1, Name.size() - 2));
    return std::string(Name);
}

} // namespace

TRowOrder SplitRowOrder(std::string_view Clause) {
    TRowOrder order;
    order.Filter = std::string(TrimView(Clause));
    std::vector<TWord> words;
    bool semicolon = false;
    if (!Words(Clause, words, semicolon) || semicolon) {
        order.Chunkable = false;
        return order;
    }
    std::size_t orderAt = std::string::npos;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i].Text;
        if (w == "LIMIT" || w == "HAVING" || w == "UNION" || w == "OFFSET" || w == "FETCH" || w == "INTO" ||
            w == "PROCEDURE" || w == "FOR" || w == "LOCK" ||
            (w == "GROUP" && i + 1 < words.size() && words[i + 1].Text == "BY")) {
            order.Chunkable = false;
            return order;
        }
        if (w == "ORDER" && i + 1 < words.size() && words[i + 1].Text == "BY") {
            if (orderAt != std::string::npos) {
                order.Chunkable = false;
                return order;
            }
            orderAt = i;
        }
    }
    if (orderAt == std::string::npos) return order;
    const TWord& by = words[orderAt + 1];
    order.Filter = std::string(TrimView(Clause.substr(0, words[orderAt].At)));
    order.OrderBy = std::string(TrimView(Clause.substr(by.At + 2)));
    return order;
}

bool OrderIsKey(std::string_view Order, const std::vector<std::string>& Key) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = Order.find(',', start);
        std::string_view item = TrimView(Order.substr(start, comma == std::string_view::npos ? Order.size() - start : comma - start));
        if (item.size() > 4 && SameText(item.substr(item.size() - 4), " ASC")) item = TrimView(item.substr(0, item.size() - 4));
        items.push_back(Unquoted(item));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (items.size() != Key.size()) return false;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!SameText(items[i], Key[i])) return false;
    return true;
}

std::string AfterKeyCondition(const std::vector<std::string>& Names, const std::vector<std::string>& Values) {
    // a > x OR (a = x AND (b > y OR (b = y AND c > z)))
    std::string text;
    const std::size_t n = Names.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) text += " OR (" + Names[i - 1] + " = " + Values[i - 1] + " AND (";
        text += Names[i] + " > " + Values[i];
    }
    for (std::size_t i = 1; i < n; ++i) text += "))";
    return text;
}

std::string MySQLTextLiteral(std::string_view Value, bool BackslashEscapes) {
    std::string text = "'";
    for (char c : Value) {
        if (c == '\'') {
            text += "''";
        } else if (BackslashEscapes && c == '\\') {
            text += "\\\\";
        } else if (BackslashEscapes && c == '\0') {
            text += "\\0";
        } else {
            text += c;
        }
    }
    text += '\'';
    return text;
}
