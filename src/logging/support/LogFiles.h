#pragma once
#include "core/Exception.h"
#include "core/Handle.h"

#include <string>

// A file of the logging framework that could not be opened or created; the message names
// the file and carries the system's error text.
class ELogFileError : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"ELogFileError"; }
};

namespace LogFiles {

// The system's text for an error code, without the trailing line break.
std::wstring SysErrorMessage(DWORD code);

[[nodiscard]] bool FileExists(const std::wstring& path);
[[nodiscard]] bool DirectoryExists(const std::wstring& path);
// Creates a folder with every missing parent; false when one of them cannot be made.
[[nodiscard]] bool ForceDirectories(const std::wstring& path);
std::wstring ExtractFilePath(const std::wstring& path); // with the trailing delimiter

// Opens a file for writing at its end, or creates it, letting others only read it while it is
// open (or nobody, with shareRead false). Raises ELogFileError naming the file.
TFileHandle OpenForAppend(const std::wstring& path, bool shareRead);
// Writes all bytes; false when they could not all be written, with the thread's last error
// telling why.
[[nodiscard]] bool WriteBytes(const TFileHandle& file, const std::string& bytes);

} // namespace LogFiles
