#pragma once
// Every benchmark's first line says how this machine ran the 32-bit program: natively, or through
// qemu-i386 where the kernel cannot start 32-bit programs itself. Emulation slows our own
// instructions and Wine's 32-bit libraries, not the Wine server, so it shifts every ratio.
// scripts/bench.sh hands the mode on in WINE32_MODE.
#include <cstdio>
#include <cstdlib>
#include <cstring>

inline void PrintRunMode() {
    const char* mode = std::getenv("WINE32_MODE");
    if (mode && std::strcmp(mode, "emulated") == 0)
        std::printf("32-bit programs ran through emulation (qemu-i386)\n");
    else if (mode && std::strcmp(mode, "native") == 0)
        std::printf("32-bit programs ran natively\n");
    else
        std::printf(
            "32-bit programs ran natively or through emulation: unknown (WINE32_MODE not set)\n");
}
