#pragma once
#include "uninstall/engine/Engine.h"

#include <windows.h>

#include <string>

// How the registry steps delete a key tree and report what the registry guard refuses.

// The error line of a key the guard refuses: "Registry key "<Shown>" is not deleted (<reason>)".
void ShowKeyRefusal(TUninstallEngine& Engine, const std::wstring& Shown,
                    const std::wstring& Reason);

struct TStepKeyDeletion {
    bool Deleted = false;
    // The system's text when the key could not go; empty when it went or was refused.
    std::wstring Error;
};

// Deletes Path below Root with all its subkeys (links as themselves). A refusal of the guard
// is shown at once, naming the key as Shown, and leaves Deleted false and Error empty.
TStepKeyDeletion DeleteKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                               const std::wstring& Shown);

// What DeleteKeyTree would do, changing nothing: the key reported as one that would be
// deleted, or the guard's refusal shown as DeleteKeyTree shows it.
void ReportKeyTree(TUninstallEngine& Engine, HKEY Root, const std::wstring& Path,
                   const std::wstring& Shown);
