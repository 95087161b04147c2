#pragma once
#include "core/Object.h"

#include <exception>
#include <string>

// Base of every exception the system raises. Carries a wide message; nested failures
// read "outer (inner)".
class Exception : public std::exception, public TObject {
public:
    explicit Exception(std::wstring message);

    const std::wstring& Message() const noexcept { return FMessage; }
    std::wstring ClassName() const override { return L"Exception"; }
    const char* what() const noexcept override { return FNarrow.c_str(); }

private:
    std::wstring FMessage;
    std::string FNarrow;
};

// Raised for a text that cannot be converted or formatted, and for an impossible assignment.
class EConvertError : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"EConvertError"; }
};

// Message of any exception, for reports that must not lose a failure of foreign origin.
std::wstring ExceptionMessage(const std::exception& e);
