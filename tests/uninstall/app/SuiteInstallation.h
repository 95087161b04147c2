#pragma once
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// An installation of the suite for the real program to remove: a temporary folder that the
// deployment settings name as the installation, with its program folder "LP" and data folder
// "LD", and a program that can hold one of its files open. The suite's settings keys go with it.
class TSuiteInstallation {
public:
    TSuiteInstallation() {
        ClearKeys();
        const std::wstring root = Root.Path();
        test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LPDir", root + L"LP");
        test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, L"LDDir", root + L"LD");
        test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Install.Path", root);
        test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Cache.Folder", L"Cache");
        test::WriteRegString(HKEY_LOCAL_MACHINE, NorvaKey, L"Error.Folder", L"Error");
    }
    // The holder ends, and frees its file, before the keys and the folder go.
    ~TSuiteInstallation() {
        Holder.reset();
        ClearKeys();
    }
    TSuiteInstallation(const TSuiteInstallation&) = delete;
    TSuiteInstallation& operator=(const TSuiteInstallation&) = delete;

    const std::wstring& Path() const { return Root.Path(); }
    // A file of the installation, with the folders above it; its full path.
    std::wstring Make(const std::wstring& Relative) {
        std::wstring full = Root.Path() + Relative;
        for (size_t slash = full.find(L'\\', Root.Path().size()); slash != std::wstring::npos;
             slash = full.find(L'\\', slash + 1))
            CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
        test::WriteTextFile(full, "x");
        return full;
    }
    bool Exists(const std::wstring& Relative) const {
        return test::FileExists(Root.Path() + Relative);
    }
    // A running program holds the file Relative, made first, open without sharing it.
    std::wstring HoldAFile(const std::wstring& Relative) {
        std::wstring held = Make(Relative);
        Holder = std::make_unique<test::TRunningProcess>(
            L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" + held + L"\"");
        EXPECT_TRUE(test::WaitForFile(held + L".held", 10000));
        DeleteFileW((held + L".held").c_str());
        return held;
    }

    static void ClearKeys() {
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Velmarix");
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Talveno");
    }

private:
    static constexpr const wchar_t* EsdKey = L"Software\\Velmarix\\Services\\Esd\\Settings";
    static constexpr const wchar_t* NorvaKey = L"Software\\Talveno\\Norva";

    test::TTempFolder Root;
    std::unique_ptr<test::TRunningProcess> Holder;
};

// Path waits for the restart.
inline bool Pending(const std::wstring& Path) {
    for (const auto& entry : test::PendingDeletions())
        if (SameTextAscii(entry, Path))
            return true;
    return false;
}

// Anything inside Folder waits for the restart.
inline bool PendingInside(const std::wstring& Folder) {
    for (const auto& entry : test::PendingDeletions())
        if (SameTextAscii(entry.substr(0, Folder.size()), Folder))
            return true;
    return false;
}
