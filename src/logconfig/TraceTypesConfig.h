#pragma once
#include "logconfig/AppenderConfig.h"

// The part of the standard appenders' classes that saves their trace types to INI files and
// the registry (XML saves them with the common part): only a set that differs from the class
// default is written.
class TTraceTypesConfig : public TAppenderConfig {
public:
    TTraceTypesConfig(TNorvaAppender& Appender, TTraceTypes ClassDefault)
        : TAppenderConfig(Appender), FClassDefault(ClassDefault) {}

    using TAppenderConfig::SaveAs;
    void SaveAs(TIniFile& IniFile, bool bSaveDefault) override;
    void SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) override;

private:
    TTraceTypes FClassDefault;
};
