#include "ThrowHook.h"

#include <cxxabi.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <exception>

namespace menvaro {

constinit std::atomic<TThrowObserver> ThrowObserverSlot{nullptr};

void* ExceptionObjectAddress(const std::exception_ptr& exception) {
    // The run-time's exception_ptr is the one pointer to the thrown object.
    static_assert(sizeof(std::exception_ptr) == sizeof(void*));
    void* object = nullptr;
    std::memcpy(&object, &exception, sizeof object);
    return object;
}

namespace {

using TRealThrow = void (*)(void*, std::type_info*, void (*)(void*));

constinit std::atomic<TRealThrow> realThrow{nullptr};
constinit thread_local bool observing = false;

}  // namespace

}  // namespace menvaro

// Called by the entry below with the registers it saved on its own frame.
extern "C" [[noreturn]] __attribute__((used)) void MenvaroThrowEntry(void* object, std::type_info* type,
                                                                  void (*destructor)(void*),
                                                                  const menvaro::TMachineRegisters* registers) {
    using namespace menvaro;
    const TThrowObserver observer = ThrowObserverSlot.load(std::memory_order_acquire);
    if (observer && !observing) {
        observing = true;
        observer(object, type, *registers);
        observing = false;
    }
    TRealThrow real = realThrow.load(std::memory_order_acquire);
    if (!real) {
        real = reinterpret_cast<TRealThrow>(::dlsym(RTLD_NEXT, "__cxa_throw"));
        if (!real) std::abort();
        realThrow.store(real, std::memory_order_release);
    }
    real(object, type, destructor);
    std::abort();  // the run-time's throw does not return
}

// __cxa_throw: saves every register as the caller left it into a
// TMachineRegisters on its own frame and calls MenvaroThrowEntry with it,
// the three arguments untouched. The unwinder passes this frame by its CFI.
asm(R"(
    .text
    .globl __cxa_throw
    .type __cxa_throw, @function
    .p2align 4
__cxa_throw:
    .cfi_startproc
    subq $152, %rsp
    .cfi_adjust_cfa_offset 152
    movq %rax, 0(%rsp)
    movq %rbx, 8(%rsp)
    movq %rcx, 16(%rsp)
    movq %rdx, 24(%rsp)
    movq %rsi, 32(%rsp)
    movq %rdi, 40(%rsp)
    movq %rbp, 48(%rsp)
    leaq 160(%rsp), %rax
    movq %rax, 56(%rsp)
    movq %r8, 64(%rsp)
    movq %r9, 72(%rsp)
    movq %r10, 80(%rsp)
    movq %r11, 88(%rsp)
    movq %r12, 96(%rsp)
    movq %r13, 104(%rsp)
    movq %r14, 112(%rsp)
    movq %r15, 120(%rsp)
    movq 152(%rsp), %rax
    movq %rax, 128(%rsp)
    pushfq
    .cfi_adjust_cfa_offset 8
    popq %rax
    .cfi_adjust_cfa_offset -8
    movq %rax, 136(%rsp)
    movq %rsp, %rcx
    call MenvaroThrowEntry
    ud2
    .cfi_endproc
    .size __cxa_throw, .-__cxa_throw
)");
