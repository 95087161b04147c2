#pragma once
#include "logconfig/stores/IniFile.h"
#include "logconfig/stores/RegistryStore.h"
#include "logging/appenders/NorvaAppender.h"
#include "sys/com/MsXml.h"

#include <memory>
#include <string>

// The configuration of one appender in the three stores, under the appender's tag name. This
// class reads and saves what every appender has: its switch, its layout and, in XML, its trace
// types. The class of each standard appender adds its own part after this one. Saving writes
// only what differs from the class defaults.
class TAppenderConfig {
public:
    explicit TAppenderConfig(TNorvaAppender& Appender) : FAppender(Appender) {}
    virtual ~TAppenderConfig() = default;

    // The configuration class that matches the appender's class.
    static std::unique_ptr<TAppenderConfig> For(TNorvaAppender& Appender);

    // INI: section of the tag, read only when it exists. A trace type name not in the table
    // raises ELoggerError; what was read before it stays set.
    virtual void Initialize(const TIniFile& IniFile);
    // Registry: the key TraceKey\tag, read only when it opens; its subkeys "TraceTypes" and
    // "Layout" each when they open. A value of another type raises ERegistryException.
    virtual void Initialize(TRegistry& Reg, const std::wstring& TraceKey);
    // XML: the tag's child element of TraceNode. A failure is reported to the event log and
    // skips the rest of this part.
    virtual void Initialize(const TXmlNode& TraceNode);

    virtual void SaveAs(TIniFile& IniFile, bool bSaveDefault);
    // Raises ELoggerError "OpenKey(<key>) failed" when TraceKey\tag cannot be created.
    virtual void SaveAs(TRegistry& Reg, const std::wstring& TraceKey, bool bSaveDefault);
    virtual void SaveAs(const TXmlNode& TraceNode, bool bSaveDefault);

protected:
    std::wstring Tag() const { return FAppender.TagName(); }
    // TraceKey\tag, or TraceKey\tag\sub.
    std::wstring KeyOf(const std::wstring& TraceKey, const std::wstring& sub = L"") const;
    // Opens or creates a key for saving; raises ELoggerError "OpenKey(<key>) failed".
    static void CreateKey(TRegistry& Reg, const std::wstring& Key);

    TNorvaAppender& FAppender;

private:
    void ReadCommonXml(const TXmlNode& node);
};
