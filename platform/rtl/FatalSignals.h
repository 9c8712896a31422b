// Faults and fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT): the
// handler runs on an alternate signal stack and copies what it needs (the
// registers, the fault or the sender, a bounded copy of the faulting
// thread's stack) into memory set aside at installation. It then runs the
// first aid, which may only use async-signal-safe means, wakes a reporter
// thread made at installation and waits for it while it makes progress.
//
// The faulting thread may have died holding any lock: the allocator's, the
// loader's, one of the program's. The reporter's full report may need one
// of them, so the first aid writes what can be written without any lock
// first, and a reporter that makes no progress for a while is given up.
// After the report the signal's previous disposition is put back and the
// signal goes on to it, so the process ends by it (and core dumps and the
// sanitizers' own reports still happen). A fatal signal on another thread
// while a report runs waits for the process to end with the first one.
//
// The same copy serves a thread that is asked for its state from outside
// (the freeze watchdog): a real-time signal whose handler copies and returns.
#pragma once

#include <signal.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ThrowHook.h"

namespace menvaro {

// The most of a stack that a copy holds.
inline constexpr std::size_t kSignalStackCopyLimit = std::size_t{256} << 10;
// A report that shows no progress for this long is given up. A sanitizer
// build runs each step several times slower, so it waits longer.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kFatalReportStallMs = 15000;
#else
inline constexpr int kFatalReportStallMs = 3000;
#endif

// A thread's state as a signal handler copied it.
struct TThreadState {
    int Signal = 0;
    int Code = 0;  // si_code: at or below 0 for a signal that was sent
    // Of a fault (Code > 0): the address it touched.
    std::uintptr_t FaultAddress = 0;
    std::uint64_t ErrorCode = 0;  // of a page fault: bit 1 set for a write
    // Of a signal sent by another process: its id and user.
    bool Sent = false;
    std::int32_t SenderPid = 0;
    std::uint32_t SenderUid = 0;
    std::uint64_t ThreadId = 0;
    TMachineRegisters Registers{};
    std::uintptr_t StackStart = 0;
    std::size_t StackSize = 0;
    const unsigned char* Stack = nullptr;  // StackSize bytes, valid until the next copy
};

// Runs on the reporter thread, with the faulting thread stopped in its
// handler; should not wait on locks that thread may hold.
using TFatalSignalReporter = void (*)(const TThreadState& state);
// Runs in the signal handler, before the reporter is woken: only
// async-signal-safe calls (no allocation, no lock, no stdio).
using TFatalSignalFirstAid = void (*)(const TThreadState& state);

// Installs the handlers and the reporter thread (which blocks the fatal
// signals and is named "OstrelLog" once the handlers are in place); gives
// the calling thread an alternate signal stack unless it has one. False
// when something could not be set up (nothing is left installed then).
bool InstallFatalSignalHandlers(TFatalSignalReporter reporter, TFatalSignalFirstAid firstAid = nullptr);
// Puts the previous dispositions back and ends the reporter thread (left
// to itself when a report is running).
void RemoveFatalSignalHandlers();
bool FatalSignalHandlersInstalled();
// With false a fatal signal ends the process at once, without first aid or
// report (the logger is switched off).
void SetFatalSignalReports(bool on);

// The reporter's work calls this as it goes: a report that stops calling
// it for kFatalReportStallMs is given up. Only the reporter thread counts.
void NoteFatalReportProgress() noexcept;
// While one exists in the reporter thread, the report waits on something
// outside the process (the user at a dialog, a mail server) and is not
// given up for making no progress.
class TFatalReportOutsideWait {
public:
    TFatalReportOutsideWait();
    ~TFatalReportOutsideWait();
    TFatalReportOutsideWait(const TFatalReportOutsideWait&) = delete;
    TFatalReportOutsideWait& operator=(const TFatalReportOutsideWait&) = delete;

private:
    bool counted_;
};
// The thread stopped in the handler while its report is made; 0 otherwise.
std::uint64_t FatalSignalStoppedThread();

// The calling thread's alternate signal stack: one it has is kept;
// otherwise one is mapped. Release switches off and unmaps the one mapped
// here (before the thread ends).
void EnsureAlternateSignalStack();
void ReleaseAlternateSignalStack();

// Blocks the fatal signals in the calling thread (the logger's own threads),
// so that a signal sent to the process lands on a program thread.
void BlockFatalSignals();

// "SIGSEGV" for 11; "SIG?" for a number it does not know. Async-signal-safe.
const char* SignalName(int signal);

// Copies the registers and stack of thread `threadId` of this process:
// by a real-time signal whose handler copies them, waiting at most
// `timeoutMs`; where the signal is not handled in time (a thread blocked
// in the kernel), the stack pointer and instruction pointer of
// /proc/self/task/N/syscall and the stack through the memory probe. False
// when neither gives a stack pointer.
bool CopyThreadState(std::uint64_t threadId, int timeoutMs, TThreadState& state);

}  // namespace menvaro
