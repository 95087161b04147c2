#include "sys/files/SystemPath.h"
#include "core/Text.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"

#include <windows.h>

#include <shlobj.h>

namespace {

constexpr UINT BufferLength = MAX_PATH;

// A length of 0 is a failure and one of BufferLength or more a folder that does not fit: both
// are errors, never a truncated path.
std::wstring Checked(UINT length, const wchar_t* buffer, const wchar_t* operation) {
    if (length == 0 || length >= BufferLength)
        RaiseSystemError(Format(L"TSystemPath.%s failed", {operation}), GetLastError());
    return IncludeTrailingBackslash(buffer);
}

} // namespace

std::wstring TSystemPath::GetTemporaryPath() {
    wchar_t buffer[BufferLength] = {};
    return Checked(GetTempPathW(BufferLength, buffer), buffer, L"GetTemporaryPath");
}

std::wstring TSystemPath::GetWindowsPath() {
    wchar_t buffer[BufferLength] = {};
    return Checked(GetWindowsDirectoryW(buffer, BufferLength), buffer, L"GetWindowsPath");
}

std::wstring TSystemPath::GetSystemPath() {
    wchar_t buffer[BufferLength] = {};
    return Checked(GetSystemDirectoryW(buffer, BufferLength), buffer, L"GetSystemPath");
}

std::wstring TSystemPath::GetFontPath() {
    return IncludeTrailingBackslash(GetWindowsPath()) + L"Fonts\\";
}

std::wstring TSystemPath::GetSpecialFolderPath(int CSIDL) {
    wchar_t buffer[BufferLength] = {};
    // The result is not consulted: a folder the system lacks leaves the buffer empty.
    SHGetSpecialFolderPathW(nullptr, buffer, CSIDL, FALSE);
    return IncludeTrailingBackslash(buffer);
}

std::wstring TSystemPath::GetPgmFilesPath() {
    return GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
}

std::wstring TSystemPath::GetDesktopPath(bool bCommon) {
    return GetSpecialFolderPath(bCommon ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}

std::wstring TSystemPath::GetStartMenuPath(bool bCommon) {
    return GetSpecialFolderPath(bCommon ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU);
}

std::wstring TSystemPath::GetStartProgramsPath(bool bCommon) {
    return GetSpecialFolderPath(bCommon ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

std::wstring TSystemPath::GetStartUpPath(bool bCommon) {
    return GetSpecialFolderPath(bCommon ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
}
