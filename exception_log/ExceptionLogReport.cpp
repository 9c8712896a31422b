// The report text: the header items with the system's values, the call-stack
// and modules tables, the CPU section.
//
// The program is 64-bit, so every field that shows an address has 16
// upper-case hexadecimal digits, and the CPU section shows the registers of
// x86-64. Its exact layout (every line ends in CR LF; "????" stands for each
// value when there is no register context):
//
//   Registers:
//   ---------------------------------------------------        51 dashes
//   RAX   : 0000000000000000   RDI   : 0000000000000000
//   RBX   : ...                RSI   : ...
//   RCX   : ...                RSP   : ...
//   RDX   : ...                RIP   : ...
//   RBP   : ...                EFLAGS: ...
//   R8    : ...                R9    : ...
//   R10   : ...                R11   : ...
//   R12   : ...                R13   : ...
//   R14   : ...                R15   : ...
//   (empty line)
//   Stack:                               Memory Dump:          "Stack:" padded to 37
//   ----------------------------------   -----------...-----   34 dashes, 3 blanks, 83 dashes
//   then 16 lines, line i (0-15):
//   <sp + 8i>: <the 8 bytes there>   <address + 16i>: <16 bytes as "XX ">  <the 16 as characters>
//
// A register's name is padded to 6 ("EFLAGS"); the pairs are those of the
// 32-bit layout (A with DI, B with SI, C with SP, D with IP) and then BP
// with the flags and R8 to R15 in order. The dump's stack column reads 8
// bytes a line; the dump is there only when 128 bytes from the stack
// pointer and 256 from the exception address can be read. The call-stack
// table's address column is at least 16 wide, the modules table's handle
// column 16 (a longer caption is not cut), its separator the five widths
// plus 23.
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <langinfo.h>
#include <locale.h>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "ExceptionLogMime.h"
#include "base/Files.h"
#include "base/FloatFormat.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "rtl/ExceptionInfo.h"
#include "rtl/SymbolNames.h"
#include "ui/Clipboard.h"
#include "ui/Controls.h"
#include "ui/StdCtrls.h"
#include "ui/WindowManager.h"

namespace menvaro {

// ---- dates

std::string DateText(TDateTime local, int utcOffsetMinutes) {
    int year, month, day, hour, minute, second, ms;
    DecodeDate(local, year, month, day);
    DecodeTime(local, hour, minute, second, ms);
    return RfcDateText(DayOfWeek(local) - 1, day, month, year, hour, minute, second, utcOffsetMinutes);
}

// ---- Linux's values

namespace {

std::string ReadText(const char* path) {
    try {
        return ReadFileBytes(path);
    } catch (...) {
        return {};
    }
}

// A value of /etc/os-release, its quotes and escapes taken away.
std::string OsReleaseValue(const std::string& text, std::string_view key) {
    for (const std::string& line : SplitString(text, '\n')) {
        if (line.size() <= key.size() || line.compare(0, key.size(), key) != 0 || line[key.size()] != '=') continue;
        std::string v = Trim(std::string_view(line).substr(key.size() + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
            const bool escapes = v.front() == '"';
            v = v.substr(1, v.size() - 2);
            if (escapes) {
                std::string plain;
                for (std::size_t i = 0; i < v.size(); ++i) plain += v[i] == '\\' && i + 1 < v.size() ? v[++i] : v[i];
                v = plain;
            }
        }
        return v;
    }
    return {};
}

std::string LocaleLanguage() {
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(variable);
        if (v && *v) {
            name = v;
            break;
        }
    }
    if (name.empty()) name = "C";
    std::string language, territory;
    if (locale_t l = ::newlocale(LC_IDENTIFICATION_MASK, name.c_str(), locale_t(0))) {
        language = ::nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, l);
        territory = ::nl_langinfo_l(_NL_IDENTIFICATION_TERRITORY, l);
        ::freelocale(l);
    }
    if (language.empty()) return name;
    return territory.empty() ? language : language + " (" + territory + ")";
}

std::uint64_t MeminfoBytes(const std::string& text, std::string_view key, bool& found) {
    const std::size_t at = text.find(std::string("\n") + std::string(key) + ":");
    const std::size_t from = text.compare(0, key.size() + 1, std::string(key) + ":") == 0 ? 0
                             : at == std::string::npos                                    ? std::string::npos
                                                                                          : at + 1;
    if (from == std::string::npos) return 0;
    found = true;
    return std::strtoull(text.c_str() + from + key.size() + 1, nullptr, 10) * 1024;  // kB
}

class TLinuxSystemValues final : public IOstrelSystemValues {
public:
    TLinuxSystemValues() : start_(menvaro::Now()) {
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) == 0) computer_ = host;
        passwd pw;
        passwd* found = nullptr;
        char buf[4096];
        if (::getpwuid_r(::getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_name)
            user_ = found->pw_name;
        for (const char* variable : {"USER", "LOGNAME"})
            if (user_.empty() && std::getenv(variable)) user_ = std::getenv(variable);
        const std::string release = ReadText("/etc/os-release");
        utsname u;
        const bool named = ::uname(&u) == 0;
        system_ = OsReleaseValue(release, "PRETTY_NAME");
        if (system_.empty()) system_ = OsReleaseValue(release, "NAME");
        if (system_.empty() && named) system_ = u.sysname;
        if (named) {
            build_ = u.release;
            update_ = Trim(u.version);
        }
        language_ = LocaleLanguage();
    }

    TDateTime Now() const override { return menvaro::Now(); }
    int UtcOffsetMinutes(TDateTime local) const override {
        int year, month, day, hour, minute, second, ms;
        DecodeDate(local, year, month, day);
        DecodeTime(local, hour, minute, second, ms);
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        t.tm_isdst = -1;  // as the zone has it on that day
        if (std::mktime(&t) == static_cast<std::time_t>(-1)) return 0;
        return static_cast<int>(t.tm_gmtoff / 60);
    }
    TDateTime StartDate() const override { return start_; }
    std::vector<std::string> Parameters() const override { return CommandLineParameters(); }
    bool IsGUI() const override { return IsGUIApplication(); }
    std::string ForegroundWindowClass() const override {
        try {
            const TWinControl* control = FindControl(GetForegroundWindow());
            return control ? control->ClassName() : std::string();
        } catch (...) {
            return {};
        }
    }
    std::string ForegroundWindowText() const override {
        try {
            const HWND window = GetForegroundWindow();
            return window ? CutUtf8(GetWindowText(window), 255) : std::string();
        } catch (...) {
            return {};
        }
    }
    std::string ComputerName() const override { return computer_; }
    std::string UserName() const override { return user_; }
    bool Memory(std::uint64_t& total, std::uint64_t& available) const override {
        const std::string text = ReadText("/proc/meminfo");
        bool hasTotal = false, hasAvailable = false, hasFree = false;
        total = MeminfoBytes(text, "MemTotal", hasTotal);
        available = MeminfoBytes(text, "MemAvailable", hasAvailable);
        if (!hasAvailable) available = MeminfoBytes(text, "MemFree", hasFree);
        return hasTotal && (hasAvailable || hasFree);
    }
    bool Disk(std::uint64_t& total, std::uint64_t& available) const override {
        const std::string folder = ExtractFileDir(ModuleFileName(LoggerModuleHandle()));
        struct statvfs st;
        if (folder.empty() || ::statvfs(folder.c_str(), &st) != 0) return false;
        total = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize;
        available = static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
        return true;
    }
    std::string SystemName() const override { return system_; }
    std::string SystemBuild() const override { return build_; }
    std::string SystemUpdate() const override { return update_; }
    std::string Language() const override { return language_; }

private:
    TDateTime start_;
    std::string computer_, user_, system_, build_, update_, language_;
};

// Taken as the logger is loaded.
[[maybe_unused]] const bool g_systemTaken = (LinuxSystemValues(), true);

}  // namespace

const IOstrelSystemValues& LinuxSystemValues() {
    static const TLinuxSystemValues* values = new TLinuxSystemValues;
    return *values;
}

// ---- the focused control

TFocusedControl GetFocusedControl() {
    TFocusedControl focused;
    try {
        const HWND window = GetFocus();
        if (!window) return focused;
        TWinControl* control = FindControl(window);
        if (control) focused.ClassName = control->ClassName();
        focused.Text = CutUtf8(GetWindowText(window), 255);
        const auto* edit = dynamic_cast<const TCustomEdit*>(control);
        const bool password = (edit && edit->PasswordChar() != '\0') ||
                              ((GetWindowLong(window, GWL_STYLE) & ES_PASSWORD) &&
                               UpperCase(Trim(focused.ClassName)).find("EDIT") != std::string::npos);
        if (password) {
            const auto characters = std::count_if(focused.Text.begin(), focused.Text.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            });
            focused.Text.assign(static_cast<std::size_t>(characters), '*');
        }
    } catch (...) {
        // No window system: no control.
    }
    return focused;
}

// ---- item sections

std::string BlankControlCharacters(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return r;
}

void TLogItem::Clear() {
    text_.clear();
    section_ = 0;
    item_ = 0;
}

void TLogItem::AddSection(std::string_view title) {
    ++section_;
    item_ = 0;
    if (!text_.empty()) text_ += "\r\n\r\n";
    text_ += BlankControlCharacters(title) + ":\r\n-";
}

void TLogItem::AddItem(std::string_view caption, std::string_view value, bool shown) {
    ++item_;
    if (!shown) return;
    text_ += "\r\n  " + std::to_string(section_) + "." + std::to_string(item_) + " " + BlankControlCharacters(caption) +
             ": " + BlankControlCharacters(value);
}

namespace {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string_view::npos; from = at + 2)
        lines.emplace_back(text.substr(from, at - from));
    lines.emplace_back(text.substr(from));
    return lines;
}

}  // namespace

std::string TLogItem::Finish() const {
    const std::vector<std::string> lines = SplitLines(text_);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size();) {
        // The title, the "-" line, the items up to a blank line or the end.
        const std::size_t title = i, firstItem = std::min(i + 2, lines.size());
        std::size_t end = firstItem;
        while (end < lines.size() && !lines[end].empty()) ++end;
        const bool blankAfter = end < lines.size();
        if (end == firstItem) {
            i = end + (blankAfter ? 1 : 0);
            continue;
        }
        std::size_t colon = 0;
        for (std::size_t k = firstItem; k < end; ++k) colon = std::max(colon, lines[k].find(": "));
        std::vector<std::string> items;
        std::size_t longest = 1;
        for (std::size_t k = firstItem; k < end; ++k) {
            std::string line = lines[k];
            const std::size_t at = line.find(": ");
            line.insert(at, colon - at, ' ');
            longest = std::max(longest, line.size());
            items.push_back(std::move(line));
        }
        out.push_back(lines[title]);
        out.emplace_back(longest, '-');
        out.insert(out.end(), items.begin(), items.end());
        if (blankAfter) out.emplace_back();
        i = end + (blankAfter ? 1 : 0);
    }
    std::string text;
    for (const std::string& line : out) text += line + "\r\n";
    return text;
}

// ---- the header

namespace {

const TOstrelModuleOptions& OptionsOf(const TOstrelReportContext& context) {
    static const TOstrelModuleOptions* defaults = Create<TOstrelModuleOptions>("", false);
    return context.Options ? *context.Options : *defaults;
}

const IOstrelSystemValues& SystemOf(const TOstrelReportContext& context) {
    return context.System ? *context.System : LinuxSystemValues();
}

std::string Hex(std::uint64_t v) { return IntToHex(v, 16); }

std::string MegaBytes(std::uint64_t bytes) {
    // To the nearest, halves to even.
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 19;
    std::uint64_t whole = bytes >> 20;
    const std::uint64_t rest = bytes & ((std::uint64_t{1} << 20) - 1);
    if (rest > kHalf || (rest == kHalf && (whole & 1))) ++whole;
    return std::to_string(whole) + " Mb";
}

std::string GigaBytes(std::uint64_t bytes) {
    return FormatFloat("0.##", static_cast<double>(bytes) / 1073741824.0) + " Gb";
}

std::string LocalDate(const IOstrelSystemValues& system, TDateTime date) {
    return DateText(date, system.UtcOffsetMinutes(date));
}

std::shared_ptr<const TOstrelModuleInfo> MainModuleOf(const TOstrelReportContext& context) {
    for (const auto& m : context.Modules)
        if (m && (m->ModuleKind == mkProgram || m->Image.Kind == TModuleKind::mkProgram)) return m;
    return nullptr;
}

std::string ModuleNameOf(const TOstrelReportContext& context, std::uintptr_t address) {
    if (!address) return {};
    if (context.Modules.empty()) return ExtractFileName(ModuleFileName(ModuleOfAddress(address)));
    for (const auto& m : context.Modules)
        if (m && m->Image.Contains(address)) return ExtractFileName(m->Image.Path);
    return {};
}

// Item 2.5's value, its control characters still in.
std::string MessageOf(const TOstrelReportContext& context) {
    std::string message = context.MessageOverride;
    if (message.empty() && !ExceptionMessage(context.ExceptionObject, message)) message = kUnknownErrorMessage;
    if (!message.empty() && message.back() != '.') message += '.';
    return message;
}

}  // namespace

namespace {

void AddApplicationItems(TLogItem& item, const TOstrelModuleOptions& options, const IOstrelSystemValues& system,
                         const TOstrelModuleInfo* main) {
    auto shown = [&](int bit) { return ((options.ReportItems() >> bit) & 1) != 0; };
    // The value of an item only when it is shown.
    auto add = [&](int caption, int bit, auto value) {
        const bool show = shown(bit);
        item.AddItem(options.GetText(caption), show ? std::string(value()) : std::string(), show);
    };
    item.AddSection(options.GetText(19));
    add(20, 0, [&] { return LocalDate(system, system.StartDate()); });
    add(21, 1, [&] {
        if (main && !main->Description.empty()) return main->Description;
        return ExtractFileName(main ? main->Image.Path : ProgramPath());
    });
    add(22, 2, [&] { return main ? main->Version : std::string(); });
    add(23, 3, [&] {
        std::string parameters;
        for (const std::string& p : system.Parameters()) parameters += (parameters.empty() ? "\"" : " \"") + p + "\"";
        return parameters;
    });
}

}  // namespace

std::string BuildApplicationSection(const TOstrelModuleOptions& options) {
    std::shared_ptr<TOstrelModuleInfo> main;
    if (TOstrelModulesList* modules = OstrelModulesList())
        for (const auto& m : modules->Modules())
            if (m && m->Image.Kind == TModuleKind::mkProgram) main = m;
    TLogItem item;
    AddApplicationItems(item, options, LinuxSystemValues(), main.get());
    return item.Finish();
}

std::string BuildReportHeader(TOstrelReportContext& context) {
    TraceCall("BuildReportHeader", {}, 2);
    const TOstrelModuleOptions& options = OptionsOf(context);
    const IOstrelSystemValues& system = SystemOf(context);
    auto text = [&](int i) -> const std::string& { return options.GetText(i); };
    auto shown = [&](int bit) { return ((options.ReportItems() >> bit) & 1) != 0; };
    TLogItem item;
    // The value of an item only when it is shown.
    auto add = [&](int caption, int bit, auto value) {
        const bool show = shown(bit);
        item.AddItem(text(caption), show ? std::string(value()) : std::string(), show);
    };

    context.AddressText = context.ExceptionAddress ? Hex(context.ExceptionAddress) : std::string();
    context.ModuleName = BlankControlCharacters(ModuleNameOf(context, context.ExceptionAddress));
    context.TypeText = BlankControlCharacters(
        context.ClassNameOverride.empty() ? ExceptionClassName(context.ExceptionObject) : context.ClassNameOverride);
    context.MessageAsRaised = MessageOf(context);
    context.MessageText = BlankControlCharacters(context.MessageAsRaised);

    AddApplicationItems(item, options, system, MainModuleOf(context).get());

    item.AddSection(text(24));
    add(25, 4, [&] { return LocalDate(system, context.ExceptionDate); });
    add(26, 5, [&] { return context.AddressText; });
    add(27, 6, [&] { return context.ModuleName; });
    add(28, 7, [&] { return context.TypeText; });
    add(29, 8, [&] { return context.MessageText; });

    // Of a program with windows only.
    const bool gui = system.IsGUI();
    item.AddSection(text(30));
    item.AddItem(text(31), gui && shown(9) ? system.ForegroundWindowClass() : "", gui && shown(9));
    item.AddItem(text(32), gui && shown(10) ? system.ForegroundWindowText() : "", gui && shown(10));
    item.AddItem(text(33), context.FocusedControlClass, gui && shown(11));
    item.AddItem(text(34), context.FocusedControlText, gui && shown(12));

    item.AddSection(text(35));
    add(36, 13, [&] { return system.ComputerName(); });
    add(37, 14, [&] { return system.UserName(); });
    std::uint64_t total = 0, available = 0;
    const bool memory = (shown(15) || shown(16)) && system.Memory(total, available);
    add(38, 15, [&] { return memory ? MegaBytes(total) : std::string(); });
    add(39, 16, [&] { return memory ? MegaBytes(available) : std::string(); });
    std::uint64_t diskTotal = 0, diskAvailable = 0;
    const bool disk = (shown(17) || shown(18)) && system.Disk(diskTotal, diskAvailable);
    add(40, 17, [&] { return disk ? GigaBytes(diskTotal) : std::string(); });
    add(41, 18, [&] { return disk ? GigaBytes(diskAvailable) : std::string(); });

    item.AddSection(text(42));
    add(43, 19, [&] { return system.SystemName(); });
    add(44, 20, [&] { return system.SystemBuild(); });
    add(45, 21, [&] { return Trim(system.SystemUpdate()); });
    add(46, 22, [&] { return system.Language(); });

    const std::string header = std::string(kOstrelLogVersionText) + "\r\n\r\n" + item.Finish();
    TraceCall("BuildReportHeader=", {static_cast<int>(header.size())}, -2);
    return header;
}

// ---- the CPU section

void WriteCpuText(TFixedText& text, const TOstrelRegisters* r, std::uintptr_t stackPointer, std::uintptr_t address,
                  const IOstrelMemory& memory, std::string_view registersCaption, std::string_view stackCaption,
                  std::string_view memoryCaption) {
    struct TRegister {
        const char* name;
        std::uint64_t TOstrelRegisters::*value;
    };
    using R = TOstrelRegisters;
    static const TRegister kPairs[][2] = {
        {{"RAX", &R::Rax}, {"RDI", &R::Rdi}},       {{"RBX", &R::Rbx}, {"RSI", &R::Rsi}},
        {{"RCX", &R::Rcx}, {"RSP", &R::Rsp}},       {{"RDX", &R::Rdx}, {"RIP", &R::Rip}},
        {{"RBP", &R::Rbp}, {"EFLAGS", &R::EFlags}}, {{"R8", &R::R8}, {"R9", &R::R9}},
        {{"R10", &R::R10}, {"R11", &R::R11}},       {{"R12", &R::R12}, {"R13", &R::R13}},
        {{"R14", &R::R14}, {"R15", &R::R15}},
    };
    auto cell = [&](const TRegister& reg) {
        const std::string_view name = reg.name;
        text.Add(name);
        text.Add(' ', 6 - name.size());
        text.Add(": ");
        if (r)
            text.Hex(r->*reg.value, 16);
        else
            text.Add("????");
    };
    text.AddBlanked(registersCaption);
    text.Add(":\r\n");
    text.Add('-', 51);
    text.Add("\r\n");
    for (const auto& pair : kPairs) {
        cell(pair[0]);
        text.Add("   ");
        cell(pair[1]);
        text.Add("\r\n");
    }
    text.Add("\r\n");
    text.AddBlanked(stackCaption);
    text.Add(':');
    if (stackCaption.size() + 1 < 37) text.Add(' ', 37 - stackCaption.size() - 1);
    text.AddBlanked(memoryCaption);
    text.Add(":\r\n");
    text.Add('-', 34);
    text.Add("   ");
    text.Add('-', 83);
    text.Add("\r\n");
    std::uint64_t slots[16];
    std::uint8_t bytes[256];
    if (!memory.Read(stackPointer, slots, sizeof slots) || !memory.Read(address, bytes, sizeof bytes)) return;
    for (int i = 0; i < 16; ++i) {
        text.Hex(stackPointer + 8 * static_cast<std::uintptr_t>(i), 16);
        text.Add(": ");
        text.Hex(slots[i], 16);
        text.Add("   ");
        text.Hex(address + 16 * static_cast<std::uintptr_t>(i), 16);
        text.Add(": ");
        for (int k = 0; k < 16; ++k) {
            text.Hex(bytes[16 * i + k], 2);
            text.Add(' ');
        }
        text.Add(' ');
        for (int k = 0; k < 16; ++k) {
            const std::uint8_t b = bytes[16 * i + k];
            text.Add(b >= 32 && b <= 126 ? static_cast<char>(b) : '.');
        }
        text.Add("\r\n");
    }
}

std::string BuildCpuText(const TOstrelReportContext& context) {
    const TOstrelModuleOptions& options = OptionsOf(context);
    const TProcessMemory process;
    const IOstrelMemory& memory = context.Memory ? *context.Memory : process;
    char buffer[8192];
    TFixedText text(buffer, sizeof buffer);
    WriteCpuText(text, context.Registers ? &*context.Registers : nullptr, context.StackPointer,
                 context.ExceptionAddress, memory, options.GetText(68), options.GetText(69), options.GetText(70));
    return std::string(text.View());
}

// ---- the tables

namespace {

// A row: each cell followed by blanks to its column's width.
void AppendRow(std::string& text, const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) {
    text += '|';
    for (std::size_t i = 0; i < cells.size(); ++i) {
        text += cells[i];
        if (cells[i].size() < widths[i]) text.append(widths[i] - cells[i].size(), ' ');
        text += '|';
    }
}

// A table: its title, the separator, the caption row and the rows.
std::string Table(const std::string& title, const std::vector<std::string>& captions,
                  const std::vector<std::vector<std::string>>& rows, std::vector<std::size_t> widths) {
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    std::size_t total = widths.size() + 1;
    for (std::size_t w : widths) total += w;
    const std::string separator(total, '-');
    std::string text;
    text.reserve((rows.size() + 6) * (total + 2) + title.size());
    text += BlankControlCharacters(title) + ":\r\n" + separator + "\r\n";
    AppendRow(text, captions, widths);
    text += "\r\n" + separator;
    for (const auto& row : rows) {
        text += "\r\n";
        AppendRow(text, row, widths);
    }
    return text + "\r\n" + separator;
}

std::string ModuleFolder(const std::string& path) {
    std::string folder = ExtractFilePath(path);
    if (folder.size() > 1 && folder.back() == PathDelim) folder.pop_back();
    return folder;
}

}  // namespace

std::string BuildCallStackTable(const TOstrelModuleOptions& options, const TOstrelStackList& stack) {
    std::vector<std::string> captions;
    std::vector<std::size_t> widths;
    for (int i = 47; i <= 52; ++i) {
        captions.push_back(BlankControlCharacters(options.GetText(i)));
        widths.push_back(captions.back().size());
    }
    widths[0] = std::max<std::size_t>(widths[0], 16);
    std::vector<std::vector<std::string>> rows;
    for (const TOstrelDebugInfo& e : stack.Entries()) {
        if (e.EntryKind != ekExport && e.EntryKind != ekDecoratedExport && e.EntryKind != ekLineInfo) continue;
        rows.push_back({Hex(e.Address), e.Module ? ExtractFileName(e.Module->Image.Path) : std::string(), e.UnitName,
                        e.ClassName, e.ProcedureName, e.Line ? std::to_string(e.Line) : std::string()});
        for (std::string& cell : rows.back()) cell = BlankControlCharacters(cell);
    }
    return Table(options.GetText(7), captions, rows, widths) + "\r\n\r\n";
}

std::string BuildModulesTable(const TOstrelModuleOptions& options,
                              const std::vector<std::shared_ptr<const TOstrelModuleInfo>>& modules) {
    std::vector<std::string> captions{BlankControlCharacters(options.GetText(62))};
    std::vector<std::size_t> widths{16};
    for (int i = 63; i <= 67; ++i) {
        captions.push_back(BlankControlCharacters(options.GetText(i)));
        widths.push_back(captions.back().size());
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& m : modules) {
        if (!m) continue;
        rows.push_back({Hex(m->Handle()), ExtractFileName(m->Image.Path), m->Description, m->Version,
                        std::to_string(m->FileSize), ModuleFolder(m->Image.Path)});
        for (std::string& cell : rows.back()) cell = BlankControlCharacters(cell);
    }
    return Table(options.GetText(9), captions, rows, widths);
}

// ---- the report

namespace {

struct TReportTextsState {
    std::mutex lock;
    TOstrelReportTexts texts;
};

TReportTextsState& Texts() {
    static TReportTextsState* state = new TReportTextsState;
    return *state;
}

}  // namespace

std::string BuildReport(TOstrelReportContext& context) {
    TraceCall("BuildReport", {}, 2);
    const TOstrelModuleOptions& options = OptionsOf(context);
    const std::string header = BuildReportHeader(context);
    const std::string cpu = BuildCpuText(context);
    context.DialogMessage = options.GetText(3) + "\r\n\r\n";
    const TOstrelStackList none;
    context.TablesText = BuildCallStackTable(options, context.Stack ? *context.Stack : none) +
                         BuildModulesTable(options, context.Modules);
    std::string report = header + "\r\n" + context.TablesText + "\r\n\r\n" + cpu;
    {
        TReportTextsState& s = Texts();
        const std::lock_guard<std::mutex> guard(s.lock);
        s.texts = {header, cpu, report, report};
    }
    TraceCall("BuildReport=", {static_cast<int>(report.size())}, -2);
    return report;
}

std::string BuildNestedReport(TOstrelReportContext& context) {
    TraceCall("BuildNestedReport", {}, 2);
    const std::string header = BuildReportHeader(context);
    TReportTextsState& s = Texts();
    const std::lock_guard<std::mutex> guard(s.lock);
    std::string report = header + "\r\n" + context.TablesText + "\r\n\r\n" + s.texts.Cpu;
    s.texts.Header = header;
    s.texts.Report = report;
    s.texts.MailCopy = report;
    TraceCall("BuildNestedReport=", {static_cast<int>(report.size())}, -2);
    return report;
}

bool ReadNestedException(TOstrelReportContext& context) {
    if (!context.FromOtherModule || context.ExceptionAddress == 0) return false;
    TraceCall("ReadNestedException", {}, 2);
    TExceptionBlock published;
    const std::uintptr_t module = ModuleOfAddress(context.ExceptionAddress);
    const bool read = module != 0 && ReadExceptionBlock(module, published, true) && published.Flag;
    if (read) {
        context.ClassNameOverride = published.ClassName;
        context.MessageOverride = published.Message;
        BuildNestedReport(context);
    }
    TraceCall("ReadNestedException=", {read}, -2);
    return read;
}

TOstrelReportTexts LastReportTexts() {
    TReportTextsState& s = Texts();
    const std::lock_guard<std::mutex> guard(s.lock);
    return s.texts;
}

void SetReportMailCopy(const std::string& text) {
    TReportTextsState& s = Texts();
    const std::lock_guard<std::mutex> guard(s.lock);
    s.texts.MailCopy = text;
}

void CopyReportToClipboard(const std::string& text) {
    TraceCall("CopyReportToClipboard", {}, 2);
    Clipboard().SetAsText(text);
    TraceCall("CopyReportToClipboard=", {}, -2);
}

}  // namespace menvaro
