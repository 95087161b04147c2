#pragma once
#include "core/Format.h"
#include "core/Object.h"
#include "sys/com/MsXml.h"
#include "uninstall/engine/RunRecords.h"
#include "uninstall/engine/UninstallView.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The computer name of the developers' workstation, on which nothing is deleted.
inline constexpr wchar_t DeveloperWorkstationName[] = L"TLV-DEVWS-01";

// Loads the built-in uninstall script and carries it out, reporting through a view. Needs COM
// on the calling thread (TComInit) for the whole life of FXml. Its trace lines carry the main
// window's name, which owns it.
class TUninstallEngine : public TObject {
public:
    // ScriptModule holds the "UNINSTALL" resource; none means the running executable.
    explicit TUninstallEngine(IUninstallView& View, HMODULE ScriptModule = nullptr);
    ~TUninstallEngine() override;

    std::wstring ClassName() const override { return L"TMainForm"; }

    // Reads and checks the script; raises "LoadXml failed (<reason>)".
    void LoadXml();
    // Runs the groups in document order; an error that reaches it ends the run.
    void RunScript();

    // Shows Text in status line 1 (emptying line 2) or line 2, traces it, pumps messages and
    // pauses for FDelay.
    void SetStatus(int Kind, const std::wstring& Text);
    // An error line; a preview reports it too, as "Error: <text>".
    void DoError(const std::wstring& Text);
    // A format that does not fit Args is shown as it stands.
    void DoErrorFmt(const std::wstring& Fmt, const TVarRecs& Args);
    // A line of the preview: traced as "Preview: <text>" and written to standard output.
    void Report(const std::wstring& Text);
    // A format that does not fit Args is reported as it stands.
    void ReportFmt(const std::wstring& Fmt, const TVarRecs& Args);

    uint32_t Delay() const { return FDelay; }
    const std::vector<std::wstring>& LockedFiles() const { return FLockedFiles; }
    const TXmlDocument* Xml() const { return FXml.get(); }

    // Element handlers, one source file per family of steps in steps/ (FolderSteps.cpp, ...),
    // called through the group table of RunScript.cpp. Those of the families not built yet
    // live in PendingSteps.cpp and raise an error naming themselves. Virtual so that a test
    // can stand in for a family it does not exercise.
    virtual void ExecuteCommand(const TXmlNode& Node);
    virtual void UninstallAppPathValue(const TXmlNode& Node);
    virtual void UninstallPath(const TXmlNode& Node);
    virtual void UninstallProcess(const TXmlNode& Node);
    virtual void UninstallService(const TXmlNode& Node);
    virtual void UninstallComObject(const TXmlNode& Node);
    virtual void UninstallShare(const TXmlNode& Node);
    virtual void UninstallShortcut(const TXmlNode& Node);
    virtual void UninstallFolder(const TXmlNode& Node);
    virtual void UninstallFile(const TXmlNode& Node);
    virtual void UninstallRegistryKey(const TXmlNode& Node);
    // Handles the whole Profiles group, status text included.
    virtual void UninstallProfiles(const TXmlNode& Group);

    // After the run: schedules what could not be deleted for deletion at the next restart.
    // Returns how many paths the system took; none means no restart is needed.
    size_t DeleteLockedFiles();
    // After that: looks again at every item the run meant to remove and traces what is still
    // there, and why.
    void CheckWhatIsLeft();

    // The record of each element of the script (RunRecords.h). RunScript starts one per
    // element; its step says what the element names, why it left it alone and how to look for
    // it again. Error lines and locked paths go to the element that runs.
    const TRunRecords& Records() const { return FRecords; }
    void BeginItem(const std::wstring& Group, const std::wstring& Step, const std::wstring& Verb);
    void ItemIs(const std::wstring& Item);
    void ItemKept(const std::wstring& Reason);
    void ItemExcluded(const std::wstring& Path);
    void ItemEntry(const std::wstring& Entry);
    void ItemCheck(std::function<bool()> StillThere);
    // The error that ended the run, raised while the element ran.
    void ItemEndedRun(const std::wstring& Error);
    void EndItems() { FRecords.End(); }

    // What the steps share. A path that could not be deleted goes to the locked list, which
    // DeleteLockedFiles schedules after the run; a preview reports it instead.
    void AddLockedFile(const std::wstring& Path);
    // On the developers' own machine (named Computer) nothing is deleted or removed.
    bool OnDeveloperWorkstation(const std::wstring& Computer) const;
    // Tests name the computer they run on to see that.
    void SetDeveloperWorkstation(const std::wstring& Name) { FDeveloperWorkstation = Name; }
    // A preview reports what each step would do and changes nothing.
    void SetPreview(bool On) {
        FPreview = On;
        FRecords.SetPreview(On);
    }
    bool Preview() const { return FPreview; }

protected:
    uint32_t FDelay = 0;
    std::vector<std::wstring> FLockedFiles;
    std::unique_ptr<TXmlDocument> FXml;

private:
    void ReadDelay(const TXmlNode& Root);

    IUninstallView& FView;
    std::wstring FDeveloperWorkstation = DeveloperWorkstationName;
    bool FPreview = false;
    HMODULE FScriptModule;
    TRunRecords FRecords;
};
