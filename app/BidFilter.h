#pragma once
// The bid filter: how the operator's bid links and month, and the links the month query
// finds, become the row filter of each exported table.
#include <string>
#include <string_view>

struct TNameList;

// True when Text holds ";", "--" or "/*" outside quoted strings, or leaves a quote open.
bool BidLinkIsUnsafe(std::string_view Text);
// Text with every "%" doubled, so the engine's formatter gives it back unchanged.
std::string DoublePercent(std::string_view Text);
// Text between single quotes with its single quotes doubled.
std::string QuoteSQLText(std::string_view Text);
// Strict integer reading of the month box: anything but an optionally signed run of
// digits reads as 0.
int MonthBoxValue(std::string_view Text);
// The where clause of a table with the given columns: its bid links (Filter, typed into
// the box when FromBox) and its ordering by recno; empty when neither applies.
std::string BidWhereClause(const TNameList& Columns, const std::string& Filter, bool FromBox);
