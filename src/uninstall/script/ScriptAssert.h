#pragma once
#include "core/Exception.h"
#include "sys/com/MsXml.h"

#include <source_location>
#include <string>

// A broken script: an element handler met a child it cannot be given. Not caught by the
// handlers, so it ends the run.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
    std::wstring ClassName() const override { return L"EAssertionFailed"; }
};

// Raises "Assertion failure (uiMain, line <n>)" with the caller's line when Condition fails.
void Assert(bool Condition, std::source_location Where = std::source_location::current());

// The check at the start of a handler that takes only elements named Name.
inline void AssertNodeName(const TXmlNode& Node, const wchar_t* Name,
                           std::source_location Where = std::source_location::current()) {
    Assert(Node.NodeName() == Name, Where);
}
