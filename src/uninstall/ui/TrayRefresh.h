#pragma once
#include "core/Object.h"

#include <windows.h>

// Makes the taskbar's notification area drop the icons of programs that have ended: the shell
// removes such an icon only when the pointer passes over it, so a pointer is swept across the
// notification toolbar by messages. Sender names the window in the trace.
void RefreshTrayIcon(const TObject* Sender);

// Enumeration callbacks: over the taskbar's descendants, then over the notification area's.
BOOL CALLBACK EnumFunc(HWND wnd, LPARAM param);
BOOL CALLBACK ProcessIcons(HWND wnd, LPARAM param);
