#include "sys/files/FileSystem.h"
#include "core/Handle.h"

namespace FileSystem {

void ForEachEntry(const std::wstring& Folder, const std::function<void(const TEntry&)>& Visit) {
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((Folder + L"*.*").c_str(), &data));
    if (!find)
        return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        Visit({name, data.dwFileAttributes});
    } while (FindNextFileW(find.Get(), &data));
}

bool FolderExists(const std::wstring& Path) {
    DWORD attributes = Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD Attributes(const std::wstring& Path) {
    return GetFileAttributesW(Path.c_str());
}

UINT DriveType(const std::wstring& Root) {
    return GetDriveTypeW(Root.c_str());
}

namespace {
DWORD Result(BOOL ok) {
    return ok ? 0 : GetLastError();
}
} // namespace

DWORD SetAttributes(const std::wstring& Path, DWORD Attributes) {
    return Result(SetFileAttributesW(Path.c_str(), Attributes));
}

DWORD DeleteOneFile(const std::wstring& Path) {
    return Result(::DeleteFileW(Path.c_str()));
}

DWORD RemoveFolder(const std::wstring& Path) {
    return Result(RemoveDirectoryW(Path.c_str()));
}

DWORD DeleteAtRestart(const std::wstring& Path) {
    return Result(MoveFileExW(Path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

} // namespace FileSystem
