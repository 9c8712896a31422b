// The raise entry of the C++ run-time: every `throw` of the program and of
// the libraries it loads calls __cxa_throw, which this piece defines in the
// program and forwards to the run-time's own. Before forwarding it calls the
// function in ThrowObserverSlot, when one is set, with the thrown object,
// its type and the registers of the throw site. The slot is the hookable
// entry: whoever watches throws puts a function in it and takes it out again.
// Exceptions raised again by std::rethrow_exception do not pass here: they
// are the same object as at their first throw.
#pragma once

#include <atomic>
#include <cstdint>
#include <typeinfo>

namespace menvaro {

// The registers as they were at the throw: Rsp as after the call's
// return, Rip the return address (the instruction after the call).
struct TMachineRegisters {
    std::uint64_t Rax, Rbx, Rcx, Rdx, Rsi, Rdi, Rbp, Rsp;
    std::uint64_t R8, R9, R10, R11, R12, R13, R14, R15;
    std::uint64_t Rip, EFlags;
};

// Called in the throwing thread before the exception leaves, the stack of
// the throw still whole. It must not throw and should not allocate (it is
// on the road of std::bad_alloc). A throw while it runs in the same thread
// does not call it again.
using TThrowObserver = void (*)(void* object, const std::type_info* type, const TMachineRegisters& registers);
extern std::atomic<TThrowObserver> ThrowObserverSlot;

// The thrown object of an exception_ptr (the address the observer was
// given for it); nullptr for none.
void* ExceptionObjectAddress(const std::exception_ptr& exception);

}  // namespace menvaro
