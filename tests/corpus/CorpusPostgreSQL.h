#pragma once
// The PostgreSQL side of the corpus round trips: the bid tables of a database with their
// columns' kinds and keys, their rows in the canonical form of CorpusRoundTrip.h (text and
// bytea read as hex), and a script loaded the way its users load it.
#include "CorpusRoundTrip.h"

#include <string>
#include <vector>

std::vector<TCorpusTable> PostgresCorpusTables(const std::string& Database);
// Columns are matched by position; a column the target made bytea, bit or boolean is read
// as its bytes or its number, whatever kind the corpus gives it.
TTableRows PostgresTableRows(const std::string& Database, const TCorpusTable& Table, const std::string& Where = "");
// Loads with `psql -X -v ON_ERROR_STOP=1 -f`: the load stops at the first refused
// statement, which counts as one error.
TLoadResult LoadIntoPostgres(const std::string& Database, const std::string& Script);
