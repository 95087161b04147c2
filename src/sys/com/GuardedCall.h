#pragma once
#include <windows.h>

// Calls into code that is not ours (a COM server's entry points) so that a crash in it, an
// access violation say, ends the call instead of the uninstaller.
namespace GuardedCall {

// Runs Call(Context); returns 0 when it returned, else the code of the structured exception
// that ended it. The frames between the fault and Call are unwound first (their own handlers
// see the unwinding), and the thread's chain of handlers is what it was on every way out, a
// C++ exception of Call's included, which goes on to the caller.
DWORD Run(void (*Call)(void*), void* Context);

// The head of the thread's chain of exception handler records (FS:[0]), and setting it: for
// code that keeps records of its own, as the guard does.
EXCEPTION_REGISTRATION_RECORD* ChainHead();
void SetChainHead(EXCEPTION_REGISTRATION_RECORD* Head);

} // namespace GuardedCall
