#include "sys/com/ConfigComponent.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"

#include <windows.h>

#include <wrl/client.h>

namespace {

const wchar_t* const ConfigClassIdText = L"{BA6C7476-ED44-459E-8EE7-9DF4E075F850}";
const CLSID CLSID_Config = {
    0xBA6C7476, 0xED44, 0x459E, {0x8E, 0xE7, 0x9D, 0xF4, 0xE0, 0x75, 0xF8, 0x50}};
const IID IID_IConfig = {
    0x5EF40513, 0x6FCA, 0x4A1C, {0x94, 0x83, 0xA3, 0xE0, 0x54, 0x2F, 0xB1, 0x73}};

// The office number is IConfig's 23rd own method: entry 30 of the table after the three
// IUnknown and four IDispatch methods.
constexpr int OfficeIdSlot = 29;
using TOfficeIdMethod = HRESULT(STDMETHODCALLTYPE*)(IUnknown* This, int* Value);

std::wstring OleErrorText(HRESULT hr) {
    std::wstring text = SystemErrorText(static_cast<DWORD>(hr));
    return text.empty() ? Format(L"OLE error %.8x", {static_cast<unsigned>(hr)}) : text;
}

void OleCheck(HRESULT hr) {
    if (FAILED(hr))
        throw Exception(OleErrorText(hr));
}

} // namespace

namespace ConfigComponent {

int OfficeId() {
    Microsoft::WRL::ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(CLSID_Config, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()));
    if (FAILED(hr))
        throw Exception(OleErrorText(hr) + L", ClassID: " + ConfigClassIdText);
    Microsoft::WRL::ComPtr<IUnknown> config;
    OleCheck(unknown->QueryInterface(IID_IConfig, reinterpret_cast<void**>(config.GetAddressOf())));
    auto table = *reinterpret_cast<TOfficeIdMethod* const*>(config.Get());
    int officeId = 0;
    OleCheck(table[OfficeIdSlot](config.Get(), &officeId));
    return officeId;
}

} // namespace ConfigComponent
