// The Share and Command steps: external commands, started by the full path of their program.
#include "core/Exception.h"
#include "core/Format.h"
#include "logging/Logger.h"
#include "sys/processes/Computer.h"
#include "sys/processes/LaunchAndWait.h"
#include "sys/processes/ProgramSearch.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptAttributes.h"

namespace {

constexpr DWORD ShareTimeout = 10000;

} // namespace

void TUninstallEngine::UninstallShare(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallShare()", ttInformation);
    try {
        std::wstring name = ScriptAttr::RequiredText(Node, L"Name");
        std::wstring command = Format(L"NET SHARE %s /DELETE", {name});
        SetStatus(2, L"    " + name);
        ItemIs(name);
        if (Preview()) {
            ReportFmt(L"Share \"%s\" would be deleted with \"%s\"", {name, command});
            return;
        }
        // 2: there is no such share, which is what the step wants.
        int rc = LaunchAndWait(command, ShareTimeout, SW_HIDE, false, L"", ProvenProgram(command));
        if (rc != 0 && rc != 2)
            throw Exception(Format(L"Delete share \"%s\" failed", {name}));
        if (rc == 2)
            ItemKept(L"not found");
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Share (%s)", {ExceptionMessage(e)});
    }
}

// A command's exit code is traced, not judged; one that cannot start ends the run.
void TUninstallEngine::ExecuteCommand(const TXmlNode& Node) {
    SetStatus(1, L"Executing command...");
    std::wstring text = Node.Text();
    ItemIs(text);
    if (Preview()) {
        ReportFmt(L"Command \"%s\" would be run", {text});
        return;
    }
    int rc = TComputer::LaunchAndWait(text, INFINITE, SW_HIDE, L"", ProvenProgram(text));
    GetLogger().Write(this, L"Cmd=\"%s\"; rc=%d", {text, rc}, ttInformation);
}
