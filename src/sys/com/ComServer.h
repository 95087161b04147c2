#pragma once
#include "core/Handle.h"

#include <optional>
#include <string>

// An in-process COM server loaded to call its own unregistration.
namespace ComServer {

// Loads the library at Path (a full path) with the system's critical-error boxes off. Its own
// imports are searched in its folder and the system folder only: a library planted beside the
// uninstaller is never pulled in. Empty when it cannot be loaded; the system's code is then in
// Error.
[[nodiscard]] TModuleHandle Load(const std::wstring& Path, DWORD& Error);

// Calls the library's DllUnregisterServer; nothing when it has no such export.
[[nodiscard]] std::optional<HRESULT> Unregister(HMODULE Module);

} // namespace ComServer
