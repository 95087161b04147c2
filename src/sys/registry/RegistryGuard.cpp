#include "sys/registry/RegistryGuard.h"

#include "core/Text.h"

#include <vector>

namespace {

using TParts = std::vector<std::wstring>;

// The names of a key path. The registry skips empty names ("Software\\X\" opens Software\X),
// and Wow6432Node leads this program back to where it stands, so neither counts.
TParts Parts(const std::wstring& Path) {
    TParts parts;
    size_t start = 0;
    while (start <= Path.size()) {
        size_t end = Path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = Path.size();
        std::wstring part = Path.substr(start, end - start);
        if (!part.empty() && !SameText(part, L"Wow6432Node"))
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

bool Equal(const TParts& a, const TParts& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameText(a[i], b[i]))
            return false;
    return true;
}

bool IsOneOf(const TParts& parts, const std::vector<const wchar_t*>& keys) {
    for (const wchar_t* key : keys)
        if (Equal(parts, Parts(key)))
            return true;
    return false;
}

const wchar_t* const RootKey = L"the key is a registry root";
const wchar_t* const TopKey = L"the key is a top key of its hive";
const wchar_t* const SystemKey = L"the key is a system key";
const wchar_t* const UnknownRoot = L"the key lies below no known registry root";

// Keys of a classes root whose subkeys belong to every program of the machine.
const std::vector<const wchar_t*> ClassCollections = {
    L"CLSID",  L"Interface", L"TypeLib", L"AppID",     L"*",    L"AllFilesystemObjects",
    L"Folder", L"Directory", L"Drive",   L"Installer", L"MIME", L"SystemFileAssociations",
};

// Keys of a machine or user hive that the system owns or that hold other programs' entries.
const std::vector<const wchar_t*> HiveSystemKeys = {
    L"Software\\Classes",
    L"Software\\Clients",
    L"Software\\Microsoft",
    L"Software\\Policies",
    L"Software\\Policies\\Microsoft",
    L"Software\\RegisteredApplications",
    L"Software\\Microsoft\\Windows",
    L"Software\\Microsoft\\Windows\\CurrentVersion",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    L"Software\\Microsoft\\Windows NT",
    L"Software\\Microsoft\\Windows NT\\CurrentVersion",
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify",
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem",
};

std::wstring ClassesReason(const TParts& parts) {
    if (parts.empty())
        return RootKey;
    return IsOneOf(parts, ClassCollections) ? SystemKey : L"";
}

bool IsControlSet(const std::wstring& name) {
    if (SameText(name, L"CurrentControlSet"))
        return true;
    return name.size() == 13 && SameText(name.substr(0, 10), L"ControlSet") &&
           name.find_first_not_of(L"0123456789", 10) == std::wstring::npos;
}

// Below System only a service's own key, and what lies below it, may go.
std::wstring MachineSystemReason(const TParts& parts) {
    bool serviceKey =
        parts.size() >= 4 && IsControlSet(parts[1]) && SameText(parts[2], L"Services");
    return serviceKey ? L"" : SystemKey;
}

enum class THive { Machine, User, Classes };

std::wstring Reason(THive Hive, const TParts& parts) {
    if (Hive == THive::Classes)
        return ClassesReason(parts);
    if (parts.empty())
        return RootKey;
    if (parts.size() == 1)
        return TopKey;
    if (SameText(parts[0], L"Software") && SameText(parts[1], L"Classes") && parts.size() > 2)
        return ClassesReason(TParts(parts.begin() + 2, parts.end()));
    if (Hive == THive::Machine && SameText(parts[0], L"System"))
        return MachineSystemReason(parts);
    return IsOneOf(parts, HiveSystemKeys) ? SystemKey : L"";
}

} // namespace

std::wstring ProtectedKeyReason(HKEY Root, const std::wstring& Path) {
    if (Root == HKEY_LOCAL_MACHINE)
        return Reason(THive::Machine, Parts(Path));
    if (Root == HKEY_CURRENT_USER)
        return Reason(THive::User, Parts(Path));
    if (Root == HKEY_CLASSES_ROOT)
        return Reason(THive::Classes, Parts(Path));
    return UnknownRoot;
}

std::wstring ProtectedKeyNameReason(const std::wstring& RealName) {
    TParts parts = Parts(RealName);
    if (parts.size() < 2 || !SameText(parts[0], L"REGISTRY"))
        return UnknownRoot;
    if (SameText(parts[1], L"MACHINE"))
        return Reason(THive::Machine, TParts(parts.begin() + 2, parts.end()));
    if (!SameText(parts[1], L"USER"))
        return UnknownRoot;
    // \REGISTRY\USER\<sid> is a user's hive, \REGISTRY\USER\<sid>_Classes the user's classes.
    if (parts.size() == 2)
        return RootKey;
    const std::wstring& hive = parts[2];
    const std::wstring suffix = L"_Classes";
    bool classes =
        hive.size() > suffix.size() && SameText(hive.substr(hive.size() - suffix.size()), suffix);
    return Reason(classes ? THive::Classes : THive::User, TParts(parts.begin() + 3, parts.end()));
}
