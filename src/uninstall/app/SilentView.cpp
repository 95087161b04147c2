#include "uninstall/app/SilentView.h"

#include <windows.h>

void TSilentView::ShowStatus(int, const std::wstring&) {}

void TSilentView::AddErrorLine(const std::wstring&) {
    ++FErrorLines;
}

// No window of its own, but the thread's messages (COM's among them) are still handled as in
// a windowed run.
void TSilentView::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
