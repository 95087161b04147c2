#include "sys/registry/MachineEnvironment.h"

#include "core/Text.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryKeys.h"

#include <windows.h>

#include <map>
#include <utility>
#include <vector>

namespace MachineEnvironment {

namespace {

// Variable names in any letter case, as the system reads them.
using TVariables = std::map<std::wstring, std::wstring, TTextLess>;

std::wstring Substituted(const std::wstring& Text, const TVariables& Variables) {
    std::wstring result;
    size_t at = 0;
    while (at < Text.size()) {
        const size_t open = Text.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : Text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            result += Text.substr(at);
            break;
        }
        auto found = Variables.find(Text.substr(open + 1, close - open - 1));
        if (found == Variables.end()) {
            // Not a variable of ours: its closing sign may open the next one.
            result += Text.substr(at, close - at);
            at = close;
            continue;
        }
        result += Text.substr(at, open - at) + found->second;
        at = close + 1;
    }
    return result;
}

using TNames = std::vector<std::pair<std::wstring, std::wstring>>;

// Values of a machine key (value name, variable name), each expanded against what is known so
// far; none overrides a variable already known, so what the system itself gives stays.
void AddValues(TVariables& Variables, HKEY Root, const std::wstring& Path, REGSAM View,
               const TNames& Names) {
    TRegKey key = Registry::Open(Root, Path, KEY_READ | View);
    if (!key)
        return;
    for (const auto& [value, variable] : Names) {
        if (Variables.count(variable) || !Registry::ValueExists(key.Get(), value))
            continue;
        try {
            Variables[variable] = Substituted(Registry::ReadString(key.Get(), value), Variables);
        } catch (const std::exception&) {
            // A value of another type is no variable.
        }
    }
}

TVariables MachineVariables(REGSAM View) {
    TVariables variables;
    wchar_t windows[MAX_PATH] = {};
    if (UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH); n > 0 && n < MAX_PATH) {
        const std::wstring root = WithoutTrailingBackslash(std::wstring(windows, n));
        variables[L"SystemRoot"] = variables[L"windir"] = root;
        variables[L"SystemDrive"] = root.substr(0, 2);
    }
    // The folders are read from the 64-bit key, which names both kinds. A 32-bit program's
    // "ProgramFiles" is the "(x86)" folder where there is one (the first value found wins).
    TNames folders;
    if (View & KEY_WOW64_32KEY)
        folders = {{L"ProgramFilesDir (x86)", L"ProgramFiles"},
                   {L"CommonFilesDir (x86)", L"CommonProgramFiles"},
                   {L"ProgramFilesDir", L"ProgramW6432"},
                   {L"CommonFilesDir", L"CommonProgramW6432"}};
    folders.insert(folders.end(), {{L"ProgramFilesDir", L"ProgramFiles"},
                                   {L"ProgramFilesDir (x86)", L"ProgramFiles(x86)"},
                                   {L"CommonFilesDir", L"CommonProgramFiles"},
                                   {L"CommonFilesDir (x86)", L"CommonProgramFiles(x86)"}});
    AddValues(variables, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
              KEY_WOW64_64KEY, folders);
    AddValues(variables, HKEY_LOCAL_MACHINE,
              L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", KEY_WOW64_64KEY,
              {{L"ProgramData", L"ProgramData"}, {L"ProgramData", L"ALLUSERSPROFILE"}});
    const std::wstring session =
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    if (TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, session)) {
        TNames names;
        for (const auto& name : Registry::ValueNames(key.Get()))
            names.emplace_back(name, name);
        AddValues(variables, HKEY_LOCAL_MACHINE, session, 0, names);
    }
    return variables;
}

} // namespace

std::wstring Expand(const std::wstring& Text, REGSAM View) {
    if (Text.find(L'%') == std::wstring::npos)
        return Text;
    return Substituted(Text, MachineVariables(View));
}

} // namespace MachineEnvironment
