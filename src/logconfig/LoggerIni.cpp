#include "logconfig/ConfigDefaults.h"
#include "logconfig/LoggerAppenders.h"
#include "logconfig/LoggerConfig.h"

using namespace ConfigDefaults;

void TLoggerConfig::Initialize(TNvLogger& Logger, const TIniFile* IniFile) {
    if (!IniFile)
        return;
    Logger.SetActive(IniFile->ReadBool(L"Trace", L"Active", Active));
    Logger.SetASync(IniFile->ReadBool(L"Trace", L"Async", ASync));
    Logger.SetASyncDelay(IniFile->ReadInteger(L"Trace", L"ASyncDelay", ASyncDelay));
    ForEachAppenderConfig(Logger,
                          [IniFile](TAppenderConfig& config) { config.Initialize(*IniFile); });
}

void TLoggerConfig::SaveAs(TNvLogger& Logger, TIniFile* IniFile, bool bSaveDefault) {
    if (!IniFile)
        return;
    IniFile->EraseSection(L"Trace");
    IniFile->WriteBool(L"Trace", L"Active", Logger.Active());
    if (Logger.ASync())
        IniFile->WriteBool(L"Trace", L"Async", true);
    if (Logger.ASyncDelay() != ASyncDelay)
        IniFile->WriteInteger(L"Trace", L"ASyncDelay", Logger.ASyncDelay());
    ForEachAppenderConfig(Logger, [IniFile, bSaveDefault](TAppenderConfig& config) {
        config.SaveAs(*IniFile, bSaveDefault);
    });
    IniFile->UpdateFile();
}
