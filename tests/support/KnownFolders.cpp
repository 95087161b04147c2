#include "support/KnownFolders.h"

namespace test {

std::wstring KnownFolder(REFKNOWNFOLDERID Id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(Id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = path;
    CoTaskMemFree(path);
    return result;
}

} // namespace test
