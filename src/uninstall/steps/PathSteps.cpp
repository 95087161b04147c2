// The Path steps of the Paths group: a folder taken out of the system search path.
#include "core/Text.h"
#include "env/Variables.h"
#include "logging/Logger.h"
#include "sys/processes/SettingChange.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryKeys.h"
#include "sys/shared/StrUtils.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/KeyDeletion.h"

#include <vector>

namespace {

const std::wstring EnvironmentKey =
    L"\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::wstring PathValue = L"Path";

// The search path without the entries naming Folder (as stored, ASCII case ignored) and the
// empty ones. The others stay as they are, in order, each followed by ";".
std::wstring WithoutFolder(std::wstring SearchPath, const std::wstring& Folder) {
    std::vector<std::wstring> entries;
    while (!SearchPath.empty())
        entries.push_back(TString::Fetch(SearchPath, L';'));
    std::wstring kept;
    for (const auto& entry : entries) {
        const std::wstring trimmed = Trim(entry);
        if (!trimmed.empty() && !SameTextAscii(trimmed, Folder))
            kept += entry + L";";
    }
    return kept;
}

// Whether the search path names Folder, compared as WithoutFolder compares.
bool HoldsFolder(std::wstring SearchPath, const std::wstring& Folder) {
    while (!SearchPath.empty())
        if (SameTextAscii(Trim(TString::Fetch(SearchPath, L';')), Folder))
            return true;
    return false;
}

} // namespace

void TUninstallEngine::UninstallPath(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallPath()", ttInformation);
    AssertNodeName(Node, L"Path");
    try {
        const std::wstring name = GetVariables().Replace(ScriptAttr::RequiredText(Node, L"Name"));
        SetStatus(2, L"  " + name);
        ItemIs(name);
        TRegKey key = OpenStepKey(*this, HKEY_LOCAL_MACHINE, EnvironmentKey, KEY_READ | KEY_WRITE);
        if (!Registry::ValueExists(key.Get(), PathValue))
            throw Exception(Format(L"Registry value \"%s\" not found", {PathValue}));
        // Read whole: a value that cannot be read back unchanged is left as it is.
        const std::wstring searchPath = Registry::ReadWholeString(key.Get(), PathValue);
        const std::wstring changed = WithoutFolder(searchPath, name);
        if (!HoldsFolder(searchPath, name))
            ItemKept(L"not found");
        ItemCheck([name] {
            TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, EnvironmentKey);
            return key && HoldsFolder(Registry::ReadWholeString(key.Get(), PathValue), name);
        });
        if (Preview()) {
            ReportFmt(HoldsFolder(searchPath, name)
                          ? L"Search path: \"%s\" would be taken out; it would read \"%s\""
                          : L"Search path: \"%s\" is not in it; it would read \"%s\"",
                      {name, changed});
            return;
        }
        Registry::WriteExpandString(key.Get(), PathValue, changed);
        // Running programs learn the new path as they would after an installer's change.
        SettingChange::BroadcastEnvironment();
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Path failed (%s)", {ExceptionMessage(e)});
    }
}
