#pragma once
#include "sys/files/ProvenPath.h"
#include "core/Handle.h"

#include <optional>
#include <string>

// An in-process COM server loaded to call its own unregistration.
namespace ComServer {

// Where a server's own imports are searched: never the program's folder (a downloads folder),
// the current folder or the search path. Its own folder only where no other user can add a
// library there.
enum class TImportSearch { BesideAndSystem, SystemOnly };

// Loads the library at Path, proven out of other users' reach, with the system's critical-error
// boxes off, its own imports searched as Search says. Empty when it cannot be loaded; the
// system's code is then in Error (ERROR_FILE_INVALID: the path names something else than when
// it was proven).
[[nodiscard]] TModuleHandle Load(const FileSystem::TProvenPath& Path, TImportSearch Search,
                                 DWORD& Error);

// Calls the library's DllUnregisterServer; nothing when it has no such export.
[[nodiscard]] std::optional<HRESULT> Unregister(HMODULE Module);

} // namespace ComServer
