#include "ExportTestUtil.h"

#include "TestEnv.h"

#include <algorithm>

#include <gtest/gtest.h>

TBannerClock PinnedClock() {
    TBannerClock c;
    c.Now = [] {
        std::tm tm{};
        tm.tm_year = 92;
        tm.tm_mon = 5;
        tm.tm_mday = 19;
        tm.tm_hour = 22;
        tm.tm_min = 22;
        tm.tm_sec = 17;
        return tm;
    };
    c.MonthAbbrev = [](int m) { return m == 6 ? std::string("Jun") : std::string("M") + std::to_string(m); };
    c.DateSeparator = [] { return '/'; };
    c.TimeSeparator = [] { return ':'; };
    return c;
}

bool TSourceFixture::Open(const std::string& Dsn, const std::string& User, const std::string& Password) {
    if (!Connection.Connect(Dsn, User, Password)) {
        ADD_FAILURE() << "cannot connect to " << Dsn;
        return false;
    }
    Export = std::make_unique<TExport>(&Connection, DialectForKind(Connection.DatabaseKind()));
    Export->Clock = PinnedClock();
    Export->OnProgress = [this](const std::string&, std::int32_t Row) { Progress.push_back(Row); };
    return true;
}

std::int32_t TSourceFixture::Dump(TExportDialect Dialect, const std::string& Table, const std::string& File,
                                  const std::string& Where, bool Append) {
    Progress.clear();
    return Export->DumpTable(Dialect, Table, File, Where, true, true, false, Append, "");
}

std::string Lines(const std::string& Text) {
    std::string r;
    r.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
        r += Text[i];
    }
    return r;
}

void MakeBrokenSqliteTable(const std::string& Path) {
    SqliteExec(Path, "PRAGMA page_size = 4096; CREATE TABLE b (id integer, s text);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                     " INSERT INTO b SELECT i, printf('%0200d', i) FROM n;");
    std::string bytes = ReadFile(Path);
    ASSERT_GT(bytes.size(), 4096u * 200);
    std::fill(bytes.begin() + 4096 * 150, bytes.begin() + 4096 * 151, '\xa5');
    WriteFile(Path, bytes);
}
