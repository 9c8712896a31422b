// Faults and fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT): the
// handler runs on an alternate signal stack and only copies what it needs
// (the registers, the fault, a bounded copy of the faulting thread's stack)
// into memory set aside at installation, then wakes a reporter thread made
// at installation and waits for it a bounded time. After the report the
// signal's previous disposition is put back and the signal goes on to it,
// so core dumps and the sanitizers' own reports still happen. A second
// fatal signal while a report runs takes the default action.
//
// The same copy serves a thread that is asked for its state from outside
// (the freeze watchdog): a real-time signal whose handler copies and returns.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>

#include "ThrowHook.h"

namespace menvaro {

// The most of a stack that a copy holds.
inline constexpr std::size_t kSignalStackCopyLimit = std::size_t{256} << 10;

// A thread's state as a signal handler copied it.
struct TThreadState {
    int Signal = 0;
    int Code = 0;  // si_code
    std::uintptr_t FaultAddress = 0;
    std::uint64_t ErrorCode = 0;  // of a page fault: bit 1 set for a write
    std::uint64_t ThreadId = 0;
    TMachineRegisters Registers{};
    std::uintptr_t StackStart = 0;
    std::size_t StackSize = 0;
    const unsigned char* Stack = nullptr;  // StackSize bytes, valid until the next copy
};

// Runs on the reporter thread, with the faulting thread stopped in its
// handler. Must not wait on locks that thread may hold.
using TFatalSignalReporter = void (*)(const TThreadState& state);

// Installs the handlers and the reporter thread (which blocks the fatal
// signals); gives the calling thread an alternate signal stack unless it
// has one. False when something could not be set up (nothing is left
// installed then).
bool InstallFatalSignalHandlers(TFatalSignalReporter reporter);
// Puts the previous dispositions back and ends the reporter thread.
void RemoveFatalSignalHandlers();
bool FatalSignalHandlersInstalled();

// The calling thread's alternate signal stack: one it has is kept;
// otherwise one is mapped. Release switches off and unmaps the one mapped
// here (before the thread ends).
void EnsureAlternateSignalStack();
void ReleaseAlternateSignalStack();

// Blocks the fatal signals in the calling thread (the logger's own threads),
// so that a signal sent to the process lands on a program thread.
void BlockFatalSignals();

// Copies the registers and stack of thread `threadId` of this process:
// by a real-time signal whose handler copies them, waiting at most
// `timeoutMs`; where the signal is not handled in time (a thread blocked
// in the kernel), the stack pointer and instruction pointer of
// /proc/self/task/N/syscall and the stack through the memory probe. False
// when neither gives a stack pointer.
bool CopyThreadState(std::uint64_t threadId, int timeoutMs, TThreadState& state);

}  // namespace menvaro
