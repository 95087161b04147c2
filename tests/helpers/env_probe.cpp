// Prints GetVariables().Replace(argument) on standard output as UTF-8, or "error: " and the
// message of what it raised.
#include "core/Exception.h"
#include "core/Text.h"
#include "env/Variables.h"

#include <objbase.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    CoInitialize(nullptr);
    int rc = 0;
    try {
        std::printf("%s\n", WideToUtf8(GetVariables().Replace(argc > 1 ? argv[1] : L"")).c_str());
    } catch (const Exception& e) {
        std::printf("error: %s\n", WideToUtf8(e.Message()).c_str());
        rc = 1;
    }
    CoUninitialize();
    return rc;
}
