#include "BidFilter.h"

#include "TNameList.h"

#include <charconv>

namespace {

bool IsBareWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string SourceLiteralBody(std::string_view Text, bool BackslashEscapes) {
    std::string body;
    body.reserve(Text.size() + 2);
    for (char c : Text) {
        body += c;
        if (c == '\'' || (BackslashEscapes && c == '\\')) body += c;
    }
    return body;
}

std::string QuoteSQLText(std::string_view Text, bool BackslashEscapes) {
    return "'" + SourceLiteralBody(Text, BackslashEscapes) + "'";
}

bool BidLinkList(std::string_view Text, bool BackslashEscapes, std::string& List) {
    std::string list;
    std::size_t i = 0;
    const std::size_t n = Text.size();
    while (true) {
        while (i < n && IsBlank(Text[i]))
            ++i;
        if (i < n && Text[i] == '\'') {
            // A literal ends at a quote that is not doubled; its body is read as data.
            std::string body;
            bool closed = false;
            for (++i; i < n; ++i) {
                if (Text[i] != '\'') {
                    body += Text[i];
                } else if (i + 1 < n && Text[i + 1] == '\'') {
                    body += '\'';
                    ++i;
                } else {
                    closed = true;
                    ++i;
                    break;
                }
            }
            if (!closed) return false;
            list += QuoteSQLText(body, BackslashEscapes);
        } else {
            const std::size_t start = i;
            while (i < n && IsBareWordChar(Text[i]))
                ++i;
            if (i == start) return false; // an empty item or a character no item may hold
            list.append(Text.substr(start, i - start));
        }
        while (i < n && IsBlank(Text[i]))
            ++i;
        if (i == n) break;
        if (Text[i] != ',') return false;
        list += ',';
        ++i;
    }
    List = std::move(list);
    return true;
}

std::string DoublePercent(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (char c : Text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

int MonthBoxValue(std::string_view Text) {
    if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (ec != std::errc() || end != Text.data() + Text.size() || Text.empty()) return 0;
    return value;
}

bool TBidFilter::FromBox(std::string_view Text, bool BackslashEscapes) {
    if (Text.find(',') == std::string_view::npos) {
        // One link stands inside bid_link='...': it is the literal's body, never its end.
        Links = QuoteSQLText(Text, BackslashEscapes);
        Single = true;
        return true;
    }
    std::string list;
    if (!BidLinkList(Text, BackslashEscapes, list)) return false;
    Links = std::move(list);
    Single = false;
    return true;
}

void TBidFilter::AddLink(std::string_view Link, bool BackslashEscapes) {
    if (!Links.empty()) Links += ',';
    Links += QuoteSQLText(Link, BackslashEscapes);
    Single = false;
}

TBidWhere BidWhereFor(const TNameList& Columns, const TBidFilter& Filter) {
    TBidWhere where;
    if (Filter.Links.empty()) return where;
    if (Columns.Contains("bid_link"))
        where.Condition = Filter.Single ? "bid_link=" + Filter.Links : "bid_link in (" + Filter.Links + ")";
    where.OrderByRecno = Columns.Contains("recno");
    return where;
}

std::string TBidWhere::Clause() const {
    // The engine formats the clause, so a "%" of a bid link must arrive doubled.
    std::string clause = DoublePercent(Condition);
    if (OrderByRecno) {
        // The engine writes " WHERE " before any clause: without a condition of its own
        // the ordering needs one that is always true.
        if (clause.empty()) clause = "1=1";
        clause += " order by recno";
    }
    return clause;
}
