#pragma once
#include "core/Exception.h"

#include <string>

// A version resource that exists but cannot be read.
class EModuleInfo : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"EModuleInfo"; }
};

// NetBIOS computer name; "Unknown" when it cannot be read.
std::wstring GetLogHost();
// User name of the process; "Unknown" when it cannot be read.
std::wstring GetLogUser();
// One value (such as "FileVersion") of the first translation of a file's version resource;
// empty when the file has no version resource or no such value.
std::wstring GetModuleVersion(const std::wstring& fileName, const std::wstring& key);
