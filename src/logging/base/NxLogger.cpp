#include "logging/base/NxLogger.h"
#include "logging/base/NxLogFormater.h"
#include "logging/support/ProcessInfo.h"

TNxLogger::TNxLogger()
    : fApplicationId(ProcessInfo::ApplicationId()), fInstanceId(ProcessInfo::InstanceId()),
      fUserIdent(ProcessInfo::UserName()) {}

TNxLogger::~TNxLogger() {
    OnAppend = nullptr;
    OnLog = nullptr;
}

void TNxLogger::dispatch(TNxLoggerMessage& message) {
    if (message.getLevel() >= getLevel() && acceptedByFilters(message)) {
        {
            std::lock_guard<std::recursive_mutex> lock(fCSLog);
            for (size_t i = 0; i < fAppenders.Count(); ++i)
                fAppenders.Item(i).append(message);
        }
        if (OnAppend)
            OnAppend(*this, message);
    }
    if (OnLog)
        OnLog(*this, message);
}

void TNxLogger::log(TNxLoggerLevel aLevel, const std::wstring& aMessage) {
    TNxLoggerMessage message(fApplicationId, fInstanceId, fUserIdent, aLevel, aMessage);
    dispatch(message);
}

void TNxLogger::log(TNxLoggerLevel aLevel, const std::wstring& aModule,
                    const std::wstring& aMessage) {
    log(aLevel, aModule, aMessage, TNxLogFormater::convertCategoryToString(NXLCAT_NONE), fLanguage,
        nullptr);
}

void TNxLogger::log(TNxLoggerLevel aLevel, const std::wstring& aModule,
                    const std::wstring& aMessage, TNxLoggerCategory aCategory,
                    const Exception* aException) {
    log(aLevel, aModule, aMessage, TNxLogFormater::convertCategoryToString(aCategory), aException);
}

void TNxLogger::log(TNxLoggerLevel aLevel, const std::wstring& aModule,
                    const std::wstring& aMessage, const std::wstring& aCategory,
                    const Exception* aException) {
    log(aLevel, aModule, aMessage, aCategory, fLanguage, aException);
}

void TNxLogger::log(TNxLoggerLevel aLevel, const std::wstring& aModule,
                    const std::wstring& aMessage, const std::wstring& aCategory,
                    const std::wstring& aLanguage, const Exception* aException) {
    TNxLoggerMessage message(fApplicationId, fInstanceId, fUserIdent, aLevel, aModule, aMessage,
                             aCategory, aLanguage, aException);
    dispatch(message);
}

#define NXLOGGER_SHORTHAND(name, level)                                                            \
    void TNxLogger::name(const std::wstring& aMessage) {                                           \
        log(level, aMessage);                                                                      \
    }                                                                                              \
    void TNxLogger::name(const std::wstring& aModule, const std::wstring& aMessage) {              \
        log(level, aModule, aMessage, NXLCAT_NONE, nullptr);                                       \
    }                                                                                              \
    void TNxLogger::name(const std::wstring& aModule, const std::wstring& aMessage,                \
                         TNxLoggerCategory aCategory, const Exception* aException) {               \
        log(level, aModule, aMessage, aCategory, aException);                                      \
    }
NXLOGGER_SHORTHAND(fatal, NXLL_FATAL)
NXLOGGER_SHORTHAND(error, NXLL_ERROR)
NXLOGGER_SHORTHAND(warn, NXLL_WARN)
NXLOGGER_SHORTHAND(info, NXLL_INFO)
NXLOGGER_SHORTHAND(debug, NXLL_DEBUG)
NXLOGGER_SHORTHAND(trace, NXLL_TRACE)
#undef NXLOGGER_SHORTHAND

TNxLoggerLevel TNxLogger::getLevel() {
    return fCurrentLevel.load();
}

void TNxLogger::setLevel(TNxLoggerLevel aLevel) {
    fCurrentLevel.store(aLevel);
}

bool TNxLogger::isTraceEnabled() {
    return getLevel() == NXLL_TRACE;
}
bool TNxLogger::isDebugEnabled() {
    return getLevel() < NXLL_INFO;
}
bool TNxLogger::isInfoEnabled() {
    return getLevel() < NXLL_WARN;
}
bool TNxLogger::isWarnEnabled() {
    return getLevel() < NXLL_ERROR;
}
bool TNxLogger::isErrorEnabled() {
    return getLevel() < NXLL_FATAL;
}
bool TNxLogger::isFatalEnabled() {
    return true;
}

int TNxLogger::getAppenderCount() const {
    return static_cast<int>(fAppenders.Count());
}

TNxLogAppender* TNxLogger::getAppender(int index) {
    if (index < 0 || index >= getAppenderCount())
        return nullptr;
    return fAppenders.Item(static_cast<size_t>(index)).getAppender();
}

void TNxLogger::addAppender(TNxLogAppender* appender) {
    fAppenders.Add(appender);
}

void TNxLogger::addFilter(TNxLoggerFilter* filter) {
    std::lock_guard<std::mutex> lock(fFiltersLock);
    fFilters.push_back(filter);
    fHasFilters = true;
}

bool TNxLogger::acceptedByFilters(const TNxLoggerMessage& message) {
    if (!fHasFilters)
        return true;
    std::lock_guard<std::mutex> lock(fFiltersLock);
    for (auto filter : fFilters)
        if (!filter->accept(message))
            return false;
    return true;
}

std::wstring TNxLogger::getHostName() {
    return ProcessInfo::HostName();
}
