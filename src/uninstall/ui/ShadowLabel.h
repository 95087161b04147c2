#pragma once
#include "core/Object.h"

#include <windows.h>

#include <string>

enum TBevelStyle { bsLowered, bsRaised };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The engraved caption at the bottom of the main window: the text drawn twice (light copy one
// pixel below right of a dark copy) with a double line on either side at half height.
// It has no window of its own: it paints on its parent's surface, inside its bounds.
class TNorvaShadowLabel : public TObject {
public:
    explicit TNorvaShadowLabel(HWND Parent);

    std::wstring ClassName() const override { return L"TNorvaShadowLabel"; }

    // Position and size within the parent's client area.
    const RECT& BoundsRect() const { return FBounds; }
    void SetBounds(int Left, int Top, int Width, int Height);
    int Width() const { return FBounds.right - FBounds.left; }
    int Height() const { return FBounds.bottom - FBounds.top; }

    TAlignment Alignment() const { return FAlignment; }
    int Indent() const { return FIndent; }
    const std::wstring& Text() const { return FText; }
    TBevelStyle Style() const { return FStyle; }
    // Each setter repaints only when the value changes.
    void SetAlignment(TAlignment Value);
    void SetIndent(int Value);
    void SetText(const std::wstring& Value);
    void SetStyle(TBevelStyle Value);

    // Draws into Canvas, whose origin is the parent's client origin, in the canvas's font.
    void Paint(HDC Canvas) const;

private:
    void Invalidate() const;

    HWND FParent;
    RECT FBounds = {0, 0, 50, 13};
    TBevelStyle FStyle = bsLowered;
    TAlignment FAlignment = taLeftJustify;
    int FIndent = 10;
    std::wstring FText = L"Talveno Connect";
};
