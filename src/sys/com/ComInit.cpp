#include "sys/com/ComInit.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"

#include <objbase.h>

TComInit::TComInit(DWORD CoInit) {
    HRESULT hr = CoInitializeEx(nullptr, CoInit);
    if (hr == RPC_E_CHANGED_MODE)
        return;
    CheckHResult(hr, L"CoInitializeEx failed");
    FOwned = true;
}

TComInit::~TComInit() {
    if (FOwned)
        CoUninitialize();
}
