#pragma once
#include "core/Exception.h"

#include <memory>
#include <string>

// An expression that does not compile.
class ERegularExpressionError : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"ERegularExpressionError"; }
};

// A regular expression of Perl syntax, inline modifiers such as "(?i)" included, searched
// anywhere in a text.
class TRegularExpression {
public:
    // Raises "Invalid regular expression "<Expression>" (<reason>)".
    explicit TRegularExpression(const std::wstring& Expression);
    ~TRegularExpression();
    TRegularExpression(const TRegularExpression&) = delete;
    TRegularExpression& operator=(const TRegularExpression&) = delete;

    // True when the expression matches some part of Text.
    bool Found(const std::wstring& Text) const;

private:
    // The regular-expression library stays inside the one source file that needs it.
    struct TCompiled;
    std::unique_ptr<TCompiled> FCompiled;
};
