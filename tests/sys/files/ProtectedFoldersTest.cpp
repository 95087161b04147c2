#include "support/KnownFolders.h"
#include "support/TestSupport.h"
#include "sys/files/ProtectedFolders.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

std::wstring Special(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

std::wstring WithSlash(std::wstring p) {
    return p.back() == L'\\' ? p : p + L"\\";
}

std::wstring Lower(std::wstring p) {
    CharLowerBuffW(p.data(), static_cast<DWORD>(p.size()));
    return p;
}

TEST(ProtectedFolders, RefusesRootsRelativePathsAndSystemFolders) {
    wchar_t windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring profile = Special(CSIDL_PROFILE);
    const std::wstring users = profile.substr(0, profile.find_last_of(L'\\'));
    const std::vector<std::wstring> refused = {L"",
                                               L"relative\\folder",
                                               L"C:",
                                               L"C:folder",
                                               L"\\folder",
                                               L"C:\\",
                                               L"c:/",
                                               L"\\\\srv\\share",
                                               L"\\\\srv\\share\\",
                                               L"\\\\?\\C:\\x",
                                               windows,
                                               WithSlash(windows),
                                               Lower(windows),
                                               std::wstring(windows) + L"\\system32\\..",
                                               system,
                                               Special(CSIDL_PROGRAM_FILES),
                                               Special(CSIDL_PROGRAM_FILESX86),
                                               Special(CSIDL_COMMON_APPDATA),
                                               users,
                                               profile,
                                               users + L"\\SomeoneElse",
                                               Special(CSIDL_DESKTOPDIRECTORY),
                                               Special(CSIDL_COMMON_DESKTOPDIRECTORY),
                                               Special(CSIDL_STARTMENU),
                                               Special(CSIDL_COMMON_PROGRAMS),
                                               Special(CSIDL_STARTUP),
                                               Special(CSIDL_COMMON_STARTUP),
                                               TempFolder()};
    for (const auto& path : refused)
        EXPECT_TRUE(IsProtectedFolder(path)) << testing::PrintToString(path);
}

std::wstring Environment(const wchar_t* Name) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(Name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? value : L"";
}

// One row for every folder the guard keeps, asked of the platform by known folder id where
// there is one, so that a folder missing from the guard shows by name.
TEST(ProtectedFolders, RefusesEveryFolderOfTheGuard) {
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring users = test::KnownFolder(FOLDERID_UserProfiles);
    const struct {
        const char* Name;
        std::wstring Path;
    } rows[] = {
        {"Windows", windows},
        {"system", system},
        {"system of 32-bit programs", test::KnownFolder(FOLDERID_SystemX86)},
        {"temporary", TempFolder()},
        {"program files", test::KnownFolder(FOLDERID_ProgramFiles)},
        {"program files of 32-bit programs", test::KnownFolder(FOLDERID_ProgramFilesX86)},
        {"program files of 64-bit programs", Environment(L"ProgramW6432")},
        {"common files", test::KnownFolder(FOLDERID_ProgramFilesCommon)},
        {"common files of 32-bit programs", test::KnownFolder(FOLDERID_ProgramFilesCommonX86)},
        {"all users' data", test::KnownFolder(FOLDERID_ProgramData)},
        {"users", users},
        {"the user's profile", test::KnownFolder(FOLDERID_Profile)},
        {"the public profile", test::KnownFolder(FOLDERID_Public)},
        {"another user's profile", users.empty() ? users : users + L"\\SomeoneElse"},
        {"desktop", test::KnownFolder(FOLDERID_Desktop)},
        {"all users' desktop", test::KnownFolder(FOLDERID_PublicDesktop)},
        {"start menu", test::KnownFolder(FOLDERID_StartMenu)},
        {"all users' start menu", test::KnownFolder(FOLDERID_CommonStartMenu)},
        {"programs", test::KnownFolder(FOLDERID_Programs)},
        {"all users' programs", test::KnownFolder(FOLDERID_CommonPrograms)},
        {"startup", test::KnownFolder(FOLDERID_Startup)},
        {"all users' startup", test::KnownFolder(FOLDERID_CommonStartup)},
        {"roaming application data", test::KnownFolder(FOLDERID_RoamingAppData)},
        {"local application data", test::KnownFolder(FOLDERID_LocalAppData)},
        {"documents", test::KnownFolder(FOLDERID_Documents)},
        {"public documents", test::KnownFolder(FOLDERID_PublicDocuments)},
    };
    for (const auto& row : rows) {
        ASSERT_FALSE(row.Path.empty()) << row.Name << ": the platform names no such folder";
        EXPECT_TRUE(IsProtectedFolder(row.Path))
            << row.Name << " " << testing::PrintToString(row.Path);
    }
}

TEST(ProtectedFolders, AllowsFoldersBelowThem) {
    test::TTempFolder temp;
    const std::vector<std::wstring> allowed = {
        temp.Path(),
        Special(CSIDL_PROGRAM_FILES) + L"\\Talveno\\Connect",
        Special(CSIDL_COMMON_PROGRAMS) + L"\\Talveno",
        Special(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Talveno",
        Special(CSIDL_PROFILE) + L"\\AppData\\Roaming\\Talveno",
        L"\\\\srv\\share\\dir",
        L"D:\\Talveno",
    };
    for (const auto& path : allowed)
        EXPECT_EQ(ProtectedFolderReason(path), L"") << testing::PrintToString(path);
}

} // namespace
