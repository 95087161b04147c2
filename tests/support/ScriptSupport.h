#pragma once
#include "support/TestSupport.h"

#include <windows.h>

#include <string>

namespace test {

// A module whose resource "UNINSTALL" of type "XML" holds the given bytes: a copy of the
// running test program with the resource written in by the platform's resource update,
// loaded as a data file. Hand Handle() to the engine as its script module.
class TScriptModule {
public:
    explicit TScriptModule(const std::string& ScriptBytes);
    ~TScriptModule();
    TScriptModule(const TScriptModule&) = delete;
    TScriptModule& operator=(const TScriptModule&) = delete;

    HMODULE Handle() const { return FModule; }

private:
    TTempFolder FFolder;
    HMODULE FModule = nullptr;
};

// A built program loaded as a data file, to read its resources.
class TDataModule {
public:
    explicit TDataModule(const std::wstring& Path);
    ~TDataModule();
    TDataModule(const TDataModule&) = delete;
    TDataModule& operator=(const TDataModule&) = delete;

    HMODULE Handle() const { return FModule; }

private:
    HMODULE FModule = nullptr;
};

// Full path of a program built by add_uninstall_variant into the build's variants folder.
std::wstring VariantPath(const std::wstring& ExeName);
// Full path of the shipped uninstall.exe of this build.
std::wstring ProgramPath();

} // namespace test
