// The window as the eye sees it at the usual scales. The system's scale is read once per
// process, so each scale runs in a program of its own: this test program again, with the
// prefix's LogPixels set for it and put back afterwards.
#include "core/Handle.h"
#include "core/Text.h"
#include "support/EnvSupport.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/ui/MainForm.h"
#include "uninstall/ui/MainFormLayout.h"
#include "uninstall/ui/PixelBitmap.h"

#include <objidl.h>
// GDI+ needs min and max, which NOMINMAX keeps out of windows.h.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace {

namespace L = MainFormLayout;

const wchar_t* const DesktopKey = L"Control Panel\\Desktop";
const char* const DpiVariable = "WINDOW_SCALE_DPI";

// Sets the prefix's LogPixels and puts back what was there, or nothing, when it goes.
class TLogPixels {
public:
    explicit TLogPixels(DWORD Dpi) {
        DWORD size = sizeof FPrevious;
        FHadValue = RegGetValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                                 nullptr, &FPrevious, &size) == ERROR_SUCCESS;
        Set(Dpi);
    }
    ~TLogPixels() {
        if (FHadValue)
            Set(FPrevious);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
    }
    TLogPixels(const TLogPixels&) = delete;
    TLogPixels& operator=(const TLogPixels&) = delete;

private:
    static void Set(DWORD Dpi) {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", REG_DWORD, &Dpi,
                                  sizeof Dpi),
                  ERROR_SUCCESS);
    }
    bool FHadValue = false;
    DWORD FPrevious = 0;
};

TEST(WindowScales, EveryScaleShowsEveryTextWholeInsideItsControl) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        TLogPixels scale(dpi);
        test::TRunResult run =
            test::Run(L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowAtOneScale.*",
                      {Utf8ToWide(DpiVariable) + L"=" + std::to_wstring(dpi)});
        EXPECT_EQ(run.ExitCode, 0u) << run.Output;
        EXPECT_NE(run.Output.find("[  PASSED  ] 2 tests"), std::string::npos) << run.Output;
    }
}

BOOL CALLBACK CollectWindow(HWND Window, LPARAM List) {
    reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND Main) {
    std::vector<HWND> all;
    EnumChildWindows(Main, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

// A window's place in the main window's client area.
RECT PlaceIn(HWND Main, HWND Window) {
    RECT r;
    GetWindowRect(Window, &r);
    MapWindowPoints(nullptr, Main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ClientIn(HWND Main, HWND Window) {
    RECT r;
    GetClientRect(Window, &r);
    MapWindowPoints(Window, Main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Inside(const RECT& Inner, const RECT& Outer) {
    return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
           Inner.bottom <= Outer.bottom;
}

std::string Describe(HWND Window) {
    wchar_t text[256] = {};
    GetWindowTextW(Window, text, 256);
    return std::to_string(GetDlgCtrlID(Window)) + " \"" + WideToUtf8(text) + "\"";
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// A pixel bright enough in each colour to count as the background.
bool IsWhite(DWORD Pixel) {
    return (Pixel & 0xFF) > 230 && ((Pixel >> 8) & 0xFF) > 230 && ((Pixel >> 16) & 0xFF) > 230;
}

// The window's client area as it is on the screen, 32 bits a pixel, top row first.
class TCapture {
public:
    explicit TCapture(HWND Main) {
        RECT client;
        GetClientRect(Main, &client);
        MapWindowPoints(Main, nullptr, reinterpret_cast<POINT*>(&client), 2);
        FWidth = client.right - client.left;
        FHeight = client.bottom - client.top;
        TWindowDC screen(nullptr);
        void* bits = nullptr;
        FBitmap = NewPixelBitmap(screen.Get(), FWidth, FHeight, bits);
        FPixels = static_cast<const DWORD*>(bits);
        TMemoryDC memory(CreateCompatibleDC(screen.Get()));
        TSelectObject select(memory.Get(), FBitmap.Get());
        BitBlt(memory.Get(), 0, 0, FWidth, FHeight, screen.Get(), client.left, client.top, SRCCOPY);
        GdiFlush();
    }
    bool White(int x, int y) const { return IsWhite(FPixels[y * FWidth + x]); }
    // The smallest rectangle holding every white pixel of the area.
    RECT WhiteBounds(const RECT& Area) const {
        RECT found = {Area.right, Area.bottom, Area.left, Area.top};
        for (int y = Area.top; y < Area.bottom; ++y)
            for (int x = Area.left; x < Area.right; ++x)
                if (White(x, y))
                    found = {std::min<LONG>(found.left, x), std::min<LONG>(found.top, y),
                             std::max<LONG>(found.right, x + 1),
                             std::max<LONG>(found.bottom, y + 1)};
        return found;
    }
    void SavePng(const std::wstring& Path) const {
        const CLSID png = {
            0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        Gdiplus::Bitmap picture(FBitmap.Get(), nullptr);
        EXPECT_EQ(picture.Save(Path.c_str(), &png, nullptr), Gdiplus::Ok);
    }

private:
    int FWidth = 0, FHeight = 0;
    TBitmapHandle FBitmap;
    const DWORD* FPixels = nullptr;
};

// The columns of a row band that hold ink (pixels that are not white): the first and one past
// the last, or {0, 0}.
std::pair<int, int> InkColumns(const std::function<bool(int, int)>& White, int Left, int Right,
                               int Top, int Bottom) {
    int first = Right, last = Left - 1;
    for (int y = Top; y < Bottom; ++y)
        for (int x = Left; x < Right; ++x)
            if (!White(x, y)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return last < first ? std::pair<int, int>{0, 0} : std::pair<int, int>{first, last + 1};
}

// How wide the title's ink is when nothing clips it: drawn in Tahoma, bold, at the scale.
int TitleInkWidth(int Dpi) {
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(15, Dpi, 96);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    TFontHandle font(CreateFontIndirectW(&lf));
    const std::wstring text = L"Welcome to the Uninstall Talveno Connect program.";
    TWindowDC screen(nullptr);
    TMemoryDC memory(CreateCompatibleDC(screen.Get()));
    const int width = MulDiv(800, Dpi, 96), height = MulDiv(40, Dpi, 96);
    void* bits = nullptr;
    TBitmapHandle bitmap = NewPixelBitmap(screen.Get(), width, height, bits);
    {
        TSelectObject select(memory.Get(), bitmap.Get());
        TSelectObject selectFont(memory.Get(), font.Get());
        RECT all = {0, 0, width, height};
        FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        TextOutW(memory.Get(), 0, 0, text.c_str(), static_cast<int>(text.size()));
        GdiFlush();
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    auto white = [&](int x, int y) {
        return IsWhite(pixels[y * width + x]);
    };
    const auto ink = InkColumns(white, 0, width, 0, height);
    return ink.second - ink.first;
}

// The title of a window on the screen, against the pixels it shows: the whole text is drawn
// (as wide as the text drawn unclipped), the label ends just after it, and both stay inside
// the client area.
void ExpectTitleFitsItsText(HWND Main, const TCapture& Shot, int Dpi) {
    const RECT client = ClientIn(Main, Main);
    const RECT label = PlaceIn(Main, GetDlgItem(GetDlgItem(Main, idPnClientArea), idStTitle));
    const RECT area = ClientIn(Main, GetDlgItem(Main, idPnClientArea));
    // Ink in the label's rows anywhere across its panel.
    const auto ink = InkColumns([&](int x, int y) { return Shot.White(x, y); }, area.left,
                                area.right, label.top, label.bottom);
    SCOPED_TRACE("label " + Describe(label) + ", ink from " + std::to_string(ink.first) + " to " +
                 std::to_string(ink.second));
    EXPECT_NEAR(ink.second - ink.first, TitleInkWidth(Dpi), 1) << "the title is not drawn whole";
    EXPECT_GE(ink.first, label.left);
    EXPECT_LE(ink.second, label.right);
    EXPECT_LE(label.right - ink.second, MulDiv(3, Dpi, 96)) << "the label is wider than its text";
    EXPECT_LE(label.right, client.right);
    EXPECT_LE(label.right, area.right);
}

struct TTextControl {
    int Id;
    int CharHeight; // at 96 dots per inch
    bool Bold;
    int Margin; // at 96 dots per inch: what the control needs beside its text
};

// Started by WindowScales with the scale to expect; skipped in the test program's own run.
TEST(WindowAtOneScale, TextsFitControlsFitPicturesScaleNothingOverlaps) {
    const char* wanted = std::getenv(DpiVariable);
    if (!wanted)
        GTEST_SKIP() << "run by WindowScales at each scale";
    const int dpi = std::atoi(wanted);
    auto scale = [dpi](int v) {
        return MulDiv(v, dpi, 96);
    };
    {
        TWindowDC screen(nullptr);
        ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSY), dpi) << "LogPixels was not taken";
    }
    TComInit com;
    TMainForm form(GetModuleHandleW(nullptr));
    const HWND main = form.Handle();
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(main);
    for (int i = 0; i < 20; ++i, Sleep(25))
        form.ProcessMessages();

    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, scale(L::ClientWidth));
    EXPECT_EQ(client.bottom, scale(L::ClientHeight));

    // Every control inside its parent and the window, and no two of one parent overlap, shown
    // or not: the error list and the restart box appear during the run.
    const std::vector<HWND> all = Descendants(main);
    for (HWND w : all) {
        const RECT place = PlaceIn(main, w);
        EXPECT_TRUE(Inside(place, ClientIn(main, GetParent(w))))
            << Describe(w) << " at " << Describe(place);
        EXPECT_TRUE(Inside(place, client)) << Describe(w) << " at " << Describe(place);
        for (HWND other : all) {
            RECT both, otherPlace = PlaceIn(main, other);
            if (other > w && GetParent(other) == GetParent(w)) {
                EXPECT_FALSE(IntersectRect(&both, &place, &otherPlace))
                    << Describe(w) << " and " << Describe(other);
            }
        }
    }

    // Each text in its control's own font, Tahoma at its scaled height, fits the control.
    const TTextControl texts[] =
        {
            {idStTitle, 15, true, 0},       {idStStatus1, 13, false, 0},
            {idBtnUninstall, 11, false, 8}, {idBtnCancel, 11, false, 8},
            {idCbRestart, 11, false, 17}, // the box and the gap before the text
        };
    for (const auto& t : texts) {
        HWND control = nullptr;
        for (HWND w : all)
            if (GetDlgCtrlID(w) == t.Id)
                control = w;
        ASSERT_TRUE(control) << t.Id;
        SCOPED_TRACE(Describe(control));
        wchar_t text[256] = {};
        const int length = GetWindowTextW(control, text, 256);
        TWindowDC dc(control);
        TSelectObject font(dc.Get(),
                           reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc.Get(), LF_FACESIZE, face);
        TEXTMETRICW metrics;
        GetTextMetricsW(dc.Get(), &metrics);
        SIZE size;
        GetTextExtentPoint32W(dc.Get(), text, length, &size);
        RECT r;
        GetClientRect(control, &r);
        EXPECT_STREQ(face, L"Tahoma");
        EXPECT_EQ(metrics.tmWeight >= FW_BOLD, t.Bold);
        EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, scale(t.CharHeight), 1);
        // The title's width is judged by its pixels below: a face may be drawn narrower than
        // it measures.
        if (t.Id != idStTitle) {
            EXPECT_LE(size.cx + scale(t.Margin), r.right) << "text " << size.cx << " wide";
        }
        EXPECT_LE(size.cy, r.bottom) << "text " << size.cy << " high";
    }

    // The pictures at the scale: the logo's white ink, which spans (0, 3)-(100, 34) of its
    // 120 x 37 pixels, at its scaled place; the banner across the whole width of its panel.
    TCapture shot(main);
    shot.SavePng(L"window-" + std::to_wstring(dpi) + L"dpi.png");
    ExpectTitleFitsItsText(main, shot, dpi);
    const RECT left = ClientIn(main, GetDlgItem(main, idImLeft));
    const RECT logo = shot.WhiteBounds({left.left, left.top, left.right, left.bottom / 4});
    const RECT expected = {scale(L::Logo.left), scale(L::Logo.top + 3), scale(L::Logo.left + 100),
                           scale(L::Logo.top + 34)};
    EXPECT_NEAR(logo.left, expected.left, 2) << Describe(logo);
    EXPECT_NEAR(logo.top, expected.top, 2) << Describe(logo);
    EXPECT_NEAR(logo.right, expected.right, 2) << Describe(logo);
    EXPECT_NEAR(logo.bottom, expected.bottom, 2) << Describe(logo);
    for (int y : {left.bottom / 2, left.bottom * 3 / 4})
        EXPECT_FALSE(shot.White(left.right - 2, y)) << "banner missing at the right edge, " << y;
}

// The shipped program's own window at the scale, as it comes up before anything is clicked, its
// title judged by the pixels on the screen.
TEST(WindowAtOneScale, TheShippedWindowsTitleFitsItsText) {
    const char* wanted = std::getenv(DpiVariable);
    if (!wanted)
        GTEST_SKIP() << "run by WindowScales at each scale";
    const int dpi = std::atoi(wanted);
    test::TRunningProcess program(L"\"" + test::ProgramPath() + L"\"");
    HWND main = nullptr;
    for (int wait = 0; wait < 300 && !main; ++wait, Sleep(100)) {
        HWND found = FindWindowW(L"TMainForm", nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(found, &pid);
        if (found && pid == GetProcessId(program.Handle()) && IsWindowVisible(found))
            main = found;
    }
    ASSERT_TRUE(main) << "the program's window did not come up";
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Sleep(500);
    TCapture shot(main);
    shot.SavePng(L"shipped-window-" + std::to_wstring(dpi) + L"dpi.png");
    ExpectTitleFitsItsText(main, shot, dpi);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(program.Handle(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
}

} // namespace
