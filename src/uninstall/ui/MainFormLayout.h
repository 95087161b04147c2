#pragma once
#include <windows.h>

// Control identifiers of the main window; tests find the controls by them.
enum TMainFormControl : int {
    idBtnUninstall = 1001,
    idBtnCancel = IDCANCEL, // the Esc key clicks it
    idImLeft = 1010,
    idPnButtons = 1011,
    idPnClientArea = 1012,
    idStTitle = 1020,
    idStStatus1 = 1021,
    idStStatus2 = 1022,
    idErrorLog = 1023,
    idCbRestart = 1024,
};

// Client size of the main window and the controls' places, at 96 dots per inch.
namespace MainFormLayout {
constexpr int ClientWidth = 613;
constexpr int ClientHeight = 374;
constexpr int LeftWidth = 161;
constexpr int ButtonsHeight = 46;
constexpr int ShadowLabelHeight = 41;
constexpr RECT BtnUninstall = {435, 12, 435 + 75, 12 + 25};
constexpr RECT BtnCancel = {527, 12, 527 + 75, 12 + 25};
constexpr RECT Logo = {20, 20, 20 + 120, 20 + 37};
constexpr POINT Title = {16, 16};
// The least room the title leaves at the client area's right edge.
constexpr int TitleRightMargin = 8;
constexpr POINT Status1 = {16, 48};
constexpr RECT Status2 = {16, 72, 16 + 329, 72 + 30};
constexpr RECT ErrorLog = {16, 108, 16 + 423, 108 + 169};
constexpr RECT CbRestart = {16, 288, 16 + 121, 288 + 17};
} // namespace MainFormLayout

// Places a window of the given outer size on a work area: a third of the free height above
// it, centred across; the work area's origin is not added.
POINT MainFormPosition(SIZE WorkArea, SIZE Window);
