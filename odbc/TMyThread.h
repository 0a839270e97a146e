#pragma once
// The connection's worker thread. It makes every ODBC call of its connection and of the
// statements on it, so that every call of a statement comes from one thread: a driver that
// keeps a lock after a failed call (MariaDB's connector does after a refused multi-statement
// text) then still serves the next call instead of blocking it for good. The calling thread
// hands each piece of work over and waits; a direct execution keeps pumping window events
// meanwhile (TODBCStatement::ExecSQL).
#include "ODBCApi.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <type_traits>

class TMyThread {
  public:
    // Marker of a result cell while the statement runs (no ODBC call returns it).
    static constexpr std::int32_t Running = -99;

    // One piece of work, owned by whoever hands it over (on its stack).
    struct TTask {
        void (*Call)(void*) = nullptr;
        void* Context = nullptr;
        bool Done = false;
        std::exception_ptr Error;
    };

    TMyThread();
    ~TMyThread(); // runs what is queued, then joins
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    bool OnWorker() const { return std::this_thread::get_id() == FId; }

    // Runs Work on the worker and waits for it; on the worker itself it runs at once. An
    // exception that Work throws is thrown again here.
    template <class F>
    void Run(F&& Work) {
        if (OnWorker()) {
            Work();
            return;
        }
        TTask task = Task(Work);
        Post(task);
        Wait(task);
    }
    // A task for Work, to Post and then WaitFor (Work must outlive it).
    template <class F>
    static TTask Task(F& Work) {
        TTask task;
        task.Call = [](void* context) { (*static_cast<std::remove_reference_t<F>*>(context))(); };
        task.Context = const_cast<void*>(static_cast<const void*>(&Work));
        return task;
    }
    void Post(TTask& Task);
    // Waits until Task has run or the timeout passes; true when it has run.
    bool WaitFor(TTask& Task, int Milliseconds);
    // Waits until Task has run and throws its exception, if any.
    void Wait(TTask& Task);

  private:
    void Loop();

    std::mutex FLock;
    std::condition_variable FWake, FDone;
    std::deque<TTask*> FQueue;
    bool FStop = false;
    std::thread FThread;
    std::thread::id FId;
};
