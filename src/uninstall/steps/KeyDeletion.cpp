#include "uninstall/steps/KeyDeletion.h"

#include "core/SystemError.h"
#include "sys/RegistryTree.h"

void ShowKeyRefusal(TUninstallEngine& Engine, const std::wstring& Shown,
                    const std::wstring& Reason) {
    Engine.DoErrorFmt(L"Registry key \"%s\" is not deleted (%s)", {Shown, Reason});
}

TStepKeyDeletion DeleteKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                               const std::wstring& Shown) {
    Registry::TTreeDeletion deletion = Registry::DeleteTree(Root, Path);
    if (!deletion.Refusal.empty()) {
        ShowKeyRefusal(Engine, Shown, deletion.Refusal);
        return {};
    }
    if (deletion.Error == ERROR_SUCCESS)
        return {true, L""};
    std::wstring text = SystemErrorText(deletion.Error);
    return {false, text.empty() ? Format(L"0x%x", {deletion.Error}) : text};
}
