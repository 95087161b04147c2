#include "uninstall/ui/ApplicationError.h"
#include "logging/support/ProcessInfo.h"

std::wstring ApplicationErrorText(const std::wstring& Message) {
    if (!Message.empty() && Message.back() > L'.')
        return Message + L'.';
    return Message;
}

void ShowApplicationError(HWND Owner, const std::wstring& Message) {
    MessageBoxW(Owner, ApplicationErrorText(Message).c_str(), ProcessInfo::ApplicationId().c_str(),
                MB_OK | MB_ICONERROR);
}
