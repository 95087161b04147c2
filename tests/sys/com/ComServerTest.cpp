// Loading a COM server: where its own imports come from.
#include "core/SystemError.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/com/ComServer.h"
#include "sys/files/ProvenPath.h"
#include "sys/files/UserControl.h"

#include <gtest/gtest.h>

namespace {

// The tests' server imports com_dep.dll, which lies beside it, as a library planted beside a
// server in a folder users may add to would. Searched beside the server, it is taken; searched
// in the system folder only, it is not, and the server does not load.
TEST(ComServer, AServerWhoseFolderUsersMayAddToGetsItsImportsFromTheSystemFolderOnly) {
    test::TTempFolder folder;
    const std::wstring server = folder.Path() + L"server.dll";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_server.dll").c_str(), server.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(),
                          (folder.Path() + L"com_dep.dll").c_str(), FALSE));

    const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(server);
    ASSERT_TRUE(proof.Proven) << WideToUtf8(proof.Reason);
    DWORD error = ERROR_SUCCESS;
    {
        TModuleHandle limited =
            ComServer::Load(*proof.Proven, ComServer::TImportSearch::SystemOnly, error);
        EXPECT_FALSE(limited) << "the import beside it was taken";
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND))
            << WideToUtf8(SystemErrorText(error));
    }
    TModuleHandle beside =
        ComServer::Load(*proof.Proven, ComServer::TImportSearch::BesideAndSystem, error);
    EXPECT_TRUE(beside) << WideToUtf8(SystemErrorText(error));
}

// A library replaced after it was proven is not loaded: what loads is what was checked.
TEST(ComServer, ALibraryReplacedSinceItWasProvenIsNotLoaded) {
    test::TTempFolder folder;
    const std::wstring server = folder.Path() + L"server.dll";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(), server.c_str(), FALSE));
    const FileSystem::TPathProof proof = FileSystem::ProveOutOfUsersReach(server);
    ASSERT_TRUE(proof.Proven) << WideToUtf8(proof.Reason);
    // Moved aside, not deleted: a new file could get the freed number of the old one.
    ASSERT_TRUE(MoveFileW(server.c_str(), (server + L".old").c_str()));
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(), server.c_str(), FALSE));
    DWORD error = ERROR_SUCCESS;
    TModuleHandle replaced =
        ComServer::Load(*proof.Proven, ComServer::TImportSearch::SystemOnly, error);
    EXPECT_FALSE(replaced) << "the replaced library was loaded";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_INVALID));
}

// Which folders count as ones users may add to: one they can change, and one whose own access
// list lets them add entries; the test's own folder is neither.
TEST(ComServer, AFolderUsersMayAddToIsTold) {
    test::TTempFolder closed, open;
    EXPECT_EQ(FileSystem::AddingEntriesReason(closed.Path()), L"");
    test::LetEveryoneChange(open.Path());
    const std::wstring reason = FileSystem::AddingEntriesReason(open.Path());
    EXPECT_NE(reason.find(L"lets S-1-1-0 change it"), std::wstring::npos) << WideToUtf8(reason);
}

} // namespace
