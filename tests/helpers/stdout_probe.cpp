// A window program (no console of its own) that writes two report lines through StdOut, one
// with letters outside the ANSI code page, as the uninstaller's preview does.
#include "sys/shared/StdOut.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StdOut::WriteLine(L"Folder \"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430\": "
                      L"1 files");
    StdOut::WriteLine(L"Shortcut \"\u5feb\u6377.lnk\"");
    return 0;
}
