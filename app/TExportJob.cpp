#include "TExportJob.h"

#include "BidFilter.h"
#include "OutputFileName.h"
#include "Format.h"
#include "TExport.h"
#include "TNameList.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace {

std::tm LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

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

std::string ProgressLine(const std::string& TableName, std::int32_t Row) {
    if (Row >= 0) return Format("Dumping table %s row %d", {TableName, Row});
    return Format("Total rows dumped -  %d", {-static_cast<long long>(Row) - 1});
}

TExportJob::TExportJob(TODBC* Connection, TExport* Exporter, TExportDialect Dialect, TJobWindow& Window)
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
    // Every end of a job, a refused or failed one too, leaves the status at "Done.".
    FWindow.SetStatusText("Done.");
    FWindow.SetButtonEnabled(true);
    return FileCreated;
}

void TExportJob::RunSteps() {
    // Bid links are judged where they will stand; a list that could end its parentheses
    // is refused before anything changes, so that nothing is exported or deleted.
    const bool backslashEscapes = FConnection->DatabaseKind() == dkMySQL;
    const std::string bidLink = UpperCase(FWindow.BidLinkText());
    TBidFilter boxFilter;
    if (!bidLink.empty() && !boxFilter.FromBox(bidLink, backslashEscapes)) {
        Refused = true;
        FWindow.ShowMessageBox("Invalid Bid Link");
        return;
    }
    FWindow.SetStatusText("Getting Table List...");
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

    TBidFilter filter = boxFilter;
    if (bidLink.empty() && !MonthFilter(*statement, month, backslashEscapes, filter)) {
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
        const std::string where = filter.Links.empty() ? std::string() : WhereClauseFor(*statement, table, filter);
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
}

bool TExportJob::MonthFilter(TODBCStatement& Statement, const std::string& Month, bool BackslashEscapes,
                             TBidFilter& Filter) {
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
        // Links are data from the source: each goes into the filter as a literal.
        Filter.AddLink(Statement.FieldByName("bid_link"), BackslashEscapes);
        current = Statement.Fetch(fdNext, 1);
    }
    return true;
}

std::string TExportJob::WhereClauseFor(TODBCStatement& Statement, const std::string& Table,
                                       const TBidFilter& Filter) {
    std::string columnText;
    Statement.GetColumnList(Table, columnText);
    return BidWhereClause(TNameList{SplitNameList(columnText)}, Filter);
}
