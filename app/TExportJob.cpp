#include "TExportJob.h"

#include "BidFilter.h"
#include "Format.h"
#include "OutputFileName.h"
#include "SqlText.h"
#include "TDescriptorDevice.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TExportDialect.h"
#include "TNameList.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <memory>

namespace {

// The failure of a table as the log shows it: the engine's own account (the file and the
// system's reason, or the row reached and the driver's diagnostic) when it gave one.
std::string TableFailureText(const std::string& Table, std::int32_t Result, const std::string& EngineText) {
    if (!EngineText.empty()) return EngineText;
    switch (Result) {
    case TExport::ResultNoColumns:
        return "table " + Table + ": no columns found";
    case TExport::ResultCannotOpen:
        return "table " + Table + ": the output file cannot be opened";
    default:
        return "table " + Table + " failed (result " + std::to_string(Result) + ")";
    }
}

std::tm LocalNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

// What the engine is told to open when the script goes to standard output. It must be a
// name that exists, so that later tables append instead of starting a new banner; the
// device writes to descriptor 1 whatever the name.
const char* const StandardOutputPath = "/dev/stdout";

// A MySQL-kind source reads backslash escapes in literals unless its session runs in
// NO_BACKSLASH_ESCAPES mode, where a doubled backslash would stay two and match nothing.
// When the mode cannot be read, backslashes are doubled: a quote can never escape either way.
bool SourceReadsBackslashEscapes(TODBC& Connection) {
    if (Connection.DatabaseKind() != dkMySQL) return false;
    TODBCStatement statement(&Connection, true, false);
    if (!statement.ExecSQL("SELECT @@SESSION.sql_mode", true, false)) return true;
    return UpperCase(statement.FieldAsString(0)).find("NO_BACKSLASH_ESCAPES") == std::string::npos;
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
    PartialName.clear();
    FirstError.clear();
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
    if (ToStandardOutput()) FExporter->SetOutputDevice(nullptr, TOutFile::DefaultCapacity);
    // Every end of a job, refused or failed ones too, leaves the status at "Done.".
    FWindow.SetStatusText("Done.");
    FWindow.SetButtonEnabled(true);
    return FileCreated;
}

bool TExportJob::ToStandardOutput() const {
    return BaseFileName == StandardOutputName;
}

void TExportJob::RunSteps() {
    // Bid links are judged where they will stand; a list that could end its parentheses
    // is refused before anything changes, so that nothing is exported or deleted.
    const bool backslashEscapes = SourceReadsBackslashEscapes(*FConnection);
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

    // The month query and every table read one state of the source, so rows committed by
    // others meanwhile cannot make the tables disagree. Ended on every way out, after the
    // job's statement is gone.
    struct TReadTransactionEnd {
        TODBC* Connection;
        ~TReadTransactionEnd() { Connection->EndReadTransaction(); }
    } readEnd{FConnection};
    std::string reason;
    if (!FConnection->BeginReadTransaction(reason))
        FWindow.AppendLog("No consistent snapshot on this source (" + reason + "); each table is read as it stands.");

    std::vector<std::string> tables;
    auto statement = std::make_unique<TODBCStatement>(FConnection, /*ReadOnly*/ true, /*PlainHandle*/ false);

    // The engine writes to a temporary name beside the final one; the final name is taken
    // only by a whole script (see Finish).
    std::string engineName;
    if (ToStandardOutput()) {
        OutputName = StandardOutputName;
        engineName = StandardOutputPath;
        FExporter->SetOutputDevice(
            [](const std::string&, bool) { return std::make_unique<TDescriptorDevice>(STDOUT_FILENO, "standard output"); },
            TOutFile::DefaultCapacity);
    } else {
        OutputName = MakeFreeFileName(BaseFileName);
        if (OutputName.empty()) {
            Refused = true;
            FWindow.ShowMessageBox("No free file name left for " + BaseFileName);
            return;
        }
        ForceDeleteFile(ChangeFileExt(OutputName, ".zip"));
        PartialName = PartialFileName(OutputName);
        engineName = PartialName;
    }
    bool started = false;

    std::string views, tableText;
    statement->GetTableList(views, "", false, tableText);
    if (FWindow.StopRequested()) {
        Stopped = true;
        return;
    }
    tables = SplitNameList(tableText);

    TBidFilter filter = boxFilter;
    if (bidLink.empty() && !MonthFilter(*statement, month, backslashEscapes, filter)) {
        // A month query cut short by the operator found nothing because it was stopped.
        if (FWindow.StopRequested()) {
            Stopped = true;
            return;
        }
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
        const TBidWhere where = filter.Links.empty() ? TBidWhere() : WhereFor(*statement, table, filter);
        FWindow.SetStatusText("Exporting Table " + table + "...");
        if (FWindow.WantsRowCounts()) FWindow.TableStarting(table, CountRows(*statement, table, where));
        const std::int32_t result =
            FExporter->DumpTable(FDialect, table, engineName, where.Clause(), true, true, false, started, "");
        started = true;
        ++TablesDumped;
        if (result != TExport::ResultOK) {
            ++TablesFailed;
            const std::string error = TableFailureText(table, result, FExporter->ErrorText);
            if (FirstError.empty()) FirstError = error;
            FWindow.AppendLog("ERROR! " + error);
            // Without an output file no later table can be written either.
            if (result == TExport::ResultCannotOpen) break;
        }
        if (FWindow.StopRequested()) {
            Stopped = true;
            break;
        }
    }
    Finish(started);
}

void TExportJob::Finish(bool Started) {
    const bool whole = Started && TablesFailed == 0 && !Stopped;
    if (ToStandardOutput()) {
        FileCreated = whole;
        if (whole) {
            FWindow.AppendLog("");
            FWindow.AppendLog("Script written to standard output.");
            FWindow.AppendLog("");
        } else {
            FWindow.AppendLog(Started ? "ERROR! The script on standard output is incomplete!"
                                      : "ERROR! File NOT created!?");
            if (!FirstError.empty()) FWindow.ShowMessageBox(FirstError);
        }
        return;
    }
    const bool partialExists = Started && FileExists(PartialName);
    if (whole && partialExists) {
        std::string error;
        FileCreated = PublishFile(PartialName, OutputName, error);
        if (!FileCreated) FirstError = error;
    }
    if (FileCreated) {
        FWindow.AppendLog("");
        FWindow.AppendLog("File: " + UpperCase(OutputName) + " created...");
        FWindow.AppendLog("");
        return;
    }
    FWindow.AppendLog("ERROR! File NOT created!?");
    std::string message = FirstError;
    if (partialExists) {
        const std::string kept = std::string(Stopped ? "The export was interrupted" : "The export is incomplete") +
                                 "; what was written is kept in " + PartialName;
        FWindow.AppendLog(kept);
        message = message.empty() ? kept : message + "\n" + kept;
    }
    if (!message.empty()) FWindow.ShowMessageBox(message);
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

TBidWhere TExportJob::WhereFor(TODBCStatement& Statement, const std::string& Table, const TBidFilter& Filter) {
    std::string columnText;
    Statement.GetColumnList(Table, columnText);
    return BidWhereFor(TNameList{SplitNameList(columnText)}, Filter);
}

std::int64_t TExportJob::CountRows(TODBCStatement& Statement, const std::string& Table, const TBidWhere& Where) {
    std::string sql = "select count(*) from " + MakeDialectWriter(FExporter->SourceDialect)->Ident(Table);
    if (!Where.Condition.empty()) sql += " where " + Where.Condition;
    if (!Statement.ExecSQL(sql, true)) return -1;
    const std::string text = Statement.FieldAsString(0);
    std::int64_t rows = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rows);
    return ec == std::errc() && end == text.data() + text.size() ? rows : -1;
}
