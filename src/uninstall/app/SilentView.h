#pragma once
#include "uninstall/engine/UninstallView.h"

// The view of a quiet run: nothing is shown. The engine traces every status and error line
// itself; this view counts the error lines, which decide the exit code.
class TSilentView : public IUninstallView {
public:
    void ShowStatus(int Line, const std::wstring& Text) override;
    void AddErrorLine(const std::wstring& Text) override;
    void ProcessMessages() override;

    int ErrorLines() const { return FErrorLines; }

private:
    int FErrorLines = 0;
};
