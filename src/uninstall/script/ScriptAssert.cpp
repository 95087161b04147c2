#include "uninstall/script/ScriptAssert.h"

#include "core/Format.h"

void Assert(bool Condition, std::source_location Where) {
    if (!Condition)
        throw EAssertionFailed(Format(L"%s (%s, line %d)", {L"Assertion failure", L"uiMain",
                                                            static_cast<int>(Where.line())}));
}
