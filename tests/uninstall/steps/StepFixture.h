#pragma once
#include "core/Text.h"
#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

// Runs a script of folder and file steps through the engine, headless, on a temporary tree.
class StepTest : public testing::Test {
protected:
    // Runs the groups given as XML text inside a script root.
    void RunSteps(const std::wstring& Groups) {
        std::wstring xml = L"<?xml version=\"1.0\"?><NorvaUninstall Version=\"1.0\">" + Groups +
                           L"</NorvaUninstall>";
        Module = std::make_unique<test::TScriptModule>(WideToUtf8(xml));
        Engine = std::make_unique<TUninstallEngine>(View, Module->Handle());
        if (!Workstation.empty())
            Engine->SetDeveloperWorkstation(Workstation);
        Engine->SetPreview(Preview);
        Engine->LoadXml();
        Engine->RunScript();
    }

    std::wstring Make(const std::wstring& Relative, DWORD Attributes = FILE_ATTRIBUTE_NORMAL) {
        std::wstring full = Root.Path() + Relative;
        for (size_t slash = full.find(L'\\', Root.Path().size()); slash != std::wstring::npos;
             slash = full.find(L'\\', slash + 1))
            CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
        if (full.back() != L'\\') {
            test::WriteTextFile(full, "x");
            SetFileAttributesW(full.c_str(), Attributes);
        }
        return full;
    }
    bool Exists(const std::wstring& Relative) const {
        return test::FileExists(Root.Path() + Relative);
    }
    bool Traced(const std::wstring& Line) const {
        return std::find(Trace.Lines.begin(), Trace.Lines.end(), Line) != Trace.Lines.end();
    }
    const std::vector<std::wstring>& Locked() const { return Engine->LockedFiles(); }

    static std::wstring Escape(const std::wstring& Text) {
        std::wstring out;
        for (wchar_t c : Text)
            out += c == L'"' ? L"&quot;" : c == L'&' ? L"&amp;" : std::wstring(1, c);
        return out;
    }

    TComInit Com;
    test::TTempFolder Root;
    test::TTraceRecorder Trace;
    test::TRecordingView View;
    std::wstring Workstation;
    // The run only reports what it would do.
    bool Preview = false;
    std::unique_ptr<test::TScriptModule> Module;
    std::unique_ptr<TUninstallEngine> Engine;
};
