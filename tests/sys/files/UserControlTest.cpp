// Whether other users can change what a path names: decided on real descriptors, and on real
// entries of the prefix.
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/files/AdminOnlyFolder.h"
#include "sys/files/UserControl.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <set>

namespace {

// The decision on descriptors Wine's file system cannot keep: owners, inherited-only entries,
// the right to add entries.
TEST(UserControl, TheDescriptorDecidesWhoElseCanChangeAnEntry) {
    struct TCase {
        const wchar_t* Sddl;
        bool Folder;
        bool AddingCounts;
        const wchar_t* Reason; // empty: nobody else can change it
    } cases[] = {
        {L"O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)", false, false, L""},
        {L"O:SYD:(A;;FA;;;SY)", true, true, L""},
        {L"O:BUD:(A;;FA;;;BA)", false, false, L"\"X\" is owned by S-1-5-32-545"},
        {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;BA)", true, false,
         L"\"X\" is owned by S-1-5-21-1-2-3-1001"},
        {L"O:BAD:(A;;FW;;;BU)", false, false, L"\"X\" lets S-1-5-32-545 change it"},
        // Users may add entries to the folder, as ProgramData lets them: what is in it stays
        // the administrators', unless the path goes on through a part that does not exist.
        {L"O:BAD:(A;;FA;;;BA)(A;;0x6;;;BU)", true, false, L""},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x6;;;BU)", true, true, L"\"X\" lets S-1-5-32-545 change it"},
        {L"O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;CO)(A;OICIIO;GA;;;BU)", true, false, L""},
        {L"O:BAD:(A;;0x40;;;AU)", true, false, L"\"X\" lets S-1-5-11 change it"},
        {L"O:BAD:(A;;SD;;;AU)", false, false, L"\"X\" lets S-1-5-11 change it"},
        {L"O:BAD:(A;;WDWO;;;WD)", true, false, L"\"X\" lets S-1-1-0 change it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.Sddl));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.Sddl, SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        TLocalMemory owned(descriptor);
        EXPECT_EQ(FileSystem::DescriptorControlReason(L"X", descriptor, c.Folder, c.AddingCounts),
                  c.Reason);
    }
    // No access list at all: everyone may do anything.
    SECURITY_DESCRIPTOR open{};
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    PSID administrators = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"BA", &administrators));
    TLocalMemory owner(administrators);
    SetSecurityDescriptorOwner(&open, administrators, FALSE);
    SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
    EXPECT_EQ(FileSystem::DescriptorControlReason(L"X", &open, false, false),
              L"\"X\" lets everyone change it");
}

// Real entries: a folder everyone may change makes everything below it changeable; a path
// through a link is refused; one through a part that does not exist yet is decided by who may
// create that part.
TEST(UserControl, AFolderAboveThatOthersCanChangeCounts) {
    test::TTempFolder root;
    const std::wstring open = root.Path() + L"open", closed = root.Path() + L"closed";
    CreateDirectoryW(open.c_str(), nullptr);
    CreateDirectoryW(closed.c_str(), nullptr);
    CreateDirectoryW((open + L"\\sub").c_str(), nullptr);
    test::WriteTextFile(open + L"\\sub\\f.dll", "x");
    test::WriteTextFile(closed + L"\\f.dll", "x");
    test::LetEveryoneChange(open);

    EXPECT_EQ(FileSystem::UserControlReason(closed + L"\\f.dll"), L"");
    EXPECT_EQ(FileSystem::UserControlReason(closed + L"\\missing\\f.dll"), L"");
    const std::wstring reason = FileSystem::UserControlReason(open + L"\\sub\\f.dll");
    EXPECT_EQ(reason.rfind(L"\"" + open + L"\" lets ", 0), 0u) << WideToUtf8(reason);

    const std::wstring link = L"C:\\guard-fixture\\suite\\dlink";
    ASSERT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the link fixture is missing";
    EXPECT_EQ(FileSystem::UserControlReason(link + L"\\sub\\keep.txt"),
              L"\"" + link + L"\" is a link");
}

// The folder for entries moved out of users' reach: in the volume's root, out of their reach
// itself, and under a name nobody can make first by guessing it (no process id, no tick count):
// each folder gets a name of its own.
TEST(UserControl, TheAdministratorsFolderHasANameNobodyCanGuess) {
    test::TTempFolder root;
    const std::wstring first = FileSystem::NewAdminOnlyFolder(root.Path());
    const std::wstring second = FileSystem::NewAdminOnlyFolder(root.Path());
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    for (const auto& folder : {first, second}) {
        SCOPED_TRACE(WideToUtf8(folder));
        EXPECT_EQ(folder.rfind(L"C:\\Uninstall.Pending.", 0), 0u);
        const std::wstring name = folder.substr(folder.rfind(L'.') + 1);
        // Not the process id and a tick count: 128 random bits.
        EXPECT_EQ(name.size(), 32u);
        EXPECT_EQ(name.find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
        EXPECT_EQ(FileSystem::UserControlReason(folder), L"");
        EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
    }
}

// The volume's root is checked after the folder is made: under a root everyone may change, the
// folder the system made is in users' reach whatever its own permissions say, so it is removed
// and no folder is given. The root's own permissions come back afterwards.
TEST(UserControl, AnAdministratorsFolderInUsersReachIsNotGiven) {
    test::TTempFolder root;
    const std::wstring volume = root.Path().substr(0, 3);
    ASSERT_EQ(volume, L"C:\\");
    PSECURITY_DESCRIPTOR saved = nullptr;
    PACL savedAcl = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(volume.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &savedAcl, nullptr, &saved),
              ERROR_SUCCESS);
    TLocalMemory savedOwned(saved);
    struct TRestore {
        const std::wstring& Volume;
        PACL Acl;
        ~TRestore() {
            SetNamedSecurityInfoW(const_cast<wchar_t*>(Volume.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION, nullptr, nullptr, Acl, nullptr);
        }
    } restore{volume, savedAcl};
    // Everyone may change the root itself; nothing of it is inherited below.
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    TLocalMemory openOwned(open);
    BOOL present = FALSE, defaulted = FALSE;
    PACL openAcl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(open, &present, &openAcl, &defaulted));
    ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(volume.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION, nullptr, nullptr, openAcl, nullptr),
              ERROR_SUCCESS);
    ASSERT_NE(FileSystem::UserControlReason(volume + L"x"), L"");

    const auto pending = [&] {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW((volume + L"Uninstall.Pending.*").c_str(), &data));
        for (bool more = bool(find); more; more = FindNextFileW(find.Get(), &data))
            names.insert(data.cFileName);
        return names;
    };
    const std::set<std::wstring> before = pending();
    const std::wstring folder = FileSystem::NewAdminOnlyFolder(root.Path());
    EXPECT_EQ(folder, L"");
    EXPECT_EQ(pending(), before) << "a folder was left behind";
    if (!folder.empty())
        RemoveDirectoryW(folder.c_str());
}

} // namespace
