#pragma once
#include <windows.h>

// Calls into code that is not ours (a COM server's entry points) so that a crash in it, an
// access violation say, ends the call instead of the uninstaller.
namespace GuardedCall {

// Runs Call(Context); returns 0 when it returned, else the code of the structured exception
// that ended it. What Call's own frames held is abandoned, not destroyed: Call is a plain
// function that owns nothing.
DWORD Run(void (*Call)(void*), void* Context);

} // namespace GuardedCall
