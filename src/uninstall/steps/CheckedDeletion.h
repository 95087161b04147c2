#pragma once
#include <string>

class TUninstallEngine;

// What the File, Shortcut and Folder steps share when they delete one entry through the
// handle that checked it (sys/FileEntry.h).

// A link the system opens only as its target (a Unix symbolic link under Wine) cannot be
// removed without touching the target, and a restart would not do better: it stays, with the
// error line 'Link "<Path>" is not deleted (<reason>)'.
void LeaveLink(TUninstallEngine& Engine, const std::wstring& Path);
// The preview's line for such a link.
void ReportLinkLeft(TUninstallEngine& Engine, const std::wstring& Path);

// Deletes the file at Opened (where the system puts it) through the handle that checks it;
// Shown is how the step names it. A link as above stays; attributes that keep the deletion
// from working are cleared, as ForceDeleteFile would; what still cannot go is in use and goes
// to the locked list. True when the file is gone.
bool DeleteCheckedFile(TUninstallEngine& Engine, const std::wstring& Shown,
                       const std::wstring& Opened);

// The preview's line for an entry in use: it would wait for the restart, or, where the restart
// list would refuse it (RestartRefusal of LockedFiles.h, with TreeTop), the error line the run
// would show, its reason traced before.
void ReportInUse(TUninstallEngine& Engine, const std::wstring& Path, const std::wstring& TreeTop);
