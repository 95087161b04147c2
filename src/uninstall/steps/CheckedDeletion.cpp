#include "uninstall/steps/CheckedDeletion.h"

#include "logging/Logger.h"
#include "sys/files/FileEntry.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/steps/LockedFiles.h"

namespace {

const wchar_t* const LinkLeftReason = L"the link cannot be removed without touching its target";

} // namespace

void LeaveLink(TUninstallEngine& Engine, const std::wstring& Path) {
    Engine.DoErrorFmt(L"Link \"%s\" is not deleted (%s)", {Path, LinkLeftReason});
}

void ReportLinkLeft(TUninstallEngine& Engine, const std::wstring& Path) {
    Engine.ReportFmt(L"Link \"%s\" would be left in place (%s)", {Path, LinkLeftReason});
}

bool DeleteCheckedFile(TUninstallEngine& Engine, const std::wstring& Shown,
                       const std::wstring& Opened) {
    FileSystem::TEntryHandle file(Opened, true);
    if (file.Valid() && !file.IsAt(Opened)) {
        LeaveLink(Engine, Shown);
        return false;
    }
    if (!file.Valid() ||
        (file.Delete() != 0 && (file.ClearAttributes() != 0 || file.Delete() != 0))) {
        Engine.AddLockedFile(Shown);
        return false;
    }
    return true;
}

void ReportInUse(TUninstallEngine& Engine, const std::wstring& Path, const std::wstring& TreeTop) {
    const std::wstring refusal = RestartRefusal(Path, TreeTop);
    if (refusal.empty()) {
        Engine.ReportFmt(L"\"%s\" cannot be opened: it would be deleted at the next restart",
                         {Path});
        return;
    }
    GetLogger().Write(&Engine, L"  reason: %s", {refusal}, ttInformation);
    Engine.DoErrorFmt(L"\"%s\" is locked and stays: a folder above it can be changed by users",
                      {Path});
}
