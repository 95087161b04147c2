#include "uninstall/ui/Pictures.h"

#include <objidl.h>
// GDI+ needs min and max, which NOMINMAX keeps out of windows.h.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

TGdiPlus::TGdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&FToken, &input, nullptr);
}

TGdiPlus::~TGdiPlus() {
    if (FToken)
        Gdiplus::GdiplusShutdown(FToken);
}

TPicture::TPicture(const wchar_t* ResourceName) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, ResourceName, MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info)
        return;
    HGLOBAL data = LoadResource(module, info);
    DWORD size = SizeofResource(module, info);
    if (!data || size == 0)
        return;
    // GDI+ reads from a stream that must own a movable copy of the bytes.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return;
    memcpy(GlobalLock(copy), LockResource(data), size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return;
    }
    FBitmap.reset(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (FBitmap && FBitmap->GetLastStatus() != Gdiplus::Ok)
        FBitmap.reset();
}

TPicture::~TPicture() = default;

int TPicture::Width() const {
    return FBitmap ? static_cast<int>(FBitmap->GetWidth()) : 0;
}
int TPicture::Height() const {
    return FBitmap ? static_cast<int>(FBitmap->GetHeight()) : 0;
}

void TPicture::Draw(HDC dc, const RECT& Target) const {
    if (!FBitmap)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(FBitmap.get(), static_cast<INT>(Target.left), static_cast<INT>(Target.top),
                       static_cast<INT>(Target.right - Target.left),
                       static_cast<INT>(Target.bottom - Target.top));
}
