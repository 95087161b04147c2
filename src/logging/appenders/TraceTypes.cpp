#include "logging/appenders/TraceTypes.h"
#include "core/Text.h"
#include "logging/support/LoggerError.h"

#include <windows.h>

namespace {

const wchar_t* const TraceTypeNames[] = {L"Information", L"Warning", L"Error", L"Debug",
                                         L"Reporting"};

// Lower case by the user's locale, as the level texts come from people.
std::wstring LocaleLower(std::wstring text) {
    if (!text.empty())
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

std::wstring TraceTypeName(TTraceType t) {
    return t <= ttReporting ? TraceTypeNames[t] : L"";
}

TTraceTypes TraceLevelToTraceTypes(const std::wstring& s) {
    std::wstring text = LocaleLower(s);
    TTraceTypes result;
    if (text.find(L'w') != std::wstring::npos)
        result.Include(ttWarning);
    if (text.find(L'i') != std::wstring::npos)
        result.Include(ttInformation);
    if (text.find(L'd') != std::wstring::npos)
        result.Include(ttDebug);
    if (text.find(L'e') != std::wstring::npos)
        result.Include(ttError);
    return result;
}

TTraceType StrToTraceType(const std::wstring& name) {
    for (int t = ttInformation; t <= ttReporting; ++t)
        if (SameTextAscii(name, TraceTypeNames[t]))
            return static_cast<TTraceType>(t);
    throw ELoggerError(L"Unknown trace type \"" + name + L"\"");
}

TTraceTypes StrToTraceTypes(const std::wstring& list) {
    std::wstring text = list;
    for (auto& c : text)
        if (c == L',')
            c = L';';
    TTraceTypes result;
    if (text.empty())
        return result; // what TraceTypesToStr writes for the empty set
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L';', start);
        result.Include(StrToTraceType(text.substr(start, end - start)));
        if (end == std::wstring::npos)
            return result;
        start = end + 1;
    }
}

std::wstring TraceTypesToStr(TTraceTypes set) {
    std::wstring result;
    for (int t = ttInformation; t <= ttReporting; ++t) {
        if (!set.Contains(static_cast<TTraceType>(t)))
            continue;
        if (!result.empty())
            result += L',';
        result += TraceTypeNames[t];
    }
    return result;
}
