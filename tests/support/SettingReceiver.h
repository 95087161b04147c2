#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

// A hidden top-level window on a thread of its own, as a running program has, that writes down
// the texts of the WM_SETTINGCHANGE messages it gets. A hung one never looks at its messages
// until the object goes.
class TSettingReceiver {
public:
    explicit TSettingReceiver(bool Hung = false);
    ~TSettingReceiver();
    TSettingReceiver(const TSettingReceiver&) = delete;
    TSettingReceiver& operator=(const TSettingReceiver&) = delete;

    std::vector<std::wstring> Texts() const;

private:
    static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    void Run();

    bool FHung;
    HANDLE FReady;
    HANDLE FRelease;
    DWORD FThreadId = 0;
    std::thread FThread;
    mutable std::mutex FLock;
    std::vector<std::wstring> FTexts;
};

} // namespace test
