#pragma once
#include "logging/Logger.h"
#include "logging/base/NxLogAppender.h"
#include "uninstall/engine/UninstallView.h"

#include <string>
#include <vector>

namespace test {

// A view that writes down what the engine shows, in order: "1:<text>" and "2:<text>" for the
// status lines, "E:<text>" for an error line, "P" for a message pump.
class TRecordingView : public IUninstallView {
public:
    void ShowStatus(int Line, const std::wstring& Text) override {
        Journal.push_back(std::to_wstring(Line) + L":" + Text);
    }
    void AddErrorLine(const std::wstring& Text) override {
        Journal.push_back(L"E:" + Text);
        Errors.push_back(Text);
    }
    void ProcessMessages() override { Journal.push_back(L"P"); }

    // Line 1 texts only, the phases of a run.
    std::vector<std::wstring> Phases() const {
        std::vector<std::wstring> phases;
        for (const auto& entry : Journal)
            if (entry.rfind(L"1:", 0) == 0)
                phases.push_back(entry.substr(2));
        return phases;
    }

    std::vector<std::wstring> Journal;
    std::vector<std::wstring> Errors;
};

// Records the trace lines written while it lives, as "<module>|<message>", on a fresh logger.
class TTraceRecorder : public TNxLogAppender {
public:
    TTraceRecorder() {
        TNvLogger::Reset();
        GetLogger().addAppender(this);
    }
    ~TTraceRecorder() override { TNvLogger::Reset(); }
    std::wstring ClassName() const override { return L"TTraceRecorder"; }

    void append(TNxLoggerMessage& aEvent) override {
        Lines.push_back(aEvent.getModule() + L"|" + aEvent.getMessage());
    }

    std::vector<std::wstring> Lines;
};

} // namespace test
