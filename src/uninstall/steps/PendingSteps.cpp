// Element handlers of the step families not built yet. Each raises an error naming itself, so
// a script that reaches one never passes for done; a family's own file replaces its entries.
#include "core/Exception.h"
#include "uninstall/engine/Engine.h"

namespace {

[[noreturn]] void NotBuilt(const wchar_t* Handler) {
    throw Exception(std::wstring(L"Step ") + Handler + L" is not available in this build");
}

} // namespace

void TUninstallEngine::ExecuteCommand(const TXmlNode&) {
    NotBuilt(L"ExecuteCommand");
}
void TUninstallEngine::UninstallShare(const TXmlNode&) {
    NotBuilt(L"UninstallShare");
}
void TUninstallEngine::UninstallShortcut(const TXmlNode&) {
    NotBuilt(L"UninstallShortcut");
}
