#pragma once
#include <string>

// Deletes a file, clearing its attributes when a plain delete fails; a missing file is no error.
void ForceDeleteFile(const std::wstring& FileName);
