#include "core/Exception.h"
#include "uninstall/engine/Engine.h"

namespace {

using THandler = void (TUninstallEngine::*)(const TXmlNode&);

struct TGroup {
    const wchar_t* Name;
    const wchar_t* Status;
    THandler Handler;
    // The handler takes the whole group and shows the status text itself.
    bool WholeGroup = false;
};

// The group elements the script may hold, with the status text each shows and the handler
// of each of its children. A new kind of group is one row here and one handler in Engine.h.
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
    {L"Profiles", L"Remove Mail profiles...", &TUninstallEngine::UninstallProfiles, true},
};

// Only elements are groups: a comment or processing instruction of the same name is not.
const TGroup* FindGroup(const TXmlNode& Node) {
    if (!Node.IsElement())
        return nullptr;
    const std::wstring name = Node.NodeName();
    for (const auto& group : Groups)
        if (name == group.Name)
            return &group;
    return nullptr;
}

void RunGroup(TUninstallEngine& Engine, const TGroup& Group, const TXmlNode& Node) {
    if (Group.WholeGroup) {
        (Engine.*Group.Handler)(Node);
        return;
    }
    Engine.SetStatus(1, Group.Status);
    const int count = Node.ChildCount();
    for (int i = 0; i < count; ++i)
        (Engine.*Group.Handler)(Node.Child(i));
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
        if (const TGroup* group = FindGroup(node))
            RunGroup(*this, *group, node);
        else if (!node.IsComment())
            throw Exception(Format(L"Unknown node \"%s\"", {node.NodeName()}));
    }
    SetStatus(1, L"Uninstall done.");
}
