#pragma once
#include "support/EnvSupport.h"
#include "support/EnvTraceSupport.h"

#include <objbase.h>

#include <string>

// The suite's keys are fixed names: every test starts and ends without them, in both views.
class TEnvTest : public test::TTracedTest {
protected:
    static constexpr const wchar_t* ProductKey = L"Software\\Talveno\\Norva";
    static constexpr const wchar_t* EsdKey = L"Software\\Velmarix\\Services\\Esd\\Settings";

    void SetUp() override {
        RemoveSuiteKeys();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        TTracedTest::SetUp();
    }
    void TearDown() override {
        TTracedTest::TearDown();
        CoUninitialize();
        RemoveSuiteKeys();
    }

    // Where this 32-bit program reads, and a decoy in the 64-bit view.
    void Product(const std::wstring& Name, const std::wstring& Value) {
        test::WriteRegString(HKEY_LOCAL_MACHINE, ProductKey, Name, Value);
    }
    void ProductDecoy(const std::wstring& Name, const std::wstring& Value) {
        test::WriteRegString(HKEY_LOCAL_MACHINE, ProductKey, Name, Value, KEY_WOW64_64KEY);
    }
    void Esd(const std::wstring& Name, const std::wstring& Value) {
        test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, Name, Value);
    }
    void EsdDecoy(const std::wstring& Name, const std::wstring& Value) {
        test::WriteRegString(HKEY_LOCAL_MACHINE, EsdKey, Name, Value, KEY_WOW64_64KEY);
    }

private:
    static void RemoveSuiteKeys() {
        for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
            test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Talveno", view);
            test::DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Velmarix", view);
        }
    }
};
