#include "logconfig/AppenderConfig.h"
#include "logconfig/ConfigDefaults.h"

using namespace ConfigDefaults;

void TAppenderConfig::Initialize(TRegistry& Reg, const std::wstring& TraceKey) {
    if (!Reg.OpenKeyReadOnly(KeyOf(TraceKey)))
        return;
    FAppender.SetActive(Reg.ReadBool(L"Active", AppenderActive));
    if (Reg.OpenKeyReadOnly(KeyOf(TraceKey, L"TraceTypes"))) {
        TTraceTypes types;
        for (int t = ttInformation; t <= ttReporting; ++t)
            if (Reg.ReadInteger(TraceTypeName(static_cast<TTraceType>(t)), 0) != 0)
                types.Include(static_cast<TTraceType>(t));
        FAppender.SetTraceTypes(types);
    }
    if (Reg.OpenKeyReadOnly(KeyOf(TraceKey, L"Layout"))) {
        TPrefixes prefixes;
        for (const TColumn& column : Columns)
            if (Reg.ReadBool(column.Key, Prefixes.Contains(column.Prefix)))
                prefixes.Include(column.Prefix);
        FAppender.SetPrefixes(prefixes);
        FAppender.SetDateFormat(Reg.ReadString(L"DateFormat", DateFormat()));
        FAppender.SetTimeFormat(Reg.ReadString(L"TimeFormat", TimeFormat()));
        FAppender.SetSeparator(Reg.ReadString(L"Separator", Separator));
    }
    Reg.CloseKey();
}

void TAppenderConfig::SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool) {
    CreateKey(Reg, KeyOf(TraceKey));
    Reg.WriteBool(L"Active", FAppender.Active());
    Reg.CloseKey();

    const std::wstring layout = KeyOf(TraceKey, L"Layout");
    Reg.DeleteKey(layout);
    CreateKey(Reg, layout);
    const TPrefixes prefixes = FAppender.Prefixes();
    if (prefixes != Prefixes)
        for (TPrefix p : {pfxDate, pfxProcID, pfxThreadID, pfxHost, pfxAppName, pfxTime})
            if (prefixes.Contains(p) != Prefixes.Contains(p))
                Reg.WriteBool(Columns[p].Key, prefixes.Contains(p));
    if (FAppender.DateFormat() != DateFormat())
        Reg.WriteString(L"DateFormat", FAppender.DateFormat());
    if (FAppender.TimeFormat() != TimeFormat())
        Reg.WriteString(L"TimeFormat", FAppender.TimeFormat());
    if (FAppender.Separator() != Separator)
        Reg.WriteString(L"Separator", FAppender.Separator());
    bool empty = Reg.ValueCount() == 0;
    Reg.CloseKey();
    if (empty)
        Reg.DeleteKey(layout);
}
