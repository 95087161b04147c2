#include "sys/files/FileSystem.h"
#include "core/SystemError.h"
#include "sys/files/ProvenPath.h"
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
std::wstring DeleteAtRestart(const TProvenPath& Path) {
    if (std::wstring changed = Path.ChangedReason(); !changed.empty())
        return changed;
    const std::wstring exact = ExactPath(Path.Path());
    // The restart list is a registry value. Where writing it fails without an error code (Wine
    // leaves the last one as it was), the path is still not taken.
    SetLastError(ERROR_SUCCESS);
    if (MoveFileExW(exact.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return {};
    const DWORD error = GetLastError();
    return SystemErrorText(error != ERROR_SUCCESS ? error : ERROR_CANTWRITE);
}

} // namespace FileSystem
