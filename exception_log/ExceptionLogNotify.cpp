// The notification: admission of one exception at a time, the report
// thread and the main thread's pump while it runs, the catch points'
// entries and the installation of the hooks.
#include <cxxabi.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "EHook.h"
#include "ExceptionLog.h"
#include "base/ScopeGuard.h"
#include "ui/Forms.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

using namespace std::chrono_literals;

// The thread inside a notification (0: none) and the report thread that
// builds its report (0: none). Admission is one compare-and-swap.
constinit std::atomic<std::uint64_t> notifyingThread{0};
constinit std::atomic<std::uint64_t> reportThread{0};
constinit std::atomic<bool> installed{false};

TApplication::THandleExceptionHook& PreviousApplicationHook() {
    static auto* hook = new TApplication::THandleExceptionHook;
    return *hook;
}

bool IsMainThread() { return CurrentThreadId() == static_cast<std::uint64_t>(::getpid()); }

// Admits the calling thread: false when it is inside a notification already
// (as the notifying thread or the report thread); otherwise waits until no
// other thread is.
bool Admit() {
    const std::uint64_t me = CurrentThreadId();
    if (notifyingThread.load() == me || reportThread.load() == me) return false;
    std::uint64_t expected = 0;
    while (!notifyingThread.compare_exchange_weak(expected, me)) {
        expected = 0;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool IsAbort(const std::exception_ptr& e) {
    try {
        std::rethrow_exception(e);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        if (!abi::__cxa_current_exception_type()) throw;
    }
    return false;
}

bool LoggerActive() {
    TOstrelModulesList* modules = OstrelModulesList();
    if (!modules) return true;
    auto record = modules->FindModuleInfo(LoggerModuleHandle());
    return !record || !record->Options || record->Options->Active();
}

bool IsPaintMessage(UINT m) {
    switch (m) {
        case WM_SETREDRAW:
        case WM_PAINT:
        case WM_ERASEBKGND:
        case WM_PAINTICON:
        case WM_ICONERASEBKGND:
        case WM_DISPLAYCHANGE:
        case WM_NCPAINT:
        case WM_PRINT:
        case WM_PRINTCLIENT:
        case 0x8002:
        case 0x8003:
            return true;
        default:
            return false;
    }
}

// One pass of the main thread's pump while the report thread runs: at most
// 11 messages; paints go on, clicks and keys beep; quit and close are kept
// for the program, everything else is dropped.
void PumpPass(std::vector<TMsg>& kept) {
    for (int i = 0; i <= 10; ++i) {
        TMsg msg;
        if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE)) break;
        if (IsPaintMessage(msg.message)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        } else if (msg.message == WM_CHAR || msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                   msg.message == WM_MBUTTONDOWN) {
            MessageBeep(0);
        } else if (msg.message == WM_QUIT || msg.message == WM_CLOSE) {
            kept.push_back(msg);
        }
    }
}

// The report built by a thread of its own while the main thread pumps.
bool ReportInReportThread(const std::exception_ptr& object, std::uintptr_t address, bool addressIsReturnPoint,
                          TOstrelNotifyParams& params) {
    std::atomic<bool> running{true};
    bool result = false;
    MarkNextThreadAsReportThread(true);
    std::thread thread([&] {
        // Its id first, so that an exception inside the report is known as nested.
        reportThread.store(CurrentThreadId());
        TraceCall("TExceptionThread.Execute", {}, 2);
        try {
            result = InternalExceptNotify(object, address, addressIsReturnPoint, params);
        } catch (...) {
            if (!abi::__cxa_current_exception_type()) throw;
        }
        TraceCall("TExceptionThread.Execute", {}, -2);
        running.store(false);
    });
    MarkNextThreadAsReportThread(false);
    std::vector<TMsg> kept;
    while (running.load()) {
        try {
            PumpPass(kept);
        } catch (...) {
            // A paint that fails is not this report's business.
        }
        RunQueuedCall();
        std::this_thread::sleep_for(10ms);
    }
    thread.join();
    for (const TMsg& m : kept) {
        if (m.message == WM_QUIT)
            PostQuitMessage(static_cast<int>(m.wParam));
        else
            PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
    }
    return result;
}

}  // namespace

namespace {
constinit thread_local bool holdsAdmission = false;
}

bool AdmitNotification(int timeoutMs, std::uint64_t stoppedThread) {
    const std::uint64_t me = CurrentThreadId();
    if (notifyingThread.load() == me || reportThread.load() == me) return false;
    for (int waited = 0;; waited += 10) {
        std::uint64_t expected = 0;
        if (notifyingThread.compare_exchange_strong(expected, me)) {
            holdsAdmission = true;
            return true;
        }
        if (stoppedThread != 0 && expected == stoppedThread) {
            // It will not end its notification: this report goes on beside it.
            holdsAdmission = false;
            return true;
        }
        if (timeoutMs >= 0 && waited >= timeoutMs) return false;
        std::this_thread::sleep_for(10ms);
    }
}

void EndNotification() {
    if (holdsAdmission) notifyingThread.store(0);
    holdsAdmission = false;
}

std::uint64_t ReportThreadId() { return reportThread.load(); }
std::uint64_t NotifyingThreadId() { return notifyingThread.load(); }
bool OstrelLogInstalled() { return installed.load(); }

bool ExceptNotify(std::exception_ptr object, std::uintptr_t address, bool addressIsReturnPoint,
                  TOstrelNotifyParams params) {
    TraceCall("ExceptNotify", {}, 2);
    bool result = true;
    if (LoggerActive()) {
        if (params.ThreadId == 0) params.ThreadId = CurrentThreadId();
        const bool windows = IsGUIApplication() && Application && IsMainThread();
        if (windows) {
            // Before any window of the logger shows.
            const TFocusedControl focused = GetFocusedControl();
            params.ControlClass = focused.ClassName;
            params.ControlText = focused.Text;
            params.WindowClass = LinuxSystemValues().ForegroundWindowClass();
            params.WindowText = LinuxSystemValues().ForegroundWindowText();
        }
        ScopeGuard clear([] {
            SetReportInProgress(nullptr);
            reportThread.store(0);
        });
        if (windows)
            result = ReportInReportThread(object, address, addressIsReturnPoint, params);
        else
            result = InternalExceptNotify(object, address, addressIsReturnPoint, params);
    }
    TraceCall("ExceptNotify=", {result}, -2);
    return result;
}

bool ExceptionManager(std::exception_ptr exception) {
    TraceCall("ExceptionManager", {}, 2);
    bool result = true;
    if (exception && installed.load() && !IsAbort(exception)) {
        result = false;
        if (Admit()) {
            ScopeGuard release([] { notifyingThread.store(0); });
            TThrowInfo info;
            const bool found = FindThrowRecord(exception, info);
            TOstrelNotifyParams params;
            params.ThreadId = CurrentThreadId();
            if (found) {
                params.Registers = info.Registers;
                params.Stack = std::move(info.Stack);
            } else {
                params.Stack = TakeCurrentStackSnapshot();
            }
            // This thread's last exception, published now that it is admitted.
            PublishExceptionBlock(exception);
            result = ExceptNotify(exception, found ? info.Address : 0, found, std::move(params));
        }
    }
    TraceCall("ExceptionManager=", {result}, -2);
    return result;
}

void Hooked_GUIHandleException(TObject* sender, std::exception_ptr error) {
    TraceCall("Hooked_GUIHandleException", {}, 2);
    if (ExceptionManager(error)) {
        const auto& previous = PreviousApplicationHook();
        if (previous)
            previous(sender, error);
        else if (Application)
            Application->DefaultHandleException(sender, error);
    }
    TraceCall("Hooked_GUIHandleException", {}, -2);
}

void HookedThreadException() {
    TraceCall("HookedThreadException", {}, 2);
    ExceptionManager(std::current_exception());
    TraceCall("HookedThreadException", {}, -2);
}

void InstallOstrelLog() {
    if (installed.load()) return;
    TraceCall("InstallOstrelLog", {}, 2);
    if (!OstrelModulesList()) CreateOstrelModulesList();
    HookThreadsAndRaise();
    OstrelHooks().HookProcedure(ThreadExceptionSlot, &HookedThreadException, "thread wrapper");
    if (Application) PreviousApplicationHook() = Application->SetHandleExceptionHook(&Hooked_GUIHandleException);
    // Last: from now on the hooks report.
    installed.store(true);
    TraceCall("InstallOstrelLog", {}, -2);
}

void RemoveOstrelLog() {
    // First: no new report starts.
    if (!installed.exchange(false)) return;
    TraceCall("RemoveOstrelLog", {}, 2);
    // A running report gets a while to end before anything goes.
    for (int i = 0; i < 500 && notifyingThread.load() != 0; ++i) std::this_thread::sleep_for(10ms);
    if (Application) Application->SetHandleExceptionHook(std::move(PreviousApplicationHook()));
    PreviousApplicationHook() = nullptr;
    UnhookThreadsAndRaise();
    ClearThrowRecords();
    TraceCall("RemoveOstrelLog", {}, -2);
}

}  // namespace menvaro
