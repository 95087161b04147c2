#include "sys/shared/Misc.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"

namespace {

std::string ResourceBytes(const std::wstring& Name, const std::wstring& Type, HMODULE Module) {
    if (!Module)
        Module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(Module, Name.c_str(), Type.c_str());
    if (!info)
        throw Exception(Format(L"Resource %s not found", {Name}));
    HGLOBAL data = CheckHandle(LoadResource(Module, info), L"LoadResource failed");
    DWORD size = SizeofResource(Module, info);
    const void* bytes = LockResource(data);
    if (!bytes && size != 0)
        RaiseSystemError(L"LockResource failed", GetLastError());
    return std::string(static_cast<const char*>(bytes), size);
}

} // namespace

std::wstring TMisc::GetResource(const std::wstring& AResName, const std::wstring& AResType,
                                HMODULE AHinst) {
    try {
        std::wstring text = AnsiToWide(ResourceBytes(AResName, AResType, AHinst));
        return SameTextAscii(AResType, L"XML") ? RemoveUnicodeHeader(text) : text;
    } catch (const std::exception& e) {
        throw Exception(
            Format(L"GetResource(%s, %s) failed (%s)", {AResName, AResType, ExceptionMessage(e)}));
    }
}

std::wstring TMisc::RemoveUnicodeHeader(const std::wstring& xml) {
    size_t pos = xml.find(L'<');
    return pos == std::wstring::npos ? xml : xml.substr(pos);
}
