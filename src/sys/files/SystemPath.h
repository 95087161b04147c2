#pragma once
#include <string>

// The system's well-known folders, each with a trailing backslash. Never instantiated.
class TSystemPath {
public:
    TSystemPath() = delete;

    // These raise "TSystemPath.Get...Path failed (<system text>)" when the system cannot say.
    static std::wstring GetTemporaryPath();
    static std::wstring GetWindowsPath();
    static std::wstring GetSystemPath();
    static std::wstring GetFontPath();

    // Shell folders; the empty text for a folder the system does not know. Never created.
    static std::wstring GetPgmFilesPath();
    static std::wstring GetDesktopPath(bool bCommon);
    static std::wstring GetStartMenuPath(bool bCommon);
    static std::wstring GetStartProgramsPath(bool bCommon);
    static std::wstring GetStartUpPath(bool bCommon);
    static std::wstring GetSpecialFolderPath(int CSIDL);
};
