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
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW(Long(Top + L"\\*").c_str(), &data));
        for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &data)) {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                auto below = Left(Top + L"\\" + name, Folders);
                left.insert(left.end(), below.begin(), below.end());
            } else {
                left.push_back(Top + L"\\" + name);
            }
        }
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
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW(Long(Path + L"\\*").c_str(), &data));
        for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &data)) {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                Remove(Path + L"\\" + name);
            else
                DeleteFileW(Long(Path + L"\\" + name).c_str());
        }
        find.Reset();
        RemoveDirectoryW(Long(Path).c_str());
    }

    std::wstring FTop;
    std::wstring FDeepest;
};

} // namespace test
