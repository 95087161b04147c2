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

// Memory the system allocated for the caller with LocalAlloc (security descriptors, SID texts).
struct TLocalMemoryTraits {
    using type = HLOCAL;
    static type Empty() { return nullptr; }
    static void Close(type h) { LocalFree(h); }
};

// Fonts, brushes, pens and bitmaps from the Create* functions. DeleteObject does not delete an
// object that a device context still holds: undo its TSelectObject first, by giving the object's
// owner the longer life.
template <class T> struct TGdiObjectTraits {
    using type = T;
    static type Empty() { return nullptr; }
    static void Close(type h) { DeleteObject(h); }
};

// A device context of CreateCompatibleDC or CreateDC; one of GetDC is a TWindowDC.
struct TMemoryDCTraits {
    using type = HDC;
    static type Empty() { return nullptr; }
    static void Close(type h) { DeleteDC(h); }
};

// A window this program created. Whoever owns one must Release it on WM_NCDESTROY when the
// window can also be destroyed from elsewhere (a close, its parent's end).
struct TWindowTraits {
    using type = HWND;
    static type Empty() { return nullptr; }
    static void Close(type h) { DestroyWindow(h); }
};

using TKernelHandle = THandle<TKernelHandleTraits>;
using TFileHandle = THandle<TFileHandleTraits>;
using TFindHandle = THandle<TFindHandleTraits>;
using TModuleHandle = THandle<TModuleHandleTraits>;
using TEventSourceHandle = THandle<TEventSourceTraits>;
using TRegKey = THandle<TRegKeyTraits>;
using TServiceHandle = THandle<TServiceHandleTraits>;
using TLocalMemory = THandle<TLocalMemoryTraits>;
using TFontHandle = THandle<TGdiObjectTraits<HFONT>>;
using TBrushHandle = THandle<TGdiObjectTraits<HBRUSH>>;
using TPenHandle = THandle<TGdiObjectTraits<HPEN>>;
using TBitmapHandle = THandle<TGdiObjectTraits<HBITMAP>>;
using TMemoryDC = THandle<TMemoryDCTraits>;
using TWindowHandle = THandle<TWindowTraits>;

// A window's device context from GetDC (nullptr: the screen's), given back with ReleaseDC. The
// release needs the window as well, which THandle's one value cannot carry. Like THandle, it
// keeps the caller's last-error value.
class TWindowDC {
public:
    explicit TWindowDC(HWND Window) noexcept : FWindow(Window), FDC(GetDC(Window)) {}
    ~TWindowDC() {
        if (FDC) {
            DWORD lastError = GetLastError();
            ReleaseDC(FWindow, FDC);
            SetLastError(lastError);
        }
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC Get() const noexcept { return FDC; }
    explicit operator bool() const noexcept { return FDC != nullptr; }

private:
    HWND FWindow;
    HDC FDC;
};

// One WM_PAINT's device context: BeginPaint now, EndPaint when it goes.
class TPaintDC {
public:
    explicit TPaintDC(HWND Window) noexcept : FWindow(Window), FDC(BeginPaint(Window, &FPaint)) {}
    ~TPaintDC() {
        DWORD lastError = GetLastError();
        EndPaint(FWindow, &FPaint);
        SetLastError(lastError);
    }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;

    HDC Get() const noexcept { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint = {};
    HDC FDC;
};

// Selects a font, brush, pen or bitmap into a device context while it lives, then puts back the
// object it replaced. Not for regions, whose selection returns no previous object. The selected
// object must outlive the guard: declare its owner first.
class TSelectObject {
public:
    TSelectObject(HDC DC, HGDIOBJ Object) noexcept : FDC(DC), FPrevious(SelectObject(DC, Object)) {}
    ~TSelectObject() {
        if (FPrevious) {
            DWORD lastError = GetLastError();
            SelectObject(FDC, FPrevious);
            SetLastError(lastError);
        }
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

    // False when the selection failed; nothing is put back then.
    explicit operator bool() const noexcept { return FPrevious != nullptr; }

private:
    HDC FDC;
    HGDIOBJ FPrevious;
};
