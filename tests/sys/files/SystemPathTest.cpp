#include "core/Exception.h"
#include "sys/files/SystemPath.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

namespace {

bool EndsWithOneBackslash(const std::wstring& path) {
    return path.size() >= 2 && path.back() == L'\\' && path[path.size() - 2] != L'\\';
}

TEST(SystemPath, QueriedFoldersEndWithExactlyOneBackslash) {
    wchar_t windows[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(TSystemPath::GetWindowsPath(), std::wstring(windows) + L"\\");
    EXPECT_EQ(TSystemPath::GetSystemPath(), std::wstring(system) + L"\\");
    EXPECT_EQ(TSystemPath::GetFontPath(), std::wstring(windows) + L"\\Fonts\\");
    // The platform already gives the temporary folder with its backslash.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(TSystemPath::GetTemporaryPath(), temp);
    for (const std::wstring& path : {TSystemPath::GetTemporaryPath(), TSystemPath::GetWindowsPath(),
                                     TSystemPath::GetSystemPath(), TSystemPath::GetFontPath()})
        EXPECT_TRUE(EndsWithOneBackslash(path)) << path.c_str();
}

// TMP is where GetTempPathW looks first; a folder too long for the buffer is an error.
TEST(SystemPath, ATemporaryFolderThatDoesNotFitIsAnError) {
    wchar_t saved[MAX_PATH] = {};
    DWORD had = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    std::wstring tooLong = L"C:\\" + std::wstring(270, L'a');
    SetEnvironmentVariableW(L"TMP", tooLong.c_str());
    try {
        TSystemPath::GetTemporaryPath();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        std::wstring start = L"TSystemPath.GetTemporaryPath failed (";
        EXPECT_EQ(e.Message().substr(0, start.size()), start);
        EXPECT_EQ(e.Message().back(), L')');
    }
    SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
    EXPECT_NO_THROW(TSystemPath::GetTemporaryPath());
}

TEST(SystemPath, CommonAndUserSpecialFoldersDiffer) {
    using TGetter = std::wstring (*)(bool);
    for (TGetter get : {&TSystemPath::GetDesktopPath, &TSystemPath::GetStartMenuPath,
                        &TSystemPath::GetStartProgramsPath, &TSystemPath::GetStartUpPath}) {
        std::wstring common = get(true);
        std::wstring user = get(false);
        EXPECT_TRUE(EndsWithOneBackslash(common)) << common.c_str();
        EXPECT_TRUE(EndsWithOneBackslash(user)) << user.c_str();
        EXPECT_NE(common, user);
    }
    wchar_t desktop[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE);
    EXPECT_EQ(TSystemPath::GetDesktopPath(true), std::wstring(desktop) + L"\\");
}

// A 32-bit process gets the program files folder of 32-bit programs.
TEST(SystemPath, ProgramFilesIsThatOf32BitPrograms) {
    wchar_t expected[MAX_PATH] = {};
    ASSERT_TRUE(GetEnvironmentVariableW(L"ProgramFiles", expected, MAX_PATH));
    EXPECT_EQ(TSystemPath::GetPgmFilesPath(), std::wstring(expected) + L"\\");
}

TEST(SystemPath, AnUnknownSpecialFolderIsEmptyWithoutBackslash) {
    EXPECT_EQ(TSystemPath::GetSpecialFolderPath(0x7E), L"");
}

} // namespace
