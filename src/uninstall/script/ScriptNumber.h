#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The script's integer notation: leading blanks, an optional sign, then decimal digits or
// hexadecimal digits after "$" or "0x", and nothing after them. Nothing for any other text
// or a value outside 32 bits.
std::optional<int32_t> ScriptInteger(const std::wstring& Text);
