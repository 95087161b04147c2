#pragma once
#include "core/Object.h"
#include "env/NameValueList.h"

#include <memory>
#include <string>

// Expands the variables between percent signs in script paths: the running program, the
// installation settings, the system folders and the ESD deployment settings.
class TNorvaVariables : public TObject {
public:
    TNorvaVariables();
    ~TNorvaVariables() override;
    std::wstring ClassName() const override { return L"TNorvaVariables"; }

    // Every known variable replaced, in a fixed order, ignoring case; unknown ones stay.
    std::wstring Replace(const std::wstring& str);
    // Forces a fresh read of the ESD settings.
    void Reload();
    // Why Text must not be expanded for a deletion: it names one of the user's shell folders
    // (desktop, start menu, programs, startup) and the user's own setting puts that folder
    // outside the user's profile folder, where unelevated code of the user could point it at
    // another product's folder. Empty when Text may be used.
    std::wstring UserFolderRefusal(const std::wstring& Text) const;

private:
    void ReplaceSettings(std::wstring& s) const;
    void ReplaceFolders(std::wstring& s) const;
    void ReplaceUserFolders(std::wstring& s) const;
    std::wstring ReplaceEsd(const std::wstring& text);
    std::wstring EsdWithDelimiter(const std::wstring& Name) const;
    void LoadEsdSettings();

    std::unique_ptr<TNameValueList> FEsdSettings; // absent until the first load
};

// The one expansion object of the process, created on first use.
TNorvaVariables& GetVariables();

// The running executable's file name without a bracketed suffix: "Uninstall[1].exe" gives
// "Uninstall.exe".
std::wstring ShortExeName();
std::wstring ShortExeName(const std::wstring& FileName);
