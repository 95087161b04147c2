#include "logging/AsyncThread.h"

#include <windows.h>

#include <chrono>

namespace {

// Names the thread for debuggers where the system offers it (Windows 10 and later).
void NameThread(const wchar_t* name) {
    using TSetThreadDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set = kernel ? reinterpret_cast<TSetThreadDescription>(
                            reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")))
                      : nullptr;
    if (set)
        set(GetCurrentThread(), name);
}

} // namespace

TAsyncThread::TAsyncThread(TNvLogger& ALogger, int ADelay)
    : FLogger(ALogger), FDelay(ADelay), FThread([this] { Execute(); }) {}

TAsyncThread::~TAsyncThread() {
    Terminate();
    WaitFor();
    Close();
    FQueue.WriteAll(FLogger);
}

bool TAsyncThread::Add(const std::wstring& Sender, const std::wstring& Msg, TTraceType TraceType) {
    auto entry = std::make_unique<TAsyncMsg>();
    entry->Sender = Sender;
    entry->Msg = Msg;
    entry->TraceType = TraceType;
    bool wake;
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (FClosed)
            return false;
        FQueue.Push(std::move(entry));
        wake = FWaiting;
    }
    // A writer that is not waiting finds the entry before it waits again: it looks at the
    // queue under the lock first.
    if (wake)
        FWake.notify_one();
    return true;
}

void TAsyncThread::Close() {
    std::lock_guard<std::mutex> lock(FLock);
    FClosed = true;
}

int TAsyncThread::Delay() {
    std::lock_guard<std::mutex> lock(FLock);
    return FDelay;
}

void TAsyncThread::SetDelay(int value) {
    std::lock_guard<std::mutex> lock(FLock);
    FDelay = value;
}

void TAsyncThread::Terminate() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FTerminated = true;
    }
    FWake.notify_one();
}

void TAsyncThread::WaitFor() {
    if (FThread.joinable())
        FThread.join();
}

void TAsyncThread::Execute() {
    NameThread(L"TAsyncThread");
    for (;;) {
        std::unique_ptr<TAsyncMsg> entry;
        {
            std::unique_lock<std::mutex> lock(FLock);
            auto ready = [this] {
                return FTerminated || !FQueue.Empty();
            };
            FWaiting = true;
            if (FDelay > 0)
                FWake.wait_for(lock, std::chrono::milliseconds(FDelay), ready);
            else
                FWake.wait(lock, ready);
            FWaiting = false;
            if (FTerminated)
                return;
            entry = FQueue.Pop();
        }
        // Written outside the lock, so that Add never waits for an appender.
        if (entry)
            WriteQueuedReported(FLogger, *entry);
    }
}
