#include "TMyThread.h"

#include <chrono>

TMyThread::TMyThread() {
    // POSIX threads cannot be raised above normal priority without privileges, so the
    // worker runs at the default priority here.
    std::unique_lock<std::mutex> lock(FLock);
    FThread = std::thread([this] { Loop(); });
    FId = FThread.get_id();
}

TMyThread::~TMyThread() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FWake.notify_all();
    if (FThread.joinable()) FThread.join();
}

void TMyThread::Loop() {
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || !FQueue.empty(); });
        if (FQueue.empty()) return; // stopping, nothing left
        TTask* task = FQueue.front();
        FQueue.pop_front();
        lock.unlock();
        try {
            task->Call(task->Context);
        } catch (...) {
            task->Error = std::current_exception();
        }
        lock.lock();
        // Set under the lock so that a waiter between its test and its wait cannot miss it.
        task->Done = true;
        FDone.notify_all();
    }
}

void TMyThread::Post(TTask& Task) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        Task.Done = false;
        FQueue.push_back(&Task);
    }
    FWake.notify_one();
}

bool TMyThread::WaitFor(TTask& Task, int Milliseconds) {
    std::unique_lock<std::mutex> lock(FLock);
    return FDone.wait_for(lock, std::chrono::milliseconds(Milliseconds), [&Task] { return Task.Done; });
}

void TMyThread::Wait(TTask& Task) {
    {
        std::unique_lock<std::mutex> lock(FLock);
        FDone.wait(lock, [&Task] { return Task.Done; });
    }
    if (Task.Error) std::rethrow_exception(Task.Error);
}
