#pragma once
#include "logging/appenders/NorvaAppender.h"
#include "logging/appenders/TextFileTypes.h"

#include <string>

// The class defaults that a saved configuration leaves out, which are also what a reader takes
// for a value that is absent.
namespace ConfigDefaults {

// The facade.
constexpr bool Active = true;
constexpr bool ASync = false;
constexpr int ASyncDelay = 50;

// Every appender: off, the time and thread columns, a vertical bar, the locale's formats.
constexpr bool AppenderActive = false;
constexpr TPrefixes Prefixes{pfxTime, pfxThreadID};
inline const std::wstring Separator = L"|";
std::wstring DateFormat(); // the user's short date format
std::wstring TimeFormat(); // the user's long time format

// The text file.
constexpr bool CleanUp = true;
constexpr int Keep = 28;
constexpr bool KeepOpen = true;
constexpr bool ForceDir = false;
constexpr TRefreshRate RefreshRate = rrDaily;
inline const std::wstring Extension = L"log";
constexpr TNameFormat NameFormat = nfNameDate;
constexpr THeaders Headers{hdAppName, hdAppVersion, hdUser};

// The six columns with their names: the INI and registry key, the XML element.
struct TColumn {
    TPrefix Prefix;
    const wchar_t* Key;
    const wchar_t* Element;
};
inline constexpr TColumn Columns[] = {
    {pfxDate, L"IncludeDate", L"Date"},
    {pfxTime, L"IncludeTime", L"Time"},
    {pfxProcID, L"IncludeProcessId", L"ProcessID"},
    {pfxThreadID, L"IncludeThreadId", L"ThreadID"},
    {pfxHost, L"IncludeHost", L"Host"},
    {pfxAppName, L"IncludeAppName", L"AppName"},
};

// The four header items with their names: the INI and registry key, the XML element.
struct THeaderItem {
    THeader Header;
    const wchar_t* Key;
    const wchar_t* Element;
};
inline constexpr THeaderItem HeaderItems[] = {
    {hdAppName, L"IncludeAppName", L"AppName"},
    {hdAppVersion, L"IncludeAppVersion", L"AppVersion"},
    {hdHost, L"IncludeHost", L"Host"},
    {hdUser, L"IncludeUser", L"User"},
};

} // namespace ConfigDefaults
