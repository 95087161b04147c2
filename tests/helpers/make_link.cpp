// Writes a shell link, as an installer would (used by the demonstration).
//   make_link LINK TARGET [ARGUMENTS]
#include "sys/com/ComInit.h"
#include "sys/com/ShortcutLink.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    try {
        TComInit com;
        TShortcutLink link;
        link.ShortcutFile = argv[1];
        link.Target = argv[2];
        link.Arguments = argc > 3 ? argv[3] : L"";
        link.Write();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
