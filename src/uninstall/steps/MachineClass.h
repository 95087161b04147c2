#pragma once
#include <string>
#include <vector>

// The class a ProgID names, read where only administrators write: the machine's classes
// (HKLM\Software\Classes, the 32-bit view this program sees), never the classes a user may lay
// over them in their own profile.
namespace MachineClass {

// Below HKEY_LOCAL_MACHINE.
extern const std::wstring ClassesKey;

// The class identifier of the ProgID (its "CLSID" subkey's default value); empty when the
// machine has none.
std::wstring OfProgID(const std::wstring& ProgID);

// The files below Folder that some class of the machine names as its in-process server, as
// the registry spells them (expanded with the machine's variables, without quotes).
std::vector<std::wstring> InprocServersBelow(const std::wstring& Folder);

// Why the class must stay: empty when it is the suite's (it names ProgID as its own, or its
// server lies below one of the suite's folders) or when the machine has no such class.
std::wstring Refusal(const std::wstring& ProgID, const std::wstring& Clsid);

} // namespace MachineClass
