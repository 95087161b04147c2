#pragma once
#include "core/Handle.h"

#include <windows.h>

// A bitmap whose pixels can be read: 32 bits a pixel, top row first, Width x Height, made for
// DC. Bits points at the first pixel; both are empty when it cannot be made.
TBitmapHandle NewPixelBitmap(HDC DC, int Width, int Height, void*& Bits);
