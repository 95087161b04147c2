#pragma once
#include "logconfig/TraceTypesConfig.h"
#include "logging/appenders/NorvaAppenderTextFile.h"

// The text-file appender's configuration: the common part and its trace types, then its file
// settings and header items. After reading, an active appender checks its folder and cleans
// up at once.
class TTextFileConfig : public TTraceTypesConfig {
public:
    explicit TTextFileConfig(TNorvaAppenderTextFile& Appender)
        : TTraceTypesConfig(Appender, TNorvaAppenderTextFile::DefaultTraceTypes), FFile(Appender) {}

    // A refresh rate name not in the table raises ELoggerError; an unknown name format reads
    // as NameDate.
    void Initialize(const TIniFile& IniFile) override;
    void Initialize(TRegistry& Reg, const std::wstring& TraceKey) override;
    // Only when the element has a FileInfo child; an empty or unknown RefreshRate raises
    // ELoggerError, a Keep that is no number EConvertError.
    void Initialize(const TXmlNode& TraceNode) override;
    void SaveAs(TIniFile& IniFile, bool bSaveDefault) override;
    void SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) override;
    void SaveAs(const TXmlNode& TraceNode, bool bSaveDefault) override;

private:
    void CheckAfterReading();
    void SetHeader(THeader item, bool on);

    TNorvaAppenderTextFile& FFile;
};
