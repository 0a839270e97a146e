#pragma once
// The export job behind "Get Bid Data": lists the tables, works out the bid filter and has
// the dump engine write every table whose name begins with "bid" into one script file.
#include "TExportDialect.h"
#include "TJobWindow.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TODBC;
class TODBCStatement;
class TExport;
struct TBidFilter;
struct TBidWhere;

// Splits a name list at commas and at characters of code 1 to 32, dropping empty items.
std::vector<std::string> SplitNameList(std::string_view Text);
// The two log lines of the progress handler.
std::string ProgressLine(const std::string& TableName, std::int32_t Row);

class TExportJob {
  public:
    TExportJob(TODBC* Connection, TExport* Exporter, TExportDialect Dialect, TJobWindow& Window);

    // Local date for the month filter; the system clock unless a test pins it.
    std::function<std::tm()> Now;
    // The output name before the free-name rule; StandardOutputName sends the script to
    // standard output instead (no free name, no temporary file).
    std::string BaseFileName = "Bid_Oracle_Data.sql";
    static constexpr const char* StandardOutputName = "-";

    // Runs one job from start to end; true when the output file holds the whole export.
    bool Run();

    // Outcome of the last Run.
    std::string OutputName;  // the final name
    std::string PartialName; // where the script is written until it is whole
    bool FileCreated = false; // OutputName holds every table
    bool Refused = false;     // the bid link box was refused, or no free name was left
    bool Failed = false;      // an error was raised out of a lower layer
    bool Stopped = false;     // StopRequested ended the job early
    int TablesDumped = 0;
    int TablesFailed = 0;   // DumpTable returned non-zero
    std::string FirstError; // the first failure's text: the table or file and the cause

  private:
    bool ToStandardOutput() const;
    void RunSteps();
    // Renames the finished script and reports the outcome.
    void Finish(bool Started);
    // The links of the bids created since the month box's month, when it holds one;
    // false when the month query failed or found nothing.
    bool MonthFilter(TODBCStatement& Statement, const std::string& Month, bool BackslashEscapes,
                     TBidFilter& Filter);
    TBidWhere WhereFor(TODBCStatement& Statement, const std::string& Table, const TBidFilter& Filter);
    // The rows the table's select will read; negative when they could not be counted.
    std::int64_t CountRows(TODBCStatement& Statement, const std::string& Table, const TBidWhere& Where);

    TODBC* FConnection;
    TExport* FExporter;
    TExportDialect FDialect;
    TJobWindow& FWindow;
};
