#include "FatalSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Memory.h"
#include "ThreadHook.h"

namespace menvaro {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kFatalCount = sizeof kFatalSignals / sizeof kFatalSignals[0];
// How long a faulting thread waits for its report.
constexpr int kReportWaitMs = 30000;
constexpr std::size_t kAlternateStackSize = std::size_t{64} << 10;

struct sigaction previousActions[kFatalCount];
constinit std::atomic<bool> installed{false};
constinit std::atomic<bool> handling{false};
constinit std::atomic<TFatalSignalReporter> reporter{nullptr};
int wakePipe[2] = {-1, -1};
int donePipe[2] = {-1, -1};
pthread_t reporterThread;
TThreadState fatalState;
unsigned char* fatalStack = nullptr;  // kSignalStackCopyLimit bytes, mapped at installation

constinit thread_local void* mappedAlternateStack = nullptr;

std::uint64_t ThreadIdNow() { return static_cast<std::uint64_t>(::syscall(SYS_gettid)); }

// Page by page from `from` up, as far as the memory can be read.
std::size_t CopyStack(std::uintptr_t from, unsigned char* to, std::size_t limit) {
    const std::uintptr_t page = 4096;
    std::size_t done = 0;
    while (done < limit) {
        const std::uintptr_t at = from + done;
        const std::size_t chunk = std::min<std::size_t>(limit - done, page - at % page);
        if (!ReadMemory(at, to + done, chunk)) break;
        done += chunk;
    }
    return done;
}

void FillRegisters(const ucontext_t* uc, TMachineRegisters& r) {
    const greg_t* g = uc->uc_mcontext.gregs;
    r.Rax = g[REG_RAX], r.Rbx = g[REG_RBX], r.Rcx = g[REG_RCX], r.Rdx = g[REG_RDX];
    r.Rsi = g[REG_RSI], r.Rdi = g[REG_RDI], r.Rbp = g[REG_RBP], r.Rsp = g[REG_RSP];
    r.R8 = g[REG_R8], r.R9 = g[REG_R9], r.R10 = g[REG_R10], r.R11 = g[REG_R11];
    r.R12 = g[REG_R12], r.R13 = g[REG_R13], r.R14 = g[REG_R14], r.R15 = g[REG_R15];
    r.Rip = g[REG_RIP], r.EFlags = g[REG_EFL];
}

int IndexOf(int signal) {
    for (int i = 0; i < kFatalCount; ++i)
        if (kFatalSignals[i] == signal) return i;
    return -1;
}

void FatalHandler(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const int index = IndexOf(signal);
    if (handling.exchange(true) || index < 0 || !installed.load()) {
        // A second fatal signal, or one after removal: the default action.
        ::signal(signal, SIG_DFL);
        if (info->si_code <= 0) ::raise(signal);
        errno = savedErrno;
        return;
    }
    fatalState.Signal = signal;
    fatalState.Code = info->si_code;
    fatalState.FaultAddress = reinterpret_cast<std::uintptr_t>(info->si_addr);
    fatalState.ThreadId = ThreadIdNow();
    FillRegisters(static_cast<const ucontext_t*>(context), fatalState.Registers);
    fatalState.ErrorCode = static_cast<std::uint64_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_ERR]);
    fatalState.StackStart = fatalState.Registers.Rsp;
    fatalState.StackSize = CopyStack(fatalState.StackStart, fatalStack, kSignalStackCopyLimit);
    fatalState.Stack = fatalStack;
    const char wake = 1;
    if (::write(wakePipe[1], &wake, 1) == 1) {
        pollfd done{donePipe[0], POLLIN, 0};
        while (::poll(&done, 1, kReportWaitMs) < 0 && errno == EINTR) {
        }
        char c;
        if (done.revents & POLLIN) (void)!::read(donePipe[0], &c, 1);
    }
    // On to what was there before: a fault happens again when the handler
    // returns, a signal that was sent is sent again.
    ::sigaction(signal, &previousActions[index], nullptr);
    if (info->si_code <= 0) ::raise(signal);
    errno = savedErrno;
}

void* ReporterMain(void*) {
    BlockFatalSignals();
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(wakePipe[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == 0) break;
        if (TFatalSignalReporter report = reporter.load()) report(fatalState);
        const char done = 1;
        (void)!::write(donePipe[1], &done, 1);
    }
    return nullptr;
}

void ClosePipes() {
    for (int* p : {wakePipe, donePipe}) {
        for (int i = 0; i < 2; ++i) {
            if (p[i] >= 0) ::close(p[i]);
            p[i] = -1;
        }
    }
}

}  // namespace

void BlockFatalSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kFatalSignals) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void EnsureAlternateSignalStack() {
    stack_t current;
    if (::sigaltstack(nullptr, &current) != 0) return;
    if (!(current.ss_flags & SS_DISABLE)) return;  // the thread has one: kept
    void* area = ::mmap(nullptr, kAlternateStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) return;
    stack_t mine{};
    mine.ss_sp = area;
    mine.ss_size = kAlternateStackSize;
    if (::sigaltstack(&mine, nullptr) != 0) {
        ::munmap(area, kAlternateStackSize);
        return;
    }
    mappedAlternateStack = area;
}

void ReleaseAlternateSignalStack() {
    if (!mappedAlternateStack) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    ::sigaltstack(&off, nullptr);
    ::munmap(mappedAlternateStack, kAlternateStackSize);
    mappedAlternateStack = nullptr;
}

bool InstallFatalSignalHandlers(TFatalSignalReporter report) {
    if (installed.load()) return true;
    if (!fatalStack) {
        void* area =
            ::mmap(nullptr, kSignalStackCopyLimit, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED) return false;
        fatalStack = static_cast<unsigned char*>(area);
    }
    if (::pipe2(wakePipe, O_CLOEXEC) != 0 || ::pipe2(donePipe, O_CLOEXEC) != 0) {
        ClosePipes();
        return false;
    }
    reporter.store(report);
    EnsureAlternateSignalStack();
    struct sigaction action {};
    action.sa_sigaction = FatalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    handling.store(false);
    installed.store(true);
    for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &action, &previousActions[i]);
    // A signal before the reporter runs waits in the pipe for it.
    if (RealThreadCreate()(&reporterThread, nullptr, ReporterMain, nullptr) != 0) {
        installed.store(false);
        for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &previousActions[i], nullptr);
        ClosePipes();
        return false;
    }
    return true;
}

void RemoveFatalSignalHandlers() {
    if (!installed.exchange(false)) return;
    for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &previousActions[i], nullptr);
    const char stop = 0;
    (void)!::write(wakePipe[1], &stop, 1);
    ::pthread_join(reporterThread, nullptr);
    ClosePipes();
    reporter.store(nullptr);
}

bool FatalSignalHandlersInstalled() { return installed.load(); }

// ---- a thread's state from outside

namespace {

enum : int { kIdle, kAsked, kCopying, kCopied, kAbandoned };
constinit std::atomic<int> probeStep{kIdle};
constinit std::atomic<std::uint64_t> probeThread{0};
TThreadState probeState;
unsigned char* probeStack = nullptr;
constinit std::atomic<bool> probeHandlerSet{false};

int ProbeSignal() { return SIGRTMIN + 7; }

void ProbeHandler(int, siginfo_t*, void* context) {
    const int savedErrno = errno;
    int asked = kAsked;
    if (probeThread.load() == ThreadIdNow() && probeStep.compare_exchange_strong(asked, kCopying)) {
        FillRegisters(static_cast<const ucontext_t*>(context), probeState.Registers);
        probeState.StackStart = probeState.Registers.Rsp;
        probeState.StackSize = CopyStack(probeState.StackStart, probeStack, kSignalStackCopyLimit);
        probeStep.store(kCopied);
    }
    errno = savedErrno;
}

// "nr args... sp pc" (or "-1 sp pc", or "running").
bool ReadSyscallFile(std::uint64_t threadId, std::uintptr_t& sp, std::uintptr_t& pc) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%llu/syscall", static_cast<unsigned long long>(threadId));
    FILE* f = std::fopen(path, "re");
    if (!f) return false;
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    if (!read) return false;
    char* fields[16];
    int n = 0;
    for (char* t = std::strtok(line, " \n"); t && n < 16; t = std::strtok(nullptr, " \n")) fields[n++] = t;
    if (n < 3) return false;
    sp = std::strtoull(fields[n - 2], nullptr, 16);
    pc = std::strtoull(fields[n - 1], nullptr, 16);
    return sp != 0;
}

}  // namespace

bool CopyThreadState(std::uint64_t threadId, int timeoutMs, TThreadState& state) {
    if (!probeStack) {
        void* area =
            ::mmap(nullptr, kSignalStackCopyLimit, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED) return false;
        probeStack = static_cast<unsigned char*>(area);
    }
    if (!probeHandlerSet.exchange(true)) {
        struct sigaction action {};
        action.sa_sigaction = ProbeHandler;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(ProbeSignal(), &action, nullptr);
    }
    probeState = TThreadState{};
    probeThread.store(threadId);
    probeStep.store(kAsked);
    bool copied = false;
    if (::syscall(SYS_tgkill, ::getpid(), static_cast<pid_t>(threadId), ProbeSignal()) == 0) {
        for (int waited = 0; waited < timeoutMs && probeStep.load() != kCopied; ++waited) ::usleep(1000);
        int asked = kAsked;
        if (!probeStep.compare_exchange_strong(asked, kAbandoned)) {
            // Copying or copied: it ends soon.
            while (probeStep.load() != kCopied) ::usleep(100);
            copied = true;
        }
    }
    if (!copied) {
        probeStep.store(kAbandoned);
        std::uintptr_t sp = 0, pc = 0;
        if (!ReadSyscallFile(threadId, sp, pc)) {
            probeStep.store(kIdle);
            return false;
        }
        probeState.Registers = TMachineRegisters{};
        probeState.Registers.Rsp = sp;
        probeState.Registers.Rip = pc;
        probeState.StackStart = sp;
        probeState.StackSize = CopyStack(sp, probeStack, kSignalStackCopyLimit);
    }
    probeState.ThreadId = threadId;
    probeState.Stack = probeStack;
    state = probeState;
    probeStep.store(kIdle);
    return true;
}

}  // namespace menvaro
