#pragma once
#include "logconfig/stores/IniFile.h"
#include "logconfig/stores/RegistryStore.h"
#include "logging/Logger.h"
#include "sys/com/MsXml.h"

#include <string>

// Reading and saving the facade's configuration and that of its appenders, in INI files, XML
// documents and the registry. The facade's own settings come first, then each appender of its
// list in order, each under its tag name. Saving writes only what differs from the class
// defaults; bSaveDefault is passed on and changes nothing. Meant to run while no other thread
// logs, typically once at start-up. Never instantiated.
class TLoggerConfig {
public:
    TLoggerConfig() = delete;

    // Reads the attributes of the element "Trace" and its children; nothing for none.
    static void Initialize(TNvLogger& Logger, const TXmlNode& TraceNode);
    // Reads the section "Trace" and the appenders' sections; nothing for none.
    static void Initialize(TNvLogger& Logger, const TIniFile* IniFile);
    // An ".xml" file's root element's child "Trace", any other file as INI; the empty name
    // stands for the executable's path with the extension ".ini". A missing file is reported
    // to the event log.
    static void Initialize(TNvLogger& Logger, const std::wstring& AFilename);
    // Reads TraceKey and its subkeys; nothing for none or an empty TraceKey.
    static void Initialize(TNvLogger& Logger, TRegistry* Reg, const std::wstring& TraceKey);
    // As above, with the registry opened read-only at the root Hkey.
    static void Initialize(TNvLogger& Logger, const std::wstring& TraceKey, HKEY Hkey);

    static void SaveAs(TNvLogger& Logger, const TXmlNode& TraceNode, bool bSaveDefault);
    static void SaveAs(TNvLogger& Logger, TIniFile* IniFile, bool bSaveDefault);
    // ".ini" or ".xml" (an existing document, written back re-indented as UTF-8); any other
    // extension raises "Unknown save format (<extension>)".
    static void SaveAs(TNvLogger& Logger, const std::wstring& AFilename, bool bSaveDefault);
    // Raises ELoggerError "SaveAs() failed (<reason>)" for any failure.
    static void SaveAs(TNvLogger& Logger, TRegistry* Reg, const std::wstring& TraceKey,
                       bool bSaveDefault);
    static void SaveAs(TNvLogger& Logger, const std::wstring& TraceKey, HKEY Hkey,
                       bool bSaveDefault);
};
