#pragma once
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
class TTraceTypes {
public:
    constexpr TTraceTypes() = default;
    constexpr TTraceTypes(std::initializer_list<TTraceType> types) {
        for (auto t : types)
            FBits = static_cast<uint8_t>(FBits | Bit(t));
    }
    static constexpr TTraceTypes FromByte(uint8_t bits) {
        TTraceTypes s;
        s.FBits = bits;
        return s;
    }

    constexpr uint8_t Byte() const { return FBits; }
    constexpr bool Contains(TTraceType t) const { return (FBits & Bit(t)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    void Include(TTraceType t) { FBits = static_cast<uint8_t>(FBits | Bit(t)); }
    void Exclude(TTraceType t) { FBits = static_cast<uint8_t>(FBits & ~Bit(t)); }
    constexpr TTraceTypes operator+(TTraceTypes other) const {
        return FromByte(FBits | other.FBits);
    }
    constexpr bool operator==(const TTraceTypes& other) const = default;

private:
    static constexpr uint8_t Bit(TTraceType t) { return static_cast<uint8_t>(1u << t); }
    uint8_t FBits = 0;
};

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
