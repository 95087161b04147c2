#include "core/Exception.h"
#include "core/Handle.h"
#include "core/SystemError.h"
#include "core/Text.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::wstring Raised(const std::function<void()>& Check) {
    try {
        Check();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

// Every check nests the system's own text for the error in the caller's message.
TEST(PlatformChecks, NestTheSystemsTextInTheCallersMessage) {
    const std::wstring notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(notFound.empty());
    const std::wstring missing = L"C:\\no-such-file-7f3a.txt";
    struct TCase {
        const char* Name;
        std::function<void()> Check;
        std::wstring Expected;
    } cases[] = {
        {"BOOL", [&] { CheckBool(DeleteFileW(missing.c_str()), L"DeleteFile failed"); },
         L"DeleteFile failed (" + notFound + L")"},
        {"handle",
         [&] {
             CheckHandle(
                 CreateFileW(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
                 L"CreateFile failed");
         },
         L"CreateFile failed (" + notFound + L")"},
        {"status", [] { CheckStatus(ERROR_FILE_NOT_FOUND, L"RegOpenKeyEx failed"); },
         L"RegOpenKeyEx failed (" + notFound + L")"},
        {"code without text", [] { CheckStatus(0x1ABC0, L"Call failed"); },
         L"Call failed (0x1ABC0)"},
        {"HRESULT", [] { CheckHResult(E_FAIL, L"CoCreateInstance failed"); },
         L"CoCreateInstance failed (" + SystemErrorText(static_cast<DWORD>(E_FAIL)) +
             L" (0x80004005))"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Raised(c.Check), c.Expected) << c.Name;
}

TEST(PlatformChecks, SuccessPassesTheResultOn) {
    TKernelHandle event(CheckHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr), L"never"));
    EXPECT_TRUE(event);
    EXPECT_EQ(CheckHResult(S_FALSE, L"never"), S_FALSE);
    EXPECT_NO_THROW(CheckStatus(ERROR_SUCCESS, L"never"));
}

TEST(SystemErrorText, HasNoTrailingFullStopOrLineBreak) {
    const std::wstring text = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'.');
    EXPECT_GT(text.back(), L' ');
    EXPECT_EQ(SystemErrorText(0x1ABC0), L"");
}

TEST(IncludeTrailingBackslash, AddsOnlyWhatIsMissingAndKeepsTheEmptyTextEmpty) {
    EXPECT_EQ(IncludeTrailingBackslash(L"C:\\Suite"), L"C:\\Suite\\");
    EXPECT_EQ(IncludeTrailingBackslash(L"C:\\Suite\\"), L"C:\\Suite\\");
    EXPECT_EQ(IncludeTrailingBackslash(L"C:"), L"C:\\");
    EXPECT_EQ(IncludeTrailingBackslash(L""), L"");
}

} // namespace
