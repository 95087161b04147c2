#include "sys/SingleInstance.h"
#include "core/SystemError.h"

TSingleInstance::TSingleInstance(const std::wstring& Name) {
    FMutex.Reset(CreateMutexW(nullptr, FALSE, Name.c_str()));
    const DWORD error = GetLastError();
    // A mutex made by another account that does not let this one open it exists all the same.
    if (!FMutex && error == ERROR_ACCESS_DENIED)
        return;
    CheckHandle(FMutex.Get(), L"CreateMutex failed");
    FFirst = error != ERROR_ALREADY_EXISTS;
}
