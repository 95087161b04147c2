#include "sys/files/ForceDelete.h"
#include "core/Exception.h"
#include "sys/files/FileSystem.h"
#include "sys/shared/Procs.h"

namespace {

// The file is checked and deleted under the same name, its exact one: a dangling link counts as
// absent.
void DeleteClearingAttributes(const std::wstring& FileName) {
    if (!FileSystem::FileExists(FileName) || FileSystem::DeleteOneFile(FileName) == 0)
        return;
    // A read-only file refuses deletion until its attributes are cleared.
    if (FileSystem::SetAttributes(FileName, 0) != 0)
        DoException(L"SetFileAttributes(\"%s\", 0) failed", {FileName});
    if (FileSystem::DeleteOneFile(FileName) != 0)
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
