#pragma once
#include "core/Exception.h"
#include "core/Object.h"

#include <string>

// The suite's coded error. Its message is the code, so an ordinary handler sees the code; the
// detail text names the object that raised it and what failed.
class ENorvaError : public Exception {
public:
    ENorvaError(std::wstring Code, std::wstring Text);
    std::wstring ClassName() const override { return L"ENorvaError"; }

    const std::wstring& Code() const { return FCode; }
    const std::wstring& Text() const { return FText; }

private:
    std::wstring FCode;
    std::wstring FText;
};

// Common base of the suite's objects: raises coded errors from the error-code table.
class TNorvaObject : public TObject {
public:
    // Raises the error CodedError builds.
    [[noreturn]] void RaiseCodedError(const std::wstring& Code, const std::wstring& Argument) const;

protected:
    // Fills the code's message format with Argument and prefixes it with the class name and a
    // dot. A code that is not in the table has an empty format.
    virtual ENorvaError CodedError(const std::wstring& Code, const std::wstring& Argument) const;
};

// The message format of a code in the suite's error-code table, case ignored; empty if unknown.
std::wstring CodedErrorFormat(const std::wstring& Code);
