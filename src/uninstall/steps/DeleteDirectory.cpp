#include "uninstall/steps/DeleteDirectory.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/FileSystem.h"
#include "uninstall/script/CommaText.h"
#include "uninstall/script/Mask.h"

namespace {

class TTreeDeleter {
public:
    TTreeDeleter(const TObject* Sender, std::vector<std::wstring> Exclusions,
                 std::vector<std::wstring>& LockedFiles)
        : FSender(Sender), FExclusions(std::move(Exclusions)), FLockedFiles(LockedFiles) {}

    void DeleteTree(std::wstring P) {
        GetLogger().Write(L"  deleting path : %s", {P}, ttInformation);
        P = IncludeTrailingBackslash(P);
        if (Excluded(P)) {
            GetLogger().Write(FSender, L"  path \"%s\" is excluded", {P}, ttInformation);
            return;
        }
        FileSystem::ForEachEntry(P, [&](const FileSystem::TEntry& entry) {
            std::wstring full = P + entry.Name;
            if (entry.IsFolder() && entry.IsLink())
                RemoveLink(full);
            else if (entry.IsFolder())
                DeleteTree(full);
            else
                DeleteOne(full, entry.Attributes);
        });
        RemoveFolder(P);
    }

    // A top folder that is itself a link: only the link goes.
    void RemoveLink(const std::wstring& Path) {
        const std::wstring withDelimiter = IncludeTrailingBackslash(Path);
        if (Excluded(withDelimiter)) {
            GetLogger().Write(FSender, L"  path \"%s\" is excluded", {withDelimiter},
                              ttInformation);
            return;
        }
        // Windows removes a folder link as a folder; some file systems only as a file.
        if (FileSystem::RemoveFolder(Path) == 0 || FileSystem::DeleteOneFile(Path) == 0) {
            GetLogger().Write(L"Link \"%s\" deleted", {withDelimiter}, ttInformation);
        } else {
            GetLogger().Write(L"FLockedFiles.Add(%s)", {withDelimiter}, ttInformation);
            FLockedFiles.push_back(withDelimiter);
        }
    }

private:
    bool Excluded(const std::wstring& P) const {
        for (const auto& mask : FExclusions)
            if (MatchesMask(P, mask))
                return true;
        return false;
    }

    void DeleteOne(const std::wstring& full, DWORD attributes) {
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            DWORD rc = FileSystem::SetAttributes(full, attributes & ~FILE_ATTRIBUTE_READONLY);
            if (rc != 0)
                throw Exception(Format(L"Unable to remove 'ReadOnly' attribute to file %s (rc=%d)",
                                       {full, static_cast<long long>(rc)}));
        }
        if (FileSystem::DeleteOneFile(full) == 0) {
            GetLogger().Write(L"    file \"%s\" deleted", {full}, ttInformation);
        } else {
            GetLogger().Write(L"    FLockedFiles.Add(%s)", {full}, ttInformation);
            FLockedFiles.push_back(full);
        }
    }

    void RemoveFolder(const std::wstring& P) {
        std::wstring path = P.substr(0, P.size() - 1);
        if (FileSystem::RemoveFolder(path) == 0) {
            GetLogger().Write(L"Dir \"%s\" deleted", {P}, ttInformation);
        } else {
            GetLogger().Write(L"FLockedFiles.Add(%s)", {P}, ttInformation);
            FLockedFiles.push_back(P);
        }
    }

    const TObject* FSender;
    std::vector<std::wstring> FExclusions;
    std::vector<std::wstring>& FLockedFiles;
};

} // namespace

void DeleteDirectory(const TObject* Sender, const std::wstring& Path, const std::wstring& Exclude,
                     std::vector<std::wstring>& FLockedFiles) {
    GetLogger().Write(Sender, L"DeleteDirectory(%s, %s)", {Path, Exclude}, ttInformation);
    TTreeDeleter deleter(Sender, CommaTextList(Exclude), FLockedFiles);
    if (!FileSystem::FolderExists(Path)) {
        GetLogger().Write(Sender, L"Directory \"%s\" not found", {Path}, ttInformation);
        return;
    }
    if (FileSystem::Attributes(Path) & FILE_ATTRIBUTE_REPARSE_POINT)
        deleter.RemoveLink(Path);
    else
        deleter.DeleteTree(Path);
}
