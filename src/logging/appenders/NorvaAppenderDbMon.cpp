#include "logging/appenders/NorvaAppenderDbMon.h"
#include "core/Text.h"

#include <windows.h>

#include <cstdio>

namespace {

// A console program also shows its trace on standard output.
bool IsConsoleProgram() {
    static const bool console = [] {
        auto base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
    }();
    return console;
}

} // namespace

void TNorvaAppenderDbMon::append(TNxLoggerMessage& aEvent) {
    if (!Accepts(aEvent))
        return;
    const std::wstring& formatted = FFormater.Line(aEvent);
    std::wstring withFeed;
    if (FExtraLineFeed)
        withFeed = formatted + L'\n';
    const std::wstring& line = FExtraLineFeed ? withFeed : formatted;
    OutputDebugStringW(line.c_str());
    if (IsConsoleProgram()) {
        std::string text = WideToAnsi(line) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
}
