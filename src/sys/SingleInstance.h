#pragma once
#include "core/Handle.h"

#include <string>

// One instance of a program at a time: a named mutex held for the life of the object. The
// first process to make it is the one that runs; one started while it is held learns so from
// First() and should step aside instead of racing it.
class TSingleInstance {
public:
    // Name may begin with "Global\" to reach every session of the machine.
    explicit TSingleInstance(const std::wstring& Name);
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    bool First() const { return FFirst; }

private:
    TKernelHandle FMutex;
    bool FFirst = false;
};
