#pragma once
#include "core/Handle.h"
#include "core/Text.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <string>

using nlohmann::json;

// The report at Path, read and kept as Name for the schema test.
inline nlohmann::json ReadReport(const std::wstring& Path, const std::string& Name) {
    static bool emptied = false;
    if (!emptied) {
        // The reports of an earlier run of this program are not this run's.
        WIN32_FIND_DATAW data;
        TFindHandle find(FindFirstFileW(L"reports\\*.json", &data));
        for (bool more = bool(find); more; more = FindNextFileW(find.Get(), &data))
            DeleteFileW((std::wstring(L"reports\\") + data.cFileName).c_str());
        CreateDirectoryW(L"reports", nullptr);
        emptied = true;
    }
    CopyFileW(Path.c_str(), (L"reports\\" + Utf8ToWide(Name) + L".json").c_str(), FALSE);
    // An object, whatever was read: a missing or broken report fails the checks, not the program.
    nlohmann::json report = nlohmann::json::parse(test::ReadTextFile(Path), nullptr, false);
    EXPECT_TRUE(report.is_object()) << WideToUtf8(Path);
    return report.is_object() ? report : nlohmann::json::object();
}
