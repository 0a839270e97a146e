#pragma once
// Text pieces of the script: identifier and value quoting, comment escaping, the
// delimited-field rule and the number test of column defaults.
#include "TColInfoList.h"

#include <cstdint>
#include <string>
#include <string_view>

// Classes of a result column's ODBC type, for the targets that write such values bare.
bool IsIntegerSqlType(SQLSMALLINT Type);
bool IsDecimalSqlType(SQLSMALLINT Type);
bool IsFloatSqlType(SQLSMALLINT Type);
bool IsNumericSqlType(SQLSMALLINT Type);

// ASCII letters, digits, '_' and '$', not starting with a digit.
bool IsPlainIdentifier(std::string_view Name);
// Name between Quote characters, doubled inside (a NUL left out).
void AppendQuotedIdent(std::string& Out, std::string_view Name, char Quote);
// Text for inside a /* */ block: every "*/" becomes "* /" and every "/*" becomes "/ *".
std::string CommentText(std::string_view Text);
// Text for inside a single-quoted literal of a statement run on the source: quotes doubled.
std::string LiteralBody(std::string_view Text);

// One non-NULL field of an INSERT: zero dates give null, everything else is quoted with
// its single quotes doubled. MySQL: backslash doubled, NUL, CR, LF and Ctrl-Z as \0, \r,
// \n and \Z. Other targets keep backslashes; a CR before a LF ends the literal, which goes
// on after "||", because the targets' script readers drop a CR at a line end; a NUL, which
// no script reader passes on inside a literal, is NulExpression joined with "||" (the
// target's character function, such as ascii_char(0)); without one it is left out.
void AppendSqlValue(std::string& Out, std::string_view Value, TColumnType Type, bool MySQLTarget,
                    std::string_view NulExpression = {});
// Bytes as a hex literal: Prefix'0A1B...'.
void AppendHexLiteral(std::string& Out, std::string_view Bytes, char Prefix);

// Value enclosed in double quotes (inner ones doubled) when it holds the delimiter, a
// double quote, CR or LF.
std::string QuoteDelimited(std::string_view Value, std::string_view Delimiter);
void AppendDelimited(std::string& Out, std::string_view Value, std::string_view Delimiter);

// Column defaults that are the clock: current timestamp, date or time in the spellings of
// the sources (CURRENT_TIMESTAMP, current_timestamp(), now(), curdate(), SYSDATE, ...).
enum class TClockDefault : std::uint8_t { None, Timestamp, Date, Time };
// Precision gets the digits of current_timestamp(N).
TClockDefault ClockDefault(std::string_view Default, std::string& Precision);
// Text is one single-quoted literal and nothing else; Value gets its content. Backslashes
// escape (MySQL) or stand for themselves.
bool ParseQuotedLiteral(std::string_view Text, bool Backslashes, std::string& Value);

// The whole text is a floating-point number: leading blanks, sign, digits, '.', exponent.
bool IsNumber(std::string_view Text);
// 1 or -1 when Text is a driver's spelling of an infinity (inf, Infinity, with a sign or
// without, any case), else 0.
int InfinitySign(std::string_view Text);
