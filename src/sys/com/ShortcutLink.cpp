#include "sys/com/ShortcutLink.h"

#include "core/SystemError.h"
#include "core/Text.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int TextLength = MAX_PATH;

// Each data call must answer S_OK: S_FALSE is a link without that data (a virtual item has
// no file-system path), which the caller must not take for an empty text.
void CheckData(HRESULT Hr, const wchar_t* Message) {
    if (Hr != S_OK)
        throw EShortcutError(Message);
}

struct TCoTaskMemFree {
    void operator()(ITEMIDLIST* Item) const { CoTaskMemFree(Item); }
};

std::wstring ItemListPath(IShellLinkW* Link, const std::wstring& Otherwise) {
    ITEMIDLIST* raw = nullptr;
    if (FAILED(Link->GetIDList(&raw)) || raw == nullptr)
        return Otherwise;
    std::unique_ptr<ITEMIDLIST, TCoTaskMemFree> item(raw);
    wchar_t path[MAX_PATH] = {};
    return SHGetPathFromIDListW(item.get(), path) && path[0] != L'\0' ? path : Otherwise;
}

constexpr DWORD ResolveWaitMs = 500;

} // namespace

// Read through the wide interface and with the file name as given: through the ANSI one a
// name, target or argument outside the code page would come back altered.
void TShortcutLink::Read() {
    ComPtr<IShellLinkW> link;
    if (FAILED(
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))))
        return;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)))
        return;
    if (FAILED(file->Load(ShortcutFile.c_str(), STGM_READ)))
        throw EShortcutError(L"Unable to open link file");
    // Never searched, tracked or rewritten: a link a user planted could otherwise send the
    // elevated program across the network and make it wait there, or have it rewrite the file.
    // With SLR_NO_UI the high word is the longest wait in milliseconds.
    const DWORD flags = DWORD(SLR_NO_UI) | DWORD(SLR_NOSEARCH) | DWORD(SLR_NOTRACK) |
                        DWORD(SLR_NOUPDATE) | (ResolveWaitMs << 16);
    if (link->Resolve(nullptr, flags) != S_OK)
        return;

    wchar_t text[TextLength] = {};
    CheckData(link->GetWorkingDirectory(text, TextLength), L"Error in getting WorkingDir");
    WorkingDir = text;
    WIN32_FIND_DATAW found{};
    text[0] = L'\0';
    CheckData(link->GetPath(text, TextLength, &found, SLGP_UNCPRIORITY),
              L"Error in getting Target");
    Target = text;
    // Wine gives the target from the link's ANSI copy of the path, with "?" for what the code
    // page lacks; "?" is never part of a path, and the item list holds the path in full.
    if (Target.find(L'?') != std::wstring::npos)
        Target = ItemListPath(link.Get(), Target);
    int icon = 0;
    text[0] = L'\0';
    CheckData(link->GetIconLocation(text, TextLength, &icon), L"Error in getting icon data");
    IconLocation = text;
    IconNumber = static_cast<WORD>(icon);
    text[0] = L'\0';
    CheckData(link->GetDescription(text, TextLength), L"Error in get Description");
    Description = text;
    int show = 0;
    CheckData(link->GetShowCmd(&show), L"Error in getting ShowCmd");
    FShowCmd = show;
    WORD hotKey = 0;
    CheckData(link->GetHotkey(&hotKey), L"Error in geting HotKey");
    FHotKey = hotKey;
    SetHotKey(hotKey == 0 ? std::wstring(L" ") : std::wstring(1, static_cast<wchar_t>(hotKey)));
    text[0] = L'\0';
    CheckData(link->GetArguments(text, TextLength), L"Error in getting Arguments");
    Arguments = text;
}

void TShortcutLink::Write() const {
    ComPtr<IShellLinkW> link;
    CheckHResult(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)),
        L"Create shell link");
    // The setters' results say nothing the save would not: a link that cannot take its data
    // is not saved either.
    (void)link->SetPath(Target.c_str());
    (void)link->SetWorkingDirectory(WorkingDir.c_str());
    (void)link->SetArguments(Arguments.c_str());
    (void)link->SetDescription(Description.c_str());
    (void)link->SetShowCmd(FShowCmd);
    if (FHotKey > 32)
        (void)link->SetHotkey(static_cast<WORD>(FHotKey | ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8)));
    (void)link->SetIconLocation(IconLocation.c_str(), IconNumber);
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)) || FAILED(file->Save(ShortcutFile.c_str(), TRUE)))
        throw EShortcutError(L"Unable to create .lnk file");
}

std::wstring TShortcutLink::HotKey() const {
    if (FHotKey == 0)
        FHotKey = 32;
    return std::wstring(1, static_cast<wchar_t>(FHotKey));
}

void TShortcutLink::SetHotKey(const std::wstring& Key) {
    if (Key.empty()) {
        FHotKey = 32;
        return;
    }
    wchar_t c = Key[0];
    if (c >= L'a' && c <= L'z')
        c = static_cast<wchar_t>(c - L'a' + L'A');
    FHotKey = static_cast<WORD>(c < 32 ? 32 : c);
}

TShowCmd TShortcutLink::ShowCmd() const {
    switch (FShowCmd) {
    case SW_SHOWMAXIMIZED:
        return TShowCmd::scShowMaximized;
    case SW_SHOWMINNOACTIVE:
        return TShowCmd::scShowMinimized;
    default:
        return TShowCmd::scShowNormal;
    }
}

void TShortcutLink::SetShowCmd(TShowCmd Value) {
    FShowCmd = Value == TShowCmd::scShowMaximized   ? SW_SHOWMAXIMIZED
               : Value == TShowCmd::scShowMinimized ? SW_SHOWMINNOACTIVE
                                                    : SW_RESTORE;
}

std::wstring TShortcutLink::SpecialFolder(int Csidl) const {
    ITEMIDLIST* raw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(FOwner, Csidl, &raw)))
        return L"";
    std::unique_ptr<ITEMIDLIST, TCoTaskMemFree> item(raw);
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item.get(), path))
        return L"";
    return path;
}

std::wstring TShortcutLink::DesktopFolder() const {
    return SpecialFolder(CSIDL_DESKTOPDIRECTORY);
}
std::wstring TShortcutLink::ProgramsFolder() const {
    return SpecialFolder(CSIDL_PROGRAMS);
}
std::wstring TShortcutLink::StartFolder() const {
    return SpecialFolder(CSIDL_STARTMENU);
}
std::wstring TShortcutLink::StartupFolder() const {
    return SpecialFolder(CSIDL_STARTUP);
}
