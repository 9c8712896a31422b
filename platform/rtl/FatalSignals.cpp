#include "FatalSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <time.h>
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
constexpr std::size_t kAlternateStackSize = std::size_t{64} << 10;
// How often a waiting handler looks at the reporter.
constexpr int kWaitStepMs = 50;

struct sigaction previousActions[kFatalCount];
constinit std::atomic<bool> installed{false};
constinit std::atomic<bool> reportsOn{true};
constinit std::atomic<TFatalSignalReporter> reporter{nullptr};
constinit std::atomic<TFatalSignalFirstAid> firstAid{nullptr};
// The process that installed: a child made by fork has no reporter thread.
constinit std::atomic<pid_t> installerPid{0};
// The reporter thread: made, and not ended (a child made by fork has none).
constinit std::atomic<bool> reporterRunning{false};
// The thread whose signal is being handled (0: none), and the reporter's
// signs of life.
constinit std::atomic<std::uint64_t> handlingThread{0};
constinit std::atomic<std::uint64_t> reportProgress{0};
constinit std::atomic<int> outsideWaits{0};
constinit thread_local bool isReporterThread = false;
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
        if (!ReadMemorySignalSafe(at, to + done, chunk)) break;
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

std::int64_t NowMs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t{t.tv_sec} * 1000 + t.tv_nsec / 1000000;
}

// The signal goes on to `action`; one that was sent (or raised) is sent to
// this thread again, a fault happens again when the handler returns. A
// disposition that would ignore it is the default, so the process ends.
void PassOn(int signal, const siginfo_t* info, const struct sigaction* action) {
    struct sigaction next {};
    if (action) next = *action;
    if (!action || (!(next.sa_flags & SA_SIGINFO) && next.sa_handler == SIG_IGN)) {
        next = {};
        next.sa_handler = SIG_DFL;
        sigemptyset(&next.sa_mask);
    }
    ::sigaction(signal, &next, nullptr);
    if (info->si_code <= 0) ::syscall(SYS_tgkill, ::getpid(), static_cast<pid_t>(ThreadIdNow()), signal);
}

// Until the process ends by the signal another thread is handling.
[[noreturn]] void WaitForTheEnd() {
    for (;;) ::pause();
}

bool ReporterAlive() { return reporterRunning.load(); }

// Wakes the reporter and waits while it makes progress (or waits for the
// user); false when it was given up.
bool WaitForReport() {
    const char wake = 1;
    if (!ReporterAlive() || ::write(wakePipe[1], &wake, 1) != 1) return false;
    std::uint64_t seen = reportProgress.load();
    std::int64_t lastProgress = NowMs();
    for (;;) {
        pollfd done{donePipe[0], POLLIN, 0};
        const int ready = ::poll(&done, 1, kWaitStepMs);
        if (ready > 0 && (done.revents & POLLIN)) {
            char c;
            (void)!::read(donePipe[0], &c, 1);
            return true;
        }
        if (!ReporterAlive()) return false;
        const std::uint64_t now = reportProgress.load();
        if (now != seen || outsideWaits.load() > 0) {
            seen = now;
            lastProgress = NowMs();
        } else if (NowMs() - lastProgress > kFatalReportStallMs) {
            return false;
        }
    }
}

void FatalHandler(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const int index = IndexOf(signal);
    const std::uint64_t me = ThreadIdNow();
    if (index < 0 || !installed.load() || ::getpid() != installerPid.load()) {
        // After removal, or in a child made by fork: as without the logger.
        PassOn(signal, info, index >= 0 ? &previousActions[index] : nullptr);
        errno = savedErrno;
        return;
    }
    std::uint64_t expected = 0;
    if (!handlingThread.compare_exchange_strong(expected, me)) {
        // A fault inside this thread's own handling ends the process at
        // once; any other thread waits for the first signal to end it.
        if (expected == me) {
            PassOn(signal, info, nullptr);
            errno = savedErrno;
            return;
        }
        WaitForTheEnd();
    }
    if (reportsOn.load()) {
        fatalState = TThreadState{};
        fatalState.Signal = signal;
        fatalState.Code = info->si_code;
        if (info->si_code > 0) {
            fatalState.FaultAddress = reinterpret_cast<std::uintptr_t>(info->si_addr);
            fatalState.ErrorCode =
                static_cast<std::uint64_t>(static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_ERR]);
        } else if (info->si_pid != ::getpid()) {
            // Sent by another process: si_addr shares its place with the sender.
            fatalState.Sent = true;
            fatalState.SenderPid = info->si_pid;
            fatalState.SenderUid = info->si_uid;
        }
        fatalState.ThreadId = me;
        FillRegisters(static_cast<const ucontext_t*>(context), fatalState.Registers);
        fatalState.StackStart = fatalState.Registers.Rsp;
        fatalState.StackSize = CopyStack(fatalState.StackStart, fatalStack, kSignalStackCopyLimit);
        fatalState.Stack = fatalStack;
        if (TFatalSignalFirstAid aid = firstAid.load()) aid(fatalState);
        WaitForReport();
    }
    PassOn(signal, info, &previousActions[index]);
    errno = savedErrno;
}

void* ReporterMain(void*) {
    BlockFatalSignals();
    isReporterThread = true;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(wakePipe[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == 0) break;
        if (TFatalSignalReporter report = reporter.load()) report(fatalState);
        const char done = 1;
        (void)!::write(donePipe[1], &done, 1);
    }
    reporterRunning.store(false);
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

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGFPE: return "SIGFPE";
        case SIGILL: return "SIGILL";
        case SIGABRT: return "SIGABRT";
        default: return "SIG?";
    }
}

void NoteFatalReportProgress() noexcept {
    if (isReporterThread) reportProgress.fetch_add(1, std::memory_order_relaxed);
}

TFatalReportOutsideWait::TFatalReportOutsideWait() : counted_(isReporterThread) {
    if (counted_) outsideWaits.fetch_add(1);
}

TFatalReportOutsideWait::~TFatalReportOutsideWait() {
    if (counted_) outsideWaits.fetch_sub(1);
    NoteFatalReportProgress();
}

std::uint64_t FatalSignalStoppedThread() { return handlingThread.load(); }

void SetFatalSignalReports(bool on) { reportsOn.store(on); }

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

bool InstallFatalSignalHandlers(TFatalSignalReporter report, TFatalSignalFirstAid aid) {
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
    firstAid.store(aid);
    installerPid.store(::getpid());
    handlingThread.store(0);
    // A signal before the reporter runs waits in the pipe for it.
    reporterRunning.store(true);
    if (RealThreadCreate()(&reporterThread, nullptr, ReporterMain, nullptr) != 0) {
        reporterRunning.store(false);
        ClosePipes();
        return false;
    }
    EnsureAlternateSignalStack();
    struct sigaction action {};
    action.sa_sigaction = FatalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    installed.store(true);
    for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &action, &previousActions[i]);
    // From now on its name says that every fatal signal is handled.
    pthread_setname_np(reporterThread, "OstrelLog");
    return true;
}

void RemoveFatalSignalHandlers() {
    if (!installed.exchange(false)) return;
    for (int i = 0; i < kFatalCount; ++i) ::sigaction(kFatalSignals[i], &previousActions[i], nullptr);
    if (handlingThread.load() != 0) {
        // A report runs, and its signal ends the process: not waited for.
        ::pthread_detach(reporterThread);
        return;
    }
    const char stop = 0;
    (void)!::write(wakePipe[1], &stop, 1);
    ::pthread_join(reporterThread, nullptr);
    ClosePipes();
    reporter.store(nullptr);
    firstAid.store(nullptr);
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
