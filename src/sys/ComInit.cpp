#include "sys/ComInit.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "sys/ComError.h"

#include <objbase.h>

TComInit::TComInit(DWORD CoInit) {
    HRESULT hr = CoInitializeEx(nullptr, CoInit);
    if (hr == RPC_E_CHANGED_MODE)
        return;
    if (FAILED(hr))
        throw Exception(Format(L"CoInitializeEx failed (%s)", {ComErrorText(hr)}));
    FOwned = true;
}

TComInit::~TComInit() {
    if (FOwned)
        CoUninitialize();
}
