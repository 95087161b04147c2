#include "uninstall/ui/Pictures.h"

#include <objidl.h>
#include <wrl/client.h>
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
    // A resource stays mapped with its module: nothing to free.
    HGLOBAL data = LoadResource(module, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (!bytes || size == 0)
        return;
    // GDI+ reads from a stream, which keeps a reference for as long as the bitmap needs it.
    // The stream makes and frees its own memory for the copy of the bytes.
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return;
    ULONG written = 0;
    if (FAILED(stream->Write(bytes, size, &written)) || written != size ||
        FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr)))
        return;
    FBitmap.reset(Gdiplus::Bitmap::FromStream(stream.Get()));
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
