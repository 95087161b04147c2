#include "sys/com/GuardedCall.h"

#ifndef __i386__
#error "the exception records of FS:[0] are those of 32-bit x86"
#endif

namespace GuardedCall {

namespace {

// GCC has no __try. On 32-bit x86 the system finds exception handlers through a chain of
// records on the stack, headed by FS:[0]; a record of ours below the foreign code is asked
// only when no handler of that code took the exception, exactly as __except would be. Ours
// first unwinds: every record above it is called once more with the unwinding flag (the
// foreign code's __finally blocks and destructors run, its locks are let go) and leaves the
// chain. Then it jumps back to where the call started, and the chain is set back to what it
// was.
struct TFrame {
    EXCEPTION_REGISTRATION_RECORD Record;
    void* Jump[5]; // __builtin_setjmp's buffer
    DWORD Code;
};

// The system's unwind may return with the registers a caller keeps (EBX, ESI, EDI) changed;
// this function saves and restores every one of them around it.
__attribute__((noinline)) void UnwindAbove(void* Frame, EXCEPTION_RECORD* Exception) {
    __builtin_unwind_init();
    RtlUnwind(Frame, nullptr, Exception, nullptr);
}

EXCEPTION_DISPOSITION NTAPI Handler(EXCEPTION_RECORD* Exception, void* Frame, CONTEXT*, void*) {
    if (Exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    auto* frame = static_cast<TFrame*>(Frame);
    frame->Code = Exception->ExceptionCode;
    UnwindAbove(Frame, Exception);
    __builtin_longjmp(frame->Jump, 1);
}

} // namespace

EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(EXCEPTION_REGISTRATION_RECORD* Head) {
    asm volatile("movl %0, %%fs:0" : : "r"(Head) : "memory");
}

__attribute__((noinline)) DWORD Run(void (*Call)(void*), void* Context) {
    // volatile: read again after the jump back.
    volatile TFrame frame{};
    auto* record = const_cast<EXCEPTION_REGISTRATION_RECORD*>(&frame.Record);
    record->Handler = Handler;
    record->Next = ChainHead();
    if (__builtin_setjmp(const_cast<void**>(frame.Jump)) == 0) {
        SetChainHead(record);
        try {
            Call(Context);
        } catch (...) {
            // A C++ exception of Call's own leaves through this frame: the chain must not keep
            // a record of a frame that is gone.
            SetChainHead(record->Next);
            throw;
        }
        SetChainHead(record->Next);
        return 0;
    }
    SetChainHead(record->Next);
    return frame.Code;
}

} // namespace GuardedCall
