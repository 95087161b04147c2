#include "core/Handle.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(Handle, ClosingKeepsTheCallersLastError) {
    TKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    SetLastError(ERROR_ACCESS_DENIED);
    event.Reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(event);
}

TEST(Handle, MoveTransfersOwnership) {
    TKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = first.Get();
    TKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), raw);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags)) << "the moved handle must still be open";
}

// The platform keeps a deleted object alive while a device context still holds it, so an object
// whose selection was not undone outlives its owner.
TEST(SelectObject, PutsBackWhatItReplacedSoTheOwnerCanDeleteIt) {
    TMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const struct {
        const char* Kind;
        UINT Type;
        std::function<HGDIOBJ()> Make; // a new object that the case's owner takes
    } cases[] = {
        {"pen", OBJ_PEN,
         [] {
             return CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
         }},
        {"brush", OBJ_BRUSH,
         [] {
             return CreateSolidBrush(RGB(1, 2, 3));
         }},
        {"font", OBJ_FONT,
         [] {
             return CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                L"Tahoma");
         }},
        {"bitmap", OBJ_BITMAP,
         [] {
             return CreateBitmap(4, 4, 1, 1, nullptr);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        const HGDIOBJ original = GetCurrentObject(dc.Get(), c.Type);
        HGDIOBJ first = nullptr, second = nullptr;
        {
            THandle<TGdiObjectTraits<HGDIOBJ>> firstOwner(c.Make()), secondOwner(c.Make());
            first = firstOwner.Get();
            second = secondOwner.Get();
            ASSERT_TRUE(first && second);
            TSelectObject outer(dc.Get(), first);
            ASSERT_TRUE(outer);
            {
                TSelectObject inner(dc.Get(), second);
                EXPECT_EQ(GetCurrentObject(dc.Get(), c.Type), second);
            }
            EXPECT_EQ(GetCurrentObject(dc.Get(), c.Type), first);
        }
        EXPECT_EQ(GetCurrentObject(dc.Get(), c.Type), original);
        EXPECT_EQ(GetObjectType(first), 0u) << "still selected when its owner deleted it";
        EXPECT_EQ(GetObjectType(second), 0u) << "still selected when its owner deleted it";
    }
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

TWindowHandle ShownWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HandleTestWindow";
    RegisterClassW(&wc);
    TWindowHandle window(CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                       nullptr, nullptr, wc.hInstance, nullptr));
    ShowWindow(window.Get(), SW_SHOWNOACTIVATE);
    return window;
}

// A context handed back to the window manager's cache refuses to draw until it is handed out
// again, and a second hand-back finds nothing to take.
TEST(WindowDC, DrawsWhileOwnedAndIsHandedBackWhenItsOwnerGoes) {
    TWindowHandle window = ShownWindow();
    ASSERT_TRUE(window);
    const struct {
        const char* Kind;
        HWND Window;
        std::function<HDC(std::function<void(HDC)>)> Own; // runs the action while owning one
    } cases[] = {
        {"GetDC of a window", window.Get(),
         [&](auto Action) {
             TWindowDC dc(window.Get());
             Action(dc.Get());
             return dc.Get();
         }},
        {"GetDC of the screen", nullptr,
         [](auto Action) {
             TWindowDC dc(nullptr);
             Action(dc.Get());
             return dc.Get();
         }},
        {"BeginPaint", window.Get(),
         [&](auto Action) {
             InvalidateRect(window.Get(), nullptr, FALSE);
             TPaintDC dc(window.Get());
             Action(dc.Get());
             return dc.Get();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        HDC owned = c.Own([](HDC dc) {
            ASSERT_NE(dc, nullptr);
            EXPECT_NE(SetPixel(dc, 1, 1, RGB(1, 2, 3)), CLR_INVALID);
        });
        EXPECT_EQ(SetPixel(owned, 1, 1, RGB(1, 2, 3)), CLR_INVALID) << "not handed back";
        EXPECT_EQ(ReleaseDC(c.Window, owned), 0) << "not handed back";
    }
}

} // namespace
