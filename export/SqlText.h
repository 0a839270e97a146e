#pragma once
// Text pieces of the script: identifier and value quoting, comment escaping, the
// delimited-field rule and the number test of column defaults.
#include "TColInfoList.h"

#include <cstdint>
#include <string>
#include <string_view>

// ASCII letters, digits, '_' and '$', not starting with a digit.
bool IsPlainIdentifier(std::string_view Name);
// Name as it stands when plain; otherwise between Quote characters, doubled inside.
void AppendQuotedIdent(std::string& Out, std::string_view Name, char Quote);
// Text for inside a /* */ block: every "*/" becomes "* /".
std::string CommentText(std::string_view Text);
// Text for inside a single-quoted literal of a statement run on the source: quotes doubled.
std::string LiteralBody(std::string_view Text);

// One field of an INSERT: zero dates and empty non-text values give null, everything else
// is quoted with its single quotes doubled. MySQL: backslash doubled, NUL as \0 and CR
// as \r; other targets keep backslashes and CR and drop NUL.
void AppendSqlValue(std::string& Out, std::string_view Value, TColumnType Type, bool MySQLTarget);

// Value enclosed in double quotes (inner ones doubled) when it holds the delimiter, CR or LF.
std::string QuoteDelimited(std::string_view Value, std::string_view Delimiter);
void AppendDelimited(std::string& Out, std::string_view Value, std::string_view Delimiter);

// The whole text is a floating-point number: leading blanks, sign, digits, '.', exponent.
bool IsNumber(std::string_view Text);
