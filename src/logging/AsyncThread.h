#pragma once
#include "core/Object.h"
#include "logging/AsyncQueue.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// The writer thread of the asynchronous mode: takes the entries from its queue one by one and
// writes them through the logger. It wakes when an entry arrives; Delay is the longest it
// waits while idle. Destroying it ends the thread and then writes what is still queued, in
// the destroying thread.
class TAsyncThread : public TObject {
public:
    // Starts the thread at once.
    TAsyncThread(TNvLogger& ALogger, int ADelay);
    ~TAsyncThread() override;
    TAsyncThread(const TAsyncThread&) = delete;
    TAsyncThread& operator=(const TAsyncThread&) = delete;

    std::wstring ClassName() const override { return L"TAsyncThread"; }

    // Callable from any thread; holds the lock only to append. False, and nothing queued,
    // once the writer is closed.
    bool Add(const std::wstring& Sender, const std::wstring& Msg, TTraceType TraceType);
    // Refuses entries from now on.
    void Close();

    // Milliseconds of an idle wait, from the next one on; 0 or less waits for an entry only.
    int Delay();
    void SetDelay(int value);

    // Asks the thread to end after the entry it is writing; returns at once.
    void Terminate();
    // Returns when the thread has ended.
    void WaitFor();

private:
    void Execute();

    std::mutex FLock;
    std::condition_variable FWake;
    TNvLogger& FLogger;
    int FDelay;
    TAsyncQueue FQueue;
    bool FTerminated = false;
    bool FClosed = false;
    // The thread is blocked in its wait: only then does an entry need to wake it (each wake
    // costs a call into the system, per traced line).
    bool FWaiting = false;
    std::thread FThread; // last: the thread starts once everything it uses exists
};
