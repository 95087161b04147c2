#include "core/Exception.h"
#include "support/EnvSupport.h"
#include "support/EnvTraceSupport.h"
#include "support/TestSupport.h"
#include "sys/files/ForceDelete.h"

#include <gtest/gtest.h>

namespace {

class ForceDelete : public test::TTracedTest {
protected:
    test::TTempFolder Folder;
};

TEST_F(ForceDelete, AMissingFileIsNoError) {
    EXPECT_NO_THROW(ForceDeleteFile(Folder.Path() + L"missing.txt"));
    EXPECT_TRUE(Trace().empty());
}

TEST_F(ForceDelete, DeletesPlainAndReadOnlyFiles) {
    for (DWORD attributes :
         {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY,
          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}) {
        std::wstring file = Folder.Path() + L"victim.txt";
        test::WriteTextFile(file, "x");
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), attributes));
        EXPECT_NO_THROW(ForceDeleteFile(file)) << attributes;
        EXPECT_FALSE(test::FileExists(file)) << attributes;
    }
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(ForceDelete, AFileHeldOpenByAnotherProcessFailsWithTheWrappedMessage) {
    std::wstring file = Folder.Path() + L"held.txt";
    test::WriteTextFile(file, "x");
    test::TRunningProcess holder(L"\"" + test::HelperPath(L"procs_child.exe") + L"\" hold \"" +
                                 file + L"\"");
    ASSERT_TRUE(test::WaitForFile(file + L".held", 20000));
    try {
        ForceDeleteFile(file);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"ForceDeleteFile(\"" + file + L"\") failed (Delete file \"" + file +
                                   L"\" failed)");
    }
    EXPECT_TRUE(test::FileExists(file));
    std::vector<test::TTraceLine> errors = ErrorLines();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Text, L"DoException: Delete file \"" + file + L"\" failed");
    EXPECT_EQ(errors[1].Text, L"DoException: ForceDeleteFile(\"" + file +
                                  L"\") failed (Delete file \"" + file + L"\" failed)");
}

} // namespace
