#include "BidFilter.h"

#include "SqlText.h"
#include "TNameList.h"

#include <charconv>

bool BidLinkIsUnsafe(std::string_view Text) {
    // Double quotes and backquotes count as quotes too: some servers read them as string
    // quotes, and a single quote inside them must not hide a ";" that follows.
    char quote = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        const char next = i + 1 < Text.size() ? Text[i + 1] : 0;
        if (quote) {
            if (c == quote) {
                if (next == quote)
                    ++i; // doubled quote stays inside
                else
                    quote = 0;
            }
            continue;
        }
        if (c == '\'' || c == '"' || c == '`')
            quote = c;
        else if (c == ';' || (c == '-' && next == '-') || (c == '/' && next == '*'))
            return true;
    }
    return quote != 0;
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

std::string QuoteSQLText(std::string_view Text) {
    return "'" + LiteralBody(Text) + "'";
}

int MonthBoxValue(std::string_view Text) {
    if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (ec != std::errc() || end != Text.data() + Text.size() || Text.empty()) return 0;
    return value;
}

std::string BidWhereClause(const TNameList& Columns, const std::string& Filter, bool FromBox) {
    // The engine formats the clause, so a "%" of a bid link must arrive doubled.
    const std::string filter = DoublePercent(Filter);
    std::string where;
    const bool hasBidLink = Columns.Contains("bid_link");
    if (hasBidLink) {
        if (FromBox && Filter.find(',') == std::string::npos)
            where = "bid_link='" + filter + "'";
        else
            where = "bid_link in (" + filter + ")";
    }
    if (Columns.Contains("recno")) {
        // The engine writes " WHERE " before any clause: without a condition of its own
        // the ordering needs one that is always true.
        if (!hasBidLink) where = "1=1";
        where += " order by recno";
    }
    return where;
}
