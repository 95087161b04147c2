#include "core/Exception.h"
#include "uninstall/engine/Engine.h"

namespace {

using THandler = void (TUninstallEngine::*)(const TXmlNode&);

struct TGroup {
    const wchar_t* Name;
    const wchar_t* Status;
    THandler Handler;
    // What the group's step does to an item, as its record says it.
    const wchar_t* Verb;
    // The handler takes the whole group and shows the status text itself.
    bool WholeGroup = false;
};

// The group elements the script may hold, with the status text each shows and the handler
// of each of its children. A new kind of group is one row here and one handler in Engine.h.
const TGroup Groups[] = {
    {L"Commands", L"Executing commands...", &TUninstallEngine::ExecuteCommand, L"run"},
    {L"AppPath", L"Removing AppPaths...", &TUninstallEngine::UninstallAppPathValue, L"removed"},
    {L"Paths", L"Removing Paths...", &TUninstallEngine::UninstallPath, L"removed"},
    {L"Processes", L"Stopping Talveno Connect processes...", &TUninstallEngine::UninstallProcess,
     L"stopped"},
    {L"Services", L"Removing Talveno Connect Services...", &TUninstallEngine::UninstallService,
     L"removed"},
    {L"ComObjects", L"Unregistering COM objects...", &TUninstallEngine::UninstallComObject,
     L"unregistered"},
    {L"Shares", L"Removing Shares...", &TUninstallEngine::UninstallShare, L"removed"},
    {L"Shortcuts", L"Removing Shortcuts...", &TUninstallEngine::UninstallShortcut, L"removed"},
    {L"Folders", L"Removing Talveno folders...", &TUninstallEngine::UninstallFolder, L"removed"},
    {L"Files", L"Removing Talveno Files...", &TUninstallEngine::UninstallFile, L"removed"},
    {L"Registry", L"Remove Talveno Connect registry entries...",
     &TUninstallEngine::UninstallRegistryKey, L"removed"},
    {L"Profiles", L"Remove Mail profiles...", &TUninstallEngine::UninstallProfiles, L"removed",
     true},
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

// One item: its record begins, and an error that ends the run is its record's last word.
void RunItem(TUninstallEngine& Engine, const TGroup& Group, const TXmlNode& Node,
             const std::wstring& Step) {
    Engine.BeginItem(Group.Name, Step, Group.Verb);
    try {
        (Engine.*Group.Handler)(Node);
    } catch (const std::exception& e) {
        Engine.ItemEndedRun(ExceptionMessage(e));
        throw;
    }
    Engine.EndItems();
}

void RunGroup(TUninstallEngine& Engine, const TGroup& Group, const TXmlNode& Node) {
    if (Group.WholeGroup) {
        RunItem(Engine, Group, Node, Group.Name);
        return;
    }
    Engine.SetStatus(1, Group.Status);
    const int count = Node.ChildCount();
    for (int i = 0; i < count; ++i) {
        const TXmlNode child = Node.Child(i);
        RunItem(Engine, Group, child, child.NodeName());
    }
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
