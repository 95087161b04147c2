#include "logconfig/ConfigDefaults.h"
#include "logconfig/TextFileConfig.h"
#include "logconfig/stores/XmlValues.h"

using namespace ConfigDefaults;

void TTextFileConfig::Initialize(const TXmlNode& TraceNode) {
    TTraceTypesConfig::Initialize(TraceNode);
    TXmlNode node = TraceNode.FirstChildElement(Tag());
    TXmlNode info = node.FirstChildElement(L"FileInfo");
    if (info.Assigned()) {
        if (TXmlNode dir = info.FirstChildElement(L"OutputDir"); dir.Assigned()) {
            FFile.SetOutputDir(dir.Text());
            FFile.SetForceDir(XmlAttrBool(dir, L"ForceDir", ForceDir));
        }
        if (TXmlNode rate = info.FirstChildElement(L"RefreshRate"); rate.Assigned())
            FFile.SetRefreshRate(StrToRefreshRate(rate.Text()));
        if (TXmlNode clean = info.FirstChildElement(L"CleanUp"); clean.Assigned()) {
            FFile.SetCleanUp(XmlAttrBool(clean, L"Active", CleanUp));
            FFile.SetKeep(XmlAttrInt(clean, L"Keep", Keep));
        }
        if (TXmlNode extension = info.FirstChildElement(L"Extension"); extension.Assigned())
            FFile.SetExtension(extension.Text());
        if (TXmlNode keepOpen = info.FirstChildElement(L"KeepOpen"); keepOpen.Assigned())
            FFile.SetKeepOpen(XmlToBool(keepOpen.Text(), KeepOpen));
        if (TXmlNode format = info.FirstChildElement(L"NameFormat"); format.Assigned())
            FFile.SetNameFormat(StrToNameFormat(format.Text()));
        // The header items are read only along with FileInfo.
        TXmlNode header = node.FirstChildElement(L"Header");
        for (const THeaderItem& item : HeaderItems)
            if (TXmlNode child = header.FirstChildElement(item.Element); child.Assigned())
                SetHeader(item.Header,
                          XmlAttrBool(child, L"Include", Headers.Contains(item.Header)));
    }
    CheckAfterReading();
}

void TTextFileConfig::SaveAs(const TXmlNode& TraceNode, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(TraceNode, bSaveDefault);
    TXmlNode node = XmlChild(TraceNode, Tag());
    TXmlNode info = XmlEmptyChild(node, L"FileInfo");
    if (FFile.OutputDir() != TNorvaAppenderTextFile::DefaultOutputDir() || FFile.ForceDir()) {
        TXmlNode dir = info.AppendElement(L"OutputDir");
        XmlSetText(dir, FFile.OutputDir());
        dir.SetAttribute(L"ForceDir", XmlBool(FFile.ForceDir()));
    }
    if (FFile.RefreshRate() != RefreshRate)
        info.AppendElement(L"RefreshRate").SetText(RefreshRateToStr(FFile.RefreshRate()));
    if (!FFile.CleanUp() || FFile.Keep() != Keep) {
        TXmlNode clean = info.AppendElement(L"CleanUp");
        clean.SetAttribute(L"Active", XmlBool(FFile.CleanUp()));
        clean.SetAttribute(L"Keep", std::to_wstring(FFile.Keep()));
    }
    if (FFile.Extension() != Extension)
        XmlSetText(info.AppendElement(L"Extension"), FFile.Extension());
    if (!FFile.KeepOpen())
        info.AppendElement(L"KeepOpen").SetText(XmlBool(false));
    if (FFile.NameFormat() != NameFormat)
        info.AppendElement(L"NameFormat").SetText(NameFormatToStr(FFile.NameFormat()));

    TXmlNode header = XmlEmptyChild(node, L"Header");
    for (const THeaderItem& item : HeaderItems)
        if (FFile.Headers().Contains(item.Header) != Headers.Contains(item.Header))
            header.AppendElement(item.Element)
                .SetAttribute(L"Include", XmlBool(FFile.Headers().Contains(item.Header)));
}
