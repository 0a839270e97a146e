#include "TExportJob.h"

#include "Format.h"
#include "SqlText.h"
#include "TExport.h"
#include "TNameList.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <memory>

namespace {

bool FileExists(const std::string& Name) {
    struct stat st {};
    return ::stat(Name.c_str(), &st) == 0;
}

// Position of the extension's dot within the file part of Name, or npos.
std::size_t ExtensionDot(const std::string& Name) {
    const std::size_t slash = Name.find_last_of('/');
    const std::size_t dot = Name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

std::tm LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

// The last candidate index tried: ZZZ. Past it every name counts as taken.
constexpr std::size_t LastFreeNameIndex = 26 + 26 * 26 + 26 * 26 * 26 - 1;

} // namespace

std::vector<std::string> SplitNameList(std::string_view Text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : Text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ',' || (u >= 1 && u <= 32)) {
            if (!item.empty()) items.push_back(std::move(item));
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(std::move(item));
    return items;
}

std::string FreeNameSuffix(std::size_t Index) {
    // Bijective base 26 of Index + 1: A..Z, AA..ZZ, AAA.. as the sequence demands.
    std::string suffix;
    std::size_t n = Index + 1;
    while (n > 0) {
        --n;
        suffix.insert(suffix.begin(), char('A' + n % 26));
        n /= 26;
    }
    return suffix;
}

std::string MakeFreeFileName(const std::string& Name) {
    if (!FileExists(Name)) return Name;
    const std::size_t dot = ExtensionDot(Name);
    const std::string base = dot == std::string::npos ? Name : Name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : Name.substr(dot);
    for (std::size_t i = 0; i <= LastFreeNameIndex; ++i) {
        std::string candidate = base + "_" + FreeNameSuffix(i) + ext;
        if (!FileExists(candidate)) return candidate;
    }
    return std::string();
}

void ForceDeleteFile(const std::string& Name) {
    struct stat st {};
    if (::stat(Name.c_str(), &st) == 0) ::chmod(Name.c_str(), st.st_mode | S_IWUSR);
    ::unlink(Name.c_str());
}

std::string ChangeFileExt(const std::string& Name, std::string_view NewExt) {
    const std::size_t dot = ExtensionDot(Name);
    return (dot == std::string::npos ? Name : Name.substr(0, dot)) + std::string(NewExt);
}

bool BidLinkIsUnsafe(std::string_view Text) {
    // Double quotes and backquotes count as quotes too: some servers read them as string
    // quotes, and a single quote inside them must not hide a ";" that follows.
    char quote = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        const char next = i + 1 < Text.size() ? Text[i + 1] : 0;
        if (quote) {
            if (c == quote) {
                if (next == quote)
                    ++i; // doubled quote stays inside
                else
                    quote = 0;
            }
            continue;
        }
        if (c == '\'' || c == '"' || c == '`')
            quote = c;
        else if (c == ';' || (c == '-' && next == '-') || (c == '/' && next == '*'))
            return true;
    }
    return quote != 0;
}

std::string DoublePercent(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (char c : Text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string QuoteSQLText(std::string_view Text) {
    return "'" + LiteralBody(Text) + "'";
}

int MonthBoxValue(std::string_view Text) {
    if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (ec != std::errc() || end != Text.data() + Text.size() || Text.empty()) return 0;
    return value;
}

std::string ProgressLine(const std::string& TableName, std::int32_t Row) {
    if (Row >= 0) return Format("Dumping table %s row %d", {TableName, Row});
    return Format("Total rows dumped -  %d", {-static_cast<long long>(Row) - 1});
}

std::uint8_t DialectForKind(std::uint8_t DatabaseKind) {
    switch (DatabaseKind) {
    case dkMySQL:
        return edMySQL;
    case dkFirebird:
        return edFirebird;
    default:
        return edOracle;
    }
}

TExportJob::TExportJob(TODBC* Connection, TExport* Exporter, std::uint8_t Dialect, TJobWindow& Window)
    : Now(LocalNow), FConnection(Connection), FExporter(Exporter), FDialect(Dialect), FWindow(Window) {}

bool TExportJob::Run() {
    OutputName.clear();
    FileCreated = Refused = Failed = Stopped = false;
    TablesDumped = TablesFailed = 0;

    FWindow.SetButtonEnabled(false);
    try {
        RunSteps();
    } catch (const std::exception& e) {
        // What the application's general error display would show; the job's own
        // statement and lists were released on the way out.
        Failed = true;
        FWindow.ShowMessageBox(e.what());
    } catch (...) {
        Failed = true;
        FWindow.ShowMessageBox("Unknown error");
    }
    FWindow.SetButtonEnabled(true);
    return FileCreated;
}

void TExportJob::RunSteps() {
    // Refused before anything changes, so that nothing is exported or deleted.
    if (BidLinkIsUnsafe(FWindow.BidLinkText())) {
        Refused = true;
        FWindow.ShowMessageBox("Invalid Bid Link");
        return;
    }
    FWindow.SetStatusText("Getting Table List...");
    const std::string bidLink = UpperCase(FWindow.BidLinkText());
    FWindow.SetBidLinkText(bidLink);
    FExporter->OracleSelect = FWindow.OracleSelectChecked();
    const std::string month = FWindow.MonthText();

    std::vector<std::string> tables;
    auto statement = std::make_unique<TODBCStatement>(FConnection, /*ReadOnly*/ true, /*PlainHandle*/ false);

    OutputName = MakeFreeFileName(BaseFileName);
    if (OutputName.empty()) {
        Refused = true;
        FWindow.ShowMessageBox("No free file name left for " + BaseFileName);
        return;
    }
    ForceDeleteFile(ChangeFileExt(OutputName, ".zip"));
    bool started = false;

    std::string views, tableText;
    statement->GetTableList(views, "", false, tableText);
    tables = SplitNameList(tableText);

    std::string filter;
    bool fromBox = false;
    if (!WorkOutFilter(*statement, bidLink, month, filter, fromBox)) {
        FWindow.ShowMessageBox("No Bids found!?!");
        tables.clear();
    }

    std::vector<std::string> done;
    for (const std::string& table : tables) {
        if (!SameText(std::string_view(table).substr(0, 3), "bid")) continue;
        // MariaDB's driver lists the tables of every database it can see, so one name
        // can come twice; a second CREATE TABLE of it would stop the script from loading.
        if (std::find(done.begin(), done.end(), table) != done.end()) continue;
        done.push_back(table);
        if (FWindow.StopRequested()) {
            Stopped = true;
            break;
        }
        const std::string where =
            filter.empty() ? std::string() : WhereClauseFor(*statement, table, filter, fromBox);
        FWindow.SetStatusText("Exporting Table " + table + "...");
        const std::int32_t result =
            FExporter->DumpTable(FDialect, table, OutputName, where, true, true, false, started, "");
        started = true;
        ++TablesDumped;
        if (result != 0) ++TablesFailed;
        if (FWindow.StopRequested()) {
            Stopped = true;
            break;
        }
    }

    FileCreated = FileExists(OutputName);
    if (FileCreated) {
        FWindow.AppendLog("");
        FWindow.AppendLog("File: " + UpperCase(OutputName) + " created...");
        FWindow.AppendLog("");
    } else {
        FWindow.AppendLog("ERROR! File NOT created!?");
    }
    FWindow.SetStatusText("Done.");
}

bool TExportJob::WorkOutFilter(TODBCStatement& Statement, const std::string& BidLink,
                               const std::string& Month, std::string& Filter, bool& FromBox) {
    Filter.clear();
    FromBox = false;
    if (!BidLink.empty()) {
        Filter = BidLink;
        FromBox = true;
        return true;
    }
    const int m = MonthBoxValue(Month);
    if (Month.empty() || m <= 0) return true;

    const std::tm now = Now();
    int year = now.tm_year + 1900;
    if (m > now.tm_mon + 1) --year;
    const std::string dateLiteral = Format("{d '%d-%.2d-01'}", {year, m});
    if (!Statement.ExecSQLFmt("select bid_link from bidstatus where created>=%s group by bid_link",
                              {dateLiteral}))
        return false;
    bool current = true;
    while (current) {
        if (!Filter.empty()) Filter += ",";
        Filter += QuoteSQLText(Statement.FieldByName("bid_link"));
        current = Statement.Fetch(fdNext, 1);
    }
    return true;
}

std::string TExportJob::WhereClauseFor(TODBCStatement& Statement, const std::string& Table,
                                       const std::string& Filter, bool FromBox) {
    std::string columnText;
    Statement.GetColumnList(Table, columnText);
    const TNameList columns{SplitNameList(columnText)};
    // The engine formats the clause, so a "%" of a bid link must arrive doubled.
    const std::string filter = DoublePercent(Filter);
    std::string where;
    const bool hasBidLink = columns.Contains("bid_link");
    if (hasBidLink) {
        if (FromBox && Filter.find(',') == std::string::npos)
            where = "bid_link='" + filter + "'";
        else
            where = "bid_link in (" + filter + ")";
    }
    if (columns.Contains("recno")) {
        // The engine writes " WHERE " before any clause: without a condition of its own
        // the ordering needs one that is always true.
        if (!hasBidLink) where = "1=1";
        where += " order by recno";
    }
    return where;
}
