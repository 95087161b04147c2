#include "sys/ProtectedFolders.h"
#include "support/TestSupport.h"

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
