#include "logconfig/ConfigDefaults.h"
#include "logconfig/LoggerAppenders.h"
#include "logconfig/LoggerConfig.h"
#include "logconfig/stores/XmlValues.h"

using namespace ConfigDefaults;

void TLoggerConfig::Initialize(TNvLogger& Logger, const TXmlNode& TraceNode) {
    if (!TraceNode.Assigned())
        return;
    Logger.SetActive(XmlAttrBool(TraceNode, L"Active", Active));
    Logger.SetASync(XmlAttrBool(TraceNode, L"Async", ASync));
    Logger.SetASyncDelay(XmlAttrInt(TraceNode, L"ASyncDelay", ASyncDelay));
    ForEachAppenderConfig(Logger,
                          [&TraceNode](TAppenderConfig& config) { config.Initialize(TraceNode); });
}

void TLoggerConfig::SaveAs(TNvLogger& Logger, const TXmlNode& TraceNode, bool bSaveDefault) {
    if (!TraceNode.Assigned())
        return;
    TraceNode.RemoveAttributes();
    TraceNode.SetAttribute(L"Active", XmlBool(Logger.Active()));
    if (Logger.ASync())
        TraceNode.SetAttribute(L"Async", XmlBool(true));
    if (Logger.ASyncDelay() != ASyncDelay)
        TraceNode.SetAttribute(L"ASyncDelay", std::to_wstring(Logger.ASyncDelay()));
    ForEachAppenderConfig(Logger, [&TraceNode, bSaveDefault](TAppenderConfig& config) {
        config.SaveAs(TraceNode, bSaveDefault);
    });
}
