#pragma once
#include "core/DateTime.h"
#include "core/Handle.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

inline TDateTime DateTimeOf(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(n);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    return SystemTimeToDateTime(st);
}

// Stands the logging clock at a given time for the life of the object.
class TFixedClock {
public:
    explicit TFixedClock(TDateTime at) {
        Value() = at;
        FOld = SetClock([] { return Value().load(); });
    }
    ~TFixedClock() { SetClock(FOld); }
    void Set(TDateTime at) { Value() = at; }

private:
    static std::atomic<TDateTime>& Value() {
        static std::atomic<TDateTime> value{0};
        return value;
    }
    TClockFunc FOld;
};

// A debug monitor as debuggers implement it: it owns the DBWIN_BUFFER section and the two
// events, and collects every text a process of the prefix passes to OutputDebugString.
class TDebugMonitor {
public:
    struct TEntry {
        DWORD ProcessId;
        std::string Text;
    };

    TDebugMonitor()
        : FBufferReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
          FDataReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
          FSection(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                      L"DBWIN_BUFFER")),
          FView(FSection ? MapViewOfFile(FSection.Get(), FILE_MAP_READ, 0, 0, 4096) : nullptr) {
        if (FView)
            FThread = std::thread([this] { Listen(); });
    }
    ~TDebugMonitor() {
        FStop = true;
        if (FThread.joinable())
            FThread.join();
        if (FView)
            UnmapViewOfFile(FView);
    }

    bool Ready() const { return FView != nullptr && FBufferReady && FDataReady; }

    // The entries so far, after waiting up to timeoutMs for at least count of them.
    std::vector<TEntry> Entries(size_t count = 0, DWORD timeoutMs = 5000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(FLock);
                if (FEntries.size() >= count || std::chrono::steady_clock::now() > until)
                    return FEntries;
            }
            Sleep(10);
        }
    }

    // What one process sent so far, a line each.
    std::string TextOf(DWORD ProcessId) {
        std::string text;
        for (const auto& entry : Entries())
            if (entry.ProcessId == ProcessId)
                text += entry.Text + "\n";
        return text;
    }

private:
    void Listen() {
        while (!FStop) {
            SetEvent(FBufferReady.Get());
            if (WaitForSingleObject(FDataReady.Get(), 50) != WAIT_OBJECT_0)
                continue;
            auto data = static_cast<const char*>(FView);
            DWORD pid;
            memcpy(&pid, data, sizeof pid);
            std::string text(data + sizeof pid, strnlen(data + sizeof pid, 4096 - sizeof pid));
            std::lock_guard<std::mutex> lock(FLock);
            FEntries.push_back({pid, text});
        }
    }

    TKernelHandle FBufferReady, FDataReady, FSection;
    void* FView;
    std::atomic<bool> FStop{false};
    std::mutex FLock;
    std::vector<TEntry> FEntries;
    std::thread FThread;
};

} // namespace test
