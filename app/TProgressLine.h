#pragma once
// The headless program's progress on a terminal: one line per table, redrawn in place
// with the rows done, the rows in all, the rate and the time left.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class TProgressLine {
  public:
    explicit TProgressLine(std::FILE* Out);

    // A table begins; RowsInAll < 0 when its rows could not be counted.
    void Start(const std::string& Table, std::int64_t RowsInAll);
    void Rows(std::int64_t Done);
    // Draws the table's last state and ends its line.
    void Finish(std::int64_t Done);
    // Erases the line so that other output starts on a clean line; the next Rows redraws it.
    void Clear();

    // The line's text (without the terminal controls).
    static std::string Text(const std::string& Table, std::int64_t Done, std::int64_t RowsInAll, double Seconds);

  private:
    void Draw();

    std::FILE* FOut;
    std::string FTable;
    std::int64_t FRowsInAll = -1;
    std::int64_t FDone = 0;
    bool FShown = false;
    bool FActive = false;
    std::chrono::steady_clock::time_point FStart;
};
