#include "env/Variables.h"

#include "core/Format.h"
#include "core/Text.h"
#include "env/Settings.h"
#include "logging/Logger.h"
#include "logging/support/ProcessInfo.h"
#include "sys/files/FileEntry.h"
#include "sys/files/SystemPath.h"
#include "sys/registry/Registry.h"
#include "sys/shared/Procs.h"
#include "sys/shared/StrUtils.h"

#include <shlobj.h>

#include <utility>

namespace {

const wchar_t* const EsdKey = L"Software\\Velmarix\\Services\\Esd\\Settings";

std::wstring Rep(const std::wstring& s, const std::wstring& Name, const std::wstring& Value) {
    return TString::Replace(s, Name, Value, rfReplaceAll | rfIgnoreCase);
}

bool Holds(const std::wstring& s, const std::wstring& Name) {
    return AsciiLower(s).find(AsciiLower(Name)) != std::wstring::npos;
}

} // namespace

TNorvaVariables::TNorvaVariables() {
    GetLogger().Write(this, L"Create", ttInformation);
}

TNorvaVariables::~TNorvaVariables() {
    GetLogger().Write(this, L"Destroy", ttInformation);
}

std::wstring TNorvaVariables::Replace(const std::wstring& str) {
    if (str.find(L'%') == std::wstring::npos)
        return str;
    GetLogger().Write(this, L"Replace(%s)", {str}, ttInformation);
    std::wstring s = Rep(str, L"%exename%", ProcessInfo::ExePath());
    s = Rep(s, L"%ShortExeName%", ShortExeName());
    ReplaceSettings(s);
    ReplaceFolders(s);
    ReplaceUserFolders(s);
    s = ReplaceEsd(s);
    GetLogger().Write(this, L"  ==> %s", {s}, ttInformation);
    return s;
}

// InstallPath and CommonCachePath are read on every call, so a missing "Cache.Folder" fails
// every expansion; the office-dependent ones only when their variable is there.
void TNorvaVariables::ReplaceSettings(std::wstring& s) const {
    TNRVSettings& settings = GetSettings();
    s = Rep(s, L"%Norva.InstallPath%", settings.InstallPath());
    s = Rep(s, L"%Norva.CommonCachePath%", settings.CommonCachePath());
    if (Holds(s, L"%Norva.CachePath%"))
        s = Rep(s, L"%Norva.CachePath%", settings.CachePath());
    if (Holds(s, L"%Norva.ErrorPath%"))
        s = Rep(s, L"%Norva.ErrorPath%", settings.ErrorPath());
    if (Holds(s, L"%Norva.OfficeId%"))
        s = Rep(s, L"%Norva.OfficeId%", Format(L"%d", {settings.OfficeId()}));
}

void TNorvaVariables::ReplaceFolders(std::wstring& s) const {
    s = Rep(s, L"%Path.Temporary%", TSystemPath::GetTemporaryPath());
    s = Rep(s, L"%Path.Temp%", TSystemPath::GetTemporaryPath());
    s = Rep(s, L"%Path.Windows%", TSystemPath::GetWindowsPath());
    s = Rep(s, L"%Path.System%", TSystemPath::GetSystemPath());
    s = Rep(s, L"%Path.Font%", TSystemPath::GetFontPath());
    s = Rep(s, L"%Path.PgmFiles%", TSystemPath::GetPgmFilesPath());
    s = Rep(s, L"%Path.CommonDesktop%", TSystemPath::GetDesktopPath(true));
    s = Rep(s, L"%Path.CommonStartMenu%", TSystemPath::GetStartMenuPath(true));
    s = Rep(s, L"%Path.CommonStartPrograms%", TSystemPath::GetStartProgramsPath(true));
    s = Rep(s, L"%Path.CommonStartUp%", TSystemPath::GetStartUpPath(true));
}

// Inside the server engine there may be no user profile: what has been replaced stands and
// the rest is skipped.
void TNorvaVariables::ReplaceUserFolders(std::wstring& s) const {
    try {
        s = Rep(s, L"%Path.UserStartUp%", TSystemPath::GetStartUpPath(false));
        s = Rep(s, L"%Path.UserDesktop%", TSystemPath::GetDesktopPath(false));
        s = Rep(s, L"%Path.UserStartMenu%", TSystemPath::GetStartMenuPath(false));
        s = Rep(s, L"%Path.UserStartPrograms%", TSystemPath::GetStartProgramsPath(false));
    } catch (...) {
        if (!IsServerEngine())
            throw;
    }
}

std::wstring TNorvaVariables::UserFolderRefusal(const std::wstring& Text) const {
    const std::pair<const wchar_t*, int> folders[] = {
        {L"%Path.UserStartUp%", CSIDL_STARTUP},
        {L"%Path.UserDesktop%", CSIDL_DESKTOPDIRECTORY},
        {L"%Path.UserStartMenu%", CSIDL_STARTMENU},
        {L"%Path.UserStartPrograms%", CSIDL_PROGRAMS},
    };
    for (const auto& [name, csidl] : folders) {
        if (!Holds(Text, name))
            continue;
        const std::wstring folder = TSystemPath::GetSpecialFolderPath(csidl);
        const std::wstring profile = TSystemPath::GetSpecialFolderPath(CSIDL_PROFILE);
        if (profile.size() <= 1 || !FileSystem::LiesBelow(folder, profile))
            return Format(L"%s is \"%s\", outside the user's profile \"%s\"",
                          {std::wstring(name), folder, profile});
    }
    return {};
}

std::wstring TNorvaVariables::EsdWithDelimiter(const std::wstring& Name) const {
    // An alias brings its delimiter even when the value is missing, as the suite's other
    // programs expand it; the path that results is not absolute, so the deletion guards refuse
    // it.
    const std::wstring value = FEsdSettings->Value(Name);
    return value.empty() ? L"\\" : IncludeTrailingBackslash(value);
}

std::wstring TNorvaVariables::ReplaceEsd(const std::wstring& text) {
    GetLogger().Write(this, L"ReplaceEsd(%s)", {text}, ttInformation);
    if (!FEsdSettings || FEsdSettings->Count() == 0)
        LoadEsdSettings();
    std::wstring s = text;
    for (int index = 0; index < FEsdSettings->Count(); ++index) {
        std::wstring name = FEsdSettings->Name(index);
        s = Rep(s, L"%esd." + Trim(name) + L"%", FEsdSettings->Value(name));
    }
    s = Rep(s, L"%lpdir\\", EsdWithDelimiter(L"LPDir"));
    s = Rep(s, L"%local_pgm_common\\", EsdWithDelimiter(L"LPDir"));
    s = Rep(s, L"%local_pgm\\", EsdWithDelimiter(L"LPDir") + L"Velmarix\\");
    s = Rep(s, L"%lddir\\", EsdWithDelimiter(L"LDDir"));
    s = Rep(s, L"%local_data\\", EsdWithDelimiter(L"LDDir"));
    s = Rep(s, L"%srcdir\\", EsdWithDelimiter(L"SrcDir"));
    s = Rep(s, L"%velxpkg\\", EsdWithDelimiter(L"SrcDir"));
    GetLogger().Write(this, L"ReplaceEsd(%s) ==> \"%s\"", {text, s}, ttInformation);
    return s;
}

void TNorvaVariables::LoadEsdSettings() {
    GetLogger().Write(this, L"LoadEsdSettings", ttInformation);
    if (!FEsdSettings)
        FEsdSettings = std::make_unique<TNameValueList>();
    TRegKey key = Registry::OpenRead(HKEY_LOCAL_MACHINE, EsdKey);
    if (key) {
        GetLogger().Write(this, L"  GetValueNames()", ttInformation);
        std::vector<std::wstring> names = Registry::ValueNames(key.Get());
        GetLogger().Write(this, L"    ==> Count = %d", {static_cast<int>(names.size())},
                          ttInformation);
        for (const auto& name : names)
            FEsdSettings->SetValue(name, Registry::ReadString(key.Get(), name));
    } else {
        GetLogger().Write(L"Open registry key \"%s\" failed", {EsdKey}, ttInformation);
    }
    GetLogger().Write(this, L"  LoadEsdSettings count = %d", {FEsdSettings->Count()},
                      ttInformation);
}

void TNorvaVariables::Reload() {
    GetLogger().Write(this, L"Reload()", ttInformation);
    if (FEsdSettings)
        FEsdSettings->Clear();
    LoadEsdSettings();
}

namespace {

// Created after the logger, so destroyed before it: "Destroy" still has somewhere to go.
struct TVariablesUnit {
    TVariablesUnit() { LoggerLock(); }
    std::unique_ptr<TNorvaVariables> Instance;
};

} // namespace

TNorvaVariables& GetVariables() {
    static TVariablesUnit unit;
    if (!unit.Instance)
        unit.Instance = std::make_unique<TNorvaVariables>();
    return *unit.Instance;
}

std::wstring ShortExeName(const std::wstring& FileName) {
    size_t bracket = FileName.find(L'[');
    if (bracket == std::wstring::npos)
        return FileName;
    size_t dot = FileName.rfind(L'.');
    return FileName.substr(0, bracket) + (dot == std::wstring::npos ? L"" : FileName.substr(dot));
}

std::wstring ShortExeName() {
    return ShortExeName(ProcessInfo::ExeFileName());
}
