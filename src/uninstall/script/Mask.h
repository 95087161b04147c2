#pragma once
#include "core/Exception.h"

#include <string>
#include <vector>

// A mask with a malformed set: an unclosed "[", an empty set or a range without an end.
class EMaskException : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"EMaskException"; }
};

// A file-name style mask matched against a whole text: "*" any run, "?" one character,
// "[a-z]" one of a set, "[!...]" one outside it; ASCII letters match either case.
class TMask {
public:
    // Raises EMaskException for a malformed set.
    explicit TMask(const std::wstring& Mask);
    bool Matches(const std::wstring& Text) const;

private:
    struct TRange {
        wchar_t Low, High;
    };
    struct TToken {
        enum TKind { Literal, AnyChar, AnyRun, Set } Kind = Literal;
        wchar_t Char = 0;
        bool Negated = false;
        std::vector<TRange> Ranges;
        bool Accepts(wchar_t c) const;
    };

    size_t ParseSet(const std::wstring& Mask, size_t Open);
    bool MatchFrom(size_t Token, const std::wstring& Text, size_t Pos) const;

    std::vector<TToken> FTokens;
};

// TMask(Mask).Matches(Text).
bool MatchesMask(const std::wstring& Text, const std::wstring& Mask);
// Text matches one of Masks (a step's exclusion list).
bool MatchesAnyMask(const std::wstring& Text, const std::vector<std::wstring>& Masks);
