#include "sys/files/FileEntry.h"

#include "core/Text.h"

#include <algorithm>
#include <cwctype>
#include <string_view>
#include <vector>

namespace FileSystem {

namespace {

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\share" -> "\\srv\share".
std::wstring WithoutLongPrefix(std::wstring Path) {
    if (Path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        Path.erase(2, 6);
    else if (Path.rfind(L"\\\\?\\", 0) == 0 || Path.rfind(L"\\??\\", 0) == 0)
        Path.erase(0, 4);
    return Path;
}

// What WithoutTrailingBackslash(WithoutLongPrefix(Path)) gives, without a copy, for a path
// that is not in the "\\?\UNC\" form.
std::wstring_view PlainView(std::wstring_view Path) {
    if (Path.substr(0, 4) == L"\\\\?\\" || Path.substr(0, 4) == L"\\??\\")
        Path.remove_prefix(4);
    while (Path.size() > 3 && Path.back() == L'\\')
        Path.remove_suffix(1);
    return Path;
}

// Calls Fill with a buffer until the result fits; Fill returns the length it needs or wrote.
// Most paths fit the first buffer, on the stack: the tree walk asks once per entry.
template <class F> std::wstring Filled(F Fill) {
    wchar_t first[MAX_PATH];
    DWORD n = Fill(first, MAX_PATH);
    if (n < MAX_PATH)
        return std::wstring(first, n);
    std::vector<wchar_t> buffer;
    for (;;) {
        buffer.resize(n + 1);
        n = Fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
    }
}

// "X:\..." with nothing the Win32 layer would have to resolve: no "/", no "." or ".." part, no
// empty part.
bool IsPlainAbsolute(std::wstring_view Path) {
    if (Path.size() < 3 || !iswalpha(Path[0]) || Path[1] != L':' || Path[2] != L'\\' ||
        Path.find(L'/') != std::wstring_view::npos)
        return false;
    for (size_t start = 3; start < Path.size();) {
        size_t end = Path.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = Path.size();
        const std::wstring_view part = Path.substr(start, end - start);
        if (part.empty() ? end != Path.size() - 1 && end != Path.size()
                         : part == L"." || part == L"..")
            return false;
        start = end + 1;
    }
    return true;
}

// Each part of a path without the dots and blanks it ends with: how the Win32 layer, and Wine
// in a handle's name, give a name such as "a." or "b ".
std::wstring WithoutTrailingDots(std::wstring_view Path) {
    std::wstring out;
    size_t start = 0;
    for (;;) {
        size_t end = Path.find(L'\\', start);
        std::wstring_view part =
            Path.substr(start, end == std::wstring_view::npos ? end : end - start);
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ') && part != L"." &&
               part != L"..")
            part.remove_suffix(1);
        out += part;
        if (end == std::wstring_view::npos)
            return out;
        out += L'\\';
        start = end + 1;
    }
}

// A 32-bit program on 64-bit Windows that names System32 reaches SysWOW64: the system's own
// redirection, not a link.
std::wstring WowRedirected(const std::wstring& Path) {
    static const std::pair<std::wstring, std::wstring> folders = [] {
        wchar_t system[MAX_PATH] = {}, wow[MAX_PATH] = {};
        if (!GetSystemDirectoryW(system, MAX_PATH) || !GetSystemWow64DirectoryW(wow, MAX_PATH))
            return std::pair<std::wstring, std::wstring>();
        return std::pair<std::wstring, std::wstring>(WithoutTrailingBackslash(system),
                                                     WithoutTrailingBackslash(wow));
    }();
    const std::wstring& system = folders.first;
    if (system.empty() || Path.size() < system.size() ||
        !SameText(Path.substr(0, system.size()), system) ||
        (Path.size() > system.size() && Path[system.size()] != L'\\'))
        return Path;
    return folders.second + Path.substr(system.size());
}

} // namespace

std::wstring ExactPath(const std::wstring& Path) {
    return IsPlainAbsolute(Path) ? L"\\\\?\\" + Path : Path;
}

TFileHandle OpenAsItself(const std::wstring& Path, DWORD Access) {
    return TFileHandle(
        CreateFileW(ExactPath(Path).c_str(), Access,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::wstring DeviceReason(const std::wstring& Path) {
    if (Path.empty() || IsPlainAbsolute(WithoutLongPrefix(Path)) || Path.rfind(L"\\\\?\\", 0) == 0)
        return {};
    const std::wstring full =
        Filled([&](wchar_t* b, DWORD n) { return GetFullPathNameW(Path.c_str(), n, b, nullptr); });
    if (full.rfind(L"\\\\.\\", 0) != 0)
        return {};
    return L"the path names the device \"" + full + L"\"";
}

std::wstring ResolvedSpelling(const std::wstring& Path) {
    std::wstring plain = WithoutLongPrefix(Path);
    // A plain full path keeps its names as they are: the Win32 rules would cut "a." to "a".
    std::wstring full = IsPlainAbsolute(plain) ? plain : Filled([&](wchar_t* b, DWORD n) {
        return GetFullPathNameW(plain.c_str(), n, b, nullptr);
    });
    if (full.empty())
        return WithoutTrailingBackslash(plain);
    // A short name ("PROGRA~1") has a "~", and only the Win32 form expands it under Wine.
    const std::wstring asked = full.find(L'~') == std::wstring::npos ? ExactPath(full) : full;
    std::wstring longName =
        Filled([&](wchar_t* b, DWORD n) { return GetLongPathNameW(asked.c_str(), b, n); });
    return WithoutTrailingBackslash(longName.empty() ? full : WithoutLongPrefix(longName));
}

bool LiesBelow(const std::wstring& Path, const std::wstring& Folder) {
    return PathBelow(ResolvedSpelling(Path), ResolvedSpelling(Folder));
}

TEntryHandle::TEntryHandle(const std::wstring& Path, bool ForDelete) {
    Open(Path, ForDelete);
    if (Valid())
        ReadAttributes();
}

TEntryHandle::TEntryHandle(const std::wstring& Path, const TEntry& Listed) {
    Open(Path, true);
    if (!Valid())
        return;
    if (Listed.IsFolder())
        ReadAttributes();
    else
        FAttributes = Listed.Attributes;
}

void TEntryHandle::Open(const std::wstring& Path, bool ForDelete) {
    const DWORD access = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES |
                         (ForDelete ? DELETE | FILE_WRITE_ATTRIBUTES : 0);
    FHandle = OpenAsItself(Path, access);
    if (!FHandle) {
        FError = GetLastError();
        return;
    }
    // The DOS form is the cheap one under Wine: the NT form asks the drive's device name.
    FFinalPath = WithoutTrailingBackslash(WithoutLongPrefix(Filled([&](wchar_t* b, DWORD n) {
        return GetFinalPathNameByHandleW(FHandle.Get(), b, n,
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    })));
    if (FFinalPath.empty())
        FFinalPath = NameOnVolume(WithoutLongPrefix(Path));
}

// Where the handle is, from its name on the volume and the drive Path names: Wine gives no
// final path for a path longer than 260 characters, but does give this name, which shows a
// link's target as the final path would.
std::wstring TEntryHandle::NameOnVolume(const std::wstring& Path) const {
    if (Path.size() < 2 || Path[1] != L':')
        return {};
    std::vector<LONGLONG> buffer(2048);
    if (!GetFileInformationByHandleEx(FHandle.Get(), FileNameInfo, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(LONGLONG))))
        return {};
    const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    return WithoutTrailingBackslash(
        Path.substr(0, 2) + std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t)));
}

// The attributes alone: the full file information costs ten times as much under Wine, and
// only the guard asks for the identity.
void TEntryHandle::ReadAttributes() {
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(FHandle.Get(), FileBasicInfo, &basic, sizeof basic))
        FAttributes = basic.FileAttributes;
    else
        FError = GetLastError();
}

TIdentity TEntryHandle::Identity() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Valid() || !GetFileInformationByHandle(FHandle.Get(), &info))
        return {};
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

ULONGLONG TEntryHandle::Size() const {
    FILE_STANDARD_INFO standard{};
    if (!Valid() ||
        !GetFileInformationByHandleEx(FHandle.Get(), FileStandardInfo, &standard, sizeof standard))
        return 0;
    return static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
}

// The walk asks once per entry: the expected path is compared where it stands.
bool TEntryHandle::IsAt(const std::wstring& Expected) const {
    if (!Valid() || FFinalPath.empty())
        return false;
    if (Expected.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return IsAt(WithoutLongPrefix(Expected));
    const std::wstring_view expected = PlainView(Expected);
    if (SameText(FFinalPath, expected) ||
        SameText(FFinalPath, WowRedirected(std::wstring(expected))))
        return true;
    // Wine names a handle of "a." or "b " without the trailing dot or blank, as the Win32 layer
    // would spell the path. Where that is the only difference, the handle is where Expected
    // says, and Expected keeps its spelling for what is reached below it.
    if (!SameText(WithoutTrailingDots(FFinalPath), WithoutTrailingDots(expected)))
        return false;
    FFinalPath = std::wstring(expected);
    return true;
}

bool TEntryHandle::IsPlain(const std::wstring& Expected) const {
    return !IsReparsePoint() && IsAt(Expected);
}

bool TEntryHandle::IsLinkItself(const std::wstring& Expected) const {
    return IsReparsePoint() && IsAt(Expected);
}

void TEntryHandle::ForEachEntry(const std::function<void(const TEntry&)>& Visit) const {
    if (!Valid() || !IsFolder())
        return;
    // 8-byte aligned: the entries hold 64-bit fields.
    std::vector<LONGLONG> buffer(8 * 1024);
    FILE_INFO_BY_HANDLE_CLASS query = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(FHandle.Get(), query, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
        query = FileFullDirectoryInfo;
        auto* bytes = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                Visit({std::move(name), info->FileAttributes});
            if (info->NextEntryOffset == 0)
                break;
            bytes += info->NextEntryOffset;
        }
    }
}

DWORD TEntryHandle::SetAttributes(DWORD Attributes) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(FHandle.Get(), FileBasicInfo, &basic, sizeof basic))
        return GetLastError();
    basic.FileAttributes = Attributes ? Attributes : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(FHandle.Get(), FileBasicInfo, &basic, sizeof basic))
        return GetLastError();
    FAttributes = basic.FileAttributes;
    return 0;
}

DWORD TEntryHandle::ClearReadOnly() {
    return SetAttributes(FAttributes & ~FILE_ATTRIBUTE_READONLY);
}

DWORD TEntryHandle::ClearAttributes() {
    return SetAttributes(FILE_ATTRIBUTE_NORMAL);
}

DWORD TEntryHandle::Delete() {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(FHandle.Get(), FileDispositionInfo, &disposition,
                                    sizeof disposition))
        return GetLastError();
    return 0;
}

DWORD TEntryHandle::MoveTo(const std::wstring& Target) {
    const size_t bytes = Target.size() * sizeof(wchar_t);
    // The name follows the fixed part; 8-byte aligned, as the structure holds a handle.
    std::vector<LONGLONG> buffer((sizeof(FILE_RENAME_INFO) + bytes) / sizeof(LONGLONG) + 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(Target.begin(), Target.end(), rename->FileName);
    if (!SetFileInformationByHandle(FHandle.Get(), FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size() * sizeof(LONGLONG))))
        return GetLastError();
    return 0;
}

} // namespace FileSystem
