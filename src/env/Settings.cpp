#include "env/Settings.h"
#include "core/Text.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "sys/com/ConfigComponent.h"
#include "sys/registry/Registry.h"
#include "sys/shared/Procs.h"

#include <memory>

namespace {

const wchar_t* const ProductKey = L"Software\\Talveno\\Norva";
const wchar_t* const ReadStringErrorCode = L"CLT.COMMON.SETTINGS.0003";
const wchar_t* const Required = L"?";

std::wstring ReadFromRegistry(HKEY hkey, const std::wstring& AName, const std::wstring& ADefault,
                              const std::wstring& Path) {
    TRegKey key = Registry::OpenRead(hkey, Path);
    if (!key) {
        if (ADefault == Required)
            DoException(L"Open Registry key \"%s\" failed", {Path});
        return ADefault;
    }
    if (Registry::ValueExists(key.Get(), AName))
        return Registry::ReadString(key.Get(), AName);
    if (ADefault == Required)
        DoException(L"Registry value \"%s\\%s:%s\" not found", {HKeyToStr(hkey), Path, AName});
    return ADefault;
}

} // namespace

std::wstring TNRVSettings::ReadString(HKEY hkey, const std::wstring& AName,
                                      const std::wstring& ADefault,
                                      const std::wstring& ARegKey) const {
    try {
        return ReadFromRegistry(hkey, AName, ADefault, ARegKey.empty() ? ProductKey : ARegKey);
    } catch (const Exception& e) {
        RaiseCodedError(ReadStringErrorCode, e.Message());
    }
}

std::wstring TNRVSettings::InstallPath() const {
    return IncludeTrailingBackslash(ReadString(HKEY_LOCAL_MACHINE, L"Install.Path"));
}

std::wstring TNRVSettings::CacheFolder() const {
    return ReadString(HKEY_LOCAL_MACHINE, L"Cache.Folder", Required);
}

std::wstring TNRVSettings::ErrorFolder() const {
    return ReadString(HKEY_LOCAL_MACHINE, L"Error.Folder", Required);
}

std::wstring TNRVSettings::CommonCachePath() const {
    std::wstring install = InstallPath();
    return install + CacheFolder() + L"\\";
}

std::wstring TNRVSettings::OfficePath(const std::wstring& Folder) const {
    return Folder + L"\\" + Format(L"%d", {OfficeId()}) + L"\\";
}

std::wstring TNRVSettings::CachePath() const {
    std::wstring install = InstallPath();
    std::wstring cache = CacheFolder();
    return install + OfficePath(cache);
}

std::wstring TNRVSettings::ErrorPath() const {
    std::wstring install = InstallPath();
    std::wstring error = ErrorFolder();
    return install + OfficePath(error);
}

int TNRVSettings::OfficeId() const {
    return ConfigComponent::OfficeId();
}

TNRVSettings& GetSettings() {
    static std::unique_ptr<TNRVSettings> settings;
    if (!settings)
        settings = std::make_unique<TNRVSettings>();
    return *settings;
}
