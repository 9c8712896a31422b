#include "ETypes.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/ScopeGuard.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "registry/RegistryStore.h"
#include "rtl/FatalSignals.h"

namespace menvaro {

// ================================================================= trace

TTraceArg::TTraceArg(bool v) : text_(v ? "True" : "False") {}
TTraceArg::TTraceArg(char v) : text_(1, v) {}
TTraceArg::TTraceArg(double v) : text_(FloatToStr(v)) {}
TTraceArg::TTraceArg(const char* s) : TTraceArg(std::string_view(s ? s : "")) {}
TTraceArg::TTraceArg(std::string_view s) : text_("'" + std::string(s) + "'") {}
TTraceArg::TTraceArg(std::nullptr_t) : text_("nil") {}

std::string TTraceArg::ObjectText(const TObject* o) { return o ? o->ClassName() : "nil"; }

std::string TTraceArg::PointerText(const void* p) {
    return p ? "$" + IntToHex(reinterpret_cast<std::uintptr_t>(p), 16) : "nil";
}

TTraceArg TTraceArg::Currency(std::int64_t tenThousandths) {
    // The locale's currency sign, thousands grouped, its currency decimals.
    const TFormatSettings& fs = FormatSettings();
    const int decimals = std::clamp(fs.CurrencyDecimals, 0, 4);
    std::int64_t scale = 1;
    for (int i = decimals; i < 4; ++i) scale *= 10;
    const bool negative = tenThousandths < 0;
    std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(tenThousandths)
                                       : static_cast<std::uint64_t>(tenThousandths);
    magnitude = (magnitude + static_cast<std::uint64_t>(scale) / 2) / static_cast<std::uint64_t>(scale);
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i) unit *= 10;
    std::string whole = std::to_string(magnitude / unit);
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3)
        whole.insert(static_cast<std::size_t>(at), 1, fs.ThousandSeparator);
    std::string text = (negative ? "-" : "") + fs.CurrencyString + whole;
    if (decimals > 0) {
        std::string fraction = std::to_string(magnitude % unit);
        text += fs.DecimalSeparator + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
    }
    TTraceArg a;
    a.text_ = text;
    return a;
}

TTraceArg TTraceArg::Masked() {
    TTraceArg a;
    a.text_ = "'***'";
    return a;
}

TTraceArg TTraceArg::Unknown() {
    TTraceArg a;
    a.text_ = "Unknown";
    return a;
}

namespace {

struct TTraceState {
    std::mutex lock;
    std::atomic<bool> enabled{false};
    bool save = false;          // write at shut-down: "DEBUG" at start
    bool saveEachLine = false;  // "SAVE"
    std::vector<std::string> lines;
    std::string indent;
    // Lines of this run already in the file; appending goes on from there
    // until a write fails, after which the whole file is written again.
    std::size_t linesInFile = 0;
    bool fileStarted = false;
};

// Made once and never destroyed, so that a trace line from a late
// destructor finds it.
TTraceState& Trace() {
    static TTraceState* state = new TTraceState;
    return *state;
}

std::string TraceTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100, t.tm_hour,
                  t.tm_min, t.tm_sec);
    return buf;
}

std::string Joined(const std::vector<std::string>& lines, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < lines.size(); ++i) text.append(lines[i]).append("\r\n");
    return text;
}

void AppendToFile(const std::string& path, const std::string& data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
    ScopeGuard closeFile([fd] { ::close(fd); });
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EWriteError("Cannot write file \"" + path + "\". " + SysErrorMessage(errno));
        done += static_cast<std::size_t>(n);
    }
}

// Under the lock. `lineByLine`: only what came since the last write is added.
void WriteTraceFile(TTraceState& t, bool lineByLine) {
    const std::string path = TraceFileName();
    if (lineByLine && t.fileStarted) {
        t.fileStarted = false;  // until the append is through
        AppendToFile(path, Joined(t.lines, t.linesInFile));
    } else {
        WriteFileAtomic(path, Joined(t.lines, 0));
    }
    t.fileStarted = true;
    t.linesInFile = t.lines.size();
}

// At the latest with the static objects; the logger's start-up comes first.
[[maybe_unused]] const bool g_traceStarted = (StartTrace(), true);

}  // namespace

void TraceCall(std::string_view name, std::initializer_list<TTraceArg> args, int indentChange) noexcept {
    // Each step of a fatal signal's report says that it goes on.
    NoteFatalReportProgress();
    TTraceState& t = Trace();
    if (!t.enabled.load(std::memory_order_relaxed)) return;
    try {
        std::string argText;
        for (const TTraceArg& a : args) {
            if (!argText.empty()) argText += ", ";
            argText += a.Text();
        }
        if (args.size() > 0) argText = "(" + argText + ")";
        const std::string time = TraceTime();
        std::lock_guard<std::mutex> guard(t.lock);
        if (!t.enabled) return;
        if (indentChange < 0)
            t.indent.resize(t.indent.size() - std::min<std::size_t>(t.indent.size(), -std::int64_t{indentChange}));
        std::string line;
        line.reserve(name.size() + t.indent.size() + 2 + time.size() + argText.size());
        line.append(name).append(t.indent).append("  ").append(time).append(argText);
        if (indentChange > 0) t.indent.append(static_cast<std::size_t>(indentChange), ' ');
        t.lines.push_back(std::move(line));
        if (t.saveEachLine && t.save) WriteTraceFile(t, true);
    } catch (...) {
        // The trace must never disturb what it watches.
    }
}

void StartTrace() {
    // Decided once with the program's own command line, kept until it ends.
    static const bool started = [] {
        InitializeTrace(CommandLineParameters());
        std::atexit([] { FinalizeTrace(); });
        return true;
    }();
    (void)started;
}

void InitializeTrace(const std::vector<std::string>& parameters) {
    const std::string last = parameters.empty() ? std::string() : UpperCase(parameters.back());
    TTraceState& t = Trace();
    std::lock_guard<std::mutex> guard(t.lock);
    t.save = last.find("DEBUG") != std::string::npos;
    t.saveEachLine = last.find("SAVE") != std::string::npos;
    t.enabled = t.save;
    t.lines.clear();
    t.indent.clear();
    t.linesInFile = 0;
    t.fileStarted = false;
}

void FinalizeTrace() noexcept {
    try {
        SaveTrace();
    } catch (...) {
        // Shut-down goes on without the file.
    }
    TTraceState& t = Trace();
    try {
        std::lock_guard<std::mutex> guard(t.lock);
        t.enabled = false;
        t.lines.clear();
        t.indent.clear();
    } catch (...) {
    }
}

bool IsTraceEnabled() { return Trace().enabled; }

void EnableTrace() {
    TTraceState& t = Trace();
    std::lock_guard<std::mutex> guard(t.lock);
    t.enabled = true;
}

void SaveTrace() {
    TTraceState& t = Trace();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.enabled && t.save) WriteTraceFile(t, false);
}

void SaveTraceNow() {
    TTraceState& t = Trace();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.enabled) WriteTraceFile(t, false);
}

std::string TraceFileName() { return ChangeFileExt(ExeName(), ".log"); }

std::vector<std::string> TraceLines() {
    TTraceState& t = Trace();
    std::lock_guard<std::mutex> guard(t.lock);
    return t.lines;
}

// ================================================================ helpers

bool InsideDevelopmentEnvironment() { return false; }

std::string ReadRegistryString(HKEY rootKey, std::string_view subKey, std::string_view valueName) {
    try {
        if (!subKey.empty() && subKey.front() == '\\') subKey.remove_prefix(1);
        std::string path(subKey);
        // The classes' root is the machine's "SOFTWARE\Classes", as the
        // system merges it.
        if (rootKey == HKEY::HKEY_CLASSES_ROOT)
            path = "SOFTWARE\\Classes\\" + path;
        else if (rootKey != HKEY_LOCAL_MACHINE)
            return {};
        const TRegistryData data = TRegistryStore().Load();
        const TRegKey* key = data.FindKey(NormaliseKeyPath(path));
        if (!key) return {};
        const TRegValue* value = TRegistryData::FindValue(*key, valueName);
        if (!value) return {};
        std::string bytes;
        switch (value->Type) {
            case REG_SZ:
            case REG_EXPAND_SZ: bytes = value->Text; break;
            case REG_DWORD:
                for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value->Dword >> (8 * i)) & 0xFF);
                break;
            default: bytes = value->Bytes;
        }
        if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        return bytes;
    } catch (...) {
        return {};
    }
}

namespace {

// The code page of a locale's character set, by its name with letter case,
// "-" and "_" left out.
int CodePageOfCodeset(std::string_view codeset) {
    std::string name;
    for (char c : codeset)
        if (c != '-' && c != '_') name += c;
    name = UpperCase(name);
    static const struct {
        const char* name;
        int codePage;
    } table[] = {
        {"GBK", 936},     {"GB2312", 936},    {"GB18030", 936}, {"EUCCN", 936},      {"CP936", 936},
        {"BIG5", 950},    {"BIG5HKSCS", 950}, {"CP950", 950},   {"SJIS", 932},       {"SHIFTJIS", 932},
        {"CP932", 932},   {"EUCKR", 949},     {"UHC", 949},     {"CP949", 949},      {"JOHAB", 1361},
        {"TIS620", 874},  {"CP874", 874},     {"UTF8", 65001},  {"ISO88591", 28591}, {"ANSIX3.41968", 20127},
        {"ASCII", 20127}, {"USASCII", 20127},
    };
    for (const auto& e : table)
        if (name == e.name) return e.codePage;
    // CP1250 .. CP1258 and WINDOWS1250 .. WINDOWS1258.
    for (std::string_view prefix : {"CP", "WINDOWS"}) {
        if (name.size() == prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0) {
            int cp = 0;
            if (TryStrToInt(std::string_view(name).substr(prefix.size()), cp) && cp >= 1250 && cp <= 1258) return cp;
        }
    }
    return 20127;
}

}  // namespace

int UserDefaultAnsiCodePage() {
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
        const std::string codeset = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
        return CodePageOfCodeset(codeset);
    }
    // A locale that is not installed still names its character set.
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (!value || !*value) continue;
        std::string_view name(value);
        const std::size_t dot = name.find('.');
        if (dot == std::string_view::npos) return 20127;
        name = name.substr(dot + 1);
        return CodePageOfCodeset(name.substr(0, name.find('@')));
    }
    return 20127;
}

int CharsetOfCodePage(int codePage) {
    static const struct {
        int codePage;
        int charset;
    } table[] = {
        {1252, 0},   {932, 128},  {949, 129},  {1361, 130}, {936, 134},  {950, 136}, {1253, 161}, {1254, 162},
        {1258, 163}, {1255, 177}, {1256, 178}, {1257, 186}, {1251, 204}, {874, 222}, {1250, 238},
    };
    for (const auto& e : table)
        if (e.codePage == codePage) return e.charset;
    return 1;  // DEFAULT_CHARSET
}

int GetUserDefaultCharset() { return CharsetOfCodePage(UserDefaultAnsiCodePage()); }

std::size_t DecompressStep(std::size_t inputLength) { return (inputLength + 255) & ~std::size_t{255}; }

std::string DecompressBuffer(const void* input, std::size_t inputLength, std::size_t maxOutput, std::size_t keep,
                             std::size_t* total, bool* ended) {
    const std::size_t step = DecompressStep(inputLength);
    if (step == 0 || inputLength > UINT_MAX) throw EOstrelLogError("The compressed data is empty or too large.");
    z_stream z{};
    // The version the logger was written against; zlib checks only its first digit.
    if (inflateInit_(&z, "1.1.4", static_cast<int>(sizeof(z_stream))) != Z_OK)
        throw EOstrelLogError("The compressed data cannot be inflated: zlib does not start.");
    ScopeGuard end([&z] { inflateEnd(&z); });
    std::string out(std::min({step, maxOutput, keep}), '\0');
    // What lies past the bytes kept is inflated here and dropped.
    char scratch[16384];
    z.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
    z.avail_in = static_cast<uInt>(inputLength);
    std::size_t produced = 0;  // into `out`
    std::size_t inflated = 0;  // in all
    if (ended) *ended = false;
    for (;;) {
        // The prefix is out: the rest is neither inflated nor checked.
        if (ended && produced >= keep) break;
        if (inflated >= maxOutput)
            throw EOstrelLogError("The compressed data inflates to more than " + std::to_string(maxOutput) + " bytes.");
        if (produced == out.size() && out.size() < keep) out.resize(std::min({out.size() + step, maxOutput, keep}));
        const bool kept = produced < out.size();
        char* const into = kept ? out.data() + produced : scratch;
        // In parts, so that a long inflate shows that it goes on.
        constexpr std::size_t kPart = std::size_t{256} << 10;
        const std::size_t room = std::min({kept ? out.size() - produced : sizeof scratch, maxOutput - inflated, kPart});
        z.next_out = reinterpret_cast<Bytef*>(into);
        z.avail_out = static_cast<uInt>(std::min<std::size_t>(room, UINT_MAX));
        NoteFatalReportProgress();
        const uInt inBefore = z.avail_in, outBefore = z.avail_out;
        const int r = inflate(&z, Z_NO_FLUSH);
        const std::size_t n = outBefore - z.avail_out;
        inflated += n;
        if (kept) produced += n;
        if (r == Z_STREAM_END) {
            if (ended) *ended = true;
            break;
        }
        if (r != Z_OK && r != Z_BUF_ERROR)
            throw EOstrelLogError(std::string("The compressed data is damaged: ") + (z.msg ? z.msg : "zlib error") +
                                  ".");
        if (z.avail_in == inBefore && z.avail_out == outBefore)
            throw EOstrelLogError("The compressed data ends before its end mark.");
    }
    out.resize(produced);
    if (total) *total = inflated;
    return out;
}

// ============================================================ stored data

std::string StoredString(std::string_view s, std::uint8_t scramble) {
    if (s.size() > 1 && s.find("\r\n") == s.size() - 2) s.remove_suffix(2);
    const auto n = static_cast<std::uint32_t>(s.size());
    std::string bytes;
    bytes.reserve(4 + s.size());
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((n >> (8 * i)) & 0xFF);
    for (char c : s) bytes += static_cast<char>(static_cast<std::uint8_t>(c) ^ scramble);
    return bytes;
}

TStoredDataReader::TStoredDataReader(TStream& stream) : stream_(stream), end_(stream.Size()) {}

std::int64_t TStoredDataReader::Remaining() const { return std::max<std::int64_t>(0, end_ - stream_.Position()); }

bool TStoredDataReader::Fixed(void* v, std::size_t size) {
    if (Damaged()) return false;
    std::uint8_t buf[8];
    if (stream_.Read(buf, size) != size) return false;
    std::memcpy(v, buf, size);
    return true;
}

bool TStoredDataReader::Byte(std::uint8_t& v) { return Fixed(&v, 1); }

bool TStoredDataReader::Bool(bool& v) {
    std::uint8_t b;
    if (!Byte(b)) return false;
    v = b != 0;
    return true;
}

// The stored data is little-endian, as this machine is.
bool TStoredDataReader::UInt16(std::uint16_t& v) { return Fixed(&v, 2); }
bool TStoredDataReader::Int32(std::int32_t& v) { return Fixed(&v, 4); }
bool TStoredDataReader::UInt32(std::uint32_t& v) { return Fixed(&v, 4); }

bool TStoredDataReader::String(std::string& v, std::string_view what, std::uint8_t scramble) {
    const std::int64_t at = stream_.Position();
    std::int32_t n;
    if (!Int32(n)) return false;
    if (n <= 0) {
        v.clear();
        return true;
    }
    if (n > Remaining()) {
        damage_ = "the length of " + std::string(what) + " (" + std::to_string(n) + " bytes at byte " +
                  std::to_string(at) + ") runs past the end";
        return false;
    }
    std::string s(static_cast<std::size_t>(n), '\0');
    stream_.ReadBuffer(s.data(), s.size());
    for (char& c : s) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ scramble);
    v = std::move(s);
    return true;
}

bool TStoredDataReader::Count(std::int32_t& n, std::size_t entrySize, std::string_view what) {
    const std::int64_t at = stream_.Position();
    std::int32_t count;
    if (!Int32(count)) return false;
    if (count < 0) count = 0;
    if (static_cast<std::int64_t>(count) > Remaining() / static_cast<std::int64_t>(entrySize)) {
        damage_ = "the count of " + std::string(what) + " (" + std::to_string(count) + " at byte " +
                  std::to_string(at) + ") is more than the rest can hold";
        return false;
    }
    n = count;
    return true;
}

const char* ErrorCodeName(TOstrelLogErrorCode code) {
    switch (code) {
        case eeNone: return "eeNone";
        case eeShowError: return "eeShowError";
        case eeLogError: return "eeLogError";
        case eeEmailMAPIError: return "eeEmailMAPIError";
        case eeEmailShellError: return "eeEmailShellError";
        case eeEmailSMTPError: return "eeEmailSMTPError";
    }
    return "eeNone";
}

// ================================================================ options

MENVARO_CLASS_INFO(TOstrelModuleOptions) {}

TOstrelModuleOptions::TOstrelModuleOptions(std::string moduleName, bool notifyOnChange)
    : notifyOnChange_(notifyOnChange), moduleName_(std::move(moduleName)) {
    TraceCall("TOstrelModuleOptions.Create", {moduleName_});
    texts_.reserve(kOstrelTextCount);
    for (const TOstrelTextInfo& t : kOstrelTexts) texts_.emplace_back(t.Default);
    senderAddress_ = kDefaultSenderAddress;
    freezeMessage_ = kDefaultFreezeMessage;
    filterClasses_.OnChange = [this](TStringList&) { Changed(); };
    filterMessages_.OnChange = [this](TStringList&) { Changed(); };
}

TOstrelModuleOptions::~TOstrelModuleOptions() { TraceCall("TOstrelModuleOptions.Destroy"); }

void TOstrelModuleOptions::AfterConstruction() {
    SetDefaults();
    updateCount_ = 0;
}

bool TOstrelModuleOptions::OfLoggerModule() const {
    if (!notifyOnChange_) return false;
    const std::uintptr_t module = ModuleHandleOf(moduleName_);
    return module != 0 && module == LoggerModuleHandle();
}

void TOstrelModuleOptions::Changed() {
    if (updateCount_ <= 0 && OfLoggerModule()) ChangedHook();
}

void TOstrelModuleOptions::SetModuleName(const std::string& v) { Store(moduleName_, v); }
void TOstrelModuleOptions::SetSenderAddress(const std::string& v) { Store(senderAddress_, v); }
void TOstrelModuleOptions::SetSmtpHost(const std::string& v) { Store(smtpHost_, v); }
void TOstrelModuleOptions::SetSmtpUser(const std::string& v) { Store(smtpUser_, v); }
void TOstrelModuleOptions::SetSmtpPassword(const std::string& v) { Store(smtpPassword_, v); }
void TOstrelModuleOptions::SetSmtpPort(std::uint16_t v) { Store(smtpPort_, v); }
void TOstrelModuleOptions::SetRestartOnTerminate(bool v) { Store(restartOnTerminate_, v); }
void TOstrelModuleOptions::SetFreezeTimeout(std::int32_t v) { Store(freezeTimeout_, v); }
void TOstrelModuleOptions::SetFreezeMessage(const std::string& v) { Store(freezeMessage_, v); }
void TOstrelModuleOptions::SetSkinnedDialog(bool v) { Store(skinnedDialog_, v); }
void TOstrelModuleOptions::SetReportItems(std::uint32_t v) { Store(reportItems_, v); }
void TOstrelModuleOptions::SetLegacyFlag(bool v) { Store(legacyFlag_, v); }
void TOstrelModuleOptions::SetFilterEnabled(bool v) { Store(filterEnabled_, v); }
void TOstrelModuleOptions::SetShowReport(bool v) { Store(showReport_, v); }
void TOstrelModuleOptions::SetLogInBody(bool v) { Store(logInBody_, v); }
void TOstrelModuleOptions::SetAttachScreenshot(bool v) { Store(attachScreenshot_, v); }
void TOstrelModuleOptions::SetShowSendProgress(bool v) { Store(showSendProgress_, v); }
void TOstrelModuleOptions::SetTerminateButton(bool v) { Store(terminateButton_, v); }
void TOstrelModuleOptions::SetSaveLog(bool v) { Store(saveLog_, v); }
void TOstrelModuleOptions::SetSendWholeLog(bool v) { Store(sendWholeLog_, v); }
void TOstrelModuleOptions::SetDialogFlags(std::uint8_t v) { Store(dialogFlags_, v); }
void TOstrelModuleOptions::SetInitialTab(std::uint8_t v) { Store(initialTab_, v); }
void TOstrelModuleOptions::SetMaxLogReports(std::int32_t v) { Store(maxLogReports_, v <= 0 ? 1 : v); }
void TOstrelModuleOptions::SetTerminateAfterErrors(std::int32_t v) { Store(terminateAfterErrors_, v); }
void TOstrelModuleOptions::SetLogPath(const std::string& v) { Store(logPath_, v); }
void TOstrelModuleOptions::SetMailTo(const std::string& v) { Store(mailTo_, v); }
void TOstrelModuleOptions::SetMailSubject(const std::string& v) { Store(mailSubject_, v); }
void TOstrelModuleOptions::SetMailBody(const std::string& v) { Store(mailBody_, v); }
void TOstrelModuleOptions::SetSendMode(std::uint8_t v) { Store(sendMode_, v); }
void TOstrelModuleOptions::SetActive(bool v) { Store(active_, v); }
void TOstrelModuleOptions::SetFreezeCheck(bool v) { Store(freezeCheck_, v); }

const std::string& TOstrelModuleOptions::GetText(int index) const {
    if (index < 0 || index >= kOstrelTextCount)
        throw ERangeError("Text index out of bounds (" + std::to_string(index) + ")");
    return texts_[static_cast<std::size_t>(index)];
}

void TOstrelModuleOptions::SetText(int index, const std::string& v) {
    GetText(index);
    Store(texts_[static_cast<std::size_t>(index)], v);
}

void TOstrelModuleOptions::Assign(const TOstrelModuleOptions* source) {
    if (source)
        TraceCall("TOstrelModuleOptions.Assign", {moduleName_, source->moduleName_});
    else
        TraceCall("TOstrelModuleOptions.Assign", {moduleName_, nullptr});
    if (!source) throw EConvertError(kAssignNilOptionsMessage);
    if (source == this) return;
    const auto updating = Updating();
    filterClasses_.Assign(source->filterClasses_);
    filterMessages_.Assign(source->filterMessages_);
    for (int i = 0; i < kOstrelTextCount; ++i) SetText(i, source->GetText(i));
    SetLegacyFlag(source->LegacyFlag());
    SetSaveLog(source->SaveLog());
    SetSkinnedDialog(source->SkinnedDialog());
    SetFreezeCheck(source->FreezeCheck());
    SetFreezeTimeout(source->FreezeTimeout());
    SetFreezeMessage(source->FreezeMessage());
    SetSenderAddress(source->SenderAddress());
    SetSmtpHost(source->SmtpHost());
    SetSmtpPort(source->SmtpPort());
    SetSmtpUser(source->SmtpUser());
    SetSmtpPassword(source->SmtpPassword());
    SetShowSendProgress(source->ShowSendProgress());
    SetInitialTab(source->InitialTab());
    SetFilterEnabled(source->FilterEnabled());
    SetShowReport(source->ShowReport());
    SetLogInBody(source->LogInBody());
    SetSendWholeLog(source->SendWholeLog());
    SetAttachScreenshot(source->AttachScreenshot());
    SetTerminateButton(source->TerminateButton());
    SetRestartOnTerminate(source->RestartOnTerminate());
    SetDialogFlags(source->DialogFlags());
    SetMaxLogReports(source->MaxLogReports());
    SetTerminateAfterErrors(source->TerminateAfterErrors());
    SetLogPath(source->LogPath());
    SetMailTo(source->MailTo());
    SetMailSubject(source->MailSubject());
    SetMailBody(source->MailBody());
    SetSendMode(source->SendMode());
    SetReportItems(source->ReportItems());
}

void TOstrelModuleOptions::SetDefaults() {
    const auto updating = Updating();
    SetSenderAddress(kDefaultSenderAddress);
    SetSmtpHost("");
    SetSmtpUser("");
    SetSmtpPassword("");
    SetSmtpPort(25);
    SetRestartOnTerminate(true);
    SetFreezeCheck(false);
    SetFreezeTimeout(60);
    SetFreezeMessage(kDefaultFreezeMessage);
    SetSkinnedDialog(true);
    SetReportItems(kAllReportItems);
    filterClasses_.Clear();
    filterMessages_.Clear();
    for (int i = 0; i < kOstrelTextCount; ++i) SetText(i, kOstrelTexts[i].Default);
    SetLegacyFlag(true);
    SetFilterEnabled(true);
    SetShowReport(true);
    SetLogInBody(false);
    SetAttachScreenshot(false);
    SetShowSendProgress(true);
    SetTerminateButton(true);
    SetSaveLog(true);
    SetSendWholeLog(false);
    SetDialogFlags(0);
    SetInitialTab(0);
    SetMaxLogReports(32);
    SetTerminateAfterErrors(3);
    SetLogPath("");
    SetMailTo("");
    SetMailSubject("");
    SetMailBody("");
    SetSendMode(0);
    SetActive(true);
}

namespace {

class TFieldWriter {
public:
    void Byte(std::uint8_t v) { bytes_ += static_cast<char>(v); }
    void Bool(bool v) { Byte(v ? 1 : 0); }
    void UInt16(std::uint16_t v) {
        for (int i = 0; i < 2; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void UInt32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Int32(std::int32_t v) { UInt32(static_cast<std::uint32_t>(v)); }
    void String(std::string_view s) { bytes_ += StoredString(s, kStringScrambleKey); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Texts that older streams do not hold yet: the version that brought each.
std::uint16_t TextSince(int index) {
    if (index == 15) return 420;
    if (index == 14) return 421;
    if ((index >= 8 && index <= 11) || (index >= 16 && index <= 18) || index == 23 || index == 37 || index == 45 ||
        index == 47 || index == 48 || index >= 53)
        return 450;
    return 0;
}

}  // namespace

void TOstrelModuleOptions::SaveToStream(TStream& stream) const {
    TFieldWriter w;
    w.Bool(legacyFlag_);
    w.Bool(filterEnabled_);
    w.Byte(dialogFlags_);
    w.Bool(showReport_);
    w.Bool(logInBody_);
    w.Bool(sendWholeLog_);
    w.Bool(attachScreenshot_);
    w.Bool(showSendProgress_);
    w.Bool(saveLog_);
    w.Byte(initialTab_);
    w.Bool(skinnedDialog_);
    w.Bool(freezeCheck_);
    w.Int32(freezeTimeout_);
    w.String(freezeMessage_);
    w.String(senderAddress_);
    w.String(smtpHost_);
    w.UInt16(smtpPort_);
    w.String(smtpUser_);
    w.String(smtpPassword_);
    w.Bool(restartOnTerminate_);
    w.Bool(terminateButton_);
    w.Int32(maxLogReports_);
    w.Int32(terminateAfterErrors_);
    w.String(mailTo_);
    w.String(mailSubject_);
    w.Byte(sendMode_);
    w.UInt32(reportItems_);
    w.String(logPath_);
    const int pairs = std::max(filterClasses_.Count(), filterMessages_.Count());
    w.Int32(pairs);
    for (int i = 0; i < pairs; ++i) {
        w.String(i < filterClasses_.Count() ? filterClasses_[i] : std::string());
        w.String(i < filterMessages_.Count() ? filterMessages_[i] : std::string());
    }
    w.String(mailBody_);
    for (const std::string& t : texts_) w.String(t);
    stream.WriteBuffer(w.Bytes().data(), w.Bytes().size());
}

void TOstrelModuleOptions::LoadFromStream(TStream& stream, std::uint16_t v) {
    const auto updating = Updating();
    TStoredDataReader r(stream);
    auto flag = [&](void (TOstrelModuleOptions::*set)(bool)) {
        bool b;
        if (r.Bool(b)) (this->*set)(b);
    };
    auto byte = [&](void (TOstrelModuleOptions::*set)(std::uint8_t)) {
        std::uint8_t b;
        if (r.Byte(b)) (this->*set)(b);
    };
    auto int32 = [&](void (TOstrelModuleOptions::*set)(std::int32_t)) {
        std::int32_t n;
        if (r.Int32(n)) (this->*set)(n);
    };
    auto text = [&](void (TOstrelModuleOptions::*set)(const std::string&), const char* what) {
        std::string s;
        if (r.String(s, what, kStringScrambleKey)) (this->*set)(s);
    };

    flag(&TOstrelModuleOptions::SetLegacyFlag);
    flag(&TOstrelModuleOptions::SetFilterEnabled);
    byte(&TOstrelModuleOptions::SetDialogFlags);
    // Streams before 450 store the opposite sense.
    if (bool b; r.Bool(b)) SetShowReport(v < 450 ? !b : b);
    flag(&TOstrelModuleOptions::SetLogInBody);
    if (v >= 450) {
        flag(&TOstrelModuleOptions::SetSendWholeLog);
        flag(&TOstrelModuleOptions::SetAttachScreenshot);
        flag(&TOstrelModuleOptions::SetShowSendProgress);
    }
    if (v >= 401) {
        flag(&TOstrelModuleOptions::SetSaveLog);
        byte(&TOstrelModuleOptions::SetInitialTab);
    }
    if (v >= 403) flag(&TOstrelModuleOptions::SetSkinnedDialog);
    if (v >= 420) {
        bool b;
        if (r.Bool(b)) SetFreezeCheck(b);
        // 420 and 421 store milliseconds.
        if (std::int32_t t; r.Int32(t)) SetFreezeTimeout(v < 422 ? t / 1000 : t);
        text(&TOstrelModuleOptions::SetFreezeMessage, "FreezeMessage");
        if (v >= 450) text(&TOstrelModuleOptions::SetSenderAddress, "SenderAddress");
        text(&TOstrelModuleOptions::SetSmtpHost, "SmtpHost");
    }
    if (v >= 450) {
        if (std::uint16_t port; r.UInt16(port)) SetSmtpPort(port);
    }
    if (v >= 421) {
        text(&TOstrelModuleOptions::SetSmtpUser, "SmtpUser");
        text(&TOstrelModuleOptions::SetSmtpPassword, "SmtpPassword");
        flag(&TOstrelModuleOptions::SetRestartOnTerminate);
    }
    flag(&TOstrelModuleOptions::SetTerminateButton);
    int32(&TOstrelModuleOptions::SetMaxLogReports);
    int32(&TOstrelModuleOptions::SetTerminateAfterErrors);
    text(&TOstrelModuleOptions::SetMailTo, "MailTo");
    text(&TOstrelModuleOptions::SetMailSubject, "MailSubject");
    if (std::uint8_t mode; r.Byte(mode)) {
        // Older streams know one SMTP mode, told by its server.
        if (v < 450 && mode != 0) mode = smtpHost_.empty() ? 1 : 2;
        SetSendMode(mode);
    }
    if (std::uint32_t items; r.UInt32(items)) SetReportItems(items);
    if (v < 450) {
        std::uint8_t skipped;
        r.Byte(skipped);
    }
    text(&TOstrelModuleOptions::SetLogPath, "LogPath");
    if (std::int32_t pairs; r.Count(pairs, 8, "filter pairs")) {
        filterClasses_.Clear();
        filterMessages_.Clear();
        for (std::int32_t i = 0; i < pairs; ++i) {
            std::string cls, msg;
            if (!r.String(cls, "a filtered class name", kStringScrambleKey)) break;
            const bool haveMessage = r.String(msg, "a filter message", kStringScrambleKey);
            filterClasses_.Add(cls);
            filterMessages_.Add(msg);
            if (!haveMessage) break;
        }
    }
    text(&TOstrelModuleOptions::SetMailBody, "MailBody");
    for (int i = 0; i < kOstrelTextCount; ++i) {
        if (v < TextSince(i)) continue;
        std::string s;
        if (r.String(s, "text " + std::to_string(i), kStringScrambleKey)) SetText(i, s);
    }
    if (r.Damaged()) ReportWarning(eeLogError, "The logger options are damaged: " + r.Damage() + ".");
}

std::string TOstrelModuleOptions::OutputFile(std::string_view fileName) const {
    TraceCall("TOstrelModuleOptions.OutputFile", {fileName}, 2);
    std::string result;
    if (LowerCase(ExtractFileExt(logPath_)) == ".elf") {
        result = logPath_;
    } else {
        std::string folder = logPath_.empty() ? ExtractFilePath(fileName) : logPath_;
        // A name without a folder is not put at the root of the file system.
        if (folder.empty()) folder = StartupFolder();
        result = IncludeTrailingPathDelimiter(folder) + ExtractFileName(fileName);
    }
    TraceCall("TOstrelModuleOptions.OutputFile=", {result}, -2);
    return result;
}

std::string TOstrelModuleOptions::OutputLogFile() const {
    TraceCall("TOstrelModuleOptions.OutputLogFile", {}, 2);
    // A log file named in LogPath is taken as it is written: on this file
    // system "All.ELF" and "All.elf" are two files.
    std::string result = OutputFile(moduleName_);
    if (LowerCase(ExtractFileExt(logPath_)) != ".elf") result = ChangeFileExt(result, ".elf");
    TraceCall("TOstrelModuleOptions.OutputLogFile=", {result}, -2);
    return result;
}

TOwned<TOstrelModuleOptions> CreatePelgraneOptions(const std::string& moduleName) {
    TOwned<TOstrelModuleOptions> o(Create<TOstrelModuleOptions>(moduleName, false));
    {
        const auto updating = o->Updating();
        o->SetLegacyFlag(true);
        o->SetFilterEnabled(true);
        o->SetDialogFlags(0);
        o->SetShowReport(false);
        o->SetLogInBody(false);
        o->SetSendWholeLog(false);
        o->SetAttachScreenshot(false);
        o->SetShowSendProgress(true);
        o->SetSaveLog(true);
        o->SetInitialTab(0);
        o->SetSkinnedDialog(false);
        o->SetFreezeCheck(false);
        o->SetFreezeTimeout(60);
        o->SetSmtpPort(25);
        o->SetRestartOnTerminate(true);
        o->SetTerminateButton(false);
        o->SetMaxLogReports(32);
        o->SetTerminateAfterErrors(3);
        o->SetSendMode(0);
        o->SetReportItems(kAllReportItems);
    }
    return o;
}

}  // namespace menvaro
