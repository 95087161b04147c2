#include "core/SystemError.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/RegistrySupport.h"
#include "sys/files/SystemPath.h"
#include "uninstall/steps/StepFixture.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace {

using test::RegKeyExists;

// Lines a helper appended to a record file, each cut into the fields separated by "|".
std::vector<std::vector<std::wstring>> RecordLines(const std::wstring& File) {
    std::vector<std::vector<std::wstring>> lines;
    if (!test::FileExists(File))
        return lines;
    std::wstring text = Utf8ToWide(test::ReadTextFile(File));
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    std::wistringstream in(text);
    std::wstring line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::wstring> fields;
        std::wistringstream parts(line);
        std::wstring field;
        while (std::getline(parts, field, L'|'))
            fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

// ComObject steps on copies of the tests' COM server, whose unregistrations land in a record.
class ComStepTest : public StepTest {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", RecordFile.c_str()); }
    void TearDown() override { SetEnvironmentVariableW(L"NRV_TEST_COM_RECORD", nullptr); }

    // A copy of the server at Relative below the test's tree, with its library beside it;
    // registered as the server of a class of the machine unless told otherwise.
    std::wstring Server(const std::wstring& Relative, bool Registered = true) {
        std::wstring full = Make(Relative);
        CopyFileW(test::HelperPath(L"com_server.dll").c_str(), full.c_str(), FALSE);
        std::wstring folder = full.substr(0, full.find_last_of(L'\\') + 1);
        CopyFileW(test::HelperPath(L"com_dep.dll").c_str(), (folder + L"com_dep.dll").c_str(),
                  FALSE);
        if (Registered)
            Register(full);
        return full;
    }
    // A class of the machine (32-bit view) whose in-process server is File.
    void Register(const std::wstring& File) {
        Classes.push_back(
            std::make_unique<test::TTestKey>(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID"));
        test::WriteRegString(HKEY_LOCAL_MACHINE, Classes.back()->Path() + L"\\InprocServer32", L"",
                             File);
    }
    // The servers whose DllUnregisterServer ran, in order.
    std::vector<std::wstring> Unregistered() const {
        std::vector<std::wstring> servers;
        for (const auto& fields : RecordLines(RecordFile))
            servers.push_back(fields.at(0));
        return servers;
    }
    std::vector<std::wstring> SortedUnregistered() const {
        auto servers = Unregistered();
        std::sort(servers.begin(), servers.end());
        return servers;
    }
    void RunComObject(const std::wstring& Attributes) {
        DeleteFileW(RecordFile.c_str());
        View.Errors.clear();
        RunSteps(L"<ComObjects><ComObject " + Attributes + L"/></ComObjects>");
    }

    std::vector<std::unique_ptr<test::TTestKey>> Classes;
    test::TTempFolder Records;
    const std::wstring RecordFile = Records.Path() + L"unregistered.txt";
};

std::wstring Attr(const wchar_t* Name, const std::wstring& Value) {
    return std::wstring(Name) + L"=\"" + Value + L"\" ";
}

TEST_F(ComStepTest, TheWalkUnregistersMatchingServersButItsExclusions) {
    const std::wstring one = Server(L"top\\one.dll");
    const std::wstring two = Server(L"top\\Sub\\two.dll");
    Server(L"top\\A.dll");
    Server(L"top\\Sub\\b.dll");
    Server(L"top\\Sub\\three.ocx");
    const std::wstring top = Root.Path() + L"top";

    RunComObject(Attr(L"Path", top) + Attr(L"Mask", L"*.dll") + Attr(L"Exclude", L"a.dll;B.DLL"));

    std::vector<std::wstring> expected{one, two};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedUnregistered(), expected);
    EXPECT_TRUE(View.Errors.empty());
    EXPECT_TRUE(Traced(L"TMainForm|UninstallComObject()"));
    EXPECT_TRUE(Traced(L"|\"A.dll\" not unregistered (Excluded)"));
    EXPECT_TRUE(Traced(L"|\"b.dll\" not unregistered (Excluded)"));
    EXPECT_TRUE(Traced(L"TMainForm|Trying to unregister file \"" + one + L"\"..."));
    EXPECT_TRUE(Traced(L"TMainForm|  loading \"" + one + L"\"..."));
    EXPECT_TRUE(Traced(L"TMainForm|File \"" + one + L"\" unregistered"));
    // The server's own library is no class's server: never loaded.
    EXPECT_TRUE(Traced(L"TMainForm|COM server \"" + top +
                       L"\\com_dep.dll\" is not unregistered (no class of the machine names it "
                       L"as its server)"));
    EXPECT_FALSE(Traced(L"TMainForm|  loading \"" + top + L"\\com_dep.dll\"..."));
    const auto& journal = View.Journal;
    EXPECT_NE(std::find(journal.begin(), journal.end(), L"2:  " + top + L"\\Sub\\"), journal.end());
    EXPECT_EQ(View.Phases().at(1), L"Unregistering COM objects...");
}

TEST_F(ComStepTest, RecursiveIsReadAsAWordAndIsTrueWhenAbsent) {
    Server(L"top\\one.dll");
    const std::wstring deeper = Server(L"top\\Sub\\two.dll");
    const std::pair<std::wstring, bool> cases[] = {{L"", true},
                                                   {Attr(L"Recursive", L"True"), true},
                                                   {Attr(L"Recursive", L"1"), false},
                                                   {Attr(L"Recursive", L"yes"), false}};
    for (const auto& [recursive, descends] : cases) {
        RunComObject(Attr(L"Path", Root.Path() + L"top\\") + Attr(L"Mask", L"*.dll") + recursive);
        auto servers = Unregistered();
        EXPECT_EQ(std::count(servers.begin(), servers.end(), deeper), descends ? 1 : 0)
            << WideToUtf8(recursive);
    }
}

// Anything but S_OK is a failure, S_FALSE too: an error line each, and the walk goes on.
TEST_F(ComStepTest, AServerThatFailsIsAnErrorLineAndTheWalkGoesOn) {
    const std::wstring failing = Server(L"top\\efail.dll");
    const std::wstring fine = Server(L"top\\fine.dll");
    const std::wstring sfalse = Server(L"top\\sfalse.dll");
    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));
    std::vector<std::wstring> errors = View.Errors;
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(errors, (std::vector<std::wstring>{
                          L"UnregisterDll \"" + failing + L"\" failed (rc=-2147467259)",
                          L"UnregisterDll \"" + sfalse + L"\" failed (rc=1)"}));
    EXPECT_EQ(SortedUnregistered(), (std::vector<std::wstring>{failing, fine, sfalse}));
}

// A malformed mask is no step error: it ends the run, before anything is loaded.
TEST_F(ComStepTest, AMalformedMaskEndsTheRun) {
    Server(L"top\\one.dll");
    EXPECT_THROW(RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"[one.dll")),
                 std::exception);
    EXPECT_TRUE(Unregistered().empty());
}

// A server that crashes, when it is loaded or when it unregisters, ends only its own call: the
// crash is traced with its code and the walk goes on to the next server.
TEST_F(ComStepTest, AServerThatCrashesIsTracedAndTheWalkGoesOn) {
    const std::wstring inMain = Server(L"top\\a-crashmain.dll");
    const std::wstring inUnregister = Server(L"top\\b-crashunreg.dll");
    const std::wstring fine = Server(L"top\\c-fine.dll");

    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));

    EXPECT_TRUE(View.Errors.empty());
    // The one that crashed in DllUnregisterServer had recorded its call first.
    EXPECT_EQ(Unregistered(), (std::vector<std::wstring>{inUnregister, fine}));
    auto lineStarting = [&](const std::wstring& Start) {
        auto at = std::find_if(Trace.Lines.begin(), Trace.Lines.end(),
                               [&](const auto& line) { return line.rfind(Start, 0) == 0; });
        return at == Trace.Lines.end() ? std::wstring() : *at;
    };
    // The code is the one the system reports: an access violation (C0000005), which Wine
    // running through qemu-i386 reports as an illegal instruction (C000001D).
    const std::wstring failed = L"|UnregisterDll(\"" + inUnregister + L"\") failed (exception ";
    const std::wstring line = lineStarting(failed);
    EXPECT_TRUE(line == failed + L"C0000005 in DllUnregisterServer)" ||
                line == failed + L"C000001D in DllUnregisterServer)")
        << WideToUtf8(line);
    // Where the system's loader itself catches a crash in a library's start, the load fails.
    EXPECT_TRUE(!lineStarting(L"|UnregisterDll(\"" + inMain + L"\") failed (exception ").empty() ||
                !lineStarting(L"TMainForm|Load \"" + inMain + L"\" failed (").empty());
    // The library that crashed stays loaded: freeing it would run its detach code unguarded.
    HMODULE kept = GetModuleHandleW(inUnregister.c_str());
    EXPECT_TRUE(kept) << "the crashed library was freed";
    EXPECT_FALSE(GetModuleHandleW(fine.c_str())) << "a library that did not crash stays loaded";
    // The tests after this one load their servers' own com_dep.dll: this one's goes with it.
    if (kept)
        FreeLibrary(kept);
}

TEST_F(ComStepTest, AServerThatCannotBeLoadedIsOnlyTraced) {
    // A 64-bit library, which this 32-bit process cannot load, and a file that is no library.
    const std::wstring amd64 = Make(L"top\\amd64.dll");
    ASSERT_TRUE(CopyFileW(L"C:\\windows\\sysnative\\version.dll", amd64.c_str(), FALSE));
    const std::wstring text = Make(L"top\\text.dll");
    Register(amd64);
    Register(text);
    const std::wstring fine = Server(L"top\\fine.dll");

    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));

    EXPECT_TRUE(View.Errors.empty());
    for (const auto& file : {amd64, text})
        EXPECT_TRUE(Traced(L"TMainForm|Load \"" + file + L"\" failed (" +
                           SystemErrorText(ERROR_BAD_EXE_FORMAT) + L")"))
            << WideToUtf8(file);
    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{fine});
}

// A library is loaded only when the machine names it, by this very path, as a class's server:
// a library someone dropped into the suite's folder, or a renamed copy of a server registered
// elsewhere, is never loaded, and the preview says so.
TEST_F(ComStepTest, OnlyTheServersTheMachineRegisteredThereAreLoaded) {
    const std::wstring planted = Server(L"top\\planted-crashmain.dll", false);
    const std::wstring elsewhere = Server(L"other\\real.dll");
    const std::wstring renamed = Make(L"top\\renamed.dll");
    ASSERT_TRUE(CopyFileW(elsewhere.c_str(), renamed.c_str(), FALSE));
    const std::wstring suites = Server(L"top\\suites.dll");

    Preview = true;
    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));
    Preview = false;
    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));

    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{suites});
    EXPECT_TRUE(View.Errors.empty());
    for (const auto& file : {planted, renamed}) {
        const std::wstring line = L"COM server \"" + file +
                                  L"\" is not unregistered (no class of the machine names it as "
                                  L"its server)";
        EXPECT_TRUE(Traced(L"TMainForm|" + line)) << WideToUtf8(file);
        EXPECT_FALSE(Traced(L"TMainForm|  loading \"" + file + L"\"...")) << WideToUtf8(file);
        EXPECT_TRUE(Traced(L"TMainForm|Preview: " + line)) << WideToUtf8(file);
    }
    EXPECT_TRUE(Traced(L"TMainForm|Preview: COM server \"" + suites + L"\" would be unregistered"));
}

// A server of which the system folder holds a file of the same name stays registered, even the
// suite's own: the registration may be the system copy's. Two trace lines say so, before
// anything about the file itself is asked.
TEST_F(ComStepTest, AServerNamedLikeAFileOfTheSystemFolderStaysRegistered) {
    const std::wstring name = test::UniqueName(L"nrvtest-") + L".dll";
    const std::wstring system = TSystemPath::GetSystemPath();
    ASSERT_TRUE(
        CopyFileW(test::HelperPath(L"com_server.dll").c_str(), (system + name).c_str(), FALSE));
    const std::wstring suites = Server(L"top\\" + name);
    const std::wstring other = Server(L"top\\other.dll");

    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));
    DeleteFileW((system + name).c_str());

    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{other});
    EXPECT_TRUE(View.Errors.empty());
    const std::vector<std::wstring> expected = {
        L"TMainForm|Trying to unregister file \"" + suites + L"\"...",
        L"TMainForm|File \"" + name + L"\" exists in " + system,
        L"TMainForm|  ==> not unregistred"};
    auto at = std::search(Trace.Lines.begin(), Trace.Lines.end(), expected.begin(), expected.end());
    EXPECT_NE(at, Trace.Lines.end()) << "the three lines in a row";
}

// The suite's registered server in a folder other users can change may be theirs by now: it
// is not loaded, and an error line says why.
TEST_F(ComStepTest, ARegisteredServerOtherUsersCanChangeIsNotLoaded) {
    const std::wstring open = Server(L"top\\open\\server.dll");
    const std::wstring closed = Server(L"top\\closed\\server.dll");
    test::LetEveryoneChange(Root.Path() + L"top\\open");

    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"server.dll"));

    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{closed});
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"COM server \"" + open + L"\" is not unregistered (\"" +
                                        Root.Path() + L"top\\open\" lets S-1-1-0 change it)"});
}

// A library of the server's import name planted beside the program (a downloads folder) is
// never the one the server gets, and is no stand-in for an import the server's folder lacks.
TEST_F(ComStepTest, AServerGetsItsOwnLibraryNotOnePlantedBesideTheProgram) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring planted(self);
    planted = planted.substr(0, planted.find_last_of(L'\\') + 1) + L"com_dep.dll";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(), planted.c_str(), FALSE));
    const std::wstring server = Server(L"top\\server.dll");
    const std::wstring alone = Make(L"alone\\server.dll");
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_server.dll").c_str(), alone.c_str(), FALSE));
    Register(alone);

    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"server.dll"));
    auto lines = RecordLines(RecordFile);
    RunComObject(Attr(L"Path", Root.Path() + L"alone") + Attr(L"Mask", L"server.dll"));
    const bool aloneLoaded = !RecordLines(RecordFile).empty();

    DeleteFileW(planted.c_str());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(SameTextAscii(lines[0].at(1), Root.Path() + L"top\\com_dep.dll"))
        << WideToUtf8(lines[0].at(1));
    EXPECT_FALSE(aloneLoaded) << "the import came from the program's folder";
    EXPECT_TRUE(Traced(L"TMainForm|Load \"" + alone + L"\" failed (" +
                       SystemErrorText(ERROR_MOD_NOT_FOUND) + L")"));
    EXPECT_TRUE(View.Errors.empty());
}

// The machine's 32-bit classes name their servers with the folders a 32-bit program sees: on a
// 64-bit system "%ProgramFiles%" there is the "(x86)" folder, where the server is found.
TEST_F(ComStepTest, A32BitClassPathNamesTheX86ProgramFolder) {
    const std::wstring x86 =
        test::ReadRegString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                            L"ProgramFilesDir (x86)", KEY_WOW64_64KEY);
    ASSERT_FALSE(x86.empty());
    const std::wstring name = test::UniqueName(L"NrvTest-");
    const std::wstring folder = x86 + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring server = folder + L"\\server.dll";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_server.dll").c_str(), server.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(),
                          (folder + L"\\com_dep.dll").c_str(), FALSE));
    Classes.push_back(
        std::make_unique<test::TTestKey>(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID"));
    test::WriteRegString(HKEY_LOCAL_MACHINE, Classes.back()->Path() + L"\\InprocServer32", L"",
                         L"%ProgramFiles%\\" + name + L"\\server.dll", 0, REG_EXPAND_SZ);

    RunComObject(Attr(L"Path", folder) + Attr(L"Mask", L"*.dll"));
    test::RemoveTree(folder);

    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{server});
    EXPECT_TRUE(View.Errors.empty());
}

// Walked as found: a folder named like a variable is no variable.
TEST_F(ComStepTest, SubfoldersAreNotExpanded) {
    const std::wstring server = Server(L"top\\%Path.Temp%\\server.dll");
    RunComObject(Attr(L"Path", Root.Path() + L"top") + Attr(L"Mask", L"*.dll"));
    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{server});
}

TEST_F(ComStepTest, AnEmptyOrRelativePathWalksNothing) {
    // The build folder, which is the current drive, holds the helper server itself.
    RunComObject(Attr(L"Mask", L"*.dll"));
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"COM folder \"\" is not walked (the path is empty)"});
    RunComObject(Attr(L"Path", L"helpers") + Attr(L"Mask", L"*.dll"));
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{
                  L"COM folder \"helpers\\\" is not walked (the path is not absolute)"});
    EXPECT_TRUE(Unregistered().empty());
}

// The link fixture of the test run (CMake's com_link_fixture): C:\com-link-fixture\tree holds
// sub\inside.dll and lnk, a folder link to C:\com-link-fixture\target, which holds outside.dll.
TEST_F(ComStepTest, ALinkedFolderIsNotWalked) {
    const std::wstring fixture = L"C:\\com-link-fixture\\";
    DWORD attributes = GetFileAttributesW((fixture + L"tree\\lnk").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_FAIL() << "the link fixture the set-up made is gone: a step walked into it";
    Register(fixture + L"tree\\sub\\inside.dll");
    Register(fixture + L"tree\\lnk\\outside.dll");
    RunComObject(Attr(L"Path", fixture + L"tree") + Attr(L"Mask", L"*side.dll"));
    EXPECT_EQ(Unregistered(), std::vector<std::wstring>{fixture + L"tree\\sub\\inside.dll"});
}

// A ProgID key and the class key it names, below the classes root.
class ProgIdStepTest : public ComStepTest {
protected:
    void TearDown() override {
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
            test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ProgId, view);
            test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ClassKey, view);
        }
        ComStepTest::TearDown();
    }
    const std::wstring ProgId = test::UniqueName(L"NrvTest.");
    const std::wstring ClassKey = L"CLSID\\" + test::UniqueName(L"{") + L"}";
};

TEST_F(ProgIdStepTest, AProgIdGoesWithItsClassAndTheDecoyStays) {
    test::WriteRegString(HKEY_CLASSES_ROOT, ProgId + L"\\CLSID", L"", ClassKey.substr(6));
    test::CreateRegKey(HKEY_CLASSES_ROOT, ClassKey + L"\\InprocServer32");
    test::WriteRegString(HKEY_CLASSES_ROOT, ClassKey + L"\\VersionIndependentProgID", L"", ProgId);
    test::CreateRegKey(HKEY_CLASSES_ROOT, ClassKey + L"\\Decoy", KEY_WOW64_64KEY);

    RunComObject(Attr(L"ProgID", ProgId));

    EXPECT_TRUE(View.Errors.empty());
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ClassKey));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ClassKey + L"\\Decoy", KEY_WOW64_64KEY));
    EXPECT_TRUE(Traced(L"TMainForm|Trying to unregister progid \"" + ProgId + L"\"..."));
    EXPECT_TRUE(Traced(L"TMainForm|  registry key \"" + ClassKey + L"\" deleted"));
    EXPECT_TRUE(Traced(L"TMainForm|  registry key \"" + ProgId + L"\" deleted"));
}

TEST_F(ProgIdStepTest, AProgIdGoesOnlyWithAClassItNames) {
    // No CLSID subkey: nothing goes.
    test::CreateRegKey(HKEY_CLASSES_ROOT, ProgId + L"\\CurVer");
    RunComObject(Attr(L"ProgID", ProgId));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
    EXPECT_TRUE(Traced(L"TMainForm|ProgID \"" + ProgId + L"\" not found"));
    EXPECT_TRUE(View.Errors.empty());

    // A class key that is not there: an error line, and the ProgID goes all the same.
    test::WriteRegString(HKEY_CLASSES_ROOT, ProgId + L"\\CLSID", L"", ClassKey.substr(6));
    RunComObject(Attr(L"ProgID", ProgId));
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Unable to delete registry key \"" + ClassKey + L"\""});
    EXPECT_TRUE(Traced(L"TMainForm|  reason: " + SystemErrorText(ERROR_FILE_NOT_FOUND)));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
}

// A ProgID may name any class: only one that is the suite's goes. A class that names another
// ProgID and whose server lies outside the suite's folders (another product's, or one a user
// pointed the ProgID at) stays, with an error line, and so does the ProgID.
TEST_F(ProgIdStepTest, OnlyTheSuitesClassGoesWithTheProgId) {
    test::TTempFolder other;
    struct TCase {
        const char* Name;
        std::wstring NamedProgId, Server;
        bool Goes;
    };
    const TCase cases[] = {
        {"names the ProgID, versioned", ProgId + L".3", other.Path() + L"x.dll", true},
        {"names another ProgID", L"Other.Document", other.Path() + L"other.dll", false},
        {"names nothing, server elsewhere", L"", L"\"" + other.Path() + L"other.exe\" -x", false},
        {"names a ProgID that only starts alike", ProgId + L"x", L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::WriteRegString(HKEY_CLASSES_ROOT, ProgId + L"\\CLSID", L"", ClassKey.substr(6));
        if (!c.NamedProgId.empty())
            test::WriteRegString(HKEY_CLASSES_ROOT, ClassKey + L"\\ProgID", L"", c.NamedProgId);
        if (!c.Server.empty())
            test::WriteRegString(HKEY_CLASSES_ROOT, ClassKey + L"\\LocalServer32", L"", c.Server);

        RunComObject(Attr(L"ProgID", ProgId));

        EXPECT_EQ(RegKeyExists(HKEY_CLASSES_ROOT, ClassKey), !c.Goes);
        EXPECT_EQ(RegKeyExists(HKEY_CLASSES_ROOT, ProgId), !c.Goes);
        if (c.Goes) {
            EXPECT_TRUE(View.Errors.empty());
        } else {
            ASSERT_EQ(View.Errors.size(), 1u);
            EXPECT_EQ(View.Errors[0].rfind(L"Class \"" + ClassKey + L"\" of ProgID \"" + ProgId +
                                               L"\" is not deleted (",
                                           0),
                      0u)
                << WideToUtf8(View.Errors[0]);
        }
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ClassKey);
        test::DeleteRegTreeSafely(HKEY_CLASSES_ROOT, ProgId);
    }
}

TEST_F(ProgIdStepTest, OnlyRegasmOneChoosesTheRegistrationTool) {
    test::WriteRegString(HKEY_CLASSES_ROOT, ProgId + L"\\CLSID", L"", ClassKey.substr(6));
    const std::wstring missing = Root.Path() + L"missing.dll";
    RunComObject(Attr(L"Regasm", L"1") + Attr(L"ProgID", ProgId) + Attr(L"File", missing));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
    EXPECT_TRUE(Traced(L"TMainForm|Trying to regasm /u \"" + missing + L"\"..."));
    EXPECT_TRUE(Traced(L"TMainForm|File \"" + missing + L"\" not found => no regasm /u"));

    RunComObject(Attr(L"Regasm", L"true") + Attr(L"ProgID", ProgId) + Attr(L"File", missing));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ProgId));
}

// The registration tool: the stand-in at the tool's first place below the Windows folder, or
// below the install root the .NET Framework registered. Each test leaves both as it found them.
class RegasmStepTest : public ComStepTest {
protected:
    void SetUp() override {
        ComStepTest::SetUp();
        if (test::FileExists(FirstTool))
            GTEST_SKIP() << "this prefix has a registration tool of its own";
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RECORD", ToolRecord.c_str());
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RC", L"3");
    }
    void TearDown() override {
        DeleteFileW(FirstTool.c_str());
        for (auto it = CreatedFolders.rbegin(); it != CreatedFolders.rend(); ++it)
            RemoveDirectoryW(it->c_str());
        test::DeleteRegTreeSafely(HKEY_LOCAL_MACHINE, FrameworkKey);
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RECORD", nullptr);
        SetEnvironmentVariableW(L"NRV_TEST_REGASM_RC", nullptr);
        ComStepTest::TearDown();
    }
    void InstallTool(const std::wstring& Path) {
        for (size_t slash = Path.find(L'\\', 3); slash != std::wstring::npos;
             slash = Path.find(L'\\', slash + 1))
            if (CreateDirectoryW(Path.substr(0, slash).c_str(), nullptr))
                CreatedFolders.push_back(Path.substr(0, slash));
        ASSERT_TRUE(
            CopyFileW(test::HelperPath(L"regasm_standin.exe").c_str(), Path.c_str(), FALSE));
    }
    void RunRegasm(const std::wstring& File) {
        DeleteFileW(ToolRecord.c_str());
        RunComObject(Attr(L"Regasm", L"1") + Attr(L"File", File));
    }

    const std::wstring FirstTool =
        TSystemPath::GetWindowsPath() + L"Microsoft.NET\\Framework\\v4.0.30319\\regasm.exe";
    const std::wstring FrameworkKey = L"SOFTWARE\\Microsoft\\.NETFramework";
    const std::wstring ToolRecord = Records.Path() + L"regasm.txt";
    std::vector<std::wstring> CreatedFolders;
};

TEST_F(RegasmStepTest, TheToolGetsTheAssemblyQuotedAndItsExitCodeIsTraced) {
    InstallTool(FirstTool);
    const std::wstring assembly = Make(L"P dir\\a b.dll");

    RunRegasm(assembly);

    const std::wstring command = FirstTool + L" \"" + assembly + L"\" /unregister /silent";
    auto lines = RecordLines(ToolRecord);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(SameTextAscii(lines[0].at(0), FirstTool)) << WideToUtf8(lines[0].at(0));
    EXPECT_EQ(lines[0].at(1), command);
    EXPECT_TRUE(Traced(L"TMainForm|Cmd=\"" + command + L"\"; rc=3"));
    EXPECT_TRUE(View.Errors.empty());
}

// The tool runs the assembly's own unregistration code as administrator: an assembly in a
// folder other users can change is not handed to it, and an error line says why.
TEST_F(RegasmStepTest, AnAssemblyOtherUsersCanChangeIsNotHandedToTheTool) {
    InstallTool(FirstTool);
    const std::wstring assembly = Make(L"open\\a.dll");
    test::LetEveryoneChange(Root.Path() + L"open");

    RunRegasm(assembly);

    EXPECT_TRUE(RecordLines(ToolRecord).empty()) << "the tool ran";
    EXPECT_EQ(View.Errors,
              std::vector<std::wstring>{L"Assembly \"" + assembly + L"\" is not unregistered (\"" +
                                        Root.Path() + L"open\" lets S-1-1-0 change it)"});
}

TEST_F(RegasmStepTest, AnAssemblyThatIsNotThereIsNotHandedToTheTool) {
    InstallTool(FirstTool);
    RunRegasm(Root.Path() + L"missing.dll");
    // A relative path would name whatever lies below the current folder.
    Make(L"here.dll");
    SetCurrentDirectoryW(Root.Path().c_str());
    RunRegasm(L"here.dll");
    SetCurrentDirectoryW(L"B:\\");
    EXPECT_TRUE(RecordLines(ToolRecord).empty());
    EXPECT_TRUE(
        Traced(L"TMainForm|File \"" + Root.Path() + L"missing.dll\" not found => no regasm /u"));
    EXPECT_TRUE(Traced(L"TMainForm|File \"here.dll\" not found => no regasm /u"));
}

// The second place, with a blank in it: a program at the part before the blank must not be
// the one that starts.
TEST_F(RegasmStepTest, TheFrameworkInstallRootIsTheSecondPlace) {
    const std::wstring installRoot = Root.Path() + L"Net Root\\";
    InstallTool(installRoot + L"v4.0.30319\\regasm.exe");
    InstallTool(Root.Path() + L"Net.exe");
    test::WriteRegString(HKEY_LOCAL_MACHINE, FrameworkKey, L"InstallRoot", installRoot);
    const std::wstring assembly = Make(L"a.dll");

    RunRegasm(assembly);

    auto lines = RecordLines(ToolRecord);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(SameTextAscii(lines[0].at(0), installRoot + L"v4.0.30319\\regasm.exe"))
        << WideToUtf8(lines[0].at(0));
    EXPECT_EQ(lines[0].at(1), L"\"" + installRoot + L"v4.0.30319\\regasm.exe\" \"" + assembly +
                                  L"\" /unregister /silent");
}

TEST_F(RegasmStepTest, WithoutTheToolTheRunEnds) {
    test::WriteRegString(HKEY_LOCAL_MACHINE, FrameworkKey, L"InstallRoot", L"Framework\\");
    const std::wstring assembly = Make(L"a.dll");
    try {
        RunRegasm(assembly);
        ADD_FAILURE() << "the run went on";
    } catch (const std::exception& e) {
        EXPECT_EQ(ExceptionMessage(e), L"regasm.exe not found");
    }
    EXPECT_EQ(View.Phases().back(), L"Unregistering COM objects...");
}

} // namespace
