#include "sys/processes/DllSearch.h"

#include "core/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A program in a downloads folder, and beside it a library that is no system library.
TEST(DllSearch, ALibraryBesideTheProgramIsNotLoadedByName) {
    test::TTempFolder downloads;
    const std::wstring probe = downloads.Path() + L"dll_probe.exe";
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"dll_probe.exe").c_str(), probe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(test::HelperPath(L"com_dep.dll").c_str(),
                          (downloads.Path() + L"com_dep.dll").c_str(), FALSE));

    auto plain = test::Run(L"\"" + probe + L"\" com_dep.dll");
    EXPECT_EQ(plain.ExitCode, 0u) << plain.Output;
    auto restricted = test::Run(L"\"" + probe + L"\" com_dep.dll default-search");
    EXPECT_EQ(restricted.ExitCode, 1u) << restricted.Output;
    // The system's own libraries are still found.
    auto system = test::Run(L"\"" + probe + L"\" version.dll default-search");
    EXPECT_EQ(system.ExitCode, 0u) << system.Output;
}

} // namespace
