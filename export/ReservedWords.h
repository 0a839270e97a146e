#pragma once
// The reserved words of each target, which a name must not stand as unquoted.
#include <span>
#include <string_view>

// Sorted upper-case lists.
extern const std::span<const std::string_view> MySQLReservedWords;
extern const std::span<const std::string_view> FirebirdReservedWords;
// The Oracle form is loaded by Oracle and by SQLite: the words of both.
extern const std::span<const std::string_view> OracleReservedWords;
// Words common to the SQL standard that any target may refuse as a bare name.
extern const std::span<const std::string_view> StandardReservedWords;

// Name (any letter case) is in List.
bool IsReservedIn(std::span<const std::string_view> List, std::string_view Name);
