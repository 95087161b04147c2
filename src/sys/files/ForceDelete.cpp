#include "sys/files/ForceDelete.h"
#include "core/Exception.h"
#include "sys/shared/Procs.h"

namespace {

// GetFileAttributesW follows a symbolic link to its target, so a dangling link counts as absent.
bool FileExists(const std::wstring& FileName) {
    DWORD attributes = GetFileAttributesW(FileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteClearingAttributes(const std::wstring& FileName) {
    if (!FileExists(FileName) || DeleteFileW(FileName.c_str()))
        return;
    // A read-only file refuses deletion until its attributes are cleared.
    if (!SetFileAttributesW(FileName.c_str(), 0))
        DoException(L"SetFileAttributes(\"%s\", 0) failed", {FileName});
    if (!DeleteFileW(FileName.c_str()))
        DoException(L"Delete file \"%s\" failed", {FileName});
}

} // namespace

void ForceDeleteFile(const std::wstring& FileName) {
    try {
        DeleteClearingAttributes(FileName);
    } catch (const Exception& e) {
        DoException(L"ForceDeleteFile(\"%s\") failed (%s)", {FileName, e.Message()});
    }
}
