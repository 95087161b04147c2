#include "uninstall/steps/KeyDeletion.h"

#include "core/SystemError.h"
#include "sys/RegistryTree.h"

void ShowKeyRefusal(TUninstallEngine& Engine, const std::wstring& Shown,
                    const std::wstring& Reason) {
    Engine.DoErrorFmt(L"Registry key \"%s\" is not deleted (%s)", {Shown, Reason});
}

void ReportKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                   const std::wstring& Shown) {
    if (std::wstring refusal = Registry::DeletionRefusal(Root, Path); !refusal.empty())
        ShowKeyRefusal(Engine, Shown, refusal);
    else
        Engine.ReportFmt(L"Registry key \"%s\" would be deleted", {Shown});
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
