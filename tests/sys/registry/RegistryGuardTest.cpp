#include "sys/registry/RegistryGuard.h"

#include "core/Text.h"

#include <gtest/gtest.h>

namespace {

struct TKeyCase {
    HKEY Root;
    const wchar_t* Path;
    bool Refused;
};

const TKeyCase KeyCases[] = {
    // Roots and the top keys of a hive, however written.
    {HKEY_LOCAL_MACHINE, L"", true},
    {HKEY_LOCAL_MACHINE, L"\\", true},
    {HKEY_LOCAL_MACHINE, L"Software", true},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\", true},
    {HKEY_LOCAL_MACHINE, L"\\Software\\\\", true},
    {HKEY_LOCAL_MACHINE, L"Hardware", true},
    {HKEY_LOCAL_MACHINE, L"SAM", true},
    {HKEY_CURRENT_USER, L"", true},
    {HKEY_CURRENT_USER, L"Software", true},
    {HKEY_CURRENT_USER, L"Environment", true},
    {HKEY_CURRENT_USER, L"Control Panel", true},
    {HKEY_CLASSES_ROOT, L"", true},
    // Wow6432Node is where this program stands already.
    {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\Wow6432Node\\CLSID", true},
    {HKEY_CLASSES_ROOT, L"Wow6432Node", true},
    {HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID", true},
    // The system's keys and the collections of every program.
    {HKEY_LOCAL_MACHINE, L"Software\\Classes", true},
    {HKEY_LOCAL_MACHINE, L"software\\microsoft", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify",
     true},
    {HKEY_LOCAL_MACHINE, L"Software\\Policies", true},
    {HKEY_CURRENT_USER, L"Software\\Classes", true},
    {HKEY_CURRENT_USER, L"Software\\Classes\\TypeLib", true},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
    {HKEY_CLASSES_ROOT, L"CLSID", true},
    {HKEY_CLASSES_ROOT, L"clsid\\", true},
    {HKEY_CLASSES_ROOT, L"Interface", true},
    {HKEY_CLASSES_ROOT, L"TypeLib", true},
    {HKEY_CLASSES_ROOT, L"AppID", true},
    {HKEY_CLASSES_ROOT, L"*", true},
    // System, and every control set, but a service's own key.
    {HKEY_LOCAL_MACHINE, L"System", true},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet", true},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Services", true},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", true},
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\ControlSet001\\Control", true},
    {HKEY_LOCAL_MACHINE, L"System\\Setup", true},
    {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Services\\NorvaSvc", false},
    {HKEY_LOCAL_MACHINE, L"System\\ControlSet002\\Services\\NorvaSvc\\Parameters", false},
    // What the suite owns.
    {HKEY_LOCAL_MACHINE, L"Software\\Norva", false},
    {HKEY_LOCAL_MACHINE, L"\\Software\\Wow6432Node\\Talveno", false},
    {HKEY_LOCAL_MACHINE,
     L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\Norva", false},
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe", false},
    {HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{0C3A2B7E-1111-4B5F-9D1C-000000000001}",
     false},
    {HKEY_CURRENT_USER, L"Software\\Velmarix", false},
    {HKEY_CURRENT_USER,
     L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles",
     false},
    {HKEY_CLASSES_ROOT, L"dxifile", false},
    {HKEY_CLASSES_ROOT, L"kvcomp1.document", false},
    {HKEY_CLASSES_ROOT, L"CLSID\\{0C3A2B7E-1111-4B5F-9D1C-000000000001}", false},
    // Only the three roots of the script are known.
    {HKEY_USERS, L".DEFAULT\\Software\\Norva", true},
};

TEST(RegistryGuard, RefusesRootsTopKeysAndSystemKeysByPath) {
    for (const auto& c : KeyCases)
        EXPECT_EQ(!ProtectedKeyReason(c.Root, c.Path).empty(), c.Refused) << WideToUtf8(c.Path);
    EXPECT_EQ(ProtectedKeyReason(HKEY_LOCAL_MACHINE, L"Software"),
              L"the key is a top key of its hive");
    EXPECT_EQ(ProtectedKeyReason(HKEY_CLASSES_ROOT, L""), L"the key is a registry root");
    EXPECT_EQ(ProtectedKeyReason(HKEY_CLASSES_ROOT, L"CLSID"), L"the key is a system key");
}

TEST(RegistryGuard, JudgesARealKeyNameLikeThePathItStandsFor) {
    const std::wstring user = L"\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000";
    const std::pair<std::wstring, bool> cases[] = {
        {L"\\REGISTRY\\MACHINE\\SOFTWARE\\Wow6432Node", true},
        {L"\\REGISTRY\\Machine\\Software\\Wow6432Node\\Norva", false},
        {L"\\REGISTRY\\MACHINE\\Software\\Classes\\Wow6432Node\\CLSID", true},
        {L"\\REGISTRY\\MACHINE\\System\\CurrentControlSet\\Services\\NorvaSvc", false},
        {L"\\REGISTRY\\MACHINE", true},
        {user, true},
        {user + L"\\Software", true},
        {user + L"\\Software\\Policies", true},
        {user + L"\\Software\\Talveno", false},
        {user + L"_Classes", true},
        {user + L"_Classes\\CLSID", true},
        {user + L"_Classes\\dxifile", false},
        {L"\\REGISTRY\\USER", true},
        {L"\\REGISTRY\\A\\B", true},
        {L"Software\\Norva", true},
        {L"", true},
    };
    for (const auto& [name, refused] : cases)
        EXPECT_EQ(!ProtectedKeyNameReason(name).empty(), refused) << WideToUtf8(name);
}

} // namespace
