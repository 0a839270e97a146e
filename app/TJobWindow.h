#pragma once
// The window operations the export job needs. The main window implements them with its
// controls, the headless program with its options and standard error, tests with a recorder.
#include <cstdint>
#include <string>

class TJobWindow {
  public:
    virtual ~TJobWindow() = default;

    virtual std::string BidLinkText() = 0;
    virtual void SetBidLinkText(const std::string& Text) = 0;
    virtual std::string MonthText() = 0;
    virtual bool OracleSelectChecked() = 0;
    virtual void SetStatusText(const std::string& Text) = 0;
    virtual void AppendLog(const std::string& Line) = 0;
    // Modal box with one OK button.
    virtual void ShowMessageBox(const std::string& Text) = 0;
    virtual void SetButtonEnabled(bool Enabled) = 0;
    // Polled after each step that lets events run; true stops the job (the headless
    // program's Ctrl-C).
    virtual bool StopRequested() { return false; }
    // A progress display: when WantsRowCounts, the job counts each table's rows before
    // dumping it and passes the count (negative when it could not be counted).
    virtual bool WantsRowCounts() { return false; }
    virtual void TableStarting(const std::string& /*Table*/, std::int64_t /*RowsInAll*/) {}
};
