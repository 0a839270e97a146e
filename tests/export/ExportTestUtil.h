#pragma once
// Shared pieces of the engine tests: a connected source, a pinned banner clock and
// dump helpers.
#include "TExport.h"
#include "TODBC.h"

#include <memory>
#include <string>
#include <vector>

// 19 June 1992, 22:22:17, month "Jun", separators '/' and ':'.
TBannerClock PinnedClock();

// A connection plus an engine on it with the pinned clock; progress values collected.
struct TSourceFixture {
    TODBC Connection;
    std::unique_ptr<TExport> Export;
    std::vector<std::int32_t> Progress;

    // False (with a test failure) when the connect fails.
    bool Open(const std::string& Dsn, const std::string& User = "", const std::string& Password = "");
    // DumpTable with structure and data, no drop, a new file.
    std::int32_t Dump(TExportDialect Dialect, const std::string& Table, const std::string& File,
                      const std::string& Where = "", bool Append = false);
};

// A SQLite database of 5000 rows in table b (id integer, s text) with a page in the middle
// of the table's leaves overwritten, so a read of b breaks off part way.
void MakeBrokenSqliteTable(const std::string& Path);

// Text with every CR LF turned into LF.
std::string Lines(const std::string& Text);
