#pragma once
#include "logging/support/ByteSet.h"

#include <cstdint>
#include <string>

enum TTraceType : uint8_t {
    ttInformation = 0,
    ttWarning = 1,
    ttError = 2,
    ttDebug = 3,
    ttReporting = 4, // named in configurations, never written
};

// A set of trace types, bit n standing for enumerator n.
using TTraceTypes = TByteSet<TTraceType>;

// The four writable types: Information, Warning, Error, Debug.
constexpr TTraceTypes AllWritableTraceTypes = TTraceTypes::FromByte(15);

// Configuration name of a trace type: "Information", "Warning", "Error", "Debug", "Reporting".
std::wstring TraceTypeName(TTraceType t);

// A short level text such as "WE": each of the letters w, i, d, e anywhere in it (any case)
// adds its type.
TTraceTypes TraceLevelToTraceTypes(const std::wstring& s);
// A configuration name, ASCII case ignored; raises ELoggerError "Unknown trace type "%s"".
TTraceType StrToTraceType(const std::wstring& name);
// Names separated by "," or ";"; an empty piece is an unknown name.
TTraceTypes StrToTraceTypes(const std::wstring& list);
std::wstring TraceTypesToStr(TTraceTypes set);
