#pragma once
#include <windows.h>

#include <string>

// How wide a line of text is as it is drawn in Font, in pixels from its left edge to the right
// edge of its ink. Wine draws some faces narrower than GetTextExtentPoint32 says (bold Tahoma
// by about a sixth), so a label sized by the measure alone is wider than its text and may run
// out of its panel.
int DrawnWidth(HFONT Font, const std::wstring& Text);
