// What the record of each script element says: the action, the reason an item was kept and
// what the look after the run found, for one element of each family the end-to-end report
// test does not reach, on real parts of the Wine prefix.
#include "StepFixture.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"

#include <functional>

namespace {

const wchar_t* const RecordKey = L"Software\\Talveno\\RecordTest";

class ItemRecords : public StepTest {
public:
    void MakeFile(const std::wstring& Relative) { Make(Relative); }
};

struct TRecordCase {
    const char* Name;
    // The groups of the script; "%R" stands for the temporary folder.
    std::wstring Groups;
    std::function<void(ItemRecords&)> Prepare;
    bool Preview;
    bool DeveloperWorkstation;
    const wchar_t* Action;
    const wchar_t* Reason;
    const wchar_t* AfterRun; // "" when not looked at
    bool ErrorLine;
};

std::wstring WithRoot(std::wstring Text, const std::wstring& Root) {
    for (size_t at = Text.find(L"%R"); at != std::wstring::npos; at = Text.find(L"%R", at))
        Text.replace(at, 2, Root);
    return Text;
}

const TRecordCase RecordCases[] = {
    {"a folder removed", L"<Folders><Folder Path=\"%RF\"/></Folders>",
     [](ItemRecords& t) { t.MakeFile(L"F\\a.txt"); }, false, false, L"removed", L"", L"gone",
     false},
    {"a folder in a preview", L"<Folders><Folder Path=\"%RF\"/></Folders>",
     [](ItemRecords& t) { t.MakeFile(L"F\\a.txt"); }, true, false, L"would-remove", L"", L"",
     false},
    {"a folder on the developers' workstation", L"<Folders><Folder Path=\"%RF\"/></Folders>",
     [](ItemRecords& t) { t.MakeFile(L"F\\a.txt"); }, false, true, L"kept",
     L"developer workstation", L"", false},
    {"a system folder", L"<Folders><Folder Path=\"C:\\windows\\system32\"/></Folders>", nullptr,
     false, false, L"kept", L"protected", L"", true},
    {"files of no match", L"<Files><File Path=\"%R\" Mask=\"*.none\" Recursive=\"1\"/></Files>",
     [](ItemRecords& t) { t.MakeFile(L"a.txt"); }, false, false, L"kept", L"not found", L"", false},
    {"shortcuts below a relative path",
     L"<Shortcuts><Shortcut Path=\"rel\\dir\" TargetMask=\"*\" Recursive=\"1\"/></Shortcuts>",
     nullptr, false, false, L"failed", L"", L"", true},
    {"a registry key removed",
     L"<Registry><Key Name=\"HKLM\\Software\\Talveno\\RecordTest\"/></Registry>",
     [](ItemRecords&) { test::WriteRegString(HKEY_LOCAL_MACHINE, RecordKey, L"v", L"x"); }, false,
     false, L"removed", L"", L"gone", false},
    {"a registry key of the system", L"<Registry><Key Name=\"HKLM\\Software\"/></Registry>",
     nullptr, false, false, L"kept", L"protected", L"", true},
    {"a service not installed",
     L"<Services><Service Name=\"NoSuchRecordTestService\" Param=\"/u\"/></Services>", nullptr,
     false, false, L"kept", L"not found", L"", false},
    {"a process not running", L"<Processes><Process Name=\"no_such_record_test.exe\"/></Processes>",
     nullptr, false, false, L"kept", L"not found", L"", false},
    {"a ProgID not registered",
     L"<ComObjects><ComObject ProgID=\"Nrv.NoSuchRecordTest\"/></ComObjects>", nullptr, false,
     false, L"kept", L"not found", L"", false},
    {"an assembly not there",
     L"<ComObjects><ComObject Regasm=\"1\" File=\"%Rnone.dll\"/></ComObjects>", nullptr, false,
     false, L"kept", L"not found", L"", false},
    {"App Paths of no match", L"<AppPath><Value Mask=\"*\\no_such_record_test.exe\"/></AppPath>",
     nullptr, false, false, L"kept", L"not found", L"", false},
    {"shortcuts of no match",
     L"<Shortcuts><Shortcut Path=\"%R\" TargetMask=\"*\\none.exe\" Recursive=\"1\"/></Shortcuts>",
     nullptr, false, false, L"kept", L"not found", L"", false},
};

TEST_F(ItemRecords, EachFamilySaysWhatBecameOfItsItem) {
    for (const auto& c : RecordCases) {
        SCOPED_TRACE(c.Name);
        test::DeleteRegTree(HKEY_LOCAL_MACHINE, RecordKey);
        if (c.Prepare)
            c.Prepare(*this);
        Preview = c.Preview;
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        GetComputerNameW(computer, &size);
        Workstation = c.DeveloperWorkstation ? computer : L"";
        View.Errors.clear();
        RunSteps(WithRoot(c.Groups, Root.Path()));
        Engine->CheckWhatIsLeft();
        ASSERT_EQ(Engine->Records().Items().size(), 1u);
        const TItemRecord& item = Engine->Records().Items().front();
        EXPECT_EQ(ItemAction(item, c.Preview), c.Action);
        EXPECT_EQ(ItemReason(item), c.Reason);
        EXPECT_EQ(item.AfterRun, c.AfterRun);
        EXPECT_EQ(!item.Errors.empty(), c.ErrorLine);
        EXPECT_EQ(item.Errors, View.Errors);
        EXPECT_FALSE(item.Item.empty());
    }
    test::DeleteRegTree(HKEY_LOCAL_MACHINE, RecordKey);
}

// A script that holds a group twice is counted as one group, where it first occurs; a preview
// says what it would do in the summary lines too.
TEST_F(ItemRecords, SummaryLinesCountEachGroupOnce) {
    Make(L"A\\a.txt");
    Make(L"B\\b.txt");
    const std::wstring groups =
        L"<Folders><Folder Path=\"%RA\"/></Folders>"
        L"<Processes><Process Name=\"no_such_record_test.exe\"/></Processes>"
        L"<Folders><Folder Path=\"%RB\"/><Folder Path=\"%RC\"/></Folders>";
    Preview = true;
    RunSteps(WithRoot(groups, Root.Path()));
    EXPECT_EQ(Engine->Records().SummaryLines(),
              (std::vector<std::wstring>{L"Folders: 2 would be removed, 1 kept (not found)",
                                         L"Processes: 1 kept (not found)"}));
    Preview = false;
    RunSteps(WithRoot(groups, Root.Path()));
    EXPECT_EQ(Engine->Records().SummaryLines(),
              (std::vector<std::wstring>{L"Folders: 2 removed, 1 kept (not found)",
                                         L"Processes: 1 kept (not found)"}));
}

} // namespace
