#include "logging/support/LogFiles.h"
#include "core/Format.h"
#include "core/Text.h"
#include "core/SystemError.h"

namespace LogFiles {

std::wstring SysErrorMessage(DWORD code) {
    std::wstring text = SystemMessage(code);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? Format(L"System error %d", {static_cast<unsigned long>(code)}) : text;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::wstring& path) {
    std::wstring dir = path;
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
        dir.pop_back();
    if (dir.empty() || DirectoryExists(dir))
        return !dir.empty();
    size_t slash = dir.find_last_of(L"\\/");
    // A drive root ("C:") or a bare name has no parent to create.
    if (slash != std::wstring::npos && slash > 0 && dir[slash - 1] != L':' &&
        !ForceDirectories(dir.substr(0, slash)))
        return false;
    return CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring ExtractFilePath(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

TFileHandle OpenForAppend(const std::wstring& path, bool shareRead) {
    bool existed = FileExists(path);
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, shareRead ? FILE_SHARE_READ : 0,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        throw ELogFileError(
            Format(existed ? L"Cannot open file \"%s\". %s" : L"Cannot create file \"%s\". %s",
                   {path, SysErrorMessage(error)}));
    }
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    return file;
}

bool WriteBytes(const TFileHandle& file, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return false;
    if (written == bytes.size())
        return true;
    SetLastError(ERROR_WRITE_FAULT);
    return false;
}

} // namespace LogFiles
