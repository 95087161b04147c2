#pragma once
#include "core/Object.h"
#include "logging/base/NxLoggerCollection.h"
#include "logging/base/NxLoggerMessage.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class TNxLogger;

// Decides whether a message may pass to the appenders.
class TNxLoggerFilter {
public:
    virtual ~TNxLoggerFilter() = default;
    virtual bool accept(const TNxLoggerMessage& aMessage) = 0;
};

using TNxLoggerMessageEvent = std::function<void(TNxLogger& Sender, TNxLoggerMessage& aMessage)>;

// The engine under the logger facade: a current level, filters and an ordered list of
// appenders, served one message at a time under the log lock.
class TNxLogger : public TObject {
public:
    TNxLogger();
    ~TNxLogger() override;
    TNxLogger(const TNxLogger&) = delete;
    TNxLogger& operator=(const TNxLogger&) = delete;

    std::wstring ClassName() const override { return L"TNxLogger"; }

    void dispatch(TNxLoggerMessage& message);

    void log(TNxLoggerLevel aLevel, const std::wstring& aMessage);
    void log(TNxLoggerLevel aLevel, const std::wstring& aModule, const std::wstring& aMessage);
    void log(TNxLoggerLevel aLevel, const std::wstring& aModule, const std::wstring& aMessage,
             TNxLoggerCategory aCategory, const Exception* aException);
    void log(TNxLoggerLevel aLevel, const std::wstring& aModule, const std::wstring& aMessage,
             const std::wstring& aCategory, const Exception* aException);
    void log(TNxLoggerLevel aLevel, const std::wstring& aModule, const std::wstring& aMessage,
             const std::wstring& aCategory, const std::wstring& aLanguage,
             const Exception* aException);

#define NXLOGGER_SHORTHAND(name)                                                                   \
    void name(const std::wstring& aMessage);                                                       \
    void name(const std::wstring& aModule, const std::wstring& aMessage);                          \
    void name(const std::wstring& aModule, const std::wstring& aMessage,                           \
              TNxLoggerCategory aCategory, const Exception* aException);
    NXLOGGER_SHORTHAND(fatal)
    NXLOGGER_SHORTHAND(error)
    NXLOGGER_SHORTHAND(warn)
    NXLOGGER_SHORTHAND(info)
    NXLOGGER_SHORTHAND(debug)
    NXLOGGER_SHORTHAND(trace)
#undef NXLOGGER_SHORTHAND

    TNxLoggerLevel getLevel();
    void setLevel(TNxLoggerLevel aLevel);
    bool isTraceEnabled();
    bool isDebugEnabled();
    bool isInfoEnabled();
    bool isWarnEnabled();
    bool isErrorEnabled();
    bool isFatalEnabled();

    int getAppenderCount() const;
    TNxLogAppender* getAppender(int index);     // none outside 0 to count - 1
    void addAppender(TNxLogAppender* appender); // not owned
    void addFilter(TNxLoggerFilter* filter);    // not owned

    TNxLoggerMessageEvent OnAppend;
    TNxLoggerMessageEvent OnLog;

    virtual bool acceptedByFilters(const TNxLoggerMessage& message);
    virtual std::wstring getHostName();

private:
    std::recursive_mutex fCSLog;
    std::wstring fApplicationId;
    std::wstring fInstanceId;
    std::wstring fUserIdent;
    std::wstring fLanguage;
    // Read for every message: one word, no lock.
    std::atomic<TNxLoggerLevel> fCurrentLevel{NXLL_INFO};
    TNxLoggerCollection fAppenders;
    std::mutex fFiltersLock;
    std::vector<TNxLoggerFilter*> fFilters;
    // Messages of a logger without filters do not take the filters' lock.
    std::atomic<bool> fHasFilters{false};
};
