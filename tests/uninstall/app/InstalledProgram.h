#pragma once
#include "core/Handle.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <string>

// A copy of a built variant named uninstall.exe in a folder of its own, where its trace file
// and the restart stand-in's record of a restart request land.
class TInstalledProgram {
public:
    explicit TInstalledProgram(const std::wstring& Variant) {
        Exe = Folder.Path() + L"uninstall.exe";
        CopyFileW(test::VariantPath(Variant).c_str(), Exe.c_str(), FALSE);
    }
    std::wstring LogFile() const {
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW((Folder.Path() + L"uninstall.exe_*.log").c_str(), &data));
        return find ? Folder.Path() + data.cFileName : std::wstring();
    }
    std::wstring RestartRecord() const { return Folder.Path() + L"restart-request.txt"; }
    std::wstring Command(const std::wstring& Switches) const {
        return L"\"" + Exe + L"\" " + Switches;
    }
    test::TTempFolder Folder;
    std::wstring Exe;
};
