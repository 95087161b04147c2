#pragma once
#include <windows.h>

#include <string>

// Whether users without administrator rights can change what a path names. The program runs
// as administrator, but the paths it acts on may lie in places other users write; before it
// loads a library or leaves a path to the next restart, it asks here.
namespace FileSystem {

// Why another user could change Path, or make it name something else: the entry itself, or a
// folder above it up to the volume's root, is a link, is owned by someone other than the
// administrators, the system, the installer service or the account this program runs as, or
// lets anyone else write it, delete or rename it, change its permissions or owner, or (a
// folder) delete its children. The right to add entries to a folder does not by itself count,
// except above a part of the path that does not exist yet: whoever may create that part decides
// what the path names. An entry whose security cannot be read counts as changeable. Empty when
// no other user can change it.
std::wstring UserControlReason(const std::wstring& Path);

// Why a file this program is about to write at Path (a log, a report) could end up where
// another user wants it: its folder, or whoever may create the folder's missing parts, is
// within their reach (UserControlReason), or the entry at the name is a link or theirs. A
// folder that only lets users add entries, as ProgramData's do, does not count once it exists.
// Empty when only the trusted accounts decide where the file goes.
std::wstring OutputFileReason(const std::wstring& Path);

// Why other users could add an entry to Folder (a library planted beside a server, say): it is
// within their reach (UserControlReason), or its own access list lets them add files or
// folders, as ProgramData's folders do. Empty when only the trusted accounts may.
std::wstring AddingEntriesReason(const std::wstring& Folder);

// The same decision for one entry, from its security descriptor. Empty when only trusted
// accounts may change it; else what lets someone else do so, naming Path.
std::wstring DescriptorControlReason(const std::wstring& Path, PSECURITY_DESCRIPTOR Descriptor,
                                     bool Folder, bool AddingCounts);

} // namespace FileSystem
