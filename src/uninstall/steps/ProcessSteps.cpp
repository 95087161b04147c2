// The Process step of the uninstall script: every running process of an executable name ends.
#include "core/Exception.h"
#include "logging/Logger.h"
#include "sys/processes/ProcessLookup.h"
#include "uninstall/engine/Engine.h"
#include "uninstall/script/ScriptAssert.h"
#include "uninstall/script/ScriptAttributes.h"

#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;

// How long one ended process is given to go.
constexpr DWORD ProcessEndWait = 1000;
// How long the step goes on finding processes of the name while none that ran before it began
// goes: a process that cannot be ended or is stuck exiting, or a guardian that starts the
// program again as fast as it is ended, then ends the step instead of hanging the window.
constexpr auto StuckLimit = std::chrono::seconds(5);

// Ends the processes of Name one after the other, however many there are; false when none
// ran.
bool EndProcesses(const std::wstring& Name) {
    const uint64_t stepStart = SystemTimeNow();
    TClock::time_point lastGone = TClock::now();
    TKernelHandle process;
    bool found = false;
    while (FindProcess(Name, process)) {
        found = true;
        Process32Stop(process.Get());
        if (WaitForProcessEnd(process.Get(), ProcessEndWait) &&
            ProcessCreationTime(process.Get()) < stepStart)
            lastGone = TClock::now();
        else if (TClock::now() - lastGone > StuckLimit)
            throw Exception(Format(L"Process \"%s\" is still running", {Name}));
        process.Reset();
    }
    return found;
}

// What ending the processes of Name would take.
void ReportProcesses(TUninstallEngine& Engine, const std::wstring& Name) {
    std::wstring ids;
    for (DWORD id : FindProcessIds(Name))
        ids += (ids.empty() ? L"" : L", ") + std::to_wstring(id);
    if (ids.empty()) {
        Engine.ItemKept(L"not found");
        Engine.ReportFmt(L"Process \"%s\": none running", {Name});
    } else
        Engine.ReportFmt(L"Process \"%s\" would be ended (process ids %s)", {Name, ids});
}

} // namespace

void TUninstallEngine::UninstallProcess(const TXmlNode& Node) {
    GetLogger().Write(this, L"UninstallProcess()", ttInformation);
    AssertNodeName(Node, L"Process");
    try {
        std::wstring name = ScriptAttr::RequiredText(Node, L"Name");
        SetStatus(2, L"  " + name);
        ItemIs(name);
        ItemCheck([name] { return !FindProcessIds(name).empty(); });
        if (Preview())
            ReportProcesses(*this, name);
        else if (!EndProcesses(name))
            ItemKept(L"not found");
    } catch (const std::exception& e) {
        DoErrorFmt(L"Uninstall Process failed (%s)", {ExceptionMessage(e)});
    }
}
