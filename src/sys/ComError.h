#pragma once
#include <windows.h>

#include <string>

// The system's text for an HRESULT with its code, as "text (0x80004005)".
std::wstring ComErrorText(HRESULT Hr);
