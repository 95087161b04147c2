#pragma once
#include <string>

// What the engine needs from whatever shows a run: the main window, or a test's recorder.
class IUninstallView {
public:
    virtual ~IUninstallView() = default;
    // Line 1 names the phase, line 2 the item being worked on.
    virtual void ShowStatus(int Line, const std::wstring& Text) = 0;
    // Appends one line to the error list and makes the list visible.
    virtual void AddErrorLine(const std::wstring& Text) = 0;
    // Handles pending window messages so the window repaints during a run.
    virtual void ProcessMessages() = 0;
};
