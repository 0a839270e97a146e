#pragma once
// Floating-point values whose text from the driver has too few digits to give the stored
// value back: MariaDB sends a FLOAT with 6 significant digits, the SQLite driver every real
// with 15. The row select then also asks the source for an exact text of such a column, and
// the value written is the shortest text that reads back as the stored number.
#include "TColInfoList.h"
#include "TODBC.h"

#include <string>
#include <string_view>

// The select expression giving an exact text of the column Ident (quoted for the source),
// or empty when the driver's own text is exact. Single is set for single-precision columns.
std::string ExactFloatExpression(TDatabaseKind Kind, std::string_view DbmsName, SQLSMALLINT SqlType,
                                 TColumnType Type, std::string_view Ident, bool& Single);

// Driver is the driver's text of a value, Exact the source's exact text of the same value.
// False when Driver already reads back as that value (or Exact is no number); otherwise Out
// gets the shortest text that does, of a float when Single.
bool ExactFloatText(std::string_view Driver, std::string_view Exact, bool Single, std::string& Out);

// Appends Text, the exact text of a double in a form every target reads as a number, for a
// reader that scales by powers of ten in extended precision (SQLite 3.40): where Text lies
// within 1/64 of a step of halfway to a neighbouring double, such a reader may round it to
// that neighbour, and the nearest text of 17 significant digits, at most 0.45 of a step from
// the value, is written instead. Texts without a point or exponent (integers) and values
// below 1e-291, which that reader may miss whatever their text, are appended as they stand.
void AppendFarFromHalfway(std::string& Out, std::string_view Text);
