#pragma once
// A column of a SQLite table declared without a type holds each value in its own class:
// integer, real, text or blob, side by side. The SQLite driver hands every such value out as
// text (a real with 15 digits, a blob as the text X'..'), so the row select also asks for the
// class of each value and, for a real or blob, its exact content.
#include <string>
#include <string_view>

enum class TStorageClass : char { Text, Integer, Real, Blob };

// The select item for the column Ident (quoted for SQLite): "i" for an integer, "r" and
// the real's exact form (TExactForm::Fraction), "b" and the blob's hex digits, NULL for
// text and NULL.
std::string StorageClassExpression(std::string_view Ident);

// Reads an item of StorageClassExpression: the class, and in Content the exact text of a
// real or the hex digits of a blob. Anything unexpected reads as text.
TStorageClass ReadStorageClass(std::string_view Item, bool Null, std::string_view& Content);

// Hex digits (an even number of them, either case) as bytes; false when Hex is no such text.
bool DecodeHex(std::string_view Hex, std::string& Bytes);
