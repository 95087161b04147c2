// The single instance: who may open the mutex it makes, and whose mutex of the name makes a run
// step aside.
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"
#include "sys/processes/SingleInstance.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

namespace {

std::wstring MutexName() {
    return L"Global\\" + test::UniqueName(L"NrvTest.Mutex.");
}

// The access list grants the administrators and the system full access: a run as the system
// (a deployment tool) and an administrator's run each open the other's mutex and step aside.
TEST(SingleInstance, TheMutexLetsTheAdministratorsAndTheSystemOpenIt) {
    const std::wstring name = MutexName();
    TSingleInstance first(name);
    ASSERT_TRUE(first.First());
    TKernelHandle mutex(OpenMutexW(READ_CONTROL, FALSE, name.c_str()));
    ASSERT_TRUE(mutex);
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(mutex.Get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor),
              ERROR_SUCCESS);
    TLocalMemory owned(descriptor);
    ASSERT_TRUE(acl);
    for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        ASSERT_TRUE(CreateWellKnownSid(type, nullptr, sid, &size));
        ACCESS_MASK rights = 0;
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
            if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, sid))
                rights |= ace->Mask;
        }
        // Stored as given or mapped to the mutex's own rights.
        EXPECT_TRUE((rights & GENERIC_ALL) != 0 ||
                    (rights & MUTEX_ALL_ACCESS) == static_cast<ACCESS_MASK>(MUTEX_ALL_ACCESS))
            << type << ": " << std::hex << rights;
    }
    TSingleInstance second(name);
    EXPECT_FALSE(second.First());
    EXPECT_FALSE(second.Taken());
}

// A mutex of the name made first: its owner decides. The system's or the administrators' is
// another uninstaller's, and this run steps aside; another account's, or one nobody here may
// open, is a squatter's and is passed over.
TEST(SingleInstance, TheOwnerOfAMutexMadeFirstDecides) {
    struct TCase {
        const wchar_t* Sddl;
        bool First;
        bool Taken;
    } cases[] = {
        {L"O:SYD:P(A;;GA;;;BA)(A;;GA;;;SY)", false, false},
        {L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)", false, false},
        {L"O:S-1-5-21-1-2-3-1001D:P(A;;GA;;;WD)", true, true},
        {L"O:SYD:P", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.Sddl));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.Sddl, SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        TLocalMemory owned(descriptor);
        SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
        const std::wstring name = MutexName();
        TKernelHandle made(CreateMutexW(&security, FALSE, name.c_str()));
        ASSERT_TRUE(made);
        TSingleInstance instance(name);
        EXPECT_EQ(instance.First(), c.First);
        EXPECT_EQ(instance.Taken(), c.Taken);
    }
}

} // namespace
