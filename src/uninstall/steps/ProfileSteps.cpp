// The Profiles group: the mail profiles whose names match a regular expression.
#include "logging/Logger.h"
#include "sys/registry/RegistryKeys.h"
#include "sys/registry/RegistryTree.h"
#include "sys/shared/StrUtils.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/RegularExpression.h"
#include "uninstall/script/ScriptAttributes.h"
#include "uninstall/steps/KeyDeletion.h"

#include <vector>

namespace {

constexpr REGSAM ReadWrite = KEY_READ | KEY_WRITE;

TXmlNode RequiredChild(const TXmlNode& Group, const wchar_t* Name) {
    TXmlNode child = Group.FirstChildElement(Name);
    if (!child.Assigned())
        throw Exception(Format(L"The Profiles group has no \"%s\" element", {Name}));
    return child;
}

} // namespace

void TUninstallEngine::UninstallProfiles(const TXmlNode& Group) {
    SetStatus(1, L"Remove Mail profiles...");
    try {
        const std::wstring text = ScriptAttr::RequiredText(RequiredChild(Group, L"Key"), L"Name");
        std::wstring keyPath = text;
        const std::wstring rootName = TString::Fetch(keyPath, L'\\');
        const std::wstring expr = RequiredChild(Group, L"RegExpr").Text();
        ItemIs(text + L" " + expr);
        // An empty expression would match every profile name: it matches none.
        if (expr.find_first_not_of(L" \t\r\n") == std::wstring::npos) {
            DoError(L"Profiles: empty expression");
            return;
        }
        const TRegularExpression expression(expr);
        const HKEY root = TString::ToHKey(rootName);
        // Unelevated code of the user may make a link anywhere in the user's hive: the path is
        // opened one key at a time, none followed, so that no link leads the step elsewhere.
        std::wstring link;
        LSTATUS status = ERROR_SUCCESS;
        TRegKey key = Registry::OpenWithoutLinks(root, keyPath, ReadWrite, link, status);
        if (!link.empty()) {
            DoErrorFmt(L"Mail profiles below \"%s\" are not deleted (\"%s\" is a link)",
                       {text, link});
            return;
        }
        if (!key) {
            ItemKept(L"not found");
            GetLogger().Write(this, L"Unable to open registry key \"%s\"", {keyPath},
                              ttInformation);
            return;
        }
        // The subkeys of a root or of a system key are no mail profiles, whatever they are
        // called.
        if (std::wstring reason = Registry::ProtectedOpenKeyReason(root, keyPath, key.Get());
            !reason.empty()) {
            ItemKept(L"protected");
            ShowKeyRefusal(*this, text, reason);
            return;
        }
        const std::vector<std::wstring> profiles = Registry::SubKeyNames(key.Get());
        std::vector<std::wstring> matching;
        for (const auto& profile : profiles) {
            if (expression.Found(profile))
                matching.push_back(profile);
            else
                GetLogger().Write(this, L"profile name \"%s\" does not match \"%s\"",
                                  {profile, expr}, ttInformation);
        }
        if (matching.empty())
            ItemKept(L"not found");
        ItemCheck([root, keyPath, matching] {
            for (const auto& profile : matching)
                if (Registry::KeyExists(root, keyPath + L"\\" + profile))
                    return true;
            return false;
        });
        if (Preview()) {
            for (const auto& profile : matching)
                ReportKeyTree(*this, root, keyPath + L"\\" + profile, keyPath + L"\\" + profile);
            return;
        }
        for (const auto& profile : matching) {
            // A profile that stays is said; one that went is not traced.
            TStepKeyDeletion deletion = DeleteSubKeyTree(*this, key.Get(), root, keyPath, profile);
            if (!deletion.Error.empty())
                ShowErrorWithReason(
                    *this,
                    Format(L"Delete registry key \"%s\" failed", {keyPath + L"\\" + profile}),
                    deletion.Error);
        }
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Profiles failed (%s)", {ExceptionMessage(e)});
    }
}
