#pragma once
#include <string>

// Root of the classes that name themselves: a trace line's module column and an
// exception's class name come from ClassName().
class TObject {
public:
    virtual ~TObject() = default;
    virtual std::wstring ClassName() const = 0;
};
