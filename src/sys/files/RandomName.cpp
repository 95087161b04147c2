#include "sys/files/RandomName.h"

#include <windows.h>

#include <ntsecapi.h>

namespace FileSystem {

std::wstring RandomName() {
    unsigned char bytes[16] = {};
    if (!RtlGenRandom(bytes, sizeof bytes))
        return {};
    const wchar_t* digits = L"0123456789abcdef";
    std::wstring name;
    for (unsigned char byte : bytes) {
        name += digits[byte >> 4];
        name += digits[byte & 15];
    }
    return name;
}

} // namespace FileSystem
