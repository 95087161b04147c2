#pragma once
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Persistent.h"
#include "logging/base/NxLoggerTypes.h"

#include <string>

// One log event: created by the logger for each call and destroyed after its dispatch.
class TNxLoggerMessage : public TPersistent {
public:
    TNxLoggerMessage(const std::wstring& aApplicationId, const std::wstring& aInstanceId,
                     const std::wstring& aLogUser, TNxLoggerLevel aLevel,
                     const std::wstring& aMessage);
    TNxLoggerMessage(const std::wstring& aApplicationId, const std::wstring& aInstanceId,
                     const std::wstring& aLogUser, TNxLoggerLevel aLevel,
                     const std::wstring& aModule, const std::wstring& aMessage,
                     const std::wstring& aCategory, const std::wstring& aLanguage,
                     const Exception* aException);
    // An empty aThreadId stands for the calling thread.
    TNxLoggerMessage(const std::wstring& aApplicationId, const std::wstring& aInstanceId,
                     const std::wstring& aLogUser, TNxLoggerLevel aLevel,
                     const std::wstring& aModule, const std::wstring& aMessage,
                     const std::wstring& aCategory, const std::wstring& aLanguage,
                     const std::wstring& aThreadId, const Exception* aException);

    std::wstring ClassName() const override { return L"TNxLoggerMessage"; }
    void Assign(const TPersistent& Source) override;

    const std::wstring& getApplicationId() const { return fApplicationId; }
    const std::wstring& getInstanceId() const { return fInstanceId; }
    const std::wstring& getLogUser() const { return fLogUser; }
    const std::wstring& getThreadId() const { return fThreadId; }
    TNxLoggerLevel getLevel() const { return fLevel; }
    const std::wstring& getCategory() const { return fCategory; }
    const std::wstring& getModule() const { return fModule; }
    const std::wstring& getMessage() const { return fMessage; }
    TDateTime getTimestamp() const { return fTimestamp; }
    const Exception* getException() const { return fException; }
    const std::wstring& getLanguage() const { return fLanguage; }
    const std::wstring& getExceptionClassName() const { return fExceptionClassName; }
    const std::wstring& getStackTrace() const { return fStackTrace; }

    void setApplicationId(const std::wstring& v) {
        fApplicationId = v;
        Changed();
    }
    void setInstanceId(const std::wstring& v) {
        fInstanceId = v;
        Changed();
    }
    void setLogUser(const std::wstring& v) {
        fLogUser = v;
        Changed();
    }
    void setThreadId(const std::wstring& v) {
        fThreadId = v;
        Changed();
    }
    void setLogLevel(TNxLoggerLevel v) {
        fLevel = v;
        Changed();
    }
    void setLogCategory(const std::wstring& v) {
        fCategory = v;
        Changed();
    }
    void setLogModule(const std::wstring& v) {
        fModule = v;
        Changed();
    }
    void setLogMessage(const std::wstring& v) {
        fMessage = v;
        Changed();
    }
    void setLogTimestamp(TDateTime v) {
        fTimestamp = v;
        Changed();
    }
    void setLogException(const Exception* v) {
        fException = v;
        Changed();
    }
    void setLogExceptionClassName(const std::wstring& v) {
        fExceptionClassName = v;
        Changed();
    }
    void setLanguage(const std::wstring& v) {
        fLanguage = v;
        Changed();
    }
    void setStackTrace(const std::wstring& v) {
        fStackTrace = v;
        Changed();
    }

    // The line an appender formatted from this message, and who formatted it: the next
    // appender of the same layout writes it again instead of formatting it anew.
    struct TFormattedLine {
        const void* Layout = nullptr;
        unsigned LayoutVersion = 0;
        std::wstring Text;
    };
    TFormattedLine& formattedLine() const { return fFormattedLine; }

private:
    // A line formatted before the change no longer shows the message.
    void Changed() { fFormattedLine.Layout = nullptr; }

    std::wstring fApplicationId;
    std::wstring fInstanceId;
    std::wstring fLogUser;
    std::wstring fThreadId;
    TNxLoggerLevel fLevel;
    std::wstring fCategory;
    std::wstring fModule;
    std::wstring fMessage;
    TDateTime fTimestamp;
    const Exception* fException; // not owned
    std::wstring fExceptionClassName;
    std::wstring fLanguage;
    std::wstring fStackTrace;
    mutable TFormattedLine fFormattedLine;
};
