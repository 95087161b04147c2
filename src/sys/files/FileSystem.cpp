#include "sys/files/FileSystem.h"
#include "core/Handle.h"
#include "sys/files/FileEntry.h"

namespace FileSystem {

void ForEachEntry(const std::wstring& Folder, const std::function<void(const TEntry&)>& Visit) {
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW(ExactPath(Folder + L"*").c_str(), &data));
    if (!find)
        return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        Visit({name, data.dwFileAttributes});
    } while (FindNextFileW(find.Get(), &data));
}

bool FileExists(const std::wstring& Path) {
    DWORD attributes = Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& Path) {
    DWORD attributes = Attributes(Path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD Attributes(const std::wstring& Path) {
    return GetFileAttributesW(ExactPath(Path).c_str());
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
    return Result(SetFileAttributesW(ExactPath(Path).c_str(), Attributes));
}

DWORD DeleteOneFile(const std::wstring& Path) {
    return Result(::DeleteFileW(ExactPath(Path).c_str()));
}

DWORD RemoveFolder(const std::wstring& Path) {
    return Result(RemoveDirectoryW(ExactPath(Path).c_str()));
}

// The exact form: the restart list then holds the entry's own name ("\\??\\C:\\...\\a."), not
// what the Win32 layer would make of it.
DWORD DeleteAtRestart(const std::wstring& Path) {
    return Result(MoveFileExW(ExactPath(Path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

} // namespace FileSystem
