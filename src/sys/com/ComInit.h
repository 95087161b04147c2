#pragma once
#include <windows.h>

#include <objbase.h>

// Initialises COM on the calling thread for the object's lifetime. MSXML and the shell need it
// on every thread that uses them. When the thread already runs COM in another apartment model
// the object keeps using that and does not uninitialise it.
class TComInit {
public:
    explicit TComInit(DWORD CoInit = COINIT_APARTMENTTHREADED);
    ~TComInit();
    TComInit(const TComInit&) = delete;
    TComInit& operator=(const TComInit&) = delete;

private:
    bool FOwned = false;
};
