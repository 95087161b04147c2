#include "sys/processes/ProgramSearch.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/Text.h"
#include "sys/files/FileSystem.h"
#include "sys/files/SystemPath.h"
#include "sys/registry/MachineEnvironment.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryKeys.h"

#include <windows.h>

#include <vector>

namespace {

const wchar_t EnvironmentKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::wstring FirstWord(const std::wstring& CmdLine) {
    size_t start = CmdLine.find_first_not_of(L" \t");
    if (start == std::wstring::npos)
        return L"";
    if (CmdLine[start] == L'"') {
        size_t end = CmdLine.find(L'"', start + 1);
        return CmdLine.substr(start + 1, end == std::wstring::npos ? end : end - start - 1);
    }
    size_t end = CmdLine.find_first_of(L" \t", start);
    return CmdLine.substr(start, end == std::wstring::npos ? end : end - start);
}

bool IsBareName(const std::wstring& Name) {
    return !Name.empty() && Name.find_first_of(L"\\/:") == std::wstring::npos;
}

// A folder of the search path counts only as an absolute path: "." or a relative entry would
// bring the current folder back.
bool IsAbsolute(const std::wstring& Folder) {
    return (Folder.size() >= 3 && Folder[1] == L':' && (Folder[2] == L'\\' || Folder[2] == L'/')) ||
           Folder.rfind(L"\\\\", 0) == 0;
}

// The folders of the machine's search path, as the registry holds it for every session; the
// process's own PATH may hold folders the user or a parent process put there.
std::vector<std::wstring> SearchPathFolders() {
    std::vector<std::wstring> folders;
    TRegKey key = Registry::Open(HKEY_LOCAL_MACHINE, EnvironmentKey, KEY_QUERY_VALUE);
    if (!key.Valid())
        return folders;
    std::wstring path;
    try {
        path = Registry::ReadWholeString(key.Get(), L"Path");
    } catch (const std::exception&) {
        return folders;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L';', start);
        if (end == std::wstring::npos)
            end = path.size();
        // With the machine's variables as a 32-bit program's environment has them: the process's
        // own may be the user's.
        std::wstring folder =
            MachineEnvironment::Expand(path.substr(start, end - start), KEY_WOW64_32KEY);
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (IsAbsolute(folder))
            folders.push_back(IncludeTrailingBackslash(folder));
        start = end + 1;
    }
    return folders;
}

} // namespace

std::wstring ResolveProgram(const std::wstring& CmdLine) {
    std::wstring name = FirstWord(CmdLine);
    if (!IsBareName(name))
        return L"";
    if (name.find(L'.') == std::wstring::npos)
        name += L".exe";
    const std::wstring system = TSystemPath::GetSystemPath();
    if (FileSystem::FileExists(system + name))
        return system + name;
    for (const std::wstring& folder : SearchPathFolders())
        if (FileSystem::FileExists(folder + name))
            return folder + name;
    return system + name;
}

FileSystem::TProvenPath ProvenProgram(const std::wstring& CmdLine) {
    std::wstring program = ResolveProgram(CmdLine);
    if (program.empty())
        program = FirstWord(CmdLine);
    FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(program);
    if (!proof.Proven)
        throw Exception(Format(L"LaunchAndWait \"%s\" failed (%s)", {CmdLine, proof.Reason}));
    return std::move(*proof.Proven);
}
