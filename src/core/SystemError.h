#pragma once
#include <windows.h>

#include <string>

// The system's texts for its error codes, and the one way a failed platform call becomes an
// exception.

// The system's message for a Win32 error code or an HRESULT, as the system writes it (line
// break included); empty when the system has none. The one place that asks the
// system for its messages.
std::wstring SystemMessage(DWORD Code);
// The message without its trailing full stops, blanks and line break; empty when the system
// has none.
std::wstring SystemErrorText(DWORD Code);
// The message of an HRESULT with its code, as "text (0x80004005)", or the code alone.
std::wstring ComErrorText(HRESULT Hr);

// Each check raises Exception("<What> (<text>)") for a failure, nesting the system's text for
// the error in the caller's message. Win32 codes give SystemErrorText (the code in hexadecimal
// when the system has no text), HRESULTs ComErrorText.
[[noreturn]] void RaiseSystemError(const std::wstring& What, DWORD Code);
[[noreturn]] void RaiseComError(const std::wstring& What, HRESULT Hr);

// A BOOL result; the error is the thread's last error.
inline void CheckBool(BOOL Ok, const std::wstring& What) {
    if (!Ok)
        RaiseSystemError(What, GetLastError());
}

// A handle result: null and INVALID_HANDLE_VALUE fail; the error is the thread's last error.
template <class T> T CheckHandle(T Handle, const std::wstring& What) {
    if (Handle == nullptr || reinterpret_cast<HANDLE>(Handle) == INVALID_HANDLE_VALUE)
        RaiseSystemError(What, GetLastError());
    return Handle;
}

// A returned error code (LSTATUS, DWORD): anything but ERROR_SUCCESS fails.
inline void CheckStatus(LONG Status, const std::wstring& What) {
    if (Status != ERROR_SUCCESS)
        RaiseSystemError(What, static_cast<DWORD>(Status));
}

inline HRESULT CheckHResult(HRESULT Hr, const std::wstring& What) {
    if (FAILED(Hr))
        RaiseComError(What, Hr);
    return Hr;
}
