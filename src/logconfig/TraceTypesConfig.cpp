#include "logconfig/TraceTypesConfig.h"

void TTraceTypesConfig::SaveAs(TIniFile& IniFile, bool bSaveDefault) {
    TAppenderConfig::SaveAs(IniFile, bSaveDefault);
    if (FAppender.TraceTypes() != FClassDefault)
        IniFile.WriteString(Tag(), L"TraceTypes", TraceTypesToStr(FAppender.TraceTypes()));
}

// The subkey holds one value 1 per selected type; the class default has no subkey.
void TTraceTypesConfig::SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) {
    TAppenderConfig::SaveAs(Reg, TraceKey, bSaveDefault);
    const std::wstring key = KeyOf(TraceKey, L"TraceTypes");
    Reg.DeleteKey(key);
    if (FAppender.TraceTypes() == FClassDefault)
        return;
    CreateKey(Reg, key);
    for (int t = ttInformation; t <= ttReporting; ++t)
        if (FAppender.TraceTypes().Contains(static_cast<TTraceType>(t)))
            Reg.WriteInteger(TraceTypeName(static_cast<TTraceType>(t)), 1);
    Reg.CloseKey();
}
