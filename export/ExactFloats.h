#pragma once
// Floating-point values whose text from the driver has too few digits to give the stored
// value back: MariaDB sends a FLOAT with 6 significant digits, the SQLite driver every real
// with 15. The row select then also asks the source for an exact text of such a column, and
// the value written is the shortest text that reads back as the stored number.
#include "TColInfoList.h"
#include "TODBC.h"

#include <string>
#include <string_view>

// What the extra select item of a column gives.
enum class TExactForm : unsigned char {
    Double,   // a text of the value with every digit
    Single,   // the same of a single-precision value
    Fraction, // the bits after the point as an integer, or, outside its range, a text as Double
};

// The select expression giving an exact form of the column Ident (quoted for the source),
// or empty when the driver's own text is exact.
std::string ExactFloatExpression(TDatabaseKind Kind, std::string_view DbmsName, SQLSMALLINT SqlType,
                                 TColumnType Type, std::string_view Ident, TExactForm& Form);

// Driver is the driver's text of a value, Exact the extra item of the same value, of Form.
// False when Driver already reads back as that value (or Exact is no number); otherwise Out
// gets the shortest text that does, of a float for Single.
bool ExactFloatText(std::string_view Driver, std::string_view Exact, TExactForm Form, std::string& Out);

// Text is a single-precision value's text as a driver gives it (its shortest digits). True
// when a target that reads a double and narrows it (MySQL, Firebird) would not get that
// value back: the shortest texts of the largest floats lie beyond the largest float as a
// double, which such a target refuses. Out then gets the value's text as a double.
bool WidenedFloatText(std::string_view Text, std::string& Out);

// Appends Text, the exact text of a double in a form every target reads as a number, for a
// reader that scales by powers of ten in extended precision (SQLite 3.40): where Text lies
// within 1/64 of a step of halfway to a neighbouring double, such a reader may round it to
// that neighbour, and the nearest text of 17 significant digits, at most 0.45 of a step from
// the value, is written instead. Texts without a point or exponent (integers) and values
// below 1e-291, which that reader may miss whatever their text, are appended as they stand.
void AppendFarFromHalfway(std::string& Out, std::string_view Text);

// Firebird 3 reads a decimal text by gathering its digits in a double, which rounds past 16
// digits, and scaling once by a power of ten, itself rounded past 10^22; it refuses a text
// whose scale passes 308. True when Text, the exact text of a finite double, would not come
// back that way: Out then gets the value as a product of exact numbers, its 53-bit integer
// times or divided by powers of two, which Firebird computes without rounding.
bool ExactProductText(std::string_view Text, std::string& Out);
