#include "uninstall/report/OutputFile.h"
#include "core/Exception.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "sys/files/FileSystem.h"
#include "sys/files/UserControl.h"

#include <windows.h>

#include <shlobj.h>

FileSystem::TProvenPath PreparedOutputFile(const std::wstring& Typed) {
    DWORD size = GetFullPathNameW(Typed.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    size = size ? GetFullPathNameW(Typed.c_str(), size, full.data(), nullptr) : 0;
    if (size == 0 || size >= full.size())
        RaiseSystemError(L"the path cannot be read", GetLastError());
    full.resize(size);
    const std::wstring folder = ParentOf(full);
    if (folder.empty() || full.back() == L'\\')
        throw Exception(L"the path names no file");
    // Written as administrator: never where another user decides what the path names.
    if (std::wstring reason = FileSystem::OutputFileReason(full); !reason.empty())
        throw Exception(L"other users can change where it goes: " + reason);
    // An administrator may be let write a read-only file; its owner meant it to stay as it is.
    const DWORD attributes = FileSystem::Attributes(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Exception(L"the path is a folder");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Exception(L"the file is read-only");
    // Every missing folder on the way; a drive's root is there.
    if (folder.size() > 3) {
        const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS)
            RaiseSystemError(L"the folder \"" + folder + L"\" cannot be made",
                             static_cast<DWORD>(result));
    }
    // Again with the folders made: whoever could make them decided what they are.
    FileSystem::TPathProof proof = FileSystem::ProveOutputFile(full);
    if (!proof.Proven)
        throw Exception(L"other users can change where it goes: " + proof.Reason);
    return std::move(*proof.Proven);
}
