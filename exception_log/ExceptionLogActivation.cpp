// Activation: the logger's start-up and shut-down, terminate, the fatal
// signals and the freeze watchdog.
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "EHook.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "rtl/FatalSignals.h"
#include "ui/Forms.h"
#include "ui/WindowManager.h"

namespace menvaro {

EExternal::EExternal(std::string message, std::uintptr_t address)
    : Exception(std::move(message)), address_(address) {}

namespace {

using namespace std::chrono_literals;

constinit std::atomic<bool> activated{false};
constinit std::terminate_handler previousTerminate = nullptr;
// The logger's own Active and FreezeTimeout as the other threads read them;
// written whenever those options change.
constinit std::atomic<bool> loggerActive{true};
constinit std::atomic<std::int64_t> freezeTimeoutMs{60000};

std::shared_ptr<TOstrelModuleInfo> LoggerRecord() {
    TOstrelModulesList* modules = OstrelModulesList();
    return modules ? modules->FindModuleInfo(LoggerModuleHandle()) : nullptr;
}

std::string ModuleNameOf(std::uintptr_t address) {
    TLoadedModule m;
    return FindLoadedModule(ModuleOfAddress(address), m) ? ExtractFileName(m.Path) : std::string();
}

// The exception a fatal signal stands for.
std::exception_ptr SignalException(const TThreadState& s) {
    const std::uintptr_t at = s.Registers.Rip;
    char typeBuffer[64], messageBuffer[512];
    TFixedText type(typeBuffer, sizeof typeBuffer), message(messageBuffer, sizeof messageBuffer);
    WriteSignalException(s, ModuleNameOf(at), type, message);
    std::string text(message.View());
    if (type.View() == "EAccessViolation") return std::make_exception_ptr(EAccessViolation(text, at));
    if (type.View() == "EDivByZero") return std::make_exception_ptr(EDivByZero(text, at));
    if (type.View() == "EInvalidOp") return std::make_exception_ptr(EInvalidOp(text, at));
    if (type.View() == "EPrivilege") return std::make_exception_ptr(EPrivilege(text, at));
    return std::make_exception_ptr(EExternalException(text, at));
}

TOstrelNotifyParams StoppedThreadParams(const TThreadState& s) {
    TOstrelNotifyParams params;
    params.Registers = RegistersOf(s.Registers);
    params.Stack.Start = s.StackStart;
    params.Stack.Bytes.assign(reinterpret_cast<const char*>(s.Stack), s.StackSize);
    params.ThreadId = s.ThreadId;
    params.CallsRunHere = true;
    return params;
}

// On the reporter thread, the faulting thread stopped in its handler: a
// notification it holds is not waited for, another one a while. The short
// report its handler logged is replaced by this one.
void ReportFatalSignal(const TThreadState& state) {
    TOstrelNotifyParams params = StoppedThreadParams(state);
    params.Provisional = TakeProvisionalReport();
    if (!OstrelLogInstalled()) return;
    try {
        if (!AdmitNotification(5000, state.ThreadId)) return;
        ScopeGuard end([] { EndNotification(); });
        InternalExceptNotify(SignalException(state), state.Registers.Rip, false, params);
        SetReportInProgress(nullptr);
    } catch (...) {
        ReportInternalError("ReportFatalSignal");
    }
}

// An exception no handler caught: reported from its throw record (the
// stack is still whole here); then the process ends, never through abort,
// so that no second report follows.
// With the logger switched off (Active false) it ends as it would without
// the logger.
[[noreturn]] void HookedTerminate() {
    static std::atomic<bool> once{false};
    if (!loggerActive.load()) {
        if (previousTerminate) previousTerminate();
        std::abort();
    }
    if (!once.exchange(true) && OstrelLogInstalled()) {
        try {
            if (std::exception_ptr e = std::current_exception()) ExceptionManager(e);
        } catch (...) {
        }
    }
    ::_exit(1);
}

// ---- the freeze watchdog

struct TFreezeThread {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    bool terminated = false;

    // Sleeps `d` unless terminated meanwhile; false once terminated.
    bool Sleep(std::chrono::milliseconds d) {
        std::unique_lock<std::mutex> l(lock);
        return !wake.wait_for(l, d, [&] { return terminated; });
    }
    bool Terminated() {
        const std::lock_guard<std::mutex> l(lock);
        return terminated;
    }
};

std::mutex freezeLock;
std::shared_ptr<TFreezeThread> freezeThread;

void ReportFreeze() {
    const auto mainThread = static_cast<std::uint64_t>(::getpid());
    if (!loggerActive.load() || !AdmitNotification(-1)) return;
    ScopeGuard end([] { EndNotification(); });
    // The main thread's registers and stack, copied while it goes on.
    TThreadState state;
    if (!CopyThreadState(mainThread, 200, state) || state.Registers.Rip == 0 || state.Registers.Rsp == 0) return;
    TOstrelNotifyParams params = StoppedThreadParams(state);
    auto record = LoggerRecord();
    const std::string message = record && record->Options ? record->Options->FreezeMessage() : kDefaultFreezeMessage;
    InternalExceptNotify(std::make_exception_ptr(EFrozenApplication(message)), state.Registers.Rip, false, params);
    SetReportInProgress(nullptr);
}

// The time-out is read on every probe, so a change applies to the running
// watchdog; one of 0 or less reports nothing (the options then stop it).
void FreezeExecute(TFreezeThread& self) {
    BlockFatalSignals();
    HWND window = 0;
    while (!(window = MainWindowOf(static_cast<std::uint32_t>(::getpid()))))
        if (!self.Sleep(50ms)) return;
    while (!self.Terminated()) {
        std::int64_t counter = 0;
        std::int64_t timeout = 0;
        do {
            LRESULT answer = 0;
            if (!SendMessageTimeout(window, WM_NULL, 0, 0, SMTO_BLOCK, 50, &answer) && IsWindow(window)) {
                counter += 50;
            } else {
                for (int i = 0; i < 5; ++i)
                    if (!self.Sleep(50ms)) break;
                counter = 0;
            }
            timeout = freezeTimeoutMs.load();
        } while (!self.Terminated() && counter < timeout);
        if (self.Terminated()) break;
        if (timeout <= 0) continue;
        try {
            ReportFreeze();
        } catch (...) {
            ReportInternalError("TFreezeThread.Execute");
        }
    }
}

}  // namespace

void StartFreezeThread() {
    const std::lock_guard<std::mutex> guard(freezeLock);
    auto record = LoggerRecord();
    if (freezeThread || InsideDevelopmentEnvironment() || !record || !record->Options ||
        !record->Options->Active() || !record->Options->FreezeWatchdogOn())
        return;
    freezeTimeoutMs.store(record->Options->FreezeTimeoutMs());
    auto self = std::make_shared<TFreezeThread>();
    // The thread holds its own share: one stopped from inside its own
    // report (an event handler that switches it off) is left to end alone.
    self->thread = std::thread([self] { FreezeExecute(*self); });
    freezeThread = std::move(self);
}

void StopFreezeThread() {
    std::shared_ptr<TFreezeThread> self;
    {
        const std::lock_guard<std::mutex> guard(freezeLock);
        self = std::move(freezeThread);
    }
    if (!self) return;
    {
        const std::lock_guard<std::mutex> l(self->lock);
        self->terminated = true;
    }
    self->wake.notify_all();
    if (!self->thread.joinable()) return;
    if (self->thread.get_id() == std::this_thread::get_id())
        self->thread.detach();
    else
        self->thread.join();
}

bool FreezeThreadRunning() {
    const std::lock_guard<std::mutex> guard(freezeLock);
    return freezeThread != nullptr;
}

namespace {

// The watchdog runs while the logger's own options have Active and
// FreezeCheck on and a positive FreezeTimeout.
void ApplyWatchdogOptions(const TOstrelModuleOptions& options) {
    loggerActive.store(options.Active());
    freezeTimeoutMs.store(options.FreezeTimeoutMs());
    if (!LoggerActivated()) return;
    if (options.Active() && options.FreezeWatchdogOn())
        StartFreezeThread();
    else
        StopFreezeThread();
}

// The logger's own options put to work: published for the other modules,
// handed to the first aid and the fatal signals, the watchdog switched.
void ApplyLoggerOptions(const TOstrelModuleOptions& options) {
    PublishModuleBlock(options);
    PrepareFirstAid(options);
    SetFatalSignalReports(options.Active());
    ApplyWatchdogOptions(options);
}

}  // namespace

void TOstrelModuleOptionsEx::ChangedHook() {
    // Start-up hands the options over once they are loaded.
    if (LoggerActivated()) ApplyLoggerOptions(*this);
}

void TOstrelModuleOptionsEx::SetActive(bool v) {
    const bool changed = v != Active();
    TOstrelModuleOptions::SetActive(v);
    if (changed && OfLoggerModule()) ApplyWatchdogOptions(*this);
}

void TOstrelModuleOptionsEx::SetFreezeCheck(bool v) {
    const bool changed = v != FreezeCheck();
    TOstrelModuleOptions::SetFreezeCheck(v);
    if (changed && OfLoggerModule()) ApplyWatchdogOptions(*this);
}

void InitializeLogger() {
    if (activated.load()) return;
    if (IsDebuggerAttached()) EnableTrace();
    TraceCall("InitializeLogger", {}, 2);
    ProgramPath();
    StartupFolder();
    CreateOstrelModulesList();
    auto record = LoggerRecord();
    if (!record || !record->CarriesDebugData) {
        // No container: every handler stays as it was.
        DestroyOstrelModulesList();
        TraceCall("InitializeLogger", {}, -2);
        return;
    }
    // The blocks the other modules read, each of one byte 0 until published;
    // kept open while the logger runs.
    CreateOwnSharedBlocks();
    OstrelThreadsList();
    previousTerminate = std::set_terminate(&HookedTerminate);
    InstallOstrelLog();
    activated.store(true);
    // The options as loaded: published, and the watchdog started when they
    // ask for it. Last, once a report has all it needs: from now on every
    // fatal signal is reported.
    ApplyLoggerOptions(*record->Options);
    InstallFatalSignalHandlers(&ReportFatalSignal, &FatalSignalFirstAid);
    TraceCall("InitializeLogger", {}, -2);
}

void FinalizeLogger() {
    // First: nothing new is reported.
    if (!activated.exchange(false)) return;
    TraceCall("FinalizeLogger", {}, 2);
    StopFreezeThread();
    RemoveFatalSignalHandlers();
    ReleaseAlternateSignalStack();
    std::set_terminate(previousTerminate);
    RemoveOstrelLog();
    ReleaseOwnSharedBlocks();
    SaveTrace();
    TraceCall("FinalizeLogger", {}, -2);
}

bool LoggerActivated() { return activated.load(); }

}  // namespace menvaro
