#pragma once
#include <windows.h>

#include <string>

// The text of the application's error box: a full stop is appended unless the message ends
// in one already or in a character below it (such as ")" or a blank).
std::wstring ApplicationErrorText(const std::wstring& Message);

// The application's handler of errors that ended an action: an error box with an OK button,
// titled with the application's title (the executable's name without extension).
void ShowApplicationError(HWND Owner, const std::wstring& Message);
