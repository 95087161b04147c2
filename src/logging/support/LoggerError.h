#pragma once
#include "core/Exception.h"

// The logging framework's own exception.
class ELoggerError : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"ELoggerError"; }
};
