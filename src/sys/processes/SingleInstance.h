#pragma once
#include "core/Handle.h"

#include <string>

// One instance of a program at a time: a named mutex held for the life of the object. The
// first process to make it is the one that runs; one started while it is held learns so from
// First() and should step aside instead of racing it. A mutex of the name that another
// account made (one this program may not even open) is not taken for a running instance:
// anyone can make an object of any name first.
class TSingleInstance {
public:
    // Name may begin with "Global\" to reach every session of the machine.
    explicit TSingleInstance(const std::wstring& Name);
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    bool First() const { return FFirst; }
    // The name is held by an object of another account, which was passed over.
    bool Taken() const { return FTaken; }

private:
    TKernelHandle FMutex;
    bool FFirst = false;
    bool FTaken = false;
};
