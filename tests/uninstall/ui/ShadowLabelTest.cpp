#include "uninstall/ui/ShadowLabel.h"
#include "core/Handle.h"
#include "uninstall/ui/PixelBitmap.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const COLORREF Background = RGB(10, 20, 30);

// A 32-bit memory bitmap the label paints into, in the default GUI font.
class TMemoryCanvas {
public:
    TMemoryCanvas(int Width, int Height)
        : FWidth(Width), FHeight(Height), FDC(CreateCompatibleDC(nullptr)),
          FBitmap(MakeBitmap(FDC.Get(), Width, Height)), FSelectedBitmap(FDC.Get(), FBitmap.Get()),
          FSelectedFont(FDC.Get(), GetStockObject(DEFAULT_GUI_FONT)) {
        RECT all = {0, 0, Width, Height};
        TBrushHandle brush(CreateSolidBrush(Background));
        FillRect(FDC.Get(), &all, brush.Get());
    }
    HDC DC() const { return FDC.Get(); }
    COLORREF Pixel(int x, int y) const { return GetPixel(FDC.Get(), x, y); }
    bool Ink(int x, int y) const { return Pixel(x, y) != Background; }
    // Leftmost and rightmost columns with anything drawn, outside the line rows.
    std::pair<int, int> InkColumns(int lineY) const {
        int first = FWidth, last = -1;
        for (int y = 0; y < FHeight; ++y) {
            if (y == lineY || y == lineY + 1)
                continue;
            for (int x = 0; x < FWidth; ++x)
                if (Ink(x, y)) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        }
        return {first, last};
    }
    int TextWidth(const std::wstring& text) const {
        SIZE size;
        GetTextExtentPoint32W(FDC.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    static TBitmapHandle MakeBitmap(HDC DC, int Width, int Height) {
        void* bits = nullptr;
        return NewPixelBitmap(DC, Width, Height, bits);
    }

    int FWidth, FHeight;
    // In this order, so that the selections are undone before the bitmap and the context go.
    TMemoryDC FDC;
    TBitmapHandle FBitmap;
    TSelectObject FSelectedBitmap, FSelectedFont;
};

TEST(ShadowLabel, LineColoursFollowTheStyle) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (auto style : {bsLowered, bsRaised}) {
        TNorvaShadowLabel label(nullptr);
        label.SetBounds(0, 0, 200, 41);
        label.SetStyle(style);
        TMemoryCanvas canvas(200, 41);
        label.Paint(canvas.DC());
        COLORREF upper = style == bsLowered ? shadow : highlight;
        COLORREF lower = style == bsLowered ? highlight : shadow;
        SCOPED_TRACE(style);
        for (int x : {0, 5, 199}) {
            EXPECT_EQ(canvas.Pixel(x, 20), upper) << x;
            EXPECT_EQ(canvas.Pixel(x, 21), lower) << x;
            EXPECT_EQ(canvas.Pixel(x, 19), Background) << x;
            EXPECT_EQ(canvas.Pixel(x, 22), Background) << x;
        }
    }
}

TEST(ShadowLabel, TextAndLineSegmentsByAlignment) {
    const int width = 200, height = 41, y = 20;
    struct TCase {
        TAlignment Alignment;
        std::function<int(int)> ExpectedLeft; // from the text width W
    } cases[] = {
        {taLeftJustify,
         [](int) {
             return 10;
         }},
        {taRightJustify,
         [=](int w) {
             return width - 10 - w;
         }},
        {taCenter,
         [=](int w) {
             return (width - w) / 2;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Alignment);
        TNorvaShadowLabel label(nullptr);
        label.SetBounds(0, 0, width, height);
        label.SetAlignment(c.Alignment);
        TMemoryCanvas canvas(width, height);
        label.Paint(canvas.DC());
        int w = canvas.TextWidth(label.Text());
        int left = c.ExpectedLeft(w), right = left + w;

        // The left segments end before left - 1, the right ones start at right + 1.
        EXPECT_TRUE(canvas.Ink(left - 2, y));
        EXPECT_EQ(canvas.Pixel(left - 1, y), Background);
        EXPECT_TRUE(canvas.Ink(right + 1, y));
        EXPECT_EQ(canvas.Pixel(right, y + 1), Background);

        // The ink of the two text copies lies within [left, right + 1] and reaches as far as the
        // text drawn plainly: a font's glyphs may draw narrower than their measured advance.
        TMemoryCanvas plain(width, height);
        SetBkMode(plain.DC(), TRANSPARENT);
        SetTextColor(plain.DC(), RGB(255, 255, 255));
        TextOutW(plain.DC(), 0, 0, label.Text().c_str(), static_cast<int>(label.Text().size()));
        const int plainLast = plain.InkColumns(-10).second;
        auto [first, last] = canvas.InkColumns(y);
        EXPECT_GE(first, left);
        EXPECT_LE(first, left + 2);
        EXPECT_LE(last, right + 1);
        EXPECT_GE(last, left + plainLast);
    }
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

TEST(ShadowLabel, SettersRepaintOnlyOnChange) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ShadowLabelTestParent";
    RegisterClassW(&wc);
    TWindowHandle window(CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100,
                                       nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(window);
    HWND parent = window.Get();
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    TNorvaShadowLabel label(parent);
    label.SetBounds(0, 5, 250, 41);

    struct TCase {
        const char* Name;
        std::function<void()> Same, Other;
    } cases[] = {
        {"Indent", [&] { label.SetIndent(10); },
         [&] {
             label.SetIndent(12);
         }},
        {"Text", [&] { label.SetText(L"Talveno Connect"); },
         [&] {
             label.SetText(L"talveno connect");
         }},
        {"Style", [&] { label.SetStyle(bsLowered); },
         [&] {
             label.SetStyle(bsRaised);
         }},
        {"Alignment", [&] { label.SetAlignment(taLeftJustify); },
         [&] {
             label.SetAlignment(taCenter);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ValidateRect(parent, nullptr);
        c.Same();
        EXPECT_FALSE(GetUpdateRect(parent, nullptr, FALSE));
        c.Other();
        RECT update;
        ASSERT_TRUE(GetUpdateRect(parent, &update, FALSE));
        EXPECT_EQ(update.top, 5);
        EXPECT_EQ(update.bottom, 46);
    }
}

} // namespace
