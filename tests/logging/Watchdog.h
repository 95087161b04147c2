#pragma once
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace test {

// Ends the test program when a test that runs threads has not finished in time, so that a
// hang fails at once instead of holding up the whole run.
class TWatchdog {
public:
    explicit TWatchdog(DWORD timeoutMs, const char* what = "test")
        : FThread([this, timeoutMs, what] {
              std::unique_lock<std::mutex> lock(FLock);
              if (!FDone.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return FFinished; })) {
                  std::fprintf(stderr, "%s did not finish within %lu ms\n", what,
                               static_cast<unsigned long>(timeoutMs));
                  std::fflush(stderr);
                  TerminateProcess(GetCurrentProcess(), 3);
              }
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FFinished = true;
        }
        FDone.notify_one();
        FThread.join();
    }
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;

private:
    std::mutex FLock;
    std::condition_variable FDone;
    bool FFinished = false;
    std::thread FThread; // last: starts once the rest exists
};

} // namespace test
