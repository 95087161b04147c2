#pragma once
#include "core/Exception.h"

#include <windows.h>

#include <string>

// A shell link file that cannot be read or written.
class EShortcutError : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"EShortcutError"; }
};

enum class TShowCmd { scShowMaximized, scShowMinimized, scShowNormal };

// A shortcut file (".lnk") read and written through the shell's own link object. The thread
// must have COM initialised.
class TShortcutLink {
public:
    // Owner is the window the folder properties pass to the shell; none is fine.
    explicit TShortcutLink(HWND Owner = nullptr) : FOwner(Owner) {}

    // Fills the fields from ShortcutFile. A link the shell cannot resolve leaves them as they
    // were; a file that is no link raises "Unable to open link file".
    void Read();
    // Writes every field to ShortcutFile; raises "Unable to create .lnk file".
    void Write() const;

    std::wstring ShortcutFile;
    std::wstring Target;
    std::wstring WorkingDir;
    std::wstring Description;
    std::wstring Arguments;
    std::wstring IconLocation;
    WORD IconNumber = 0;

    // The hot key as a one-character text; a blank when there is none.
    std::wstring HotKey() const;
    void SetHotKey(const std::wstring& Key);
    TShowCmd ShowCmd() const;
    void SetShowCmd(TShowCmd Value);
    // The show-window code as stored in the link.
    int RawShowCmd() const { return FShowCmd; }

    std::wstring DesktopFolder() const;
    std::wstring ProgramsFolder() const;
    std::wstring StartFolder() const;
    std::wstring StartupFolder() const;

private:
    std::wstring SpecialFolder(int Csidl) const;

    HWND FOwner;
    mutable WORD FHotKey = 0;
    int FShowCmd = SW_SHOWNORMAL;
};
