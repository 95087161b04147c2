#pragma once
#include <string>
#include <vector>

// Splits a list written as comma text: items end at a comma or, outside double quotes, at a
// blank or control character (runs of them are skipped); a quoted item may hold blanks and
// commas, "" standing for one quote; a comma at the very end adds an empty item.
// SemicolonSeparates first turns every ";" into ",".
std::vector<std::wstring> CommaTextList(const std::wstring& Text, bool SemicolonSeparates = false);
