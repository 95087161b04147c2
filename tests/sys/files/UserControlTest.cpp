// Whether other users can change what a path names: decided on real descriptors, and on real
// entries of the prefix.
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/files/AdminOnlyFolder.h"
#include "sys/files/UserControl.h"

#include <gtest/gtest.h>
#include <sddl.h>

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

} // namespace
