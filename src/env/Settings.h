#pragma once
#include "env/NorvaError.h"

#include <windows.h>

#include <string>
#include <vector>

// Reader of the suite's installation settings under HKLM\Software\Talveno\Norva. Nothing is
// cached: every property goes to the registry, or to the configuration component, anew.
class TNRVSettings : public TNorvaObject {
public:
    std::wstring ClassName() const override { return L"TNRVSettings"; }

    // The value AName under ARegKey (the product settings key when empty), or ADefault when the
    // key or value is missing. ADefault "?" marks the value as required: missing is then an
    // error. Every failure leaves as the coded error "CLT.COMMON.SETTINGS.0003".
    std::wstring ReadString(HKEY hkey, const std::wstring& AName,
                            const std::wstring& ADefault = L"",
                            const std::wstring& ARegKey = L"") const;

    // With a trailing backslash, or empty when not stored.
    std::wstring InstallPath() const;
    std::wstring CacheFolder() const;
    std::wstring ErrorFolder() const;
    // Plain joins: a folder stored with a trailing backslash gives two.
    std::wstring CommonCachePath() const;
    std::wstring CachePath() const;
    std::wstring ErrorPath() const;
    int OfficeId() const;

private:
    std::wstring OfficePath(const std::wstring& Folder) const;

    std::vector<std::wstring> FSubServices; // kept for the suite's other programs
};

// The one settings object of the process, created on first use.
TNRVSettings& GetSettings();
