#include "logging/base/NxLoggerMessage.h"
#include "logging/support/ProcessInfo.h"

TNxLoggerMessage::TNxLoggerMessage(const std::wstring& aApplicationId,
                                   const std::wstring& aInstanceId, const std::wstring& aLogUser,
                                   TNxLoggerLevel aLevel, const std::wstring& aMessage)
    : TNxLoggerMessage(aApplicationId, aInstanceId, aLogUser, aLevel, L"", aMessage, L"", L"",
                       nullptr) {}

TNxLoggerMessage::TNxLoggerMessage(const std::wstring& aApplicationId,
                                   const std::wstring& aInstanceId, const std::wstring& aLogUser,
                                   TNxLoggerLevel aLevel, const std::wstring& aModule,
                                   const std::wstring& aMessage, const std::wstring& aCategory,
                                   const std::wstring& aLanguage, const Exception* aException)
    : TNxLoggerMessage(aApplicationId, aInstanceId, aLogUser, aLevel, aModule, aMessage, aCategory,
                       aLanguage, L"", aException) {}

TNxLoggerMessage::TNxLoggerMessage(const std::wstring& aApplicationId,
                                   const std::wstring& aInstanceId, const std::wstring& aLogUser,
                                   TNxLoggerLevel aLevel, const std::wstring& aModule,
                                   const std::wstring& aMessage, const std::wstring& aCategory,
                                   const std::wstring& aLanguage, const std::wstring& aThreadId,
                                   const Exception* aException)
    : fApplicationId(aApplicationId), fInstanceId(aInstanceId), fLogUser(aLogUser),
      fThreadId(aThreadId.empty() ? ProcessInfo::CurrentThreadId() : aThreadId), fLevel(aLevel),
      fCategory(aCategory), fModule(aModule), fMessage(aMessage), fTimestamp(Now()),
      fException(aException),
      fExceptionClassName(aException ? aException->ClassName() : std::wstring()),
      fLanguage(aLanguage) {}

void TNxLoggerMessage::Assign(const TPersistent& Source) {
    auto other = dynamic_cast<const TNxLoggerMessage*>(&Source);
    if (!other)
        AssignError(Source);
    *this = *other;
}
