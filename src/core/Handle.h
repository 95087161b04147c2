#pragma once
#include <windows.h>

#include <utility>

// Owner of one platform handle. Traits give the handle type, its empty value and its close
// function. Closing keeps the caller's last-error value, so a failure can still be read after
// the handle that saw it has gone.
template <class Traits> class THandle {
public:
    using type = typename Traits::type;

    THandle() noexcept = default;
    explicit THandle(type handle) noexcept : FHandle(handle) {}
    THandle(THandle&& other) noexcept : FHandle(other.Release()) {}
    THandle& operator=(THandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    ~THandle() { Reset(); }

    type Get() const noexcept { return FHandle; }
    bool Valid() const noexcept { return FHandle != Traits::Empty(); }
    explicit operator bool() const noexcept { return Valid(); }

    type Release() noexcept { return std::exchange(FHandle, Traits::Empty()); }
    void Reset(type handle = Traits::Empty()) noexcept {
        if (FHandle != Traits::Empty()) {
            DWORD lastError = GetLastError();
            Traits::Close(FHandle);
            SetLastError(lastError);
        }
        FHandle = handle;
    }
    // For APIs that return a handle through an out parameter.
    type* Put() noexcept {
        Reset();
        return &FHandle;
    }

private:
    type FHandle = Traits::Empty();
};

struct TKernelHandleTraits {
    using type = HANDLE;
    static type Empty() { return nullptr; }
    static void Close(type h) { CloseHandle(h); }
};

// CreateFile and friends report failure as INVALID_HANDLE_VALUE.
struct TFileHandleTraits {
    using type = HANDLE;
    static type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(type h) { CloseHandle(h); }
};

struct TFindHandleTraits {
    using type = HANDLE;
    static type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(type h) { FindClose(h); }
};

struct TModuleHandleTraits {
    using type = HMODULE;
    static type Empty() { return nullptr; }
    static void Close(type h) { FreeLibrary(h); }
};

struct TEventSourceTraits {
    using type = HANDLE;
    static type Empty() { return nullptr; }
    static void Close(type h) { DeregisterEventSource(h); }
};

struct TRegKeyTraits {
    using type = HKEY;
    static type Empty() { return nullptr; }
    static void Close(type h) { RegCloseKey(h); }
};

struct TServiceHandleTraits {
    using type = SC_HANDLE;
    static type Empty() { return nullptr; }
    static void Close(type h) { CloseServiceHandle(h); }
};

using TKernelHandle = THandle<TKernelHandleTraits>;
using TFileHandle = THandle<TFileHandleTraits>;
using TFindHandle = THandle<TFindHandleTraits>;
using TModuleHandle = THandle<TModuleHandleTraits>;
using TEventSourceHandle = THandle<TEventSourceTraits>;
using TRegKey = THandle<TRegKeyTraits>;
using TServiceHandle = THandle<TServiceHandleTraits>;
