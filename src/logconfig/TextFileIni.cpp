#include "logconfig/ConfigDefaults.h"
#include "logconfig/TextFileConfig.h"

using namespace ConfigDefaults;

void TTextFileConfig::Initialize(const TIniFile& IniFile) {
    TTraceTypesConfig::Initialize(IniFile);
    const std::wstring tag = Tag();
    // A file without the section says nothing of the text file: its settings stay.
    if (!IniFile.SectionExists(tag))
        return;
    FFile.SetCleanUp(IniFile.ReadBool(tag, L"CleanUpActive", CleanUp));
    FFile.SetKeep(IniFile.ReadInteger(tag, L"CleanUpKeep", Keep));
    FFile.SetKeepOpen(IniFile.ReadBool(tag, L"KeepOpen", KeepOpen));
    FFile.SetForceDir(IniFile.ReadBool(tag, L"ForceDir", ForceDir));
    FFile.SetOutputDir(IniFile.ReadString(tag, L"OutputDir", FFile.OutputDir()));
    FFile.SetRefreshRate(
        StrToRefreshRate(IniFile.ReadString(tag, L"RefreshRate", RefreshRateToStr(RefreshRate))));
    FFile.SetExtension(IniFile.ReadString(tag, L"Extension", Extension));
    FFile.SetNameFormat(
        StrToNameFormat(IniFile.ReadString(tag, L"NameFormat", NameFormatToStr(NameFormat))));
    // "IncludeAppName" and "IncludeHost" are also the column keys: one value sets both.
    for (const THeaderItem& item : HeaderItems)
        SetHeader(item.Header, IniFile.ReadBool(tag, item.Key, Headers.Contains(item.Header)));
    CheckAfterReading();
}

void TTextFileConfig::SaveAs(TIniFile& IniFile, bool bSaveDefault) {
    TTraceTypesConfig::SaveAs(IniFile, bSaveDefault);
    const std::wstring tag = Tag();
    if (FFile.CleanUp() != CleanUp)
        IniFile.WriteBool(tag, L"CleanUpActive", FFile.CleanUp());
    if (FFile.Keep() != Keep)
        IniFile.WriteInteger(tag, L"CleanUpKeep", FFile.Keep());
    if (FFile.KeepOpen() != KeepOpen)
        IniFile.WriteBool(tag, L"KeepOpen", FFile.KeepOpen());
    if (FFile.ForceDir() != ForceDir)
        IniFile.WriteBool(tag, L"ForceDir", FFile.ForceDir());
    if (FFile.OutputDir() != TNorvaAppenderTextFile::DefaultOutputDir())
        IniFile.WriteString(tag, L"OutputDir", FFile.OutputDir());
    if (FFile.RefreshRate() != RefreshRate)
        IniFile.WriteString(tag, L"RefreshRate", RefreshRateToStr(FFile.RefreshRate()));
    if (FFile.Extension() != Extension)
        IniFile.WriteString(tag, L"Extension", FFile.Extension());
    if (FFile.Separator() != Separator)
        IniFile.WriteString(tag, L"Separator", FFile.Separator());
    if (FFile.NameFormat() != NameFormat)
        IniFile.WriteString(tag, L"NameFormat", NameFormatToStr(FFile.NameFormat()));
    // Written after the column keys: where a header key is also a column key, it wins.
    if (FFile.Headers() != Headers)
        for (const THeaderItem& item : HeaderItems)
            if (FFile.Headers().Contains(item.Header) != Headers.Contains(item.Header))
                IniFile.WriteBool(tag, item.Key, FFile.Headers().Contains(item.Header));
}
