// The Key steps of the Registry group and the Value steps of the AppPath group.
#include "core/SystemError.h"
#include "logging/Logger.h"
#include "sys/processes/Computer.h"
#include "sys/registry/Registry.h"
#include "sys/registry/RegistryGuard.h"
#include "sys/registry/RegistryKeys.h"
#include "sys/registry/RegistryTree.h"
#include "sys/shared/Procs.h"
#include "sys/shared/StrUtils.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/KeyDeletion.h"

#include <vector>

namespace {

const std::wstring AppPathsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr REGSAM ReadWrite = KEY_READ | KEY_WRITE;

// True when one of the entry's string values matches the mask. An entry that cannot be opened
// matches nothing.
bool EntryMatches(const std::wstring& Entry, const TMask& Mask) {
    TRegKey key = Registry::Open(HKEY_LOCAL_MACHINE, Entry, ReadWrite);
    if (!key)
        return false;
    for (const auto& name : Registry::ValueNames(key.Get())) {
        DWORD type = Registry::ValueType(key.Get(), name);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        if (Mask.Matches(Registry::ReadString(key.Get(), name)))
            return true;
    }
    return false;
}

// The App Paths entries below AppPaths (open) that one of the mask's values names.
std::vector<std::wstring> MatchingEntries(HKEY AppPaths, const TMask& Mask) {
    std::vector<std::wstring> matching;
    for (const auto& name : Registry::SubKeyNames(AppPaths))
        if (EntryMatches(AppPathsKey + L"\\" + name, Mask))
            matching.push_back(AppPathsKey + L"\\" + name);
    return matching;
}

} // namespace

void TUninstallEngine::UninstallRegistryKey(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallRegistryKey()", ttInformation);
    try {
        const std::wstring text = ScriptAttr::RequiredText(Node, L"Name");
        std::wstring path = text;
        const std::wstring rootName = TString::Fetch(path, L'\\');
        GetLogger().Write(this, L"  deleting registry key \"%s\"...", {text}, ttInformation);
        ItemIs(text);
        const HKEY root = StrToHKey(rootName);
        // A script must never take a root, a hive's top key or a key of the system.
        if (std::wstring reason = ProtectedKeyReason(root, path); !reason.empty()) {
            ItemKept(L"protected");
            ShowKeyRefusal(*this, text, reason);
            return;
        }
        ItemCheck([root, path] { return Registry::KeyExists(root, path); });
        const bool exists = Registry::KeyExists(root, path);
        if (!exists) {
            ItemKept(L"not found");
            GetLogger().Write(this, L"  key \"%s\" not found", {text}, ttInformation);
        }
        const bool developer = OnDeveloperWorkstation(TComputer::GetComputerName());
        if (exists && developer)
            ItemKept(L"developer workstation");
        if (Preview()) {
            if (!exists)
                ReportFmt(L"Registry key \"%s\" not found", {text});
            else if (developer)
                ReportFmt(L"Registry key \"%s\" is left alone (developer workstation)", {text});
            else
                ReportKeyTree(*this, root, path, text);
            return;
        }
        if (!exists || developer)
            return;
        TStepKeyDeletion deletion = DeleteKeyTree(*this, root, path, text);
        if (!deletion.Error.empty())
            RaiseWithReason(*this, Format(L"Delete registry key \"%s\" failed", {text}),
                            deletion.Error);
        if (deletion.Deleted)
            GetLogger().Write(this, L"  key \"%s\" deleted", {text}, ttInformation);
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Registry key failed (%s)", {ExceptionMessage(e)});
    }
}

void TUninstallEngine::UninstallAppPathValue(const TXmlNode& Node) {
    AssertNodeName(Node, L"Value");
    const std::wstring maskText = ScriptAttr::RequiredText(Node, L"Mask");
    GetLogger().Write(this, L"UninstallAppPathValue(), mask=\"%s\"", {maskText}, ttInformation);
    ItemIs(maskText);
    std::vector<std::wstring> noted;
    {
        TRegKey appPaths = OpenStepKey(*this, HKEY_LOCAL_MACHINE, AppPathsKey, ReadWrite);
        noted = MatchingEntries(appPaths.Get(), TMask(maskText));
    }
    if (noted.empty())
        ItemKept(L"not found");
    ItemCheck([maskText] {
        TRegKey appPaths = Registry::OpenRead(HKEY_LOCAL_MACHINE, AppPathsKey);
        return appPaths && !MatchingEntries(appPaths.Get(), TMask(maskText)).empty();
    });
    if (Preview()) {
        if (noted.empty())
            ReportFmt(L"App Paths: no entry matches \"%s\"", {maskText});
        for (const auto& path : noted)
            ReportKeyTree(*this, HKEY_LOCAL_MACHINE, path, path);
        return;
    }
    for (const auto& path : noted) {
        TStepKeyDeletion deletion = DeleteKeyTree(*this, HKEY_LOCAL_MACHINE, path, path);
        if (deletion.Deleted)
            GetLogger().Write(this, L"  registry key \"%s\" deleted", {path}, ttInformation);
        else if (!deletion.Error.empty())
            ShowErrorWithReason(*this, Format(L"Delete registry key \"%s\" failed", {path}),
                                deletion.Error);
    }
}
