#include "uninstall/steps/KeyDeletion.h"

#include "core/SystemError.h"
#include "logging/Logger.h"
#include "sys/registry/RegistryKeys.h"
#include "sys/registry/RegistryTree.h"

namespace {

// The key as the record of its item names it: "HKLM\Software\...".
std::wstring KeyEntry(HKEY Root, const std::wstring& Path) {
    const wchar_t* root = Root == HKEY_LOCAL_MACHINE  ? L"HKLM"
                          : Root == HKEY_CURRENT_USER ? L"HKCU"
                          : Root == HKEY_CLASSES_ROOT ? L"HKCR"
                          : Root == HKEY_USERS        ? L"HKU"
                                                      : L"HKCC";
    return std::wstring(root) + L"\\" + Path;
}

} // namespace

void ShowKeyRefusal(TUninstallEngine& Engine, const std::wstring& Shown,
                    const std::wstring& Reason) {
    Engine.DoErrorFmt(L"Registry key \"%s\" is not deleted (%s)", {Shown, Reason});
}

void ReportKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                   const std::wstring& Shown) {
    if (std::wstring refusal = Registry::DeletionRefusal(Root, Path); !refusal.empty())
        ShowKeyRefusal(Engine, Shown, refusal);
    else {
        Engine.ReportFmt(L"Registry key \"%s\" would be deleted", {Shown});
        Engine.ItemEntry(KeyEntry(Root, Path));
    }
}

namespace {

// What a deletion of the key at Path below Root comes to for a step: a refusal shown, the key
// in its item's record, or the system's text.
TStepKeyDeletion StepResult(TUninstallEngine& Engine, const Registry::TTreeDeletion& Deletion,
                            HKEY Root, const std::wstring& Path, const std::wstring& Shown) {
    if (!Deletion.Refusal.empty()) {
        ShowKeyRefusal(Engine, Shown, Deletion.Refusal);
        return {};
    }
    if (Deletion.Error == ERROR_SUCCESS) {
        Engine.ItemEntry(KeyEntry(Root, Path));
        return {true, L""};
    }
    std::wstring text = SystemErrorText(Deletion.Error);
    return {false, text.empty() ? Format(L"0x%x", {Deletion.Error}) : text};
}

} // namespace

TStepKeyDeletion DeleteKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                               const std::wstring& Shown) {
    return StepResult(Engine, Registry::DeleteTree(Root, Path), Root, Path, Shown);
}

TStepKeyDeletion DeleteSubKeyTree(TUninstallEngine& Engine, HKEY Parent, HKEY Root,
                                  const std::wstring& ParentPath, const std::wstring& Name) {
    const std::wstring path = ParentPath + L"\\" + Name;
    return StepResult(Engine, Registry::DeleteSubTree(Parent, Name), Root, path, path);
}

void ShowErrorWithReason(TUninstallEngine& Engine, const std::wstring& Text,
                         const std::wstring& Reason) {
    GetLogger().Write(&Engine, L"  reason: %s", {Reason}, ttInformation);
    Engine.DoError(Text);
}

void RaiseWithReason(TUninstallEngine& Engine, const std::wstring& Text,
                     const std::wstring& Reason) {
    GetLogger().Write(&Engine, L"  reason: %s", {Reason}, ttInformation);
    throw Exception(Text);
}

TRegKey OpenStepKey(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path, REGSAM Access) {
    LSTATUS status;
    TRegKey key = Registry::Open(Root, Path, Access, status);
    if (!key)
        RaiseWithReason(Engine, Format(L"Open registry key \"%s\" failed", {Path}),
                        SystemErrorText(static_cast<DWORD>(status)));
    return key;
}
