#pragma once
// The text MariaDB's ODBC connector gives for a DOUBLE without fixed decimals, made from the
// value itself, so that such a column can be fetched as a binary double and still read as
// the bytes the connector's own conversion would have produced.
#include <cstddef>

// Longest text: a sign, 17 digits, a point and an exponent ("-1.2345678901234567e-308"), or
// a fixed form of 17 digits behind 14 zeros ("-0.000000000000001234...").
constexpr std::size_t MariaDBDoubleTextMax = 40;

// Writes the text of a finite Value into Out (at least MariaDBDoubleTextMax bytes, no
// terminator) and returns its length: the fewest digits that read back as Value, written
// plainly unless the point would lie more than 14 places before the first digit or a whole
// number would need more than 15 digits, and otherwise as "d.ddde[-]N"; "-0" for minus zero.
std::size_t MariaDBDoubleText(double Value, char* Out);
