#pragma once
// The bid filter: how the operator's bid links and month, and the links the month query
// finds, become the row filter of each exported table. Every text is judged where it will
// stand in the SQL that the source reads, so that none of it becomes SQL of its own.
#include <string>
#include <string_view>

struct TNameList;

// Text as the body of a single-quoted literal of the source: quotes doubled and, where
// the source reads backslash escapes (MySQL and MariaDB), backslashes doubled too.
std::string SourceLiteralBody(std::string_view Text, bool BackslashEscapes);
// Text between single quotes, escaped as SourceLiteralBody does.
std::string QuoteSQLText(std::string_view Text, bool BackslashEscapes);
// The bid link box's text as the list that goes between the parentheses of
// "bid_link in (...)": items separated by commas, each a quoted literal ('B1', with ''
// for a quote inside), written again with the source's escaping, or a bare word of
// letters, digits and '_', which goes in unchanged. False for any other text.
bool BidLinkList(std::string_view Text, bool BackslashEscapes, std::string& List);
// Text with every "%" doubled, so the engine's formatter gives it back unchanged.
std::string DoublePercent(std::string_view Text);
// Strict integer reading of the month box: anything but an optionally signed run of
// digits reads as 0.
int MonthBoxValue(std::string_view Text);

// The bid links of a job, ready for the where clause.
struct TBidFilter {
    // Empty: no filter. Otherwise a quoted literal (Single) or the inside of an IN list.
    std::string Links;
    bool Single = false;

    // The box's text (upper-cased by the caller): a text without a comma is one link, the
    // body of a literal whatever it holds; a text with commas must be a BidLinkList.
    // False (nothing set) when the list is refused.
    bool FromBox(std::string_view Text, bool BackslashEscapes);
    // Adds a link that the month query found.
    void AddLink(std::string_view Link, bool BackslashEscapes);
};

// The row filter of one table: a condition on its bid links, and whether its rows are
// ordered by recno.
struct TBidWhere {
    std::string Condition; // SQL as the source reads it; empty: every row
    bool OrderByRecno = false;
    // The engine's where clause (a pattern for its formatter); empty when neither applies.
    std::string Clause() const;
};
// The filter of a table with the given columns: its bid links and its ordering by recno.
TBidWhere BidWhereFor(const TNameList& Columns, const TBidFilter& Filter);
