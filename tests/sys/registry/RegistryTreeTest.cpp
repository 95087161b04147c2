#include "sys/registry/RegistryTree.h"

#include "support/RegistrySupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using test::CreateRegKey;
using test::RegKeyExists;

TEST(RegistryTree, DeletesTheTreeOfThe32BitViewAndLeavesItsDecoy) {
    test::TTestKey key(HKEY_LOCAL_MACHINE, L"Software");
    CreateRegKey(HKEY_LOCAL_MACHINE, key.Path() + L"\\A\\B\\C");
    CreateRegKey(HKEY_LOCAL_MACHINE, key.Path() + L"\\D");
    CreateRegKey(HKEY_LOCAL_MACHINE, key.Path() + L"\\Decoy", KEY_WOW64_64KEY);

    Registry::TTreeDeletion deletion = Registry::DeleteTree(HKEY_LOCAL_MACHINE, key.Path());

    EXPECT_TRUE(deletion.Deleted()) << deletion.Error;
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, key.Path()));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, key.Path() + L"\\Decoy", KEY_WOW64_64KEY));
}

TEST(RegistryTree, ALinkGoesAsItselfAndWhatItPointsAtStaysWhole) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    const std::wstring target = key.Path() + L"\\Target";
    CreateRegKey(HKEY_CURRENT_USER, target + L"\\Child");
    const std::wstring targetName = test::UserHiveName() + L"\\" + target;
    test::CreateRegLink(key.Path() + L"\\Tree\\Sub\\Link", targetName);
    test::CreateRegLink(key.Path() + L"\\TopLink", targetName);
    test::CreateRegLink(key.Path() + L"\\Dangling", targetName + L"\\Gone");
    ASSERT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\TopLink\\Child"));

    // A link inside the tree, a link named by the path, a link whose target is gone.
    EXPECT_TRUE(Registry::DeleteTree(HKEY_CURRENT_USER, key.Path() + L"\\Tree").Deleted());
    EXPECT_TRUE(Registry::DeleteTree(HKEY_CURRENT_USER, key.Path() + L"\\TopLink").Deleted());
    EXPECT_TRUE(Registry::KeyExists(HKEY_CURRENT_USER, key.Path() + L"\\Dangling"));
    EXPECT_TRUE(Registry::DeleteTree(HKEY_CURRENT_USER, key.Path() + L"\\Dangling").Deleted());

    EXPECT_FALSE(test::RegLinkExists(HKEY_CURRENT_USER, key.Path() + L"\\Tree"));
    EXPECT_FALSE(test::RegLinkExists(HKEY_CURRENT_USER, key.Path() + L"\\TopLink"));
    EXPECT_FALSE(test::RegLinkExists(HKEY_CURRENT_USER, key.Path() + L"\\Dangling"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, target + L"\\Child"));
}

TEST(RegistryTree, APathThatReachesASystemKeyThroughALinkIsRefused) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    const std::wstring canary = L"Software\\Policies\\" + key.Name();
    CreateRegKey(HKEY_CURRENT_USER, canary);
    test::CreateRegLink(key.Path() + L"\\Up", test::UserHiveName() + L"\\Software");

    Registry::TTreeDeletion deletion =
        Registry::DeleteTree(HKEY_CURRENT_USER, key.Path() + L"\\Up\\Policies");

    EXPECT_EQ(deletion.Refusal, L"the key is a system key");
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, canary));
    test::DeleteRegTreeSafely(HKEY_CURRENT_USER, canary);
}

TEST(RegistryTree, AKeyThatCannotGoLeavesItsErrorAndTheRestOfTheTreeGoes) {
    test::TTestKey key(HKEY_CURRENT_USER, L"Software");
    CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\A\\Locked");
    CreateRegKey(HKEY_CURRENT_USER, key.Path() + L"\\A\\Free\\x");
    test::DenyRegDelete(HKEY_CURRENT_USER, key.Path() + L"\\A\\Locked");

    Registry::TTreeDeletion deletion = Registry::DeleteTree(HKEY_CURRENT_USER, key.Path() + L"\\A");

    EXPECT_EQ(deletion.Error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(deletion.Refusal.empty());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\A\\Locked"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key.Path() + L"\\A\\Free"));
}

TEST(RegistryTree, ProtectedAndMissingKeysAreNotDeleted) {
    EXPECT_EQ(Registry::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node").Refusal,
              L"the key is a top key of its hive");
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft"));
    const std::wstring missing = test::UniqueName(L"Software\\NrvTest-");
    EXPECT_EQ(Registry::DeleteTree(HKEY_CURRENT_USER, missing).Error,
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Registry::KeyExists(HKEY_CURRENT_USER, missing));
}

} // namespace
