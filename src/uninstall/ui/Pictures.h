#pragma once
#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

// A PNG picture from the executable's RCDATA resources, drawn through GDI+.
class TPicture {
public:
    explicit TPicture(const wchar_t* ResourceName);
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    bool Loaded() const { return FBitmap != nullptr; }
    int Width() const;
    int Height() const;
    // Draws the picture into the rectangle, smoothly scaled.
    void Draw(HDC dc, const RECT& Target) const;

private:
    std::unique_ptr<Gdiplus::Bitmap> FBitmap;
};

// Keeps GDI+ started for the lifetime of the object.
class TGdiPlus {
public:
    TGdiPlus();
    ~TGdiPlus();
    TGdiPlus(const TGdiPlus&) = delete;
    TGdiPlus& operator=(const TGdiPlus&) = delete;

private:
    ULONG_PTR FToken = 0;
};
