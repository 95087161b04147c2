#include "core/Exception.h"
#include "logconfig/AppenderConfig.h"
#include "logconfig/ConfigDefaults.h"
#include "logconfig/stores/XmlValues.h"
#include "logging/support/Report.h"

using namespace ConfigDefaults;

void TAppenderConfig::Initialize(const TXmlNode& TraceNode) {
    TXmlNode node = TraceNode.FirstChildElement(Tag());
    if (!node.Assigned())
        return;
    try {
        ReadCommonXml(node);
    } catch (const std::exception& e) {
        ReportError(L"%s.Initialize failed (%s)", {FAppender.ClassName(), ExceptionMessage(e)});
    }
}

void TAppenderConfig::ReadCommonXml(const TXmlNode& node) {
    FAppender.SetActive(XmlAttrBool(node, L"Active", AppenderActive));
    if (TXmlNode types = node.FirstChildElement(L"TraceTypes"); types.Assigned()) {
        FAppender.SetTraceTypes({});
        for (int i = 0, count = types.ChildCount(); i < count; ++i) {
            TXmlNode child = types.Child(i);
            if (!child.IsElement() || child.NodeName() != L"TraceType")
                continue;
            TTraceTypes set = FAppender.TraceTypes();
            set.Include(StrToTraceType(child.Text()));
            FAppender.SetTraceTypes(set);
        }
    }
    TXmlNode layout = node.FirstChildElement(L"Layout");
    if (!layout.Assigned())
        return;
    if (TXmlNode separator = layout.FirstChildElement(L"Separator"); separator.Assigned())
        FAppender.SetSeparator(separator.Text());
    // A missing child leaves its column as it is.
    TPrefixes prefixes = FAppender.Prefixes();
    for (const TColumn& column : Columns) {
        TXmlNode child = layout.FirstChildElement(column.Element);
        if (!child.Assigned())
            continue;
        if (XmlAttrBool(child, L"Include", Prefixes.Contains(column.Prefix)))
            prefixes.Include(column.Prefix);
        else
            prefixes.Exclude(column.Prefix);
        if (column.Prefix == pfxDate)
            FAppender.SetDateFormat(child.Attribute(L"Format").value_or(DateFormat()));
        if (column.Prefix == pfxTime)
            FAppender.SetTimeFormat(child.Attribute(L"Format").value_or(TimeFormat()));
        FAppender.SetPrefixes(prefixes);
    }
}

void TAppenderConfig::SaveAs(const TXmlNode& TraceNode, bool) {
    TXmlNode node = XmlChild(TraceNode, Tag());
    node.SetAttribute(L"Active", XmlBool(FAppender.Active()));
    TXmlNode types = XmlEmptyChild(node, L"TraceTypes");
    for (int t = ttInformation; t <= ttReporting; ++t)
        if (FAppender.TraceTypes().Contains(static_cast<TTraceType>(t)))
            types.AppendElement(L"TraceType").SetText(TraceTypeName(static_cast<TTraceType>(t)));

    TXmlNode layout = XmlEmptyChild(node, L"Layout");
    if (FAppender.Separator() != Separator)
        XmlSetText(layout.AppendElement(L"Separator"), FAppender.Separator());
    const TPrefixes prefixes = FAppender.Prefixes();
    if (prefixes.Contains(pfxDate) || FAppender.DateFormat() != DateFormat()) {
        TXmlNode date = layout.AppendElement(L"Date");
        date.SetAttribute(L"Include", XmlBool(prefixes.Contains(pfxDate)));
        date.SetAttribute(L"Format", FAppender.DateFormat());
    }
    if (!prefixes.Contains(pfxTime) || FAppender.TimeFormat() != TimeFormat()) {
        TXmlNode time = layout.AppendElement(L"Time");
        time.SetAttribute(L"Include", XmlBool(prefixes.Contains(pfxTime)));
        time.SetAttribute(L"Format", FAppender.TimeFormat());
    }
    for (TPrefix p : {pfxProcID, pfxThreadID, pfxHost, pfxAppName})
        if (prefixes.Contains(p) != Prefixes.Contains(p))
            layout.AppendElement(Columns[p].Element)
                .SetAttribute(L"Include", XmlBool(prefixes.Contains(p)));
}
