#pragma once
#include <string>

// Standard Base64 (with padding) of the UTF-8 bytes of a text, and back.
std::wstring EncodeBase64(const std::wstring& text);
// Raises EConvertError for a text that is not Base64.
std::wstring DecodeBase64(const std::wstring& text);
