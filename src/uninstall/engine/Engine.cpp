#include "uninstall/engine/Engine.h"

#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/shared/StdOut.h"
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
    if (TItemRecord* item = FRecords.Current())
        item->Errors.push_back(Text);
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
    if (TItemRecord* item = FRecords.Current())
        item->Scheduled.push_back(Path);
    if (FPreview)
        ReportFmt(L"\"%s\" is in use: it would be deleted at the next restart", {Path});
    else
        FLockedFiles.push_back(Path);
}

bool TUninstallEngine::OnDeveloperWorkstation(const std::wstring& Computer) const {
    return SameTextAscii(Computer, FDeveloperWorkstation);
}

size_t TUninstallEngine::DeleteLockedFiles() {
    FRecords.End();
    TLockedFileEvents events;
    events.Stays = [this](const std::wstring& Path, const std::wstring& Error) {
        FRecords.PathStays(Path, Error);
        DoError(Error);
    };
    events.Moved = [this](const std::wstring& Path, const std::wstring& Now) {
        FRecords.PathMoved(Path, Now);
    };
    events.Taken = [this](const std::wstring& Path) {
        FRecords.PathTaken(Path);
    };
    return ::DeleteLockedFiles(this, FLockedFiles, events);
}

void TUninstallEngine::CheckWhatIsLeft() {
    FRecords.End();
    if (FPreview)
        return;
    GetLogger().Write(this, L"CheckWhatIsLeft()", ttInformation);
    for (const auto& line : FRecords.CheckWhatIsLeft())
        GetLogger().Write(this, L"%s", {line}, ttWarning);
}

void TUninstallEngine::BeginItem(const std::wstring& Group, const std::wstring& Step,
                                 const std::wstring& Verb) {
    FRecords.Begin(Group, Step, Verb);
}

void TUninstallEngine::ItemIs(const std::wstring& Item) {
    if (TItemRecord* item = FRecords.Current())
        item->Item = Item;
}

// An item that already has an error line failed; it was not kept on purpose.
void TUninstallEngine::ItemKept(const std::wstring& Reason) {
    if (TItemRecord* item = FRecords.Current(); item && item->Errors.empty())
        item->KeptReason = Reason;
}

void TUninstallEngine::ItemExcluded(const std::wstring& Path) {
    if (TItemRecord* item = FRecords.Current())
        item->Excluded.push_back(Path);
}

void TUninstallEngine::ItemEntry(const std::wstring& Entry) {
    if (TItemRecord* item = FRecords.Current())
        item->Entries.push_back(Entry);
}

void TUninstallEngine::ItemCheck(std::function<bool()> StillThere) {
    if (TItemRecord* item = FRecords.Current())
        item->StillThere = std::move(StillThere);
}

void TUninstallEngine::ItemEndedRun(const std::wstring& Error) {
    if (TItemRecord* item = FRecords.Current())
        item->Errors.push_back(Error);
    FRecords.End();
}
