#pragma once
#include "logconfig/TraceTypesConfig.h"
#include "logging/appenders/NorvaAppenderEventViewer.h"

// The event-log appender's configuration: the common part and its trace types, then its
// event source ("Source"; a missing one keeps the current source).
class TEventViewerConfig : public TTraceTypesConfig {
public:
    explicit TEventViewerConfig(TNorvaAppenderEventViewer& Appender)
        : TTraceTypesConfig(Appender, TNorvaAppenderEventViewer::DefaultTraceTypes),
          FEvents(Appender) {}

    void Initialize(const TIniFile& IniFile) override;
    void Initialize(TRegistry& Reg, const std::wstring& TraceKey) override;
    void Initialize(const TXmlNode& TraceNode) override;
    void SaveAs(TIniFile& IniFile, bool bSaveDefault) override;
    void SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) override;
    void SaveAs(const TXmlNode& TraceNode, bool bSaveDefault) override;

private:
    TNorvaAppenderEventViewer& FEvents;
};
