// The first aid of a fatal signal: the short report its handler writes by
// itself, and how the full report takes its place.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "rtl/Memory.h"

namespace menvaro {

// ---- the fixed buffer

void TFixedText::Add(std::string_view s) {
    for (char c : s) Add(c);
}

void TFixedText::Add(char c, std::size_t count) {
    for (; count > 0 && size_ < capacity_; --count) buffer_[size_++] = c;
}

void TFixedText::AddBlanked(std::string_view s) {
    for (char c : s) Add(static_cast<unsigned char>(c) < 32 ? ' ' : c);
}

void TFixedText::Hex(std::uint64_t v, int digits) {
    char d[16];
    int n = 0;
    do {
        d[n++] = "0123456789ABCDEF"[v & 15];
        v >>= 4;
    } while (v != 0 && n < 16);
    for (int i = n; i < digits; ++i) Add('0');
    while (n > 0) Add(d[--n]);
}

void TFixedText::Decimal(std::int64_t v) {
    std::uint64_t magnitude = v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    if (v < 0) Add('-');
    char d[20];
    int n = 0;
    do {
        d[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0) Add(d[--n]);
}

// ---- the exception of a signal

void WriteSignalException(const TThreadState& s, std::string_view module, TFixedText& type, TFixedText& message) {
    const std::uint64_t at = s.Registers.Rip;
    auto signal = [&] {
        message.Decimal(s.Signal);
        message.Add(" (");
        message.Add(SignalName(s.Signal));
        message.Add(')');
    };
    if (s.Sent) {
        type.Add("EExternalException");
        message.Add("Signal ");
        signal();
        message.Add(" was sent to the program by process ");
        message.Decimal(s.SenderPid);
        message.Add(" (user ");
        message.Decimal(s.SenderUid);
        message.Add(')');
        return;
    }
    if (s.Code <= 0 || s.Signal == SIGABRT) {
        // Raised by the program itself (abort, raise).
        type.Add("EExternalException");
        message.Add("The program was ended by signal ");
        signal();
        return;
    }
    switch (s.Signal) {
        case SIGSEGV:
        case SIGBUS:
            type.Add("EAccessViolation");
            message.Add("Access violation at address ");
            message.Hex(at, 16);
            message.Add(" in module '");
            message.Add(module);
            message.Add("'. ");
            // Bit 1 of the page-fault error code: a write.
            message.Add((s.ErrorCode & 2) != 0 ? "Write" : "Read");
            message.Add(" of address ");
            message.Hex(s.FaultAddress, 16);
            return;
        case SIGFPE:
            if (s.Code == FPE_INTDIV) {
                type.Add("EDivByZero");
                message.Add("Division by zero");
            } else {
                type.Add("EInvalidOp");
                message.Add("Invalid floating point operation");
            }
            return;
        default:
            type.Add("EPrivilege");
            message.Add("Illegal instruction");
            return;
    }
}

namespace {

// ---- what the handler is given beforehand

constexpr std::size_t kCaption = 96;

struct TFirstAidSetup {
    bool saveLog = false;
    std::int32_t maxReports = 32;
    int utcOffsetMinutes = 0;
    char logFile[PATH_MAX] = {};
    char lockFile[PATH_MAX + 8] = {};
    char tempFile[PATH_MAX + 32] = {};
    // The version line and the application section, ready to be written.
    char head[2048] = {};
    // Texts 24 (the section) and 25 .. 29 (items 2.1 .. 2.5), with the
    // items the options show.
    char exceptionTitle[kCaption] = {};
    char items[5][kCaption] = {};
    bool shown[5] = {};
    // Texts 7 and 47 .. 52: the call-stack table.
    char stackTitle[kCaption] = {};
    char columns[6][kCaption] = {};
    // Texts 68 .. 70: the CPU section.
    char registers[kCaption] = {};
    char stack[kCaption] = {};
    char memory[kCaption] = {};
};

// Two copies: the handler reads the one published while the next is written.
TFirstAidSetup setups[2];
constinit std::atomic<int> published{-1};
std::mutex setupLock;

void Copy(char* to, std::size_t size, std::string_view from) {
    const std::size_t n = std::min(size - 1, from.size());
    std::memcpy(to, from.data(), n);
    to[n] = 0;
}
template <std::size_t N>
void Copy(char (&to)[N], std::string_view from) {
    Copy(to, N, from);
}

// ---- the short report

constexpr std::size_t kReportLimit = std::size_t{64} << 10;
constexpr int kMappingLimit = 1024;
constexpr int kStackEntryLimit = 64;
// How long the handler waits for another writer of the log.
constexpr int kLockWaitMs = 1000;

char provisional[kReportLimit];
constinit std::atomic<std::size_t> provisionalSize{0};
char provisionalFile[PATH_MAX];
TCodeMapping mappings[kMappingLimit];

// The memory of a signal handler: the stack copy where it has it, the rest
// through the kernel.
class THandlerMemory final : public IOstrelMemory {
public:
    explicit THandlerMemory(const TThreadState& s) : s_(s) {}
    bool Read(std::uintptr_t address, void* buffer, std::size_t size) const override {
        const std::uintptr_t top = s_.StackStart + s_.StackSize;
        if (address >= s_.StackStart && address + size <= top && address + size >= address) {
            std::memcpy(buffer, s_.Stack + (address - s_.StackStart), size);
            return true;
        }
        return ReadMemorySignalSafe(address, buffer, size);
    }

private:
    const TThreadState& s_;
};

// Days since 1970-01-01 as a civil date.
void CivilDate(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// "Tue, 5 Mar 2024 09:07:03 +0800", as the full report writes its dates.
void AddDate(TFixedText& t, int utcOffsetMinutes) {
    static const char* const days[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t local = now.tv_sec + std::int64_t{utcOffsetMinutes} * 60;
    const std::int64_t dayNumber = (local >= 0 ? local : local - 86399) / 86400;
    const std::int64_t second = local - dayNumber * 86400;
    int year, month, day;
    CivilDate(dayNumber, year, month, day);
    auto two = [&](std::int64_t v) {
        t.Add(static_cast<char>('0' + v / 10));
        t.Add(static_cast<char>('0' + v % 10));
    };
    t.Add(days[((dayNumber % 7) + 7) % 7]);
    t.Add(", ");
    t.Decimal(day);
    t.Add(' ');
    t.Add(months[month - 1]);
    t.Add(' ');
    t.Decimal(year);
    t.Add(' ');
    two(second / 3600);
    t.Add(':');
    two(second / 60 % 60);
    t.Add(':');
    two(second % 60);
    const int magnitude = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    t.Add(utcOffsetMinutes < 0 ? " -" : " +");
    two(magnitude / 60);
    two(magnitude % 60);
}

// The exception section, aligned as the full report aligns its items.
void AddExceptionSection(TFixedText& t, const TFirstAidSetup& setup, const TThreadState& s, std::string_view module) {
    char typeBuffer[64], messageBuffer[512], dateBuffer[64], addressBuffer[20];
    TFixedText type(typeBuffer, sizeof typeBuffer), message(messageBuffer, sizeof messageBuffer);
    TFixedText date(dateBuffer, sizeof dateBuffer), address(addressBuffer, sizeof addressBuffer);
    WriteSignalException(s, module, type, message);
    if (message.View().empty() || message.View().back() != '.') message.Add('.');
    AddDate(date, setup.utcOffsetMinutes);
    address.Hex(s.Registers.Rip, 16);
    const std::string_view values[5] = {date.View(), address.View(), module, type.View(), message.View()};
    std::size_t colon = 0, longest = 1;
    for (int i = 0; i < 5; ++i)
        if (setup.shown[i]) colon = std::max(colon, 6 + std::strlen(setup.items[i]));
    for (int i = 0; i < 5; ++i)
        if (setup.shown[i]) longest = std::max(longest, colon + 2 + values[i].size());
    bool any = false;
    for (bool b : setup.shown) any = any || b;
    if (!any) return;
    t.AddBlanked(setup.exceptionTitle);
    t.Add(":\r\n");
    t.Add('-', longest);
    for (int i = 0; i < 5; ++i) {
        if (!setup.shown[i]) continue;
        t.Add("\r\n  2.");
        t.Decimal(i + 1);
        t.Add(' ');
        t.AddBlanked(setup.items[i]);
        t.Add(' ', colon - 6 - std::strlen(setup.items[i]));
        t.Add(": ");
        t.AddBlanked(values[i]);
    }
    t.Add("\r\n\r\n");
}

std::string_view ModuleName(std::uintptr_t address, int count) {
    const TCodeMapping* m = FindCodeMapping(mappings, count, address);
    return m ? std::string_view(m->Name) : std::string_view();
}

// The call-stack table with the addresses and modules only: the fault's
// address, then the call before each return address of the stack.
void AddCallStack(TFixedText& t, const TFirstAidSetup& setup, const TThreadState& s, int count) {
    const THandlerMemory memory(s);
    std::uintptr_t entries[kStackEntryLimit];
    int n = 0;
    entries[n++] = s.Registers.Rip;
    for (std::size_t at = 0; at + 8 <= s.StackSize && n < kStackEntryLimit; at += 8) {
        std::uint64_t v;
        std::memcpy(&v, s.Stack + at, 8);
        if (!FindCodeMapping(mappings, count, v) || !FindCodeMapping(mappings, count, v - 1)) continue;
        const std::size_t length = CallLengthBefore(memory, v);
        if (length != 0) entries[n++] = v - length;
    }
    std::size_t widths[6];
    for (int i = 0; i < 6; ++i) widths[i] = std::strlen(setup.columns[i]);
    widths[0] = std::max<std::size_t>(widths[0], 16);
    for (int i = 0; i < n; ++i) widths[1] = std::max(widths[1], ModuleName(entries[i], count).size());
    std::size_t total = 7;
    for (std::size_t w : widths) total += w;
    auto row = [&](const std::string_view (&cells)[6]) {
        t.Add('|');
        for (int i = 0; i < 6; ++i) {
            t.AddBlanked(cells[i]);
            t.Add(' ', widths[i] - std::min(widths[i], cells[i].size()));
            t.Add('|');
        }
        t.Add("\r\n");
    };
    t.AddBlanked(setup.stackTitle);
    t.Add(":\r\n");
    t.Add('-', total);
    t.Add("\r\n");
    const std::string_view captions[6] = {setup.columns[0], setup.columns[1], setup.columns[2],
                                          setup.columns[3], setup.columns[4], setup.columns[5]};
    row(captions);
    t.Add('-', total);
    t.Add("\r\n");
    for (int i = 0; i < n; ++i) {
        char hex[20];
        TFixedText address(hex, sizeof hex);
        address.Hex(entries[i], 16);
        const std::string_view cells[6] = {address.View(), ModuleName(entries[i], count), {}, {}, {}, {}};
        row(cells);
    }
    t.Add('-', total);
    t.Add("\r\n\r\n");
}

void BuildShortReport(TFixedText& t, const TFirstAidSetup& setup, const TThreadState& s) {
    const int count = ReadCodeMappings(mappings, kMappingLimit);
    t.Add(setup.head);
    AddExceptionSection(t, setup, s, ModuleName(s.Registers.Rip, count));
    AddCallStack(t, setup, s, count);
    const TOstrelRegisters r = RegistersOf(s.Registers);
    const THandlerMemory memory(s);
    WriteCpuText(t, &r, s.StackStart, s.Registers.Rip, memory, setup.registers, setup.stack, setup.memory);
}

void SleepMs(int ms) {
    timespec d{0, ms * 1000000L};
    while (::nanosleep(&d, &d) != 0 && errno == EINTR) {
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The reports of `log` as the log file keeps them: each through the first
// three CR LF of its end; the newest `keep` are written to `fd`.
bool WriteNewest(int fd, std::string_view log, std::size_t keep) {
    const std::string_view start = kLogReportStart, end = kLogReportEnd;
    auto each = [&](auto&& f) {
        for (std::size_t at = 0; (at = log.find(start, at)) != std::string_view::npos;) {
            if (at != 0 && (at < 2 || log.substr(at - 2, 2) != "\r\n")) {
                ++at;
                continue;
            }
            const std::size_t stop = log.find(end, at);
            if (stop == std::string_view::npos) break;
            if (!f(log.substr(at, stop + 6 - at))) return false;
            at = stop;
        }
        return true;
    };
    std::size_t total = 0;
    each([&](std::string_view) { return ++total, true; });
    std::size_t skip = total > keep ? total - keep : 0;
    return each([&](std::string_view report) {
        if (skip > 0) return --skip, true;
        return WriteAll(fd, report) && WriteAll(fd, "\r\n");
    });
}

// The log with the report added, as TLogFile does it, under the log's lock
// (or without it when another writer keeps it too long).
bool AddToLog(const TFirstAidSetup& setup, std::string_view report) {
    const int lock = ::open(setup.lockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    for (int waited = 0; lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0 && waited < kLockWaitMs; waited += 10)
        SleepMs(10);
    bool ok = false;
    const int in = ::open(setup.logFile, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    const bool regular = in < 0 || (::fstat(in, &st) == 0 && S_ISREG(st.st_mode));
    if (regular) {
        void* mapped = MAP_FAILED;
        if (in >= 0 && st.st_size > 0)
            mapped = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, in, 0);
        const std::string_view old = mapped == MAP_FAILED
                                         ? std::string_view()
                                         : std::string_view(static_cast<const char*>(mapped),
                                                            static_cast<std::size_t>(st.st_size));
        ::unlink(setup.tempFile);
        const int out = ::open(setup.tempFile, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out >= 0) {
            const std::size_t keep = static_cast<std::size_t>(std::max(setup.maxReports, 1) - 1);
            ok = (in < 0 || st.st_size == 0 || mapped != MAP_FAILED) && WriteNewest(out, old, keep) &&
                 WriteAll(out, report) && WriteAll(out, kLogReportEnd) && WriteAll(out, "\r\n");
            ok = ::close(out) == 0 && ok;
            ok = ok && ::rename(setup.tempFile, setup.logFile) == 0;
            if (!ok) ::unlink(setup.tempFile);
        }
        if (mapped != MAP_FAILED) ::munmap(mapped, static_cast<std::size_t>(st.st_size));
    }
    if (in >= 0) ::close(in);
    if (lock >= 0) ::close(lock);
    return ok;
}

}  // namespace

void PrepareFirstAid(const TOstrelModuleOptions& options) {
    const std::lock_guard<std::mutex> guard(setupLock);
    const int next = published.load() == 0 ? 1 : 0;
    TFirstAidSetup& s = setups[next];
    s = TFirstAidSetup{};
    s.saveLog = options.SaveLog();
    s.maxReports = options.MaxLogReports();
    const std::string log = LogTarget(options.OutputLogFile());
    Copy(s.logFile, log);
    Copy(s.lockFile, LogLockFileName(log));
    Copy(s.tempFile, ExtractFilePath(log) + "." + ExtractFileName(log) + "." + std::to_string(::getpid()) + ".tmp");
    s.utcOffsetMinutes = LinuxSystemValues().UtcOffsetMinutes(LinuxSystemValues().Now());
    Copy(s.head, std::string(kOstrelLogVersionText) + "\r\n\r\n" + BuildApplicationSection(options) + "\r\n");
    Copy(s.exceptionTitle, options.GetText(24));
    for (int i = 0; i < 5; ++i) {
        Copy(s.items[i], options.GetText(25 + i));
        s.shown[i] = ((options.ReportItems() >> (4 + i)) & 1) != 0;
    }
    Copy(s.stackTitle, options.GetText(7));
    for (int i = 0; i < 6; ++i) Copy(s.columns[i], options.GetText(47 + i));
    Copy(s.registers, options.GetText(68));
    Copy(s.stack, options.GetText(69));
    Copy(s.memory, options.GetText(70));
    published.store(next);
}

void FatalSignalFirstAid(const TThreadState& state) {
    provisionalSize.store(0);
    const int index = published.load();
    if (index < 0) return;
    const TFirstAidSetup& setup = setups[index];
    if (!setup.saveLog || setup.logFile[0] == 0) return;
    TFixedText text(provisional, sizeof provisional);
    BuildShortReport(text, setup, state);
    if (!AddToLog(setup, text.View())) return;
    Copy(provisionalFile, setup.logFile);
    provisionalSize.store(text.Size());
}

TProvisionalReport TakeProvisionalReport() {
    const std::size_t size = provisionalSize.exchange(0);
    if (size == 0) return {};
    return {std::string(provisional, size), provisionalFile};
}

bool RemoveLoggedReport(const std::string& logFile, const std::string& report) {
    try {
        TLogFile log(logFile, true);
        if (log.Remove(report)) log.Save();
        return true;
    } catch (...) {
        ReportWarningFromException(eeLogError, "Log");
        return false;
    }
}

}  // namespace menvaro
