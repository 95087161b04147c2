#include "uninstall/ui/DrawnText.h"
#include "core/Handle.h"
#include "uninstall/ui/PixelBitmap.h"

int DrawnWidth(HFONT Font, const std::wstring& Text) {
    TWindowDC screen(nullptr);
    TMemoryDC memory(CreateCompatibleDC(screen.Get()));
    if (!memory)
        return 0;
    TSelectObject font(memory.Get(), Font);
    SIZE extent{};
    const int length = static_cast<int>(Text.size());
    GetTextExtentPoint32W(memory.Get(), Text.c_str(), length, &extent);
    // Room for ink beyond the measure (an italic's overhang), drawn black on white.
    const int width = extent.cx + extent.cy, height = extent.cy;
    if (width <= 0 || height <= 0)
        return 0;
    void* bits = nullptr;
    TBitmapHandle bitmap = NewPixelBitmap(memory.Get(), width, height, bits);
    if (!bitmap || !bits)
        return extent.cx;
    TSelectObject select(memory.Get(), bitmap.Get());
    RECT all{0, 0, width, height};
    FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory.Get(), RGB(0, 0, 0));
    SetBkMode(memory.Get(), TRANSPARENT);
    TextOutW(memory.Get(), 0, 0, Text.c_str(), length);
    GdiFlush();
    // The rightmost column with a pixel that is not white.
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int x = width - 1; x >= 0; --x)
        for (int y = 0; y < height; ++y)
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF)
                return x + 1;
    return 0;
}
