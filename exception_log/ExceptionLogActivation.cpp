// Activation: the logger's start-up and shut-down, terminate, the fatal
// signals and the freeze watchdog.
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
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

TSharedBlock& ExceptBlock() {
    static auto* block = new TSharedBlock;
    return *block;
}
TSharedBlock& ModuleBlock() {
    static auto* block = new TSharedBlock;
    return *block;
}

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
[[noreturn]] void HookedTerminate() {
    static std::atomic<bool> once{false};
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
TFreezeThread* freezeThread = nullptr;

void ReportFreeze() {
    const auto mainThread = static_cast<std::uint64_t>(::getpid());
    if (!AdmitNotification(-1)) return;
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

void FreezeExecute(TFreezeThread& self) {
    BlockFatalSignals();
    auto record = LoggerRecord();
    const std::int64_t timeout = record && record->Options ? record->Options->FreezeTimeoutMs() : 60000;
    HWND window = 0;
    while (!(window = MainWindowOf(static_cast<std::uint32_t>(::getpid()))))
        if (!self.Sleep(50ms)) return;
    while (!self.Terminated()) {
        std::int64_t counter = 0;
        do {
            LRESULT answer = 0;
            if (!SendMessageTimeout(window, WM_NULL, 0, 0, SMTO_BLOCK, 50, &answer) && IsWindow(window)) {
                counter += 50;
            } else {
                for (int i = 0; i < 5; ++i)
                    if (!self.Sleep(50ms)) break;
                counter = 0;
            }
        } while (!self.Terminated() && counter < timeout);
        if (self.Terminated()) break;
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
        !record->Options->FreezeCheck())
        return;
    freezeThread = new TFreezeThread;
    TFreezeThread* self = freezeThread;
    self->thread = std::thread([self] { FreezeExecute(*self); });
}

void StopFreezeThread() {
    TFreezeThread* self;
    {
        const std::lock_guard<std::mutex> guard(freezeLock);
        self = freezeThread;
        freezeThread = nullptr;
    }
    if (!self) return;
    {
        const std::lock_guard<std::mutex> l(self->lock);
        self->terminated = true;
    }
    self->wake.notify_all();
    if (self->thread.joinable()) self->thread.join();
    delete self;
}

bool FreezeThreadRunning() {
    const std::lock_guard<std::mutex> guard(freezeLock);
    return freezeThread != nullptr;
}

void TOstrelModuleOptionsEx::ChangedHook() {
    // Start-up hands the options over once they are loaded.
    if (!LoggerActivated()) return;
    PrepareFirstAid(*this);
    SetFatalSignalReports(Active());
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
    ExceptBlock() = CreateSharedBlock(LoggerModuleHandle(), "EXCEPT", 1);
    ModuleBlock() = CreateSharedBlock(LoggerModuleHandle(), "MODULE", 1);
    OstrelThreadsList();
    previousTerminate = std::set_terminate(&HookedTerminate);
    InstallOstrelLog();
    StartFreezeThread();
    activated.store(true);
    // Last, once a report has all it needs: from now on every fatal signal
    // is reported.
    PrepareFirstAid(*record->Options);
    SetFatalSignalReports(record->Options->Active());
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
    ModuleBlock().Release();
    ExceptBlock().Release();
    SaveTrace();
    TraceCall("FinalizeLogger", {}, -2);
}

bool LoggerActivated() { return activated.load(); }

}  // namespace menvaro
