#include "uninstall/app/CommandLine.h"
#include "core/Text.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// True when Arg is Name after "-" or "/", letter case aside.
bool IsSwitch(const std::wstring& Arg, const wchar_t* Name) {
    return Arg.size() > 1 && (Arg[0] == L'-' || Arg[0] == L'/') &&
           SameTextAscii(Arg.substr(1), Name);
}

// The text after Name and ":" of a switch ("/log:C:\\x.log"); empty when Arg is not that form.
std::wstring SwitchValue(const std::wstring& Arg, const wchar_t* Name) {
    const size_t colon = Arg.find(L':');
    if (colon == std::wstring::npos || !IsSwitch(Arg.substr(0, colon), Name))
        return L"";
    return Arg.substr(colon + 1);
}

} // namespace

TCommandLine ParseCommandLine(const std::wstring& CommandLine) {
    TCommandLine result;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(CommandLine.c_str(), &count);
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
        else if (IsSwitch(arg, L"log") && i + 1 < count)
            result.LogPath = args[++i];
        else if (std::wstring path = SwitchValue(arg, L"log"); !path.empty())
            result.LogPath = path;
        else if (IsSwitch(arg, L"report") && i + 1 < count)
            result.ReportPath = args[++i];
        else if (std::wstring report = SwitchValue(arg, L"report"); !report.empty())
            result.ReportPath = report;
    }
    for (int i = 1; args && i < count; ++i)
        result.Arguments.push_back(args[i]);
    if (!result.LogPath.empty())
        result.Trace = true;
    LocalFree(args);
    return result;
}
