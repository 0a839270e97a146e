#pragma once
// The short-lived worker that makes one SQLExecDirect call while the window thread
// waits and keeps pumping window events.
#include "ODBCApi.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class TMyThread {
  public:
    // Marker of the result cell while the statement runs (no ODBC call returns it).
    static constexpr std::int32_t Running = -99;

    // Starts at once; the result cell gets the widened SQLExecDirect result, or -1 (SQL_ERROR)
    // when the call raised an exception.
    TMyThread(std::string Text, SQLHSTMT Handle, std::atomic<std::int32_t>& Result);
    ~TMyThread(); // joins
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    // Waits until the result is stored or the timeout passes; true when stored.
    bool WaitFor(int Milliseconds);

  private:
    void Execute();

    std::string text_;
    SQLHSTMT handle_;
    std::atomic<std::int32_t>& result_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::thread thread_;
};
