#include "sys/shared/StdOut.h"

#include "core/Handle.h"
#include "core/Text.h"

#include <windows.h>

#include <mutex>

namespace StdOut {

namespace {

bool IsSet(HANDLE Handle) {
    return Handle != nullptr && Handle != INVALID_HANDLE_VALUE;
}

// The parent's console, attached once: a window program started from a command prompt has
// no standard output of its own, and the prompt does not hand it one.
HANDLE ParentConsole() {
    static TFileHandle console;
    static std::once_flag once;
    std::call_once(once, [] {
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            console.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    });
    return console.Get();
}

// Asked at every line: the handle may be changed while the program runs.
HANDLE Output(DWORD Which) {
    HANDLE out = GetStdHandle(Which);
    return IsSet(out) ? out : ParentConsole();
}

void WriteBytes(HANDLE Out, const std::string& Bytes) {
    size_t done = 0;
    while (done < Bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(Out, Bytes.data() + done, static_cast<DWORD>(Bytes.size() - done), &written,
                       nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

void Write(DWORD Which, const std::wstring& Text) {
    HANDLE out = Output(Which);
    if (!IsSet(out))
        return;
    const std::wstring line = Text + L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode))
        WriteConsoleW(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    else
        WriteBytes(out, WideToUtf8(line));
}

} // namespace

void WriteLine(const std::wstring& Text) {
    Write(STD_OUTPUT_HANDLE, Text);
}

void WriteErrorLine(const std::wstring& Text) {
    Write(STD_ERROR_HANDLE, Text);
}

} // namespace StdOut
