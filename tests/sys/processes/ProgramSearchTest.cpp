// Which program a command line starts when the program is given by its bare name.
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/files/SystemPath.h"
#include "sys/processes/ProgramSearch.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramSearch, BareNamesAreFoundInTheSystemFolderAndNamesWithAFolderAreLeftAlone) {
    const std::wstring system = TSystemPath::GetSystemPath();
    const struct {
        const wchar_t* CmdLine;
        std::wstring Program;
    } cases[] = {
        {L"NET SHARE x /DELETE", system + L"NET.exe"},
        {L"  netsh advfirewall firewall delete rule name=x", system + L"netsh.exe"},
        {L"\"cmd.exe\" /c exit 3", system + L"cmd.exe"},
        {L"cmd", system + L"cmd.exe"},
        // Found nowhere: the system folder's place, so the start fails as a missing program.
        {L"no-such-program-4711 x", system + L"no-such-program-4711.exe"},
        {L"C:\\tools\\net.exe share", L""},
        {L"\"C:\\Program Files\\x\\net.exe\" share", L""},
        {L".\\net.exe share", L""},
        {L"sub/net share", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(CompareStringOrdinal(ResolveProgram(c.CmdLine).c_str(), -1, c.Program.c_str(),
                                         -1, TRUE) == CSTR_EQUAL)
            << WideToUtf8(c.CmdLine) << " -> " << WideToUtf8(ResolveProgram(c.CmdLine));
}

} // namespace
