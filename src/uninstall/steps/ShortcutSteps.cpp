// The Shortcut step: shortcuts found by what they point to, under names the script cannot know.
#include "core/Text.h"
#include "env/Variables.h"
#include "logging/Logger.h"
#include "sys/com/ShortcutLink.h"
#include "sys/files/FileEntry.h"
#include "sys/files/FileSystem.h"
#include "sys/files/ProtectedFolders.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/Mask.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/CheckedDeletion.h"

namespace {

// The extension, from the last ".", is ".lnk" in any ASCII letter case.
bool IsShortcutFile(const std::wstring& Name) {
    const size_t dot = Name.rfind(L'.');
    if (dot == std::wstring::npos || Name.size() - dot != 4)
        return false;
    const wchar_t* lnk = L".lnk";
    for (size_t i = 0; i < 4; ++i) {
        wchar_t c = Name[dot + i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lnk[i])
            return false;
    }
    return true;
}

// The search of a Shortcut step. As in the File step, every folder and file is opened without
// following links and checked on that handle before it is searched or deleted through it; a
// preview reports the matching shortcuts instead.
class TShortcutSearch {
public:
    // What becomes of a matching shortcut, spelled Full and opened as Opened.
    using TAction = void (TShortcutSearch::*)(const std::wstring& Full, const std::wstring& Opened,
                                              const std::wstring& Name);

    TShortcutSearch(TUninstallEngine& Engine, const std::wstring& MaskText, bool Recursive,
                    TAction Action)
        : FEngine(Engine), FMask(MaskText), FRecursive(Recursive), FAction(Action) {}

    // The shortcuts the search found pointing where the mask says.
    size_t Matching() const { return FMatching; }

    // The folder the script names: one that is not there holds nothing to find; one that is a
    // link (or lies behind one) is refused, since its shortcuts belong to whatever it points at.
    void SearchTop(const std::wstring& Folder) {
        if (!FileSystem::FolderExists(Folder)) {
            Trace(L"  path = %s", {Folder});
            return;
        }
        FileSystem::TEntryHandle opened(Folder, false);
        if (!opened.IsPlain(FileSystem::ResolvedSpelling(Folder))) {
            if (Counting())
                return;
            FEngine.DoErrorFmt(L"Shortcuts in \"%s\" are not deleted (%s)",
                               {Folder, L"the path is a link"});
            return;
        }
        Search(Folder, opened);
    }

    // Folder as the script spells it; Opened is it, checked to be no link.
    void Search(const std::wstring& Folder, const FileSystem::TEntryHandle& Opened) {
        Trace(L"  path = %s", {Folder});
        const std::wstring P = IncludeTrailingBackslash(Folder);
        const std::wstring base = IncludeTrailingBackslash(Opened.FinalPath());
        Opened.ForEachEntry([&](const FileSystem::TEntry& entry) {
            if (entry.IsFolder()) {
                if (!FRecursive)
                    return;
                // A linked folder is not searched: its shortcuts belong to whatever it points at.
                FileSystem::TEntryHandle folder(base + entry.Name, false);
                if (folder.IsPlain(base + entry.Name))
                    Search(P + entry.Name, folder);
                else
                    Trace(L"  path = %s is a link: not searched", {P + entry.Name});
            } else if (IsShortcutFile(entry.Name)) {
                Check(P + entry.Name, base + entry.Name, entry.Name);
            }
        });
    }

private:
    bool Counting() const { return FAction == &TShortcutSearch::CountShortcut; }

    // The look after the run leaves the trace to its own line.
    void Trace(const std::wstring& Fmt, const TVarRecs& Args) {
        if (!Counting())
            GetLogger().Write(&FEngine, Fmt, Args, ttInformation);
    }

    bool Matches(const std::wstring& Full, const std::wstring& Opened, const std::wstring& Name) {
        Trace(L"    check %s", {Name});
        TShortcutLink link;
        link.ShortcutFile = Opened;
        try {
            link.Read();
        } catch (const std::exception& e) {
            Trace(L"Read \"%s\" failed (%s)", {Full, ExceptionMessage(e)});
            return false;
        }
        Trace(L"    check %s", {link.Target});
        FTarget = link.Target;
        if (FMask.Matches(link.Target))
            return true;
        Trace(L"    check %s", {link.Arguments});
        return FMask.Matches(link.Arguments);
    }

    void Check(const std::wstring& Full, const std::wstring& Opened, const std::wstring& Name) {
        if (Matches(Full, Opened, Name)) {
            ++FMatching;
            (this->*FAction)(Full, Opened, Name);
        }
    }

public:
    // The look after the run: matching shortcuts are only counted.
    void CountShortcut(const std::wstring&, const std::wstring&, const std::wstring&) {}

    void ReportShortcut(const std::wstring& Full, const std::wstring& Opened, const std::wstring&) {
        FileSystem::TEntryHandle file(Opened, false);
        if (!file.Valid())
            ReportInUse(FEngine, Full, L"");
        else if (!file.IsAt(Opened))
            ReportLinkLeft(FEngine, Full);
        else {
            FEngine.ReportFmt(L"Shortcut \"%s\" would be deleted (it points to \"%s\")",
                              {Full, FTarget});
            FEngine.ItemEntry(Full);
        }
    }

    void DeleteShortcut(const std::wstring& Full, const std::wstring& Opened,
                        const std::wstring& Name) {
        if (DeleteCheckedFile(FEngine, Full, Opened)) {
            Trace(L"    file \"%s\" deleted", {Name});
            FEngine.ItemEntry(Full);
        }
    }

private:
    TUninstallEngine& FEngine;
    const TMask FMask;
    const bool FRecursive;
    const TAction FAction;
    // The target of the shortcut read last, for the preview's line.
    std::wstring FTarget;
    size_t FMatching = 0;
};

} // namespace

void TUninstallEngine::UninstallShortcut(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallShortcut()", ttInformation);
    std::wstring path;
    std::wstring mask;
    try {
        ItemIs(ScriptAttr::RequiredText(Node, L"Path"));
        path = GetVariables().Replace(ScriptAttr::RequiredText(Node, L"Path"));
        mask = ScriptAttr::RequiredText(Node, L"TargetMask");
        bool recursive = ScriptAttr::WordBool(ScriptAttr::RequiredText(Node, L"Recursive"));
        GetLogger().Write(this, L"Path=\"%s\"", {path}, ttInformation);
        GetLogger().Write(this, L"Mask=\"%s\"", {mask}, ttInformation);
        ItemIs(path + L" -> " + mask);
        TShortcutSearch search(*this, mask, recursive,
                               Preview() ? &TShortcutSearch::ReportShortcut
                                         : &TShortcutSearch::DeleteShortcut);
        // An empty or relative path would search the current folder or drive.
        if (std::wstring reason = PathFormReason(path); !reason.empty())
            throw Exception(reason);
        search.SearchTop(path);
        if (search.Matching() == 0)
            ItemKept(L"not found");
        ItemCheck([this, path, mask, recursive] {
            TShortcutSearch left(*this, mask, recursive, &TShortcutSearch::CountShortcut);
            left.SearchTop(path);
            return left.Matching() > 0;
        });
    } catch (const std::exception& e) {
        DoErrorFmt(L"UninstallShortcut \"%s\" \"%s\" failed (%s)",
                   {path, mask, ExceptionMessage(e)});
    }
}
