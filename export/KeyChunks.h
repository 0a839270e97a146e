#pragma once
// Text of the key-ordered chunks in which a table is read from a driver that holds whole
// results in memory: each chunk selects the rows after the last key read, in key order.
#include <string>
#include <string_view>
#include <vector>

// A where clause split at a trailing "order by" that stands outside quotes.
struct TRowOrder {
    std::string Filter;  // the condition before it (the whole clause when there is none)
    std::string OrderBy; // the column list after it; empty for none
    // False when the clause holds what a chunk cannot carry over: limit, group by, having,
    // union, a second order by, an unclosed quote or comment, a semicolon.
    bool Chunkable = true;
};
TRowOrder SplitRowOrder(std::string_view Clause);

// True when Order lists exactly the columns of Key, in key order, each ascending
// (names compared without regard to case, with or without identifier quotes).
bool OrderIsKey(std::string_view Order, const std::vector<std::string>& Key);

// The condition for the rows after the one whose key columns Names had the literals Values,
// spelt out so that every database accepts it (no row-value comparison):
// "a > 1 OR (a = 1 AND b > 'x')".
std::string AfterKeyCondition(const std::vector<std::string>& Names, const std::vector<std::string>& Values);

// A text value as a MySQL literal: quotes doubled, and backslashes and NUL escaped when
// the server reads backslash escapes.
std::string MySQLTextLiteral(std::string_view Value, bool BackslashEscapes);
