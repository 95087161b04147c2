// An in-process server of the configuration component for the tests. The office number comes
// from the environment variable NRV_TEST_OFFICE_ID of the loading process; when it is not a
// number the method fails with E_FAIL.
#include <windows.h>

#include <ole2.h>

#include <cwchar>

namespace {

const CLSID CLSID_Config = {
    0xBA6C7476, 0xED44, 0x459E, {0x8E, 0xE7, 0x9D, 0xF4, 0xE0, 0x75, 0xF8, 0x50}};
const IID IID_IConfig = {
    0x5EF40513, 0x6FCA, 0x4A1C, {0x94, 0x83, 0xA3, 0xE0, 0x54, 0x2F, 0xB1, 0x73}};

// IConfig's first 22 methods are of no use to the tests; the 23rd gives the office number.
#define RESERVED(n)                                                                                \
    virtual HRESULT STDMETHODCALLTYPE Reserved##n() {                                              \
        return E_NOTIMPL;                                                                          \
    }

struct IConfig : IDispatch {
    RESERVED(1)
    RESERVED(2)
    RESERVED(3)
    RESERVED(4) RESERVED(5) RESERVED(6) RESERVED(7) RESERVED(8) RESERVED(9) RESERVED(10)
        RESERVED(11) RESERVED(12) RESERVED(13) RESERVED(14) RESERVED(15) RESERVED(16) RESERVED(17)
            RESERVED(18) RESERVED(19) RESERVED(20) RESERVED(21)
                RESERVED(22) virtual HRESULT STDMETHODCALLTYPE get_OfficeId(int* Value) = 0;
};

class TConfig final : public IConfig {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IConfig) {
            *ppv = static_cast<IConfig*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&FRefs); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG refs = InterlockedDecrement(&FRefs);
        if (refs == 0)
            delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_OfficeId(int* Value) override {
        wchar_t text[32] = {};
        if (!GetEnvironmentVariableW(L"NRV_TEST_OFFICE_ID", text, 32))
            return E_FAIL;
        wchar_t* end = nullptr;
        long value = std::wcstol(text, &end, 10);
        if (end == text || *end)
            return E_FAIL;
        *Value = static_cast<int>(value);
        return S_OK;
    }

private:
    LONG FRefs = 1;
};

class TFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        TConfig* config = new TConfig;
        HRESULT hr = config->QueryInterface(riid, ppv);
        config->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TFactory GFactory;

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (clsid != CLSID_Config)
        return CLASS_E_CLASSNOTAVAILABLE;
    return GFactory.QueryInterface(riid, ppv);
}

// Stays loaded for the whole test program.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}
