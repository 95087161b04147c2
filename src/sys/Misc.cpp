#include "sys/Misc.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/Text.h"
#include "sys/ComError.h"

namespace {

[[noreturn]] void RaiseLastError(const wchar_t* What) {
    throw Exception(
        Format(L"%s failed (%s)", {What, ComErrorText(HRESULT_FROM_WIN32(GetLastError()))}));
}

std::string ResourceBytes(const std::wstring& Name, const std::wstring& Type, HMODULE Module) {
    if (!Module)
        Module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(Module, Name.c_str(), Type.c_str());
    if (!info)
        throw Exception(Format(L"Resource %s not found", {Name}));
    HGLOBAL data = LoadResource(Module, info);
    if (!data)
        RaiseLastError(L"LoadResource");
    DWORD size = SizeofResource(Module, info);
    const void* bytes = LockResource(data);
    if (!bytes && size != 0)
        RaiseLastError(L"LockResource");
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
