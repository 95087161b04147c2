#include "uninstall/ui/PixelBitmap.h"

TBitmapHandle NewPixelBitmap(HDC DC, int Width, int Height, void*& Bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = -Height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(DC, &info, DIB_RGB_COLORS, &Bits, nullptr, 0));
    if (!bitmap)
        Bits = nullptr;
    return bitmap;
}
