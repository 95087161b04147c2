#include "uninstall/ui/ShadowLabel.h"
#include "core/Handle.h"

TNorvaShadowLabel::TNorvaShadowLabel(HWND Parent) : FParent(Parent) {}

void TNorvaShadowLabel::SetBounds(int Left, int Top, int Width, int Height) {
    Invalidate();
    FBounds = {Left, Top, Left + Width, Top + Height};
    Invalidate();
}

void TNorvaShadowLabel::SetAlignment(TAlignment Value) {
    if (Value != FAlignment) {
        FAlignment = Value;
        Invalidate();
    }
}

void TNorvaShadowLabel::SetIndent(int Value) {
    if (Value != FIndent) {
        FIndent = Value;
        Invalidate();
    }
}

void TNorvaShadowLabel::SetText(const std::wstring& Value) {
    if (Value != FText) {
        FText = Value;
        Invalidate();
    }
}

void TNorvaShadowLabel::SetStyle(TBevelStyle Value) {
    if (Value != FStyle) {
        FStyle = Value;
        Invalidate();
    }
}

void TNorvaShadowLabel::Invalidate() const {
    if (FParent)
        InvalidateRect(FParent, &FBounds, TRUE);
}

namespace {

void Line(HDC dc, COLORREF colour, int x1, int y1, int x2, int y2) {
    TPenHandle pen(CreatePen(PS_SOLID, 1, colour));
    TSelectObject selected(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2); // the end point itself is not drawn
}

} // namespace

void TNorvaShadowLabel::Paint(HDC Canvas) const {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF upper = FStyle == bsLowered ? shadow : highlight;
    const COLORREF lower = FStyle == bsLowered ? highlight : shadow;

    // Work in the control's own coordinates.
    POINT oldOrigin;
    OffsetViewportOrgEx(Canvas, FBounds.left, FBounds.top, &oldOrigin);
    int oldMode = SetBkMode(Canvas, TRANSPARENT);
    COLORREF oldColour = GetTextColor(Canvas);

    SIZE extent = {0, 0};
    GetTextExtentPoint32W(Canvas, FText.c_str(), static_cast<int>(FText.size()), &extent);
    const int width = Width(), height = Height();
    int left = 0, right = 0;
    switch (FAlignment) {
    case taLeftJustify:
        left = FIndent;
        right = extent.cx + FIndent;
        break;
    case taRightJustify:
        right = width - FIndent;
        left = right - extent.cx;
        break;
    case taCenter:
        left = (width - extent.cx) / 2;
        right = left + extent.cx;
        break;
    }
    const int top = (height - extent.cy) / 2;

    SetTextColor(Canvas, highlight);
    TextOutW(Canvas, left + 1, top + 1, FText.c_str(), static_cast<int>(FText.size()));
    SetTextColor(Canvas, shadow);
    TextOutW(Canvas, left, top, FText.c_str(), static_cast<int>(FText.size()));

    const int y = height / 2;
    Line(Canvas, upper, 0, y, left - 1, y);
    Line(Canvas, lower, 0, y + 1, left - 1, y + 1);
    Line(Canvas, upper, right + 1, y, width, y);
    Line(Canvas, lower, right + 1, y + 1, width, y + 1);

    SetTextColor(Canvas, oldColour);
    SetBkMode(Canvas, oldMode);
    SetViewportOrgEx(Canvas, oldOrigin.x, oldOrigin.y, nullptr);
}
