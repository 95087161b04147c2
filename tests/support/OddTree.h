#pragma once
#include "core/Handle.h"
#include "core/Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// "\\?\" before a full path: no rewriting of names by the Win32 layer, no length limit.
inline std::wstring Long(const std::wstring& Path) {
    return L"\\\\?\\" + Path;
}

// A tree an installation that ran for years leaves, made through the platform's "\\?\" calls:
// names the Win32 layer rewrites or takes for devices, names in other scripts, and folders
// nested past 1,000 characters. Whatever is left of it goes with the object.
class TOddTree {
public:
    explicit TOddTree(const std::wstring& Top) : FTop(Top) {
        Folder(FTop);
        for (const wchar_t* name : {L"a.", L"b ", L"aux.txt", L"com1.log", L"NUL", L"CON", L"PRN",
                                    L"\x041f\x0440\x0438\x0432\x0435\x0442.txt",
                                    L"\x65e5\x672c\x8a9e.txt", L"\xd83d\xde00.txt"})
            File(FTop + L"\\" + name);
        for (const wchar_t* name : {L"dir.", L"dir2 "}) {
            Folder(FTop + L"\\" + name);
            File(FTop + L"\\" + name + L"\\inside.txt");
            File(FTop + L"\\" + name + L"\\x.");
        }
        std::wstring deep = FTop;
        for (int level = 0; deep.size() < 1000; ++level) {
            deep += L"\\cache-" + std::to_wstring(level) + L"-0123456789abcdefghijklmnopqrstuvwxyz";
            Folder(deep);
            File(deep + L"\\entry.bin");
        }
        File(deep + L"\\NUL");
        FDeepest = deep;
    }
    ~TOddTree() { Remove(FTop); }
    TOddTree(const TOddTree&) = delete;
    TOddTree& operator=(const TOddTree&) = delete;

    const std::wstring& Deepest() const { return FDeepest; }

    // What is still there below Top (Top itself included when Folders): its full paths.
    static std::vector<std::wstring> Left(const std::wstring& Top, bool Folders) {
        std::vector<std::wstring> left;
        if (GetFileAttributesW(Long(Top).c_str()) == INVALID_FILE_ATTRIBUTES)
            return left;
        if (Folders)
            left.push_back(Top);
        Each(Top, [&](const std::wstring& Path, bool IsFolder) {
            if (!IsFolder) {
                left.push_back(Path);
                return;
            }
            auto below = Left(Path, Folders);
            left.insert(left.end(), below.begin(), below.end());
        });
        return left;
    }

private:
    static void Folder(const std::wstring& Path) {
        ASSERT_TRUE(CreateDirectoryW(Long(Path).c_str(), nullptr)) << WideToUtf8(Path);
    }
    static void File(const std::wstring& Path) {
        TFileHandle file(CreateFileW(Long(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid()) << WideToUtf8(Path) << " " << GetLastError();
        DWORD written = 0;
        WriteFile(file.Get(), "x", 1, &written, nullptr);
    }
    static void Remove(const std::wstring& Path) {
        Each(Path, [](const std::wstring& Entry, bool IsFolder) {
            if (IsFolder)
                Remove(Entry);
            else
                DeleteFileW(Long(Entry).c_str());
        });
        RemoveDirectoryW(Long(Path).c_str());
    }
    // Every entry of Folder but "." and "..", listed through the exact form.
    template <class F> static void Each(const std::wstring& Folder, F Visit) {
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW(Long(Folder + L"\\*").c_str(), &data));
        for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &data)) {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                Visit(Folder + L"\\" + name,
                      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    }

    std::wstring FTop;
    std::wstring FDeepest;
};

} // namespace test
