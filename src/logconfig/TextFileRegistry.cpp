#include "logconfig/ConfigDefaults.h"
#include "logconfig/TextFileConfig.h"

using namespace ConfigDefaults;

void TTextFileConfig::Initialize(TRegistry& Reg, const std::wstring& TraceKey) {
    TTraceTypesConfig::Initialize(Reg, TraceKey);
    if (Reg.OpenKeyReadOnly(KeyOf(TraceKey, L"FileInfo"))) {
        FFile.SetCleanUp(Reg.ReadBool(L"CleanUpActive", CleanUp));
        FFile.SetKeep(Reg.ReadInteger(L"CleanUpKeep", Keep));
        FFile.SetKeepOpen(Reg.ReadBool(L"KeepOpen", KeepOpen));
        FFile.SetForceDir(Reg.ReadBool(L"ForceDir", ForceDir));
        FFile.SetOutputDir(Reg.ReadString(L"OutputDir", FFile.OutputDir()));
        FFile.SetRefreshRate(
            StrToRefreshRate(Reg.ReadString(L"RefreshRate", RefreshRateToStr(RefreshRate))));
        FFile.SetExtension(Reg.ReadString(L"Extension", Extension));
        FFile.SetNameFormat(
            StrToNameFormat(Reg.ReadString(L"NameFormat", NameFormatToStr(NameFormat))));
    }
    if (Reg.OpenKeyReadOnly(KeyOf(TraceKey, L"Header")))
        for (const THeaderItem& item : HeaderItems)
            SetHeader(item.Header, Reg.ReadBool(item.Key, Headers.Contains(item.Header)));
    Reg.CloseKey();
    CheckAfterReading();
}

void TTextFileConfig::SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(Reg, TraceKey, bSaveDefault);
    const std::wstring fileInfo = KeyOf(TraceKey, L"FileInfo");
    Reg.DeleteKey(fileInfo);
    CreateKey(Reg, fileInfo);
    if (FFile.CleanUp() != CleanUp)
        Reg.WriteBool(L"CleanUpActive", FFile.CleanUp());
    if (FFile.Keep() != Keep)
        Reg.WriteInteger(L"CleanUpKeep", FFile.Keep());
    if (FFile.KeepOpen() != KeepOpen)
        Reg.WriteBool(L"KeepOpen", FFile.KeepOpen());
    if (FFile.ForceDir() != ForceDir)
        Reg.WriteBool(L"ForceDir", FFile.ForceDir());
    if (!FFile.OutputDir().empty())
        Reg.WriteString(L"OutputDir", FFile.OutputDir());
    if (FFile.RefreshRate() != RefreshRate)
        Reg.WriteString(L"RefreshRate", RefreshRateToStr(FFile.RefreshRate()));
    if (FFile.Extension() != Extension)
        Reg.WriteString(L"Extension", FFile.Extension());
    if (FFile.NameFormat() != NameFormat)
        Reg.WriteString(L"NameFormat", NameFormatToStr(FFile.NameFormat()));
    Reg.CloseKey();

    const std::wstring header = KeyOf(TraceKey, L"Header");
    Reg.DeleteKey(header);
    CreateKey(Reg, header);
    if (FFile.Headers() != Headers)
        for (const THeaderItem& item : HeaderItems)
            if (FFile.Headers().Contains(item.Header) != Headers.Contains(item.Header))
                Reg.WriteBool(item.Key, FFile.Headers().Contains(item.Header));
    bool empty = Reg.ValueCount() == 0;
    Reg.CloseKey();
    if (empty)
        Reg.DeleteKey(header);
}
