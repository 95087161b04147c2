#include "uninstall/engine/Engine.h"

#include "core/Text.h"
#include "logging/Logger.h"
#include "uninstall/steps/LockedFiles.h"

#include <chrono>
#include <thread>

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
}

void TUninstallEngine::DoErrorFmt(const std::wstring& Fmt, const TVarRecs& Args) {
    std::wstring text;
    try {
        text = Format(Fmt, Args);
    } catch (const std::exception&) {
        text = Fmt;
    }
    DoError(text);
}

bool TUninstallEngine::OnDeveloperWorkstation(const std::wstring& Computer) const {
    return SameTextAscii(Computer, FDeveloperWorkstation);
}

void TUninstallEngine::DeleteLockedFiles() {
    ::DeleteLockedFiles(this, FLockedFiles);
}
