// The report pipeline: one notified exception turned into a stored report.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "ExceptionLogDialog.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "rtl/ExceptionInfo.h"
#include "ui/Dialogs.h"

namespace menvaro {

namespace {

struct TPipelineState {
    std::mutex lock;
    int count = 0;
    std::string folder;  // the private temporary folder, once made
};

TPipelineState& State() {
    static TPipelineState* state = new TPipelineState;
    return *state;
}

// The machine's values, with the windows as the faulting thread saw them.
class TReportSystemValues final : public IOstrelSystemValues {
public:
    TReportSystemValues(const IOstrelSystemValues& base, const TOstrelNotifyParams& params)
        : base_(base), params_(params) {}
    TDateTime Now() const override { return base_.Now(); }
    int UtcOffsetMinutes(TDateTime local) const override { return base_.UtcOffsetMinutes(local); }
    TDateTime StartDate() const override { return base_.StartDate(); }
    std::vector<std::string> Parameters() const override { return base_.Parameters(); }
    bool IsGUI() const override { return base_.IsGUI(); }
    std::string ForegroundWindowClass() const override { return params_.WindowClass; }
    std::string ForegroundWindowText() const override { return params_.WindowText; }
    std::string ComputerName() const override { return base_.ComputerName(); }
    std::string UserName() const override { return base_.UserName(); }
    bool Memory(std::uint64_t& total, std::uint64_t& available) const override {
        return base_.Memory(total, available);
    }
    bool Disk(std::uint64_t& total, std::uint64_t& available) const override { return base_.Disk(total, available); }
    std::string SystemName() const override { return base_.SystemName(); }
    std::string SystemBuild() const override { return base_.SystemBuild(); }
    std::string SystemUpdate() const override { return base_.SystemUpdate(); }
    std::string Language() const override { return base_.Language(); }

private:
    const IOstrelSystemValues& base_;
    const TOstrelNotifyParams& params_;
};

// Writes all of `text` to `fd`. A reader that went away (a broken pipe) is
// no signal: SIGPIPE is held for this thread while writing and a pending
// one taken back.
bool WriteAll(int fd, std::string_view text) {
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    bool ok = true;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    if (!ok && errno == EPIPE && !wasPending) {
        const timespec none{0, 0};
        sigtimedwait(&pipe, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

// The first filter whose class is the exception's or an ancestor's; -1 for none.
int MatchingFilter(const TOstrelModuleOptions& options, const std::exception_ptr& object) {
    if (!options.FilterEnabled() || !object) return -1;
    std::vector<std::string> names{ExceptionTypeName(object)};
    for (std::string& a : ExceptionAncestors(object)) names.push_back(std::move(a));
    const TStringList& classes = options.FilterClasses();
    for (int i = 0; i < classes.Count(); ++i) {
        const std::string wanted = LowerCase(Trim(classes[i]));
        for (const std::string& n : names)
            if (!wanted.empty() && LowerCase(n) == wanted) return i;
    }
    return -1;
}

void ShowFilterMessage(const std::string& text, const TOstrelModuleOptions& options) {
    if (IsGUIApplication()) {
        const TFatalReportOutsideWait user;
        // MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION
        RunInReportContext([&] { MessageBox(0, text, options.GetText(0), 0x242040); });
    } else {
        WriteAll(STDERR_FILENO, text + "\n");
    }
}

// The driver of the mail: the attachment file, the events, the retries.
void SendReport(const TOstrelModuleOptions& options, const TOstrelExceptionRecord& record,
                const std::string& mailCopy, bool withScreenshot) {
    bool success = true;
    ClearWarning();
    std::string attachment;
    ScopeGuard removeAttachment([&] {
        if (!attachment.empty()) ::unlink(attachment.c_str());
    });
    if (!options.LogInBody()) {
        attachment = IncludeTrailingPathDelimiter(ReportTemporaryFolder()) + ExtractFileName(options.OutputLogFile());
        WriteFileAtomic(attachment, mailCopy, 0600);
    }
    if (CustomActionAssigned()) CallCustomAction(record, atSendingMail, success);
    if (success) {
        bool retry = false;
        do {
            success = SendReportMail(options, mailCopy, withScreenshot);
            retry = false;
            if (!success && ErrorNotifyAssigned()) CallErrorNotify(record, atSentMail, retry);
        } while (retry);
    }
    if (CustomActionAssigned()) {
        bool execute = true;
        CallCustomAction(record, atSentMail, execute);
    }
}

}  // namespace

TOstrelModuleOptions& CurrentOstrelLogOptions() {
    TOstrelModulesList* modules = OstrelModulesList();
    const std::shared_ptr<TOstrelModuleInfo> record = modules ? modules->FindModuleInfo(LoggerModuleHandle()) : nullptr;
    if (!record || !record->Options) throw EAssertionFailed(kNoCurrentOptionsMessage);
    return *record->Options;
}

TOstrelModuleOptions& WorkingOstrelLogOptions() {
    static TOstrelModuleOptions* options = Create<TOstrelModuleOptionsEx>("", false);
    return *options;
}

int OstrelReportsCount() {
    TPipelineState& s = State();
    const std::lock_guard<std::mutex> guard(s.lock);
    return s.count;
}

std::string ReportTemporaryFolder() {
    TPipelineState& s = State();
    const std::lock_guard<std::mutex> guard(s.lock);
    if (s.folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = IncludeTrailingPathDelimiter(tmp && *tmp ? tmp : "/tmp") + "OstrelLog-XXXXXX";
        if (!::mkdtemp(name.data())) throw EInOutError("Cannot make a temporary folder: " + name);
        s.folder = name;
    }
    return s.folder;
}

void RemoveReportTemporaryFolder() noexcept {
    std::string folder;
    {
        TPipelineState& s = State();
        const std::lock_guard<std::mutex> guard(s.lock);
        folder.swap(s.folder);
    }
    if (folder.empty()) return;
    // Whatever a sending left in it goes with it.
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}

bool InternalExceptNotify(std::exception_ptr object, std::uintptr_t address, bool addressIsReturnPoint,
                          TOstrelNotifyParams& params) {
    TraceCall("InternalExceptNotify", {}, 2);
    bool result = false;
    int step = 1;
    try {
        const TDateTime date = LinuxSystemValues().Now();
        std::string requestText;
        const TModulesMemory code;
        const TSnapshotMemory memory(params.Stack, code);
        if (addressIsReturnPoint && address != 0) {
            const std::size_t length = CallLengthBefore(code, address);
            address -= length != 0 ? length : 5;
        }
        // 1. The options of the module that raised it.
        if (!OstrelModulesList()) CreateOstrelModulesList();
        TOstrelModulesList& modules = *OstrelModulesList();
        std::shared_ptr<TOstrelModuleInfo> record;
        TOstrelReportContext context;
        if (address != 0) {
            record = modules.FindModuleInfoOfAddress(address);
            // Another module may have published this exception with its own type and message.
            context.ExceptionAddress = address;
            context.FromOtherModule = record && record->Handle() != LoggerModuleHandle();
            ReadNestedException(context);
        }
        if (!record || !record->HasDebugData()) {
            auto logger = modules.FindModuleInfo(LoggerModuleHandle());
            if (logger && (logger->HasDebugData() || !record)) record = logger;
        }
        TOstrelModuleOptions& options = WorkingOstrelLogOptions();
        if (record && record->Options) options.Assign(record->Options.get());
        options.SetModuleName(record ? record->Image.Path : ProgramPath());
        bool sendChosen = options.SendMode() != 0;
        const bool screenshotChosen = options.AttachScreenshot();
        // 2. Filters.
        step = 2;
        // A fatal signal's short report goes when this one is not logged.
        auto dropProvisional = [&] {
            if (!params.Provisional.Text.empty())
                RemoveLoggedReport(params.Provisional.LogFile, params.Provisional.Text);
            params.Provisional = {};
        };
        const int filter = MatchingFilter(options, object);
        if (filter >= 0) {
            dropProvisional();
            const TStringList& messages = options.FilterMessages();
            if (filter < messages.Count() && !messages[filter].empty()) ShowFilterMessage(messages[filter], options);
            TraceCall("InternalExceptNotify=", {result}, -2);
            return result;
        }
        // 3, 4. The stack.
        step = 3;
        const TOstrelAddressResolver resolve = [&](std::uintptr_t a) { return modules.GetAddressInfo(a); };
        std::unique_ptr<TOstrelStackList> stack = GetCallStack(address, memory, params.Stack.Start,
                                                               params.Stack.Top(), resolve);
        step = 5;
        AppendCreationStack(*stack, params.ThreadId, OstrelThreadsList(), resolve);
        RemoveDuplicateTop(*stack, addressIsReturnPoint);
        // 5. The report.
        step = 7;
        modules.RefreshModulesList();
        TOstrelExceptionRecord exception;
        exception.ExceptionObject = object;
        exception.ExceptionAddress = address;
        exception.ThreadId = params.ThreadId;
        const TReportSystemValues system(LinuxSystemValues(), params);
        context.ExceptionObject = object;
        context.ExceptionAddress = address;
        context.ExceptionDate = date;
        context.Registers = params.Registers;
        context.StackPointer = params.Stack.Start;
        context.FocusedControlClass = params.ControlClass;
        context.FocusedControlText = params.ControlText;
        context.Options = &options;
        context.Stack = stack.get();
        for (const auto& m : modules.Modules()) context.Modules.push_back(m);
        context.Memory = &memory;
        context.System = &system;
        std::string report = BuildReport(context);
        // What the user's code run since published in the raising module.
        auto readNested = [&] {
            if (ReadNestedException(context)) report = LastReportTexts().Report;
        };
        SetReportInProgress(&exception, params.CallsRunHere ? CurrentThreadId() : 0);
        const bool duplicate = IsDuplicateException(options, context, params.Provisional.Text);
        ClearWarning();
        bool handle = true;
        if (ExceptionNotifyAssigned()) {
            CallExceptionNotify(exception, handle);
            readNested();
        }
        // 6. Taken by the event.
        step = 8;
        if (!handle) {
            result = true;
            dropProvisional();
        } else {
            // 7. Counted; the screenshot lives until the report is delivered.
            step = 9;
            {
                TPipelineState& s = State();
                const std::lock_guard<std::mutex> guard(s.lock);
                ++s.count;
            }
            // Made by the screenshot or the mail's log copy; gone once they are.
            ScopeGuard removeFolder([] { RemoveReportTemporaryFolder(); });
            std::string screenshot;
            ScopeGuard removeScreenshot([&] {
                if (!screenshot.empty()) ::unlink(screenshot.c_str());
            });
            bool withScreenshot = false;
            if (screenshotChosen) {
                step = 11;
                screenshot = IncludeTrailingPathDelimiter(ReportTemporaryFolder()) + "Screenshot.png";
                withScreenshot = TakeScreenshot(screenshot);
            }
            // 8. Shown or written. The dialog starts from the options' choices.
            TOstrelDialogState& dialog = DialogState();
            dialog.SendChecked = sendChosen;
            dialog.ScreenshotChecked = screenshotChosen;
            dialog.ClipboardChecked = false;
            dialog.AlreadyReported = duplicate;
            dialog.TerminateRequested = false;
            dialog.RequestText.clear();
            bool dialogShown = false;
            if (options.ShowReport()) {
                step = 12;
                bool success = true;
                ClearWarning();
                if (CustomActionAssigned()) {
                    CallCustomAction(exception, atShowingReport, success);
                    readNested();
                }
                if (success) {
                    step = 13;
                    const std::string text = context.DialogMessage + report;
                    if (IsWebApplication()) {
                        success = WriteWebResponse(WebErrorPage(options.GetText(2), text));
                    } else if (IsConsoleApplication()) {
                        try {
                            if (!WriteAll(STDOUT_FILENO, text + "\r\n"))
                                throw EInOutError("The report cannot be written to standard output");
                        } catch (...) {
                            ReportWarningFromException(eeShowError, "Console");
                            success = false;
                        }
                    } else {
                        try {
                            success = dialogShown = ShowExceptionDialog(context);
                        } catch (...) {
                            ReportWarningFromException(eeShowError, "GUI");
                            success = false;
                        }
                    }
                }
                step = 14;
                if (CustomActionAssigned()) {
                    bool execute = true;
                    CallCustomAction(exception, atShownReport, execute);
                    readNested();
                }
            }
            // The choices of the dialog: mail, screenshot, clipboard.
            if (dialogShown) {
                sendChosen = dialog.SendChecked;
                withScreenshot = withScreenshot && dialog.ScreenshotChecked;
            }
            const bool copyChosen = dialogShown && dialog.ClipboardChecked;
            // 9. The steps that led to the error, asked for whether or not
            // the report was shown.
            if (RequestDialogWanted(options)) ShowRequestDialog(options);
            requestText = dialog.RequestText;
            // 10. Log, clipboard, mail.
            step = 15;
            TOstrelLogSave save;
            save.Options = &options;
            save.Record = exception;
            save.Report = report;
            save.Duplicate = duplicate;
            save.RequestText = requestText;
            save.MailCopy = report;
            save.Replaces = params.Provisional;
            if (!options.SaveLog()) dropProvisional();
            if (options.SaveLog() && !SaveLogFile(save) && LastWarningCode() == eeLogError) {
                // Never silently lost: a report the log could not take goes
                // to standard error (one an event chose not to save does not).
                WriteAll(STDERR_FILENO, LastWarningMessage() + "\n" + report + "\r\n");
            }
            SetReportMailCopy(save.MailCopy);
            if (copyChosen) CopyReportToClipboard(report);
            step = 16;
            if (options.SendMode() != 0 && !duplicate && sendChosen)
                SendReport(options, exception, save.MailCopy, withScreenshot);
            sendChosen = false;
            // 11. The terminate button: the program ends (or starts again).
            if (dialogShown && dialog.TerminateRequested) RestartApplication(options.RestartOnTerminate());
        }
        step = 17;
        stack.reset();
        step = 18;
    } catch (...) {
        ReportInternalError("InternalExceptNotify." + std::to_string(step));
    }
    SaveTraceNow();
    TraceCall("InternalExceptNotify=", {result}, -2);
    return result;
}

}  // namespace menvaro
