#include "support/ScriptSupport.h"

#include <stdexcept>

namespace test {

namespace {

HMODULE LoadAsData(const std::wstring& Path) {
    HMODULE module = LoadLibraryExW(Path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        throw std::runtime_error("cannot load a program as data file");
    return module;
}

void WriteScriptResource(const std::wstring& Path, const std::string& Bytes) {
    HANDLE update = BeginUpdateResourceW(Path.c_str(), FALSE);
    if (!update)
        throw std::runtime_error("BeginUpdateResource failed");
    BOOL ok =
        UpdateResourceW(update, L"XML", L"UNINSTALL", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                        const_cast<char*>(Bytes.data()), static_cast<DWORD>(Bytes.size()));
    if (!EndUpdateResourceW(update, !ok) || !ok)
        throw std::runtime_error("UpdateResource failed");
}

} // namespace

TScriptModule::TScriptModule(const std::string& ScriptBytes) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring copy = FFolder.Path() + L"script.exe";
    if (!CopyFileW(self, copy.c_str(), FALSE))
        throw std::runtime_error("cannot copy the test program");
    WriteScriptResource(copy, ScriptBytes);
    FModule = LoadAsData(copy);
}

TScriptModule::~TScriptModule() {
    FreeLibrary(FModule);
}

TDataModule::TDataModule(const std::wstring& Path) : FModule(LoadAsData(Path)) {}

TDataModule::~TDataModule() {
    FreeLibrary(FModule);
}

std::wstring VariantPath(const std::wstring& ExeName) {
    return FindUpwards(L"variants\\" + ExeName);
}

std::wstring ProgramPath() {
    return FindUpwards(L"src\\uninstall\\uninstall.exe");
}

} // namespace test
