#pragma once
// Joins a table's rows into INSERT statements of up to a number of rows and bytes each,
// written straight into the output buffer:
//
//   INSERT INTO t VALUES(1,'a'),
//   (2,'b');
//
// With one row per statement every row is Head, its fields and Tail, as it always was. A statement
// stays open (no ";" yet) between rows, so it may span buffer flushes; whatever ends the
// rows early must close it or drop the row begun, so a script never holds half a statement.
#include <cstddef>
#include <cstdint>
#include <string>

class TInsertBatch {
  public:
    // Head and Tail: what comes before and after a row's fields on its own, for several
    // rows a statement "INSERT INTO <table> VALUES(" and ");" CR LF (any other Tail writes
    // one row a statement). MaxRows below 2 writes one row per statement. MaxBytes: no
    // statement of several rows grows past it; a single row may.
    TInsertBatch(std::string Head, std::string Tail, std::int32_t MaxRows, std::size_t MaxBytes);

    // Starts a row at the end of Out: a statement's head, or the separator after the
    // previous row. Returns where the row begins, for EndRow and DropRow.
    std::size_t BeginRow(std::string& Out);
    // Ends the row's values; starts a new statement for it when joining it would pass the
    // byte cap, and closes the statement once it holds MaxRows rows.
    void EndRow(std::string& Out, std::size_t RowStart);
    // Cuts the row begun at RowStart and closes the statement of the rows before it.
    void DropRow(std::string& Out, std::size_t RowStart);
    // Closes the open statement, if any.
    void Close(std::string& Out);

  private:
    std::string FHead;
    std::string FTail;
    std::int32_t FMaxRows;
    std::size_t FMaxBytes;
    bool FOpen = false;       // a statement's rows are written, its ";" is not
    bool FJoined = false;     // the current row began with the separator, not a head
    std::int32_t FRows = 0;   // rows of the open statement
    std::size_t FBytes = 0;   // bytes of the open statement, flushed ones included
};
