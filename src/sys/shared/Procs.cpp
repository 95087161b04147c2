#include "sys/shared/Procs.h"

#include "core/Exception.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "sys/shared/StrUtils.h"

void DoException(const std::wstring& Msg) {
    GetLogger().Write(L"DoException: " + Msg, ttError);
    throw Exception(Msg);
}

void DoException(const std::wstring& Fmt, const TVarRecs& Args) {
    std::wstring message;
    try {
        message = Format(Fmt, Args);
    } catch (const Exception&) {
        message = Fmt; // a wrong format must not hide the failure it was meant to report
    }
    DoException(message);
}

void CheckTraced(BOOL Ok, const std::wstring& What) {
    if (!Ok)
        DoException(What + L" (" + LastErrorText() + L")");
}

std::wstring LastErrorText() {
    DWORD code = GetLastError();
    std::wstring text = SystemMessage(code);
    // System messages end with a line break; a full stop before it stays.
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    if (text.empty())
        return Format(L"0x%x", {code});
    return Format(L"%s (0x%x)", {text, code});
}

bool TextIsTrue(const std::wstring& S) {
    return SameTextAscii(S, L"True");
}

HKEY StrToHKey(const std::wstring& S) {
    try {
        return TString::ToHKey(S);
    } catch (const Exception& e) {
        DoException(e.Message());
    }
}

std::wstring HKeyToStr(HKEY Key) {
    struct TRootName {
        HKEY Key;
        const wchar_t* Name;
    };
    static const TRootName names[] = {
        {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},   {HKEY_USERS, L"HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"},
    };
    for (const auto& name : names)
        if (name.Key == Key)
            return name.Name;
    throw Exception(L"HKeyToStr failed");
}

std::wstring FetchStr(std::wstring& S, wchar_t Sep) {
    return TString::Fetch(S, Sep);
}

std::wstring ComputerName() {
    wchar_t buffer[1025] = {};
    DWORD size = static_cast<DWORD>(std::size(buffer));
    if (!GetComputerNameW(buffer, &size))
        return L"Unknown";
    return buffer;
}

std::wstring ParentFolder(const std::wstring& Path) {
    if (Path.size() <= 3)
        return Path;
    if (std::wstring parent = ParentOf(Path); !parent.empty())
        return IncludeTrailingBackslash(parent);
    // A root ("\\srv\share") is its own parent; a bare name has the current drive's.
    return Path.find(L'\\') == std::wstring::npos ? L"\\" : IncludeTrailingBackslash(Path);
}

bool IsServerEngine() {
    return AsciiLower(GetCommandLineW()).find(L"server.engine") != std::wstring::npos;
}
