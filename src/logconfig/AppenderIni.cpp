#include "logconfig/AppenderConfig.h"
#include "logconfig/ConfigDefaults.h"

using namespace ConfigDefaults;

void TAppenderConfig::Initialize(const TIniFile& IniFile) {
    const std::wstring tag = Tag();
    if (!IniFile.SectionExists(tag))
        return;
    FAppender.SetActive(IniFile.ReadBool(tag, L"Active", AppenderActive));
    // An empty list keeps the types: it is what a missing key reads as.
    std::wstring types = IniFile.ReadString(tag, L"TraceTypes", L"");
    if (!types.empty())
        FAppender.SetTraceTypes(StrToTraceTypes(types));
    TPrefixes prefixes;
    for (const TColumn& column : Columns)
        if (IniFile.ReadBool(tag, column.Key, Prefixes.Contains(column.Prefix)))
            prefixes.Include(column.Prefix);
    FAppender.SetPrefixes(prefixes);
    FAppender.SetDateFormat(IniFile.ReadString(tag, L"DateFormat", DateFormat()));
    FAppender.SetTimeFormat(IniFile.ReadString(tag, L"TimeFormat", TimeFormat()));
    FAppender.SetSeparator(IniFile.ReadString(tag, L"Separator", Separator));
}

void TAppenderConfig::SaveAs(TIniFile& IniFile, bool) {
    const std::wstring tag = Tag();
    IniFile.EraseSection(tag);
    IniFile.WriteBool(tag, L"Active", FAppender.Active());
    if (FAppender.DateFormat() != DateFormat())
        IniFile.WriteString(tag, L"DateFormat", FAppender.DateFormat());
    if (FAppender.TimeFormat() != TimeFormat())
        IniFile.WriteString(tag, L"TimeFormat", FAppender.TimeFormat());
    if (FAppender.Separator() != Separator)
        IniFile.WriteString(tag, L"Separator", FAppender.Separator());
    const TPrefixes prefixes = FAppender.Prefixes();
    if (prefixes == Prefixes)
        return;
    // Only the columns that differ from their default, in this order.
    for (TPrefix p : {pfxDate, pfxProcID, pfxThreadID, pfxHost, pfxAppName, pfxTime})
        if (prefixes.Contains(p) != Prefixes.Contains(p))
            IniFile.WriteBool(tag, Columns[p].Key, prefixes.Contains(p));
}
