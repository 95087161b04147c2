#include "uninstall/steps/MachineClass.h"

#include "core/Text.h"
#include "env/Variables.h"
#include "sys/files/FileEntry.h"
#include "sys/files/ProtectedFolders.h"
#include "sys/registry/MachineEnvironment.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryKeys.h"

#include <initializer_list>
#include <vector>

namespace MachineClass {

const std::wstring ClassesKey = L"Software\\Classes\\";

namespace {

// The folders the suite was installed to, as its deployment and installation settings name
// them (both below HKLM).
std::vector<std::wstring> SuiteFolders() {
    std::vector<std::wstring> folders;
    for (const wchar_t* variable :
         {L"%Esd.LPDir%", L"%Esd.LDDir%", L"%Esd.LPCDir%", L"%Norva.InstallPath%"}) {
        std::wstring folder;
        try {
            folder = GetVariables().Replace(variable);
        } catch (const std::exception&) {
            continue; // not installed there
        }
        if (!folder.empty() && folder != variable && PathFormReason(folder).empty())
            folders.push_back(IncludeTrailingBackslash(FileSystem::ResolvedSpelling(folder)));
    }
    return folders;
}

// The server's file as the registry writes it: the default value of the class's
// InprocServer32 or LocalServer32 (or of the first of Kinds), expanded with the machine's
// variables as the 32-bit programs that read these classes see them, its quotes and arguments
// left off.
std::wstring ServerText(HKEY Class, std::initializer_list<const wchar_t*> Kinds = {
                                        L"InprocServer32", L"LocalServer32"}) {
    for (const wchar_t* kind : Kinds) {
        TRegKey server = Registry::OpenRead(Class, kind);
        if (!server)
            continue;
        std::wstring file =
            MachineEnvironment::Expand(Registry::ReadString(server.Get(), L""), KEY_WOW64_32KEY);
        if (!file.empty() && file[0] == L'"')
            file = file.substr(1, file.find(L'"', 1) - 1);
        else if (kind[0] == L'L')
            file = file.substr(0, file.find(L' '));
        if (!file.empty())
            return file;
    }
    return L"";
}

// The server's file as the system spells what it names.
std::wstring ServerFile(HKEY Class) {
    const std::wstring text = ServerText(Class);
    return text.empty() ? L"" : FileSystem::ResolvedSpelling(text);
}

// Whether a server path as written may name something below Folder: it begins with the
// folder's spelling, or it holds a form only the file system can resolve (a short name, a
// dot part, a forward slash). Anything else names another place and needs no file system
// call, which a machine's thousands of classes would make slow.
bool MayBeBelow(const std::wstring& Text, const std::wstring& Folder) {
    return PathBelow(Text, Folder) || Text.find_first_of(L"~/") != std::wstring::npos ||
           Text.find(L"\\.") != std::wstring::npos;
}

bool NamesProgID(HKEY Class, const std::wstring& ProgID) {
    for (const wchar_t* kind : {L"ProgID", L"VersionIndependentProgID"}) {
        TRegKey key = Registry::OpenRead(Class, kind);
        if (!key)
            continue;
        const std::wstring named = Registry::ReadString(key.Get(), L"");
        // "Suite.Document.1" is the versioned form of "Suite.Document".
        if (SameText(named, ProgID) ||
            (named.size() > ProgID.size() && named[ProgID.size()] == L'.' &&
             SameText(named.substr(0, ProgID.size()), ProgID)))
            return true;
    }
    return false;
}

} // namespace

std::vector<std::wstring> InprocServersBelow(const std::wstring& Folder) {
    std::vector<std::wstring> servers;
    TRegKey classes = Registry::OpenRead(HKEY_LOCAL_MACHINE, ClassesKey + L"CLSID");
    if (!classes)
        return servers;
    const std::wstring folder = IncludeTrailingBackslash(FileSystem::ResolvedSpelling(Folder));
    for (const auto& clsid : Registry::SubKeyNames(classes.Get())) {
        TRegKey key = Registry::OpenRead(classes.Get(), clsid);
        if (!key)
            continue;
        const std::wstring text = ServerText(key.Get(), {L"InprocServer32"});
        if (text.empty() || !MayBeBelow(text, folder))
            continue;
        const std::wstring server = FileSystem::ResolvedSpelling(text);
        if (PathBelow(server, folder))
            servers.push_back(server);
    }
    return servers;
}

std::wstring OfProgID(const std::wstring& ProgID) {
    TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, ClassesKey + ProgID + L"\\CLSID");
    return key ? Registry::ReadString(key.Get(), L"") : L"";
}

std::wstring Refusal(const std::wstring& ProgID, const std::wstring& Clsid) {
    TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, ClassesKey + L"CLSID\\" + Clsid);
    if (!key || NamesProgID(key.Get(), ProgID))
        return L"";
    const std::wstring server = ServerFile(key.Get());
    for (const auto& folder : SuiteFolders())
        if (!server.empty() && PathBelow(server, folder))
            return L"";
    return server.empty() ? L"it names another ProgID and no server of the suite"
                          : L"its server \"" + server + L"\" is not the suite's";
}

} // namespace MachineClass
