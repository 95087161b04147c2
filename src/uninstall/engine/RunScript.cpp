#include "core/Exception.h"
#include "uninstall/engine/Engine.h"

namespace {

using THandler = void (TUninstallEngine::*)(const TXmlNode&);

struct TGroup {
    const wchar_t* Name;
    const wchar_t* Status;
    THandler Handler;
};

// The group elements the script may hold, with the status text each shows and the handler
// of each of its children.
const TGroup Groups[] = {
    {L"Commands", L"Executing commands...", &TUninstallEngine::ExecuteCommand},
    {L"AppPath", L"Removing AppPaths...", &TUninstallEngine::UninstallAppPathValue},
    {L"Paths", L"Removing Paths...", &TUninstallEngine::UninstallPath},
    {L"Processes", L"Stopping Talveno Connect processes...", &TUninstallEngine::UninstallProcess},
    {L"Services", L"Removing Talveno Connect Services...", &TUninstallEngine::UninstallService},
    {L"ComObjects", L"Unregistering COM objects...", &TUninstallEngine::UninstallComObject},
    {L"Shares", L"Removing Shares...", &TUninstallEngine::UninstallShare},
    {L"Shortcuts", L"Removing Shortcuts...", &TUninstallEngine::UninstallShortcut},
    {L"Folders", L"Removing Talveno folders...", &TUninstallEngine::UninstallFolder},
    {L"Files", L"Removing Talveno Files...", &TUninstallEngine::UninstallFile},
    {L"Registry", L"Remove Talveno Connect registry entries...",
     &TUninstallEngine::UninstallRegistryKey},
};

const TGroup* FindGroup(const std::wstring& Name) {
    for (const auto& group : Groups)
        if (Name == group.Name)
            return &group;
    return nullptr;
}

} // namespace

void TUninstallEngine::RunScript() {
    if (!FXml)
        throw Exception(L"RunScript: no script loaded");
    SetStatus(1, L"Uninstall in progress...");
    TXmlNode root = FXml->DocumentElement();
    const int count = root.ChildCount();
    for (int i = 0; i < count; ++i) {
        TXmlNode node = root.Child(i);
        std::wstring name = node.NodeName();
        const bool element = node.IsElement();
        if (element && name == L"Profiles")
            UninstallProfiles(node);
        else if (element && FindGroup(name))
            RunGroup(node);
        else if (!node.IsComment())
            throw Exception(Format(L"Unknown node \"%s\"", {name}));
    }
    SetStatus(1, L"Uninstall done.");
}

void TUninstallEngine::RunGroup(const TXmlNode& Group) {
    const TGroup* group = FindGroup(Group.NodeName());
    SetStatus(1, group->Status);
    const int count = Group.ChildCount();
    for (int i = 0; i < count; ++i)
        (this->*group->Handler)(Group.Child(i));
}
