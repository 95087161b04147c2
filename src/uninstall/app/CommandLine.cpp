#include "uninstall/app/CommandLine.h"
#include "core/Handle.h"
#include "core/Text.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// A word that begins like a switch is one, never the value of the switch before it.
bool LooksLikeSwitch(const std::wstring& Arg) {
    return !Arg.empty() && (Arg[0] == L'-' || Arg[0] == L'/');
}

// True when Arg is Name after "-" or "/", letter case aside.
bool IsSwitch(const std::wstring& Arg, const wchar_t* Name) {
    return Arg.size() > 1 && LooksLikeSwitch(Arg) && SameTextAscii(Arg.substr(1), Name);
}

// "/name:<value>" or "/name <value>" at args[i]; moves i past a value taken from the next word.
// Returns whether args[i] is the switch at all; a switch without a value sets Error.
bool TakeValue(LPWSTR* Args, int Count, int& I, const wchar_t* Name, std::wstring& Value,
               std::wstring& Error) {
    const std::wstring arg = Args[I];
    if (IsSwitch(arg, Name)) {
        if (I + 1 < Count && !LooksLikeSwitch(Args[I + 1]) && Args[I + 1][0] != L'\0')
            Value = Args[++I];
        else if (Error.empty())
            Error = L"The switch \"" + arg + L"\" needs a path after it.";
        return true;
    }
    const size_t colon = arg.find(L':');
    if (colon == std::wstring::npos || !IsSwitch(arg.substr(0, colon), Name))
        return false;
    Value = arg.substr(colon + 1);
    if (Value.empty() && Error.empty())
        Error = L"The switch \"" + arg + L"\" needs a path after its colon.";
    return true;
}

} // namespace

TCommandLine ParseCommandLine(const std::wstring& CommandLine) {
    TCommandLine result;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(CommandLine.c_str(), &count);
    const TLocalMemory owned(args);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring arg = args[i];
        if (IsSwitch(arg, L"trace"))
            result.Trace = true;
        else if (IsSwitch(arg, L"quiet") || IsSwitch(arg, L"S"))
            result.Quiet = true;
        else if (IsSwitch(arg, L"forcerestart"))
            result.ForceRestart = true;
        else if (IsSwitch(arg, L"preview"))
            result.Preview = true;
        else if (!TakeValue(args, count, i, L"log", result.LogPath, result.Error))
            TakeValue(args, count, i, L"report", result.ReportPath, result.Error);
    }
    for (int i = 1; args && i < count; ++i)
        result.Arguments.push_back(args[i]);
    if (!result.LogPath.empty())
        result.Trace = true;
    return result;
}
