#pragma once
#include <windows.h>

#include <string>

// Resource and XML-text operations of the shared utility library. Never instantiated.
class TMisc {
public:
    TMisc() = delete;

    // A resource of custom textual type, decoded with the ANSI code page. AHinst 0 stands for
    // the running executable. Type "XML" (ASCII case ignored) loses what precedes its first "<",
    // such as a byte-order mark. Raises "GetResource(<name>, <type>) failed (<reason>)".
    static std::wstring GetResource(const std::wstring& AResName, const std::wstring& AResType,
                                    HMODULE AHinst = nullptr);

    // xml from its first "<" on; unchanged when it holds none.
    static std::wstring RemoveUnicodeHeader(const std::wstring& xml);
};
