// The guard around foreign code: a crash ends the call, not the program, and leaves the
// thread's chain of exception handlers as it found it.
#include "sys/com/GuardedCall.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using GuardedCall::ChainHead;
using GuardedCall::SetChainHead;

// An access violation the compiler cannot see coming.
void Crash() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// Through emulation (qemu-i386) Wine reports the access violation as an illegal instruction.
bool IsAccessViolation(DWORD Code) {
    return Code == EXCEPTION_ACCESS_VIOLATION || Code == EXCEPTION_ILLEGAL_INSTRUCTION;
}

// Foreign code with a handler record of its own on its stack, as a server built with
// __try/__finally has: it does not take the exception, but must see the unwind that leaves its
// frame.
struct TForeignFrame {
    EXCEPTION_REGISTRATION_RECORD Record;
    int* Unwound;
};

EXCEPTION_DISPOSITION NTAPI ForeignHandler(EXCEPTION_RECORD* Exception, void* Frame, CONTEXT*,
                                           void*) {
    if (Exception->ExceptionFlags & EXCEPTION_UNWINDING)
        ++*static_cast<TForeignFrame*>(Frame)->Unwound;
    return ExceptionContinueSearch;
}

void CrashBelowAForeignHandler(void* Unwound) {
    volatile TForeignFrame frame{{}, static_cast<int*>(Unwound)};
    auto* record = const_cast<EXCEPTION_REGISTRATION_RECORD*>(&frame.Record);
    record->Handler = ForeignHandler;
    record->Next = ChainHead();
    SetChainHead(record);
    Crash();
}

TEST(GuardedCall, ACrashIsUnwoundThroughTheForeignFramesAndEndsTheCallWithItsCode) {
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
    int unwound = 0;
    const DWORD code = GuardedCall::Run(CrashBelowAForeignHandler, &unwound);
    EXPECT_TRUE(IsAccessViolation(code)) << std::hex << code;
    EXPECT_EQ(unwound, 1) << "the foreign frame never learnt it was left";
    EXPECT_EQ(ChainHead(), before);
    // The guard still works after a crash, and a call that returns gives 0.
    EXPECT_EQ(GuardedCall::Run([](void*) {}, nullptr), 0u);
    EXPECT_EQ(ChainHead(), before);
}

// A guarded call inside a guarded call: the inner crash is the inner guard's alone; a crash
// after it, in the outer call, is the outer's.
TEST(GuardedCall, NestedGuardsEachTakeTheirOwnCrash) {
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
    struct TNested {
        DWORD Inner = 0;
        bool CrashAfter = false;
    } nested;
    auto outer = [](void* Context) {
        auto* n = static_cast<TNested*>(Context);
        n->Inner = GuardedCall::Run([](void*) { Crash(); }, nullptr);
        if (n->CrashAfter)
            Crash();
    };
    EXPECT_EQ(GuardedCall::Run(outer, &nested), 0u);
    EXPECT_TRUE(IsAccessViolation(nested.Inner)) << std::hex << nested.Inner;
    nested.CrashAfter = true;
    const DWORD code = GuardedCall::Run(outer, &nested);
    EXPECT_TRUE(IsAccessViolation(code)) << std::hex << code;
    EXPECT_EQ(ChainHead(), before);
}

// A C++ exception of the call goes on to the caller, and takes the guard's record with it.
TEST(GuardedCall, ACppExceptionGoesThroughAndLeavesTheChainAsItWas) {
    EXCEPTION_REGISTRATION_RECORD* before = ChainHead();
    EXPECT_THROW(GuardedCall::Run([](void*) { throw std::runtime_error("ours"); }, nullptr),
                 std::runtime_error);
    EXPECT_EQ(ChainHead(), before);
    const DWORD code = GuardedCall::Run([](void*) { Crash(); }, nullptr);
    EXPECT_TRUE(IsAccessViolation(code)) << std::hex << code;
    EXPECT_EQ(ChainHead(), before);
}

} // namespace
