#include "sys/files/UserControl.h"

#include "core/Format.h"
#include "core/Handle.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "sys/files/FileEntry.h"
#include "sys/shared/Accounts.h"

#include <aclapi.h>
#include <sddl.h>

namespace FileSystem {

namespace {

// In an access list, the owner's own rights count as the owner's, who is trusted by then.
bool IsTrusted(PSID Sid) {
    return IsWellKnownSid(Sid, WinCreatorOwnerRightsSid) || IsTrustedAccount(Sid);
}

std::wstring SidText(PSID Sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(Sid, &text))
        return L"an unknown account";
    TLocalMemory owner(text);
    return text;
}

// The rights that let their holder change what a path names, beyond adding entries.
ACCESS_MASK ChangingRights(bool Folder, bool AddingCounts) {
    ACCESS_MASK rights = DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;
    if (Folder)
        rights |= FILE_DELETE_CHILD;
    else
        rights |= GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA;
    if (Folder && AddingCounts)
        rights |= GENERIC_WRITE | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
    return rights;
}

// The access-allowed entries share their head: type, flags, mask, then the account.
PSID AllowedSid(ACE_HEADER* Header) {
    return &reinterpret_cast<ACCESS_ALLOWED_ACE*>(Header)->SidStart;
}

bool IsAllowedType(BYTE Type) {
    return Type == ACCESS_ALLOWED_ACE_TYPE || Type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
}

bool IsMissing(DWORD Error) {
    return Error == ERROR_FILE_NOT_FOUND || Error == ERROR_PATH_NOT_FOUND;
}

} // namespace

std::wstring DescriptorControlReason(const std::wstring& Path, PSECURITY_DESCRIPTOR Descriptor,
                                     bool Folder, bool AddingCounts) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorOwner(Descriptor, &owner, &defaulted) || !owner)
        return Format(L"\"%s\" has no owner", {Path});
    if (!IsTrustedAccount(owner))
        return Format(L"\"%s\" is owned by %s", {Path, SidText(owner)});
    if (!GetSecurityDescriptorDacl(Descriptor, &present, &acl, &defaulted) || !present || !acl)
        return Format(L"\"%s\" lets everyone change it", {Path});
    const ACCESS_MASK changing = ChangingRights(Folder, AddingCounts);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&header)))
            return Format(L"\"%s\" has an access list that cannot be read", {Path});
        if (!IsAllowedType(header->AceType) || (header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        const ACCESS_MASK mask = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->Mask;
        if ((mask & changing) != 0 && !IsTrusted(AllowedSid(header)))
            return Format(L"\"%s\" lets %s change it", {Path, SidText(AllowedSid(header))});
    }
    return {};
}

namespace {

// The decision on an open entry's own descriptor; Path names it in the reason.
std::wstring OpenEntryControlReason(HANDLE Entry, const std::wstring& Path, bool Folder,
                                    bool AddingCounts) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetSecurityInfo(Entry, SE_FILE_OBJECT,
                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, nullptr, nullptr, &descriptor);
    if (status != ERROR_SUCCESS)
        return Format(L"\"%s\" cannot be checked (%s)", {Path, SystemErrorText(status)});
    TLocalMemory owned(descriptor);
    return DescriptorControlReason(Path, descriptor, Folder, AddingCounts);
}

} // namespace

std::wstring UserControlReason(const std::wstring& Path) {
    const std::wstring resolved = ResolvedSpelling(Path);
    // No path is no place anyone can be trusted with (a root's parent, say).
    if (resolved.empty())
        return Format(L"\"%s\" names no entry", {Path});
    // The computer that holds a share decides who may change it, and nothing above the share's
    // root can be checked from here.
    if (resolved.rfind(L"\\\\", 0) == 0)
        return Format(L"\"%s\" lies on another computer's share", {resolved});
    // Above a part that does not exist, adding an entry is enough to decide what the path
    // names.
    bool addingCounts = false;
    // The highest link on the way: the one to name, as Wine reports every entry below a
    // linked folder as resolving elsewhere too.
    std::wstring link;
    for (std::wstring at = resolved; !at.empty(); at = ParentOf(at)) {
        // Reading attributes and the descriptor is not subject to sharing: a file another
        // program holds open without sharing, the usual locked entry, is still checked.
        TFileHandle entry = OpenAsItself(at, READ_CONTROL | FILE_READ_ATTRIBUTES);
        if (!entry) {
            const DWORD error = GetLastError();
            if (!IsMissing(error))
                return Format(L"\"%s\" cannot be checked (%s)", {at, SystemErrorText(error)});
            addingCounts = true;
            continue;
        }
        FILE_BASIC_INFO basic{};
        if (!GetFileInformationByHandleEx(entry.Get(), FileBasicInfo, &basic, sizeof basic))
            return Format(L"\"%s\" cannot be checked (%s)", {at, SystemErrorText(GetLastError())});
        // A link, or (under Wine) a path the system resolves elsewhere. The final path needs a
        // handle that sharing may refuse; then the attribute alone tells.
        TEntryHandle placed(at, false);
        if ((basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
            (placed.Valid() && !placed.IsAt(at))) {
            link = at;
            continue;
        }
        if (!link.empty())
            continue;
        const bool folder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::wstring reason = OpenEntryControlReason(entry.Get(), at, folder, addingCounts);
        if (!reason.empty())
            return reason;
        addingCounts = false;
    }
    if (!link.empty())
        return Format(L"\"%s\" is a link", {link});
    return {};
}

std::wstring OutputFileReason(const std::wstring& Path) {
    const std::wstring path = ResolvedSpelling(Path);
    const std::wstring folder = ParentOf(path);
    if (folder.empty())
        return Format(L"\"%s\" names no file in a folder", {Path});
    if (std::wstring reason = UserControlReason(folder); !reason.empty())
        return reason;
    // The name itself, when anything is there (a link whose target is gone too).
    if (Attributes(path) == INVALID_FILE_ATTRIBUTES && IsMissing(GetLastError()))
        return {};
    return UserControlReason(path);
}

std::wstring AddingEntriesReason(const std::wstring& Folder) {
    if (std::wstring reason = UserControlReason(Folder); !reason.empty())
        return reason;
    TFileHandle entry = OpenAsItself(Folder, READ_CONTROL);
    if (!entry)
        return Format(L"\"%s\" cannot be checked (%s)", {Folder, SystemErrorText(GetLastError())});
    return OpenEntryControlReason(entry.Get(), Folder, true, true);
}

} // namespace FileSystem
