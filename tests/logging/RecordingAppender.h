#pragma once
#include "logging/base/NxLogAppender.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Keeps a copy of every message it is given; can be told to fail instead.
class TRecordingAppender : public TNxLogAppender {
public:
    explicit TRecordingAppender(std::wstring name = L"A",
                                std::vector<std::wstring>* journal = nullptr)
        : FName(std::move(name)), FJournal(journal) {}
    std::wstring ClassName() const override { return L"TRecordingAppender"; }

    void append(TNxLoggerMessage& aEvent) override {
        if (Fail)
            Fail();
        std::lock_guard<std::mutex> lock(FLock);
        Messages.push_back(aEvent);
        if (FJournal)
            FJournal->push_back(FName + L":" + aEvent.getMessage());
    }

    std::vector<TNxLoggerMessage> Messages;
    std::function<void()> Fail; // raises instead of recording

private:
    std::wstring FName;
    std::vector<std::wstring>* FJournal;
    std::mutex FLock;
};
