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
class TExport;

// Splits a name list at commas and at characters of code 1 to 32, dropping empty items.
std::vector<std::string> SplitNameList(std::string_view Text);
// The two log lines of the progress handler.
std::string ProgressLine(const std::string& TableName, std::int32_t Row);

class TExportJob {
  public:
    TExportJob(TODBC* Connection, TExport* Exporter, TExportDialect Dialect, TJobWindow& Window);

    // Local date for the month filter; the system clock unless a test pins it.
    std::function<std::tm()> Now;
    // The output name before the free-name rule.
    std::string BaseFileName = "Bid_Oracle_Data.sql";

    // Runs one job from start to end; true when the output file exists afterwards.
    bool Run();

    // Outcome of the last Run.
    std::string OutputName;
    bool FileCreated = false;
    bool Refused = false; // the bid link box was refused, or no free name was left
    bool Failed = false;  // an error was raised out of a lower layer
    bool Stopped = false; // StopRequested ended the job early
    int TablesDumped = 0;
    int TablesFailed = 0; // DumpTable returned non-zero

  private:
    void RunSteps();
    // The links of the bids created since the month box's month, when it holds one;
    // false when the month query failed or found nothing.
    bool MonthFilter(class TODBCStatement& Statement, const std::string& Month, bool BackslashEscapes,
                     struct TBidFilter& Filter);
    std::string WhereClauseFor(class TODBCStatement& Statement, const std::string& Table,
                               const struct TBidFilter& Filter);

    TODBC* FConnection;
    TExport* FExporter;
    TExportDialect FDialect;
    TJobWindow& FWindow;
};
