#pragma once
#include <windows.h>

#include <string>

// Guards the registry deletions of the uninstall script against keys that must never go,
// whatever a script says: a root, the top keys of a hive, and the system's own keys and
// collections (Software, Software\Classes, Software\Microsoft and the Windows keys below it,
// Software\Policies, System and everything below a control set but a service's own key, and
// the CLSID, Interface, TypeLib and AppID collections themselves). "Wow6432Node" names no key
// of its own to this 32-bit program: it is left out before comparing, so
// "Software\Wow6432Node" is "Software".
//
// Returns an empty text when the key may be deleted, else why not.
std::wstring ProtectedKeyReason(HKEY Root, const std::wstring& Path);

// The same rules for a key known by its real name, as the registry reports it for an open key
// ("\REGISTRY\MACHINE\...", "\REGISTRY\USER\<sid>\..."): what a key is, whatever links and
// redirection led to it. A name below no known root is refused.
std::wstring ProtectedKeyNameReason(const std::wstring& RealName);
