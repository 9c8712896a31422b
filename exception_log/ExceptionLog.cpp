// The core helpers of the logger.
#include "ExceptionLog.h"

#include <cxxabi.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "EConsts.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "base/StrUtils.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "rtl/ExceptionInfo.h"
#include "rtl/Memory.h"
#include "rtl/Modules.h"
#include "rtl/Stack.h"
#include "ui/Dialogs.h"
#include "ui/WindowManager.h"

extern char** environ;

// Defined by the console flag's object (menvaro_exception_log_console) when
// the program links it; absent, its address is null.
extern "C" {
__attribute__((weak)) extern const bool menvaro_console_program;
}

namespace menvaro {

// ---- the process as it started

namespace {

struct TStartInfo {
    std::string program;
    std::vector<std::string> parameters;
    std::string folder;
};

std::vector<std::string> ReadCommandLine() {
    std::vector<std::string> args;
    try {
        const std::string data = ReadFileBytes("/proc/self/cmdline");
        std::size_t start = 0;
        while (start < data.size()) {
            std::size_t end = data.find('\0', start);
            if (end == std::string::npos) end = data.size();
            args.push_back(data.substr(start, end - start));
            start = end + 1;
        }
    } catch (...) {
        // No parameters, then: every switch is off.
    }
    return args;
}

const TStartInfo& StartInfo() {
    static const TStartInfo info = [] {
        TStartInfo i;
        try {
            i.program = ExeName();
        } catch (...) {
        }
        std::vector<std::string> args = ReadCommandLine();
        if (!args.empty()) i.parameters.assign(args.begin() + 1, args.end());
        char buf[4096];
        if (::getcwd(buf, sizeof buf)) i.folder = IncludeTrailingPathDelimiter(buf);
        return i;
    }();
    return info;
}

// Taken as the logger is loaded, before the program can change its folder.
[[maybe_unused]] const bool g_startTaken = (StartInfo(), true);

}  // namespace

const std::string& ProgramPath() { return StartInfo().program; }
const std::vector<std::string>& CommandLineParameters() { return StartInfo().parameters; }
const std::string& StartupFolder() { return StartInfo().folder; }
std::uint64_t CurrentThreadId() { return static_cast<std::uint64_t>(::syscall(SYS_gettid)); }

// ---- modules

std::uintptr_t LoggerModuleHandle() {
    static const std::uintptr_t handle = ModuleOfAddress(reinterpret_cast<std::uintptr_t>(&LoggerModuleHandle));
    return handle;
}

std::uintptr_t ModuleHandleOf(std::string_view fileName) {
    if (fileName.empty()) return 0;
    const bool bare = fileName.find('/') == std::string_view::npos;
    // The list kept while no module comes or goes: every options object
    // asks this on each change.
    const auto modules = CurrentModules();
    for (const TLoadedModule& m : *modules)
        if (m.Path == fileName || (bare && ExtractFileName(m.Path) == fileName)) return m.Handle;
    return 0;
}

std::string ModuleFileName(std::uintptr_t module) {
    TLoadedModule m;
    return FindLoadedModule(module, m) ? m.Path : std::string();
}

std::uint32_t FileSizeOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(st.st_size) & 0xFFFFFFFF);
}

bool UsesRuntimePackages() {
    return ModuleOfAddress(reinterpret_cast<std::uintptr_t>(&TObject::StaticClass)) != LoggerModuleHandle();
}

std::uintptr_t StackBase() { return CurrentThreadStack().High; }

// ---- debugger

bool IsDebuggerAttached() {
    try {
        const std::string status = ReadFileBytes("/proc/self/status");
        const std::size_t at = status.find("\nTracerPid:");
        if (at == std::string::npos) return false;
        std::size_t i = at + 11;
        while (i < status.size() && (status[i] == ' ' || status[i] == '\t')) ++i;
        return i < status.size() && status[i] >= '1' && status[i] <= '9';
    } catch (...) {
        return false;
    }
}

void DebuggerOutput(std::string_view line) {
    if (!IsDebuggerAttached()) return;
    std::string text(line);
    text += '\n';
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// ---- shared blocks

struct TSharedBlock::TBlock {
    std::string name;
    mutable std::mutex lock;
    std::string bytes;  // the size field, then the payload
    int handles = 0;    // guarded by the registry's lock
};

namespace {

struct TBlockRegistry {
    std::mutex lock;
    std::map<std::string, std::shared_ptr<TSharedBlock::TBlock>> blocks;
};

TBlockRegistry& Blocks() {
    static TBlockRegistry* registry = new TBlockRegistry;
    return *registry;
}

std::uint32_t StoredSize(const std::string& bytes) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= std::uint32_t{static_cast<std::uint8_t>(bytes[i])} << (8 * i);
    return n;
}

}  // namespace

std::string SharedBlockName(std::uint32_t processId, std::uintptr_t module, std::string_view name) {
    return IntToHex(processId, 8) + IntToHex(module, 16) + std::string(name);
}

TSharedBlock& TSharedBlock::operator=(TSharedBlock&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = std::move(other.block_);
    }
    return *this;
}

TSharedBlock CreateSharedBlock(std::uintptr_t module, std::string_view name, std::size_t size) {
    if (size > 0x7FFFFFFF - 4) return {};
    const std::string key = SharedBlockName(static_cast<std::uint32_t>(::getpid()), module, name);
    TBlockRegistry& r = Blocks();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.blocks.find(key);
    if (it == r.blocks.end()) {
        if (size == 0) return {};
        auto block = std::make_shared<TSharedBlock::TBlock>();
        block->name = key;
        const auto total = static_cast<std::uint32_t>(size + 4);
        block->bytes.assign(size + 4, '\0');
        for (int i = 0; i < 4; ++i) block->bytes[i] = static_cast<char>((total >> (8 * i)) & 0xFF);
        it = r.blocks.emplace(key, std::move(block)).first;
    }
    ++it->second->handles;
    return TSharedBlock(it->second);
}

void TSharedBlock::Release() {
    if (!block_) return;
    TBlockRegistry& r = Blocks();
    std::lock_guard<std::mutex> guard(r.lock);
    if (--block_->handles == 0) r.blocks.erase(block_->name);
    block_.reset();
}

std::size_t TSharedBlock::PayloadSize() const {
    if (!block_) return 0;
    std::lock_guard<std::mutex> guard(block_->lock);
    return StoredSize(block_->bytes) - 4;
}

std::string TSharedBlock::Payload() const {
    if (!block_) return {};
    std::lock_guard<std::mutex> guard(block_->lock);
    return block_->bytes.substr(4);
}

std::string TSharedBlock::Bytes() const {
    if (!block_) return {};
    std::lock_guard<std::mutex> guard(block_->lock);
    return block_->bytes;
}

bool TSharedBlock::Write(std::size_t offset, std::string_view bytes) {
    if (!block_) return false;
    std::lock_guard<std::mutex> guard(block_->lock);
    const std::size_t payload = block_->bytes.size() - 4;
    if (offset > payload || bytes.size() > payload - offset) return false;
    block_->bytes.replace(4 + offset, bytes.size(), bytes);
    return true;
}

namespace {

// This module's own blocks, replaced when published anew.
struct TOwnBlocks {
    std::mutex lock;
    TSharedBlock except, module;
};

TOwnBlocks& OwnBlocks() {
    static TOwnBlocks* blocks = new TOwnBlocks;
    return *blocks;
}

bool Republish(TSharedBlock& own, const char* name, const std::string& payload) {
    own.Release();
    own = CreateSharedBlock(LoggerModuleHandle(), name, payload.size());
    return own && own.Write(0, payload);
}

// The exception's message: what() of the standard family, else the fixed text.
std::string MessageOf(std::exception_ptr e) {
    std::string message;
    return ExceptionMessage(e, message) ? message : std::string(kUnknownErrorMessage);
}

}  // namespace

std::string ExceptionClassName(std::exception_ptr exception) {
    return exception ? ExceptionTypeName(exception) : std::string(kUnknownExceptionType);
}

bool PublishExceptionBlock(std::string_view className, std::string_view message) {
    const std::string payload = std::string(1, '\1') + StoredString(className) + StoredString(message);
    TOwnBlocks& own = OwnBlocks();
    std::lock_guard<std::mutex> guard(own.lock);
    return Republish(own.except, kExceptBlockName, payload);
}

bool PublishExceptionBlock(std::exception_ptr exception) {
    return PublishExceptionBlock(ExceptionClassName(exception), MessageOf(exception));
}

bool ReadExceptionBlock(std::uintptr_t module, TExceptionBlock& block, bool take) {
    TSharedBlock shared = CreateSharedBlock(module, kExceptBlockName, 0);
    if (!shared) return false;
    TMemoryStream payload(shared.Payload());
    TStoredDataReader r(payload);
    TExceptionBlock b;
    if (!r.Bool(b.Flag)) return false;
    if (b.Flag && (!r.String(b.ClassName, "the class name") || !r.String(b.Message, "the message"))) {
        if (r.Damaged()) ReportWarning(eeLogError, "The published exception is damaged: " + r.Damage() + ".");
        return false;
    }
    if (take && b.Flag) shared.Write(0, std::string_view("\0", 1));
    block = std::move(b);
    return true;
}

void CreateOwnSharedBlocks() {
    TOwnBlocks& own = OwnBlocks();
    std::lock_guard<std::mutex> guard(own.lock);
    const std::string unset(1, '\0');
    Republish(own.except, kExceptBlockName, unset);
    Republish(own.module, kModuleBlockName, unset);
}

void ReleaseOwnSharedBlocks() {
    TOwnBlocks& own = OwnBlocks();
    std::lock_guard<std::mutex> guard(own.lock);
    own.module.Release();
    own.except.Release();
}

bool PublishModuleBlock(const TOstrelModuleOptions& options) {
    TMemoryStream stream;
    const std::uint8_t flag = 1;
    stream.WriteBuffer(&flag, 1);
    options.SaveToStream(stream);
    TOwnBlocks& own = OwnBlocks();
    std::lock_guard<std::mutex> guard(own.lock);
    return Republish(own.module, kModuleBlockName, stream.Bytes());
}

bool ReadModuleBlock(std::uintptr_t module, TOstrelModuleOptions& options) {
    TSharedBlock shared = CreateSharedBlock(module, kModuleBlockName, 0);
    if (!shared) return false;
    TMemoryStream payload(shared.Payload());
    shared.Release();
    std::uint8_t flag = 0;
    if (payload.Read(&flag, 1) != 1 || flag == 0) return false;
    options.LoadFromStream(payload, kOptionsStreamVersion);
    return true;
}

// ---- last warning

namespace {

struct TWarningState {
    std::mutex lock;
    TOstrelLogErrorCode code = eeNone;
    std::string message;
    std::atomic<bool> smtpWindowOpen{false};
};

TWarningState& Warning() {
    static TWarningState* state = new TWarningState;
    return *state;
}

// The current exception's message when it is of the standard family.
bool CurrentMessage(std::string& message) { return ExceptionMessage(std::current_exception(), message); }

}  // namespace

void ReportWarning(TOstrelLogErrorCode code, const std::string& message) {
    TWarningState& w = Warning();
    {
        std::lock_guard<std::mutex> guard(w.lock);
        w.code = code;
        w.message = message;
    }
    const std::string line = std::string("[WARNING] - Code: ") + ErrorCodeName(code) + " - Message: \"" + message +
                             "\"";
    TraceCall(line);
    DebuggerOutput(line);
    if (code == eeEmailSMTPError && w.smtpWindowOpen) {
        try {
            MessageBox(0, message, kErrorCaption, kStopBoxStyle);
        } catch (...) {
            // A box that cannot be shown leaves the warning recorded.
        }
    }
}

void ReportWarningFromException(TOstrelLogErrorCode code, std::string_view section) {
    std::string message;
    if (CurrentMessage(message))
        ReportWarning(code, "[" + std::string(section) + "] " + message);
    else
        ReportWarning(code, "General '" + std::string(section) + "' error.");
}

void ClearWarning() {
    TWarningState& w = Warning();
    std::lock_guard<std::mutex> guard(w.lock);
    w.code = eeNone;
    w.message.clear();
}

TOstrelLogErrorCode LastWarningCode() {
    TWarningState& w = Warning();
    std::lock_guard<std::mutex> guard(w.lock);
    return w.code;
}

std::string LastWarningMessage() {
    TWarningState& w = Warning();
    std::lock_guard<std::mutex> guard(w.lock);
    return w.message;
}

void SetSmtpProgressWindowOpen(bool open) { Warning().smtpWindowOpen = open; }

// ---- internal errors

namespace {

// The trace goes to the logger's authors by the mail client; when that
// fails the user is asked to send it by hand.
bool SendTraceToAuthors(const std::string& body, const std::string& traceFile) {
    return SendEmailByMapi(kAuthorsMailAddress, kCriticalBugSubject, body, {traceFile});
}

}  // namespace

void ReportInternalError(std::string_view section, const void* address) noexcept {
    try {
        std::string message = kGeneralInternalError;
        if (const std::exception_ptr e = std::current_exception()) {
            try {
                std::rethrow_exception(e);
            } catch (const EAbort&) {
                return;
            } catch (const std::exception& x) {
                message = x.what();
            } catch (...) {
                if (!abi::__cxa_current_exception_type()) throw;
            }
        }
        const std::string line = "[ERROR] - Section: " + std::string(section) + " - Message: \"" + message + "\"";
        DebuggerOutput(line);
        TraceCall(line);
        std::uint8_t bytes[32];
        if (address && ReadMemory(address, bytes, sizeof bytes)) {
            std::string dump = "Memory Dump: ";
            for (std::uint8_t b : bytes) dump += "$" + IntToHex(b, 2) + " ";
            TraceCall(dump);
        }
        try {
            SaveTraceNow();
        } catch (...) {
        }
        if (!IsTraceEnabled()) return;
        const std::string text = "Error: '" + message +
                                 "'\r\n\r\nSend the information about this error to the authors of the logger?";
        if (MessageBox(0, text, kInternalBugCaption, kQuestionBoxStyle) != IDYES) return;
        const std::string traceFile = TraceFileName();
        if (SendTraceToAuthors(text, traceFile)) return;
        MessageBox(0,
                   "The error information could not be sent. Please send the file\r\n\"" + traceFile +
                       "\"\r\nby hand to " + kAuthorsMailAddress + ".",
                   kInformationCaption, kInformationBoxStyle);
    } catch (...) {
        // The report of a failure must not fail in turn.
    }
}

// ---- restart

int SpawnProcess(const std::vector<std::string>& arguments, const std::string& folder, bool searchPath, int& pid) {
    if (arguments.empty()) return EINVAL;
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // Its own process group, and no signal blocked that this thread blocks.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    const int r = searchPath ? posix_spawnp(&child, argv[0], &actions, &attr, argv.data(), environ)
                             : posix_spawn(&child, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    pid = r == 0 ? child : -1;
    return r;
}

void RestartApplication(bool restart) {
    TraceCall("RestartApplication", {restart});
    if (restart) {
        const TStartInfo& start = StartInfo();
        std::vector<std::string> argv{start.program};
        argv.insert(argv.end(), start.parameters.begin(), start.parameters.end());
        int pid = 0;
        const int r = SpawnProcess(argv, start.folder, false, pid);
        if (r != 0) TraceCall("RestartApplication=", {SysErrorMessage(r)});
    }
    ::_exit(1);
}

// ---- host kind

bool IsConsoleApplication() { return &menvaro_console_program != nullptr && menvaro_console_program; }

bool IsCGIApplication() {
    const char* method = std::getenv("REQUEST_METHOD");
    return IsConsoleApplication() && method && *method;
}

bool IsWinCGIApplication() { return false; }
bool IsISAPIApplication() { return false; }
bool IsIntraWebApplication() { return false; }

bool IsWebApplication() {
    return IsISAPIApplication() || IsCGIApplication() || IsWinCGIApplication() || IsIntraWebApplication();
}

bool IsGUIApplication() { return !IsWebApplication() && !IsConsoleApplication(); }

// ---- web output

std::string WebErrorPage(std::string_view title, std::string_view text) {
    return "<html><head><title>" + HtmlEscape(title) + "</title></head>" + "<body>" +
           "<p><small><font face=\"Lucida Console,Courier\">" + HtmlEscape(text) + "</font></small></p>" + "</body>" +
           "</html>";
}

namespace {

// Writes all of `data` to standard output. A closed pipe is a failed write,
// not the end of the program: SIGPIPE is held back while writing and a
// signal of this write is taken away again.
bool WriteStandardOutput(std::string_view data) {
    std::fflush(stdout);
    sigset_t pipeSet, old, pending;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    bool ok = true;
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0 && errno == EPIPE && !wasPending) {
                const timespec zero{};
                sigtimedwait(&pipeSet, nullptr, &zero);
            }
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

}  // namespace

bool WriteWebResponse(std::string_view html) {
    // The only web client here is the CGI server reading standard output.
    if (!IsCGIApplication()) return false;
    const std::string header = std::string("Status: 500 Error\r\n") + "Content-Type: text/html\r\n" +
                               "Content-Length: " + std::to_string(html.size()) + "\r\n" + "Content:\r\n\r\n";
    if (!WriteStandardOutput(header + std::string(html))) {
        ReportWarning(eeShowError, kCgiWriteError);
        return false;
    }
    return true;
}

// ---- main window

HWND MainWindowOf(std::uint32_t processId) {
    if (processId != static_cast<std::uint32_t>(::getpid())) return 0;
    try {
        const std::vector<HWND> windows = GetTopLevelWindows(false);
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            const HWND h = *it;
            if (!IsWindowVisible(h) || GetWindowOwner(h) != 0) continue;
            const std::uint32_t ex = GetWindowLong(h, GWL_EXSTYLE);
            if ((ex & WS_EX_TOOLWINDOW) && !(ex & WS_EX_APPWINDOW)) continue;
            return h;
        }
    } catch (...) {
        // No windows at all.
    }
    return 0;
}

// ---- user events and the report context

TOstrelEvents& LoggerEvents() {
    static TOstrelEvents* events = new TOstrelEvents;
    return *events;
}

bool ExceptionNotifyAssigned() {
    const TOstrelEvents& e = LoggerEvents();
    return e.OnExceptionNotify || e.ExceptionNotifyProc;
}

bool CustomActionAssigned() {
    const TOstrelEvents& e = LoggerEvents();
    return e.OnCustomAction || e.CustomActionProc;
}

bool ErrorNotifyAssigned() {
    const TOstrelEvents& e = LoggerEvents();
    return e.OnErrorNotify || e.ErrorNotifyProc;
}

namespace {

// Calls the component's handler, then the procedure, each with a copy of
// the record and the flag they may change.
template <class Event, class... Args>
void CallBoth(const Event& component, const Event& procedure, const TOstrelExceptionRecord& record, bool& flag,
              Args... args) {
    RunInReportContext([&] {
        for (const Event* e : {&component, &procedure}) {
            if (!*e) continue;
            const TOstrelExceptionRecord copy = record;
            (*e)(copy, args..., flag);
        }
    });
}

}  // namespace

void CallExceptionNotify(const TOstrelExceptionRecord& record, bool& handle) {
    const TOstrelEvents& e = LoggerEvents();
    CallBoth(e.OnExceptionNotify, e.ExceptionNotifyProc, record, handle);
}

void CallCustomAction(const TOstrelExceptionRecord& record, TOstrelAction action, bool& execute) {
    const TOstrelEvents& e = LoggerEvents();
    CallBoth(e.OnCustomAction, e.CustomActionProc, record, execute, action);
}

void CallErrorNotify(const TOstrelExceptionRecord& record, TOstrelAction action, bool& retry) {
    const TOstrelEvents& e = LoggerEvents();
    CallBoth(e.OnErrorNotify, e.ErrorNotifyProc, record, retry, action);
}

namespace {

struct TReportContext {
    std::mutex lock;  // the call-queue lock
    std::condition_variable changed;
    bool inProgress = false;
    TOstrelExceptionRecord record;
    std::uint64_t contextThread = 0;  // where queued calls run
    // The one slot: the call handed over, whether the faulting thread runs
    // it now, and tickets that tell a waiting caller its call has run.
    const std::function<void()>* queued = nullptr;
    bool running = false;
    std::uint64_t lastQueued = 0, lastRun = 0;
};

TReportContext& Context() {
    static TReportContext* context = new TReportContext;
    return *context;
}

void RunSwallowed(const std::function<void()>& procedure) {
    try {
        procedure();
    } catch (...) {
        if (!abi::__cxa_current_exception_type()) throw;  // a thread's forced unwind passes
    }
}

}  // namespace

void SetReportInProgress(const TOstrelExceptionRecord* record, std::uint64_t contextThread) {
    TReportContext& c = Context();
    {
        std::lock_guard<std::mutex> guard(c.lock);
        c.inProgress = record != nullptr;
        c.record = record ? *record : TOstrelExceptionRecord{};
        c.contextThread = contextThread != 0 ? contextThread : c.record.ThreadId;
    }
    c.changed.notify_all();
}

void RunInReportContext(const std::function<void()>& procedure) {
    TReportContext& c = Context();
    std::unique_lock<std::mutex> lock(c.lock);
    const std::uint64_t me = CurrentThreadId();
    if (c.inProgress && c.contextThread != me) {
        c.changed.wait(lock, [&] { return !c.inProgress || (!c.queued && !c.running); });
        if (c.inProgress) {
            c.queued = &procedure;
            const std::uint64_t ticket = ++c.lastQueued;
            // Until it has run, or the report ended without taking it.
            c.changed.wait(lock, [&] { return c.lastRun >= ticket || (!c.inProgress && !c.running); });
            if (c.lastRun < ticket) {
                c.queued = nullptr;
                c.lastRun = ticket;
                lock.unlock();
                c.changed.notify_all();
                RunSwallowed(procedure);
                lock.lock();
            }
        } else {
            lock.unlock();
            RunSwallowed(procedure);
            lock.lock();
        }
    } else {
        lock.unlock();
        RunSwallowed(procedure);
        lock.lock();
    }
    const bool republish = c.inProgress && c.record.ExceptionObject;
    const std::exception_ptr exception = c.record.ExceptionObject;
    lock.unlock();
    if (republish) PublishExceptionBlock(exception);
}

bool RunQueuedCall() {
    TReportContext& c = Context();
    std::unique_lock<std::mutex> lock(c.lock);
    if (!c.queued || c.running) return false;
    const std::function<void()>* procedure = c.queued;
    c.running = true;
    lock.unlock();
    {
        // The slot is free again however the call ends.
        ScopeGuard done([&c] {
            {
                std::lock_guard<std::mutex> guard(c.lock);
                c.running = false;
                c.queued = nullptr;
                c.lastRun = c.lastQueued;
            }
            c.changed.notify_all();
        });
        RunSwallowed(*procedure);
    }
    return true;
}

}  // namespace menvaro
