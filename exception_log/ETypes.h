// The logger's base: its own trace, the small helpers every part of it uses
// (registry string, charset, zlib inflate), the bounded reading of its
// stored data, its error codes and records, and the options of one module,
// TOstrelModuleOptions, with their stream.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "ELang.h"
#include "base/Exceptions.h"
#include "base/ScopeGuard.h"
#include "base/StringList.h"
#include "classes/Classes.h"
#include "registry/RegistryIniFile.h"

namespace menvaro {

class TStream;

// The logger's own failures.
MENVARO_EXCEPTION(EOstrelLogError, Exception)

// ================================================================= trace
//
// The trace is an in-memory list of lines, one on entry to most of the
// logger's operations (indent +2) and one on exit, its name followed by "="
// and the result (indent -2). It is kept when the last command-line
// parameter contains "DEBUG" (in any letter case) or a debugger is attached,
// and written to the program's file name with the extension ".log" at
// shut-down when that parameter contains "DEBUG"; when it also contains
// "SAVE", every line is added to the file as it is made.

// One argument of a trace line, turned into text by its type.
class TTraceArg {
public:
    TTraceArg(bool v);
    TTraceArg(char v);
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) TTraceArg(T v)
        : text_(std::is_signed_v<T> ? std::to_string(static_cast<long long>(v))
                                    : std::to_string(static_cast<unsigned long long>(v))) {}
    TTraceArg(double v);
    // Strings stand between single quotes; a null C string is an empty one.
    TTraceArg(const char* s);
    TTraceArg(std::string_view s);
    TTraceArg(const std::string& s) : TTraceArg(std::string_view(s)) {}
    TTraceArg(std::nullptr_t);
    // An object of the class library by its class name, any other pointer
    // as "$" and 16 hexadecimal digits; "nil" for none.
    template <class T>
    TTraceArg(T* p) {
        if constexpr (std::is_same_v<std::remove_cv_t<T>, char>)
            *this = TTraceArg(static_cast<const char*>(p));
        else if constexpr (std::is_base_of_v<TObject, T>)
            text_ = ObjectText(p);
        else
            text_ = PointerText(static_cast<const void*>(p));
    }
    // Currency: a count of ten-thousandths, in the locale's currency format.
    static TTraceArg Currency(std::int64_t tenThousandths);
    // A mail user or password: never written as it is.
    static TTraceArg Masked();
    // A value of a type the trace cannot print.
    static TTraceArg Unknown();

    const std::string& Text() const { return text_; }

private:
    TTraceArg() = default;
    static std::string ObjectText(const TObject* o);
    static std::string PointerText(const void* p);
    std::string text_;
};

// Appends one line: the name, the indent, two blanks, the local time
// ("dd/mm/yy hh:nn:ss") and the arguments between "(" and ")". A negative
// indent change takes effect before the line, a positive one after it.
// Never raises; does nothing while the trace is off.
void TraceCall(std::string_view name, std::initializer_list<TTraceArg> args = {}, int indentChange = 0) noexcept;

// The trace's start-up: decides the switches from the program's parameters
// (argv[1] ...) and empties the trace. Run with the real command line when
// the logger is loaded.
void InitializeTrace(const std::vector<std::string>& parameters);
// The trace's shut-down: SaveTrace, then the trace is emptied and off.
// Never raises: a file that cannot be written is given up.
void FinalizeTrace() noexcept;
// The trace's start-up with the program's own command line, once in a
// process, its shut-down registered to run at exit. The logger's start-up
// runs it before its own, so that the trace starts before the logger and
// ends after it; a program without the logger's start-up has it run with
// its static objects.
void StartTrace();

bool IsTraceEnabled();
// Keeps the trace from now on (a debugger is attached); the file is still
// written only as the switches decided at start.
void EnableTrace();
// Writes every line to TraceFileName() when the trace is on and was asked
// for at start ("DEBUG"). Raises when the file cannot be written.
void SaveTrace();
// The same whenever the trace is on (the internal-error report).
void SaveTraceNow();
// The program's file with the extension ".log".
std::string TraceFileName();
// The lines so far.
std::vector<std::string> TraceLines();

// ================================================================ helpers

// False: no development environment hosts a program here, so the logger
// never runs in the passive mode the original kept for its compiler's IDE.
bool InsideDevelopmentEnvironment();

// A value of the settings store as the raw string the registry answers:
// text as it is, a DWORD as its 4 bytes, other data as stored, less a
// terminating NUL when it has one. One leading "\" of `subKey` is dropped.
// HKEY_CLASSES_ROOT reads HKEY_LOCAL_MACHINE "SOFTWARE\Classes". Every
// failure (another root key, a missing key or value, a damaged store)
// gives "".
std::string ReadRegistryString(HKEY rootKey, std::string_view subKey, std::string_view valueName);

// The ANSI code page of the user's locale (LC_ALL, LC_CTYPE, LANG): its
// character set's code page (936 for GBK), the C locale's 20127 when the
// set is not known.
int UserDefaultAnsiCodePage();
// The font charset of a code page (936 gives GB2312_CHARSET, 134);
// DEFAULT_CHARSET (1) for a code page without one (UTF-8 among them).
int CharsetOfCodePage(int codePage);
// CharsetOfCodePage(UserDefaultAnsiCodePage()).
int GetUserDefaultCharset();

// Inflates a zlib stream. The output grows in steps of the input length
// rounded up to a multiple of 256. Raises EOstrelLogError when the data is
// damaged or ends early, when inflating makes no progress, or when the
// output would exceed `maxOutput`.
inline constexpr std::size_t kMaxDecompressedSize = std::size_t{256} << 20;
// Only the first `keep` bytes are returned (the rest is inflated and
// dropped); `total`, when given, receives the length of the whole. With
// `ended` given instead, inflating stops once `keep` bytes are out, and
// `ended` tells whether the stream ended within them (nothing past them is
// inflated or checked then).
std::string DecompressBuffer(const void* input, std::size_t inputLength, std::size_t maxOutput = kMaxDecompressedSize,
                             std::size_t keep = SIZE_MAX, std::size_t* total = nullptr, bool* ended = nullptr);
std::size_t DecompressStep(std::size_t inputLength);

// ============================================================ stored data

// A string as the logger stores it: int32 length, then the bytes, each
// XOR'd with `scramble`. A string longer than one character whose first
// CR LF pair is its last two characters is stored without that pair.
std::string StoredString(std::string_view s, std::uint8_t scramble = 0);

// Reads stored fields from a stream up to its end. A fixed field that is
// not there any more keeps its value (the read answers false); a string
// length that runs past the end, or a count of more entries than the rest
// could hold, marks the data damaged, and from then on nothing is read.
class TStoredDataReader {
public:
    explicit TStoredDataReader(TStream& stream);

    bool Byte(std::uint8_t& v);
    bool Bool(bool& v);
    bool UInt16(std::uint16_t& v);
    bool Int32(std::int32_t& v);
    bool UInt32(std::uint32_t& v);
    // A length of 0 or less is an empty string. `what` names the field.
    bool String(std::string& v, std::string_view what, std::uint8_t scramble = 0);
    // A count of entries of at least `entrySize` bytes each; a negative
    // count reads as 0.
    bool Count(std::int32_t& n, std::size_t entrySize, std::string_view what);

    bool Damaged() const { return !damage_.empty(); }
    // What was damaged, and where.
    const std::string& Damage() const { return damage_; }

private:
    bool Fixed(void* v, std::size_t size);
    std::int64_t Remaining() const;

    TStream& stream_;
    std::int64_t end_;
    std::string damage_;
};

// ========================================================= errors, records

// Every failure of showing, logging or sending a report is recorded with
// one of these as the last warning, never raised to the program.
enum TOstrelLogErrorCode { eeNone, eeShowError, eeLogError, eeEmailMAPIError, eeEmailShellError, eeEmailSMTPError };
// The enumeration name ("eeEmailSMTPError").
const char* ErrorCodeName(TOstrelLogErrorCode code);

// The exception a report is about, as the user's events see it.
struct TOstrelExceptionRecord {
    std::exception_ptr ExceptionObject;
    std::uintptr_t ExceptionAddress = 0;
    std::uint64_t ThreadId = 0;  // the faulting thread (the system's thread id)
};

// ================================================================ options

// The logger options of one module: whether the logger is active, what it
// shows, logs and mails, the watchdog's settings and the 71 texts. Setters
// store a value only when it differs and then run Changed.
class TOstrelModuleOptions : public TObject {
    MENVARO_CLASS(TOstrelModuleOptions, TObject)
public:
    // The per-module objects take the module's file name and notify; the
    // working set of a report has no name and does not.
    TOstrelModuleOptions(std::string moduleName, bool notifyOnChange);
    ~TOstrelModuleOptions() override;
    // Sets the defaults, through the setters of the most derived class.
    void AfterConstruction() override;

    bool NotifyOnChange() const { return notifyOnChange_; }
    int UpdateCount() const { return updateCount_; }
    void BeginUpdate() { ++updateCount_; }
    // Runs no change itself; callers call Changed after it.
    void EndUpdate() { --updateCount_; }
    // BeginUpdate now; EndUpdate and Changed when the scope ends, however it ends.
    [[nodiscard]] auto Updating() {
        BeginUpdate();
        return ScopeGuard([this] {
            EndUpdate();
            Changed();
        });
    }
    // Runs the Changed hook outside BeginUpdate/EndUpdate, when notifying,
    // for an options object of the module that holds the logger.
    void Changed();

    const std::string& ModuleName() const { return moduleName_; }
    void SetModuleName(const std::string& v);

    const std::string& SenderAddress() const { return senderAddress_; }
    void SetSenderAddress(const std::string& v);
    const std::string& SmtpHost() const { return smtpHost_; }
    void SetSmtpHost(const std::string& v);
    const std::string& SmtpUser() const { return smtpUser_; }
    void SetSmtpUser(const std::string& v);
    const std::string& SmtpPassword() const { return smtpPassword_; }
    void SetSmtpPassword(const std::string& v);
    std::uint16_t SmtpPort() const { return smtpPort_; }
    void SetSmtpPort(std::uint16_t v);
    bool RestartOnTerminate() const { return restartOnTerminate_; }
    void SetRestartOnTerminate(bool v);
    bool FreezeCheck() const { return freezeCheck_; }
    // Seconds; 0 or less turns the watchdog off.
    std::int32_t FreezeTimeout() const { return freezeTimeout_; }
    void SetFreezeTimeout(std::int32_t v);
    // The time-out in milliseconds, worked out in 64 bits.
    std::int64_t FreezeTimeoutMs() const { return std::int64_t{freezeTimeout_} * 1000; }
    // The watchdog runs: FreezeCheck with a positive time-out.
    bool FreezeWatchdogOn() const { return freezeCheck_ && freezeTimeout_ > 0; }
    const std::string& FreezeMessage() const { return freezeMessage_; }
    void SetFreezeMessage(const std::string& v);
    bool SkinnedDialog() const { return skinnedDialog_; }
    void SetSkinnedDialog(bool v);
    std::uint32_t ReportItems() const { return reportItems_; }
    void SetReportItems(std::uint32_t v);
    TStringList& FilterClasses() { return filterClasses_; }
    const TStringList& FilterClasses() const { return filterClasses_; }
    TStringList& FilterMessages() { return filterMessages_; }
    const TStringList& FilterMessages() const { return filterMessages_; }
    // Texts 0 .. 70; another index raises ERangeError.
    const std::string& GetText(int index) const;
    void SetText(int index, const std::string& v);
    bool LegacyFlag() const { return legacyFlag_; }
    void SetLegacyFlag(bool v);
    bool FilterEnabled() const { return filterEnabled_; }
    void SetFilterEnabled(bool v);
    bool ShowReport() const { return showReport_; }
    void SetShowReport(bool v);
    bool LogInBody() const { return logInBody_; }
    void SetLogInBody(bool v);
    bool AttachScreenshot() const { return attachScreenshot_; }
    void SetAttachScreenshot(bool v);
    bool ShowSendProgress() const { return showSendProgress_; }
    void SetShowSendProgress(bool v);
    bool TerminateButton() const { return terminateButton_; }
    void SetTerminateButton(bool v);
    bool SaveLog() const { return saveLog_; }
    void SetSaveLog(bool v);
    bool SendWholeLog() const { return sendWholeLog_; }
    void SetSendWholeLog(bool v);
    std::uint8_t DialogFlags() const { return dialogFlags_; }
    void SetDialogFlags(std::uint8_t v);
    std::uint8_t InitialTab() const { return initialTab_; }
    void SetInitialTab(std::uint8_t v);
    std::int32_t MaxLogReports() const { return maxLogReports_; }
    // 0 or less stores 1.
    void SetMaxLogReports(std::int32_t v);
    std::int32_t TerminateAfterErrors() const { return terminateAfterErrors_; }
    void SetTerminateAfterErrors(std::int32_t v);
    const std::string& LogPath() const { return logPath_; }
    void SetLogPath(const std::string& v);
    const std::string& MailTo() const { return mailTo_; }
    void SetMailTo(const std::string& v);
    const std::string& MailSubject() const { return mailSubject_; }
    void SetMailSubject(const std::string& v);
    const std::string& MailBody() const { return mailBody_; }
    void SetMailBody(const std::string& v);
    // 0 no mail, 1 the mail client, 2 SMTP through SmtpHost, 3 SMTP to the
    // recipient's mail exchanger.
    std::uint8_t SendMode() const { return sendMode_; }
    void SetSendMode(std::uint8_t v);
    bool Active() const { return active_; }

    // The virtual operations, in the order of their slots after the hook.
    virtual void SetActive(bool v);
    virtual void SetFreezeCheck(bool v);
    // Copies every option but Active and ModuleName; nil raises EConvertError.
    virtual void Assign(const TOstrelModuleOptions* source);
    virtual void SetDefaults();
    // The options stream of the current version (454).
    virtual void SaveToStream(TStream& stream) const;
    // Reads an options stream of `streamVersion` (400 .. 454) from the
    // stream's position. Fields the stream does not hold keep their values;
    // damaged data stops the read, keeps what was read and sets the last
    // warning.
    virtual void LoadFromStream(TStream& stream, std::uint16_t streamVersion);

    // The log file for the module `fileName`: LogPath itself when it names
    // an ".elf" file, else LogPath (or the module's folder; the start-up
    // folder when that is empty too) with the module's file name.
    std::string OutputFile(std::string_view fileName) const;
    // OutputFile of ModuleName with the extension ".elf" (LogPath's own
    // ".elf" file as it is written).
    std::string OutputLogFile() const;

protected:
    // Runs on a change of the options of the logger's own module (the
    // derived class publishes them); empty here.
    virtual void ChangedHook() {}
    // A notifying object whose module is the one that holds the logger:
    // the logger's own per-module options.
    bool OfLoggerModule() const;

private:
    template <class T>
    void Store(T& field, const T& v) {
        if (field == v) return;
        field = v;
        Changed();
    }

    bool notifyOnChange_;
    int updateCount_ = 0;
    std::string senderAddress_;
    std::string smtpHost_;
    std::string smtpUser_;
    std::string smtpPassword_;
    std::uint16_t smtpPort_ = 25;
    bool restartOnTerminate_ = true;
    bool freezeCheck_ = false;
    std::int32_t freezeTimeout_ = 60;
    std::string freezeMessage_;
    bool skinnedDialog_ = true;
    std::string moduleName_;
    std::uint32_t reportItems_ = 0xFFFFFFFF;
    TStringList filterClasses_;
    TStringList filterMessages_;
    std::vector<std::string> texts_;
    bool legacyFlag_ = true;
    bool filterEnabled_ = true;
    bool showReport_ = true;
    bool logInBody_ = false;
    bool attachScreenshot_ = false;
    bool showSendProgress_ = true;
    bool terminateButton_ = true;
    bool saveLog_ = true;
    bool sendWholeLog_ = false;
    std::uint8_t dialogFlags_ = 0;
    std::uint8_t initialTab_ = 0;
    std::int32_t maxLogReports_ = 32;
    std::int32_t terminateAfterErrors_ = 3;
    std::string logPath_;
    std::string mailTo_;
    std::string mailSubject_;
    std::string mailBody_;
    std::uint8_t sendMode_ = 0;
    bool active_ = true;
};

// The placeholder sender of mailed reports (the default SenderAddress).
inline constexpr const char* kDefaultSenderAddress = "crash@menvaro.local";

// The options Pelgrane stores for itself: each report is logged, no dialog
// is shown and no mail is sent; every text as its default.
TOwned<TOstrelModuleOptions> CreatePelgraneOptions(const std::string& moduleName);

}  // namespace menvaro
