#pragma once
#include <string>

namespace FileSystem {

// 128 random bits as 32 hexadecimal digits: a name of a file or folder that no other user can
// guess and make first. Empty when the system gives no random bits.
[[nodiscard]] std::wstring RandomName();

} // namespace FileSystem
