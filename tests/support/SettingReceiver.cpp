#include "support/SettingReceiver.h"

namespace test {

TSettingReceiver::TSettingReceiver(bool Hung)
    : FHung(Hung), FReady(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    FThread = std::thread([this] { Run(); });
    WaitForSingleObject(FReady, 10000);
}

TSettingReceiver::~TSettingReceiver() {
    SetEvent(FRelease);
    PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
    CloseHandle(FReady);
    CloseHandle(FRelease);
}

std::vector<std::wstring> TSettingReceiver::Texts() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FTexts;
}

LRESULT CALLBACK TSettingReceiver::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_SETTINGCHANGE) {
        auto self = reinterpret_cast<TSettingReceiver*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
        std::lock_guard<std::mutex> lock(self->FLock);
        self->FTexts.push_back(LParam ? reinterpret_cast<const wchar_t*>(LParam) : L"");
        return 0;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void TSettingReceiver::Run() {
    FThreadId = GetCurrentThreadId();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NrvTestSettingReceiver";
    RegisterClassW(&wc); // a second receiver finds the class there already
    HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                               nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(FReady);
    if (FHung) {
        WaitForSingleObject(FRelease, INFINITE);
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }
    DestroyWindow(wnd);
}

} // namespace test
