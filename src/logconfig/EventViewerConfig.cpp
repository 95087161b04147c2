#include "logconfig/EventViewerConfig.h"
#include "logconfig/stores/XmlValues.h"

void TEventViewerConfig::Initialize(const TIniFile& IniFile) {
    TTraceTypesConfig::Initialize(IniFile);
    if (IniFile.SectionExists(Tag()))
        FEvents.SetSource(IniFile.ReadString(Tag(), L"Source", FEvents.Source()));
}

void TEventViewerConfig::Initialize(TRegistry& Reg, const std::wstring& TraceKey) {
    TTraceTypesConfig::Initialize(Reg, TraceKey);
    if (Reg.OpenKeyReadOnly(KeyOf(TraceKey)))
        FEvents.SetSource(Reg.ReadString(L"Source", FEvents.Source()));
    Reg.CloseKey();
}

void TEventViewerConfig::Initialize(const TXmlNode& TraceNode) {
    TTraceTypesConfig::Initialize(TraceNode);
    TXmlNode node = TraceNode.FirstChildElement(Tag());
    if (node.Assigned())
        FEvents.SetSource(node.Attribute(L"Source").value_or(FEvents.Source()));
}

void TEventViewerConfig::SaveAs(TIniFile& IniFile, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(IniFile, bSaveDefault);
    if (!FEvents.Source().empty())
        IniFile.WriteString(Tag(), L"Source", FEvents.Source());
}

void TEventViewerConfig::SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(Reg, TraceKey, bSaveDefault);
    CreateKey(Reg, KeyOf(TraceKey));
    if (!FEvents.Source().empty())
        Reg.WriteString(L"Source", FEvents.Source());
    else
        Reg.DeleteValue(L"Source");
    Reg.CloseKey();
}

void TEventViewerConfig::SaveAs(const TXmlNode& TraceNode, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(TraceNode, bSaveDefault);
    XmlChild(TraceNode, Tag()).SetAttribute(L"Source", FEvents.Source());
}
