#include "core/Format.h"
#include "logconfig/ConfigDefaults.h"
#include "logconfig/LoggerAppenders.h"
#include "logconfig/LoggerConfig.h"

using namespace ConfigDefaults;

void TLoggerConfig::Initialize(TNvLogger& Logger, TRegistry* Reg, const std::wstring& TraceKey) {
    if (!Reg || TraceKey.empty())
        return;
    if (Reg->OpenKeyReadOnly(TraceKey)) {
        Logger.SetActive(Reg->ReadBool(L"Active", Active));
        Logger.SetASync(Reg->ReadBool(L"Async", ASync));
        Logger.SetASyncDelay(Reg->ReadInteger(L"ASyncDelay", ASyncDelay));
        Reg->CloseKey();
    }
    ForEachAppenderConfig(
        Logger, [Reg, &TraceKey](TAppenderConfig& config) { config.Initialize(*Reg, TraceKey); });
}

void TLoggerConfig::Initialize(TNvLogger& Logger, const std::wstring& TraceKey, HKEY Hkey) {
    TRegistry reg(KEY_READ, Hkey);
    Initialize(Logger, &reg, TraceKey);
}

// An empty TraceKey would write into the root key itself: nothing is saved then, as nothing
// is read.
void TLoggerConfig::SaveAs(TNvLogger& Logger, TRegistry* Reg, const std::wstring& TraceKey,
                           bool bSaveDefault) {
    if (!Reg || TraceKey.empty())
        return;
    try {
        if (!Reg->OpenKey(TraceKey, true))
            throw Exception(Format(L"OpenKey \"%s\" failed ", {TraceKey}));
        Reg->WriteBool(L"Active", Logger.Active());
        if (Logger.ASync())
            Reg->WriteBool(L"Async", true);
        else
            Reg->DeleteValue(L"Async");
        if (Logger.ASyncDelay() == ASyncDelay)
            Reg->DeleteValue(L"ASyncDelay");
        else
            Reg->WriteInteger(L"ASyncDelay", Logger.ASyncDelay());
        Reg->CloseKey();
        ForEachAppenderConfig(Logger, [Reg, &TraceKey, bSaveDefault](TAppenderConfig& config) {
            config.SaveAs(*Reg, TraceKey, bSaveDefault);
            Reg->CloseKey();
        });
    } catch (const std::exception& e) {
        throw ELoggerError(Format(L"SaveAs() failed (%s)", {ExceptionMessage(e)}));
    }
}

void TLoggerConfig::SaveAs(TNvLogger& Logger, const std::wstring& TraceKey, HKEY Hkey,
                           bool bSaveDefault) {
    TRegistry reg(KEY_READ | KEY_WRITE, Hkey);
    SaveAs(Logger, &reg, TraceKey, bSaveDefault);
}
