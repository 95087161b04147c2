#include "uninstall/engine/Engine.h"

#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/StdOut.h"
#include "uninstall/steps/LockedFiles.h"

#include <chrono>
#include <thread>

namespace {

std::wstring Formatted(const std::wstring& Fmt, const TVarRecs& Args) {
    try {
        return Format(Fmt, Args);
    } catch (const std::exception&) {
        return Fmt;
    }
}

} // namespace

TUninstallEngine::TUninstallEngine(IUninstallView& View, HMODULE ScriptModule)
    : FView(View), FScriptModule(ScriptModule) {}

TUninstallEngine::~TUninstallEngine() = default;

void TUninstallEngine::SetStatus(int Kind, const std::wstring& Text) {
    GetLogger().Write(this, Text, ttInformation);
    if (Kind == 1) {
        FView.ShowStatus(1, Text);
        FView.ShowStatus(2, L"");
    } else if (Kind == 2) {
        FView.ShowStatus(2, Text);
    }
    FView.ProcessMessages();
    if (FDelay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(FDelay));
}

void TUninstallEngine::DoError(const std::wstring& Text) {
    GetLogger().Write(this, L"DoError(%s)", {Text}, ttInformation);
    FView.AddErrorLine(Text);
    if (FPreview)
        Report(L"Error: " + Text);
}

void TUninstallEngine::DoErrorFmt(const std::wstring& Fmt, const TVarRecs& Args) {
    DoError(Formatted(Fmt, Args));
}

void TUninstallEngine::Report(const std::wstring& Text) {
    GetLogger().Write(this, L"Preview: %s", {Text}, ttInformation);
    StdOut::WriteLine(Text);
}

void TUninstallEngine::ReportFmt(const std::wstring& Fmt, const TVarRecs& Args) {
    Report(Formatted(Fmt, Args));
}

// The one place where a preview keeps the locked list empty, whatever a step found in use.
void TUninstallEngine::AddLockedFile(const std::wstring& Path) {
    if (FPreview)
        ReportFmt(L"\"%s\" is in use: it would be deleted at the next restart", {Path});
    else
        FLockedFiles.push_back(Path);
}

bool TUninstallEngine::OnDeveloperWorkstation(const std::wstring& Computer) const {
    return SameTextAscii(Computer, FDeveloperWorkstation);
}

size_t TUninstallEngine::DeleteLockedFiles() {
    return ::DeleteLockedFiles(this, FLockedFiles,
                               [this](const std::wstring& Error) { DoError(Error); });
}
