#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// One argument of the %-formatting: an integer or a text.
class TVarRec {
public:
    enum class TKind { Integer, Text };

    TVarRec(int value) : FKind(TKind::Integer), FInt(value) {}
    TVarRec(long value) : FKind(TKind::Integer), FInt(value) {}
    TVarRec(unsigned value) : FKind(TKind::Integer), FInt(value) {}
    TVarRec(unsigned long value) : FKind(TKind::Integer), FInt(value) {}
    TVarRec(long long value) : FKind(TKind::Integer), FInt(value), FWide(true) {}
    TVarRec(unsigned long long value)
        : FKind(TKind::Integer), FInt(static_cast<int64_t>(value)), FWide(true) {}
    TVarRec(const wchar_t* value) : FKind(TKind::Text), FText(value ? value : L"") {}
    TVarRec(std::wstring value) : FKind(TKind::Text), FText(std::move(value)) {}
    TVarRec(wchar_t value) : FKind(TKind::Text), FText(1, value) {}

    TKind Kind() const { return FKind; }
    int64_t Int() const { return FInt; }
    // True for a 64-bit argument; 32-bit ones print as 32-bit values with %u and %x.
    bool Wide() const { return FWide; }
    const std::wstring& Text() const { return FText; }

private:
    TKind FKind;
    int64_t FInt = 0;
    bool FWide = false;
    std::wstring FText;
};

using TVarRecs = std::vector<TVarRec>;

// The system's %-formatting: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// d, u, x and s (case ignored), "*" for a width or precision taken from the arguments, and "%%".
// A format that does not fit its arguments raises EConvertError.
std::wstring Format(const std::wstring& format, const TVarRecs& args);
