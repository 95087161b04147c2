#include "uninstall/script/Mask.h"

#include "core/Format.h"

namespace {

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

[[noreturn]] void Invalid(const std::wstring& Mask, size_t Pos) {
    throw EMaskException(
        Format(L"'%s' is an invalid mask at (%d)", {Mask, static_cast<int>(Pos + 1)}));
}

} // namespace

bool TMask::TToken::Accepts(wchar_t c) const {
    switch (Kind) {
    case Literal:
        return Lower(c) == Lower(Char);
    case AnyChar:
        return true;
    case Set:
        for (const auto& r : Ranges)
            for (wchar_t v : {c, Lower(c), Upper(c)})
                if (v >= r.Low && v <= r.High)
                    return !Negated;
        return Negated;
    case AnyRun:
        break;
    }
    return false;
}

TMask::TMask(const std::wstring& Mask) {
    for (size_t i = 0; i < Mask.size(); ++i) {
        TToken token;
        if (Mask[i] == L'*') {
            if (!FTokens.empty() && FTokens.back().Kind == TToken::AnyRun)
                continue;
            token.Kind = TToken::AnyRun;
        } else if (Mask[i] == L'?') {
            token.Kind = TToken::AnyChar;
        } else if (Mask[i] == L'[') {
            i = ParseSet(Mask, i);
            continue;
        } else {
            token.Char = Mask[i];
        }
        FTokens.push_back(token);
    }
}

// Reads the set opening at Open; returns the position of its closing "]".
size_t TMask::ParseSet(const std::wstring& Mask, size_t Open) {
    TToken token;
    token.Kind = TToken::Set;
    size_t i = Open + 1;
    if (i < Mask.size() && Mask[i] == L'!') {
        token.Negated = true;
        ++i;
    }
    for (; i < Mask.size() && Mask[i] != L']'; ++i) {
        TRange range{Mask[i], Mask[i]};
        if (Mask[i] == L'-')
            Invalid(Mask, i);
        if (i + 1 < Mask.size() && Mask[i + 1] == L'-') {
            if (i + 2 >= Mask.size() || Mask[i + 2] == L']')
                Invalid(Mask, i + 1);
            range.High = Mask[i + 2];
            i += 2;
        }
        token.Ranges.push_back(range);
    }
    if (i >= Mask.size() || token.Ranges.empty())
        Invalid(Mask, i >= Mask.size() ? Open : i);
    FTokens.push_back(token);
    return i;
}

bool TMask::MatchFrom(size_t Token, const std::wstring& Text, size_t Pos) const {
    for (; Token < FTokens.size(); ++Token, ++Pos) {
        const TToken& token = FTokens[Token];
        if (token.Kind == TToken::AnyRun) {
            for (size_t rest = Pos; rest <= Text.size(); ++rest)
                if (MatchFrom(Token + 1, Text, rest))
                    return true;
            return false;
        }
        if (Pos >= Text.size() || !token.Accepts(Text[Pos]))
            return false;
    }
    return Pos == Text.size();
}

bool TMask::Matches(const std::wstring& Text) const {
    return MatchFrom(0, Text, 0);
}

bool MatchesMask(const std::wstring& Text, const std::wstring& Mask) {
    return TMask(Mask).Matches(Text);
}

bool MatchesAnyMask(const std::wstring& Text, const std::vector<std::wstring>& Masks) {
    for (const auto& mask : Masks)
        if (MatchesMask(Text, mask))
            return true;
    return false;
}
