#include "TMyThread.h"

#include <chrono>

TMyThread::TMyThread(std::string Text, SQLHSTMT Handle, std::atomic<std::int32_t>& Result)
    : text_(std::move(Text)), handle_(Handle), result_(Result) {
    // POSIX threads cannot be raised above normal priority without privileges, so the
    // worker runs at the default priority here.
    thread_ = std::thread([this] { Execute(); });
}

TMyThread::~TMyThread() {
    if (thread_.joinable()) thread_.join();
}

void TMyThread::Execute() {
    std::int32_t ret;
    try {
        ret = ODBC_CALL(SQLExecDirect, handle_, reinterpret_cast<SQLCHAR*>(text_.data()), SQL_NTS);
    } catch (...) {
        ret = SQL_ERROR;
    }
    {
        // Stored under the lock so that a waiter between its test and its wait cannot miss the wake-up.
        std::lock_guard<std::mutex> lock(mutex_);
        result_.store(ret);
    }
    done_.notify_all();
}

bool TMyThread::WaitFor(int Milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return done_.wait_for(lock, std::chrono::milliseconds(Milliseconds),
                          [this] { return result_.load() != Running; });
}
