#pragma once
#include "core/Handle.h"
#include "uninstall/engine/Engine.h"

#include <windows.h>

#include <string>

// How the registry steps delete a key tree and report what the registry guard refuses.

// The error line of a key the guard refuses: "Registry key "<Shown>" is not deleted (<reason>)".
void ShowKeyRefusal(TUninstallEngine& Engine, const std::wstring& Shown,
                    const std::wstring& Reason);

// Errors whose texts log readers match to the letter carry no reason of the system's: the
// reason goes on a trace line of its own right before ("  reason: <Reason>"). The first shows
// the error line, the second raises the text.
void ShowErrorWithReason(TUninstallEngine& Engine, const std::wstring& Text,
                         const std::wstring& Reason);
[[noreturn]] void RaiseWithReason(TUninstallEngine& Engine, const std::wstring& Text,
                                  const std::wstring& Reason);

// The key opened for a step with Access; one that cannot be opened raises "Open registry key
// "<Path>" failed", the system's reason traced before.
TRegKey OpenStepKey(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path, REGSAM Access);

struct TStepKeyDeletion {
    bool Deleted = false;
    // The system's text when the key could not go; empty when it went or was refused.
    std::wstring Error;
};

// Deletes Path below Root with all its subkeys (links as themselves). A refusal of the guard
// is shown at once, naming the key as Shown, and leaves Deleted false and Error empty.
TStepKeyDeletion DeleteKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                               const std::wstring& Shown);

// The same for the subkey Name of the open key Parent, which is ParentPath below Root: deleted
// through Parent, never by its path again. The key is shown as its path.
TStepKeyDeletion DeleteSubKeyTree(TUninstallEngine& Engine, HKEY Parent, HKEY Root,
                                  const std::wstring& ParentPath, const std::wstring& Name);

// What DeleteKeyTree would do, changing nothing: the key reported as one that would be
// deleted, or the guard's refusal shown as DeleteKeyTree shows it.
void ReportKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                   const std::wstring& Shown);
