#include "core/Format.h"
#include "core/Text.h"
#include "logconfig/LoggerConfig.h"
#include "logging/support/LogFiles.h"
#include "logging/support/ProcessInfo.h"
#include "sys/com/ComInit.h"

#include <vector>

namespace {

// The profile routines look for a name without folder in the Windows folder, while the test
// whether the file exists looks in the current one: both must see the same file.
std::wstring FullPath(const std::wstring& name) {
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return name;
    std::vector<wchar_t> buffer(size);
    DWORD n = GetFullPathNameW(name.c_str(), size, buffer.data(), nullptr);
    return n > 0 && n < size ? std::wstring(buffer.data(), n) : name;
}

// ".ini", ".xml", ...: lower case, with its dot; empty when the name has none.
std::wstring LowerExtension(const std::wstring& name) {
    size_t dot = name.find_last_of(L".\\/:");
    if (dot == std::wstring::npos || name[dot] != L'.')
        return L"";
    return AsciiLower(name.substr(dot));
}

std::wstring WithIniExtension(const std::wstring& path) {
    size_t dot = path.find_last_of(L".\\/:");
    std::wstring base = dot != std::wstring::npos && path[dot] == L'.' ? path.substr(0, dot) : path;
    return base + L".ini";
}

} // namespace

void TLoggerConfig::Initialize(TNvLogger& Logger, const std::wstring& AFilename) {
    std::wstring name = AFilename;
    if (name.empty()) {
        std::wstring exe = ProcessInfo::ExePath();
        if (exe.empty()) {
            ReportError(L"TNvLogger.Initialize failed. IniFile no filename supply.", {});
            return;
        }
        name = WithIniExtension(exe);
    }
    name = FullPath(name);
    if (!LogFiles::FileExists(name)) {
        ReportError(L"TNvLogger.Initialize failed. IniFile (%s) not found.", {name});
        return;
    }
    if (LowerExtension(name) == L".xml") {
        TComInit com;
        std::unique_ptr<TXmlDocument> doc = TXmlDocument::Load(name);
        Initialize(Logger, doc->DocumentElement().FirstChildElement(L"Trace"));
        return;
    }
    TIniFile ini(name);
    Initialize(Logger, &ini);
}

void TLoggerConfig::SaveAs(TNvLogger& Logger, const std::wstring& AFilename, bool bSaveDefault) {
    const std::wstring extension = LowerExtension(AFilename);
    const std::wstring name = FullPath(AFilename);
    if (extension == L".ini") {
        TIniFile ini(name);
        SaveAs(Logger, &ini, bSaveDefault);
    } else if (extension == L".xml") {
        TComInit com;
        std::unique_ptr<TXmlDocument> doc = TXmlDocument::Load(name);
        TXmlNode root = doc->DocumentElement();
        TXmlNode trace = root.FirstChildElement(L"Trace");
        if (!trace.Assigned())
            trace = root.AppendElement(L"Trace");
        SaveAs(Logger, trace, bSaveDefault);
        doc->Save(name);
    } else {
        throw Exception(Format(L"Unknown save format (%s)", {extension}));
    }
}
