// The report text: golden reports written out from the layout with fixed
// system values, clock and memory; the item sections, the values and their
// rules, the CPU section, the tables, the dates and Linux's own values.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "MemoryImage.h"
#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/Strings.h"

using namespace menvaro;
using test::TMemoryImage;

namespace {

// Every line followed by CR LF.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\r\n";
    return text;
}

TDateTime At(int y, int m, int d, int h, int n, int s) { return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0); }

class TFixedSystem final : public IOstrelSystemValues {
public:
    TDateTime Now() const override { return At(2024, 3, 5, 9, 7, 3); }
    int UtcOffsetMinutes(TDateTime) const override { return offset; }
    TDateTime StartDate() const override { return At(2024, 3, 5, 8, 0, 0); }
    std::vector<std::string> Parameters() const override { return {"DEBUG", "a b"}; }
    bool IsGUI() const override { return gui; }
    std::string ForegroundWindowClass() const override { return "TUpdateForm"; }
    std::string ForegroundWindowText() const override { return "Pelgrane\tupdater"; }
    std::string ComputerName() const override { return "build-host"; }
    std::string UserName() const override { return "wang"; }
    bool Memory(std::uint64_t& total, std::uint64_t& available) const override {
        // Half a megabyte over: to the even neighbour.
        total = (std::uint64_t{16384} << 20) + (1 << 19);
        available = (std::uint64_t{3} << 20) + (1 << 19);
        return true;
    }
    bool Disk(std::uint64_t& total, std::uint64_t& available) const override {
        total = std::uint64_t{100} << 30;
        available = (std::uint64_t{25} << 30) / 2;
        return disk;
    }
    std::string SystemName() const override { return "Debian GNU/Linux 12 (bookworm)"; }
    std::string SystemBuild() const override { return "6.1.0-18-amd64"; }
    std::string SystemUpdate() const override { return "  #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)  "; }
    std::string Language() const override { return "Chinese (China)"; }

    int offset = 480;
    bool gui = true;
    bool disk = true;
};

std::shared_ptr<TOstrelModuleInfo> Module(std::uintptr_t handle, std::uintptr_t end, const std::string& path,
                                          std::uint32_t size, std::uint8_t kind) {
    auto m = std::make_shared<TOstrelModuleInfo>();
    m->Image.Handle = handle;
    m->Image.End = end;
    m->Image.Path = path;
    m->Image.Segments.push_back({handle, end, true, false, true});
    m->FileSize = size;
    m->ModuleKind = kind;
    return m;
}

TOstrelDebugInfo Entry(std::uint8_t kind, std::shared_ptr<const TOstrelModuleInfo> module, std::uintptr_t address,
                       const char* unit, const char* cls, const char* procedure, int line) {
    TOstrelDebugInfo e;
    e.EntryKind = kind;
    e.Module = std::move(module);
    e.Address = address;
    e.UnitName = unit;
    e.ClassName = cls;
    e.ProcedureName = procedure;
    e.Line = line;
    return e;
}

constexpr std::uintptr_t kAddress = 0x401A2C;
constexpr std::uintptr_t kStackPointer = 0x7FFC0000E000;

// One exception of the program, with all it is reported with.
struct TReportFixture {
    TReportFixture() {
        const auto program = Module(0x400000, 0x500000, "/opt/menvaro/Pelgrane", 1234567, mkProgram);
        const auto root = Module(0x7F0000000000, 0x7F0000001000, "/libroot.so", 4096, mkLibrary);
        const auto libc = Module(0x7F0012300000, 0x7F0012400000, "/lib/x86_64-linux-gnu/libc.so.6", 1922136, mkLibrary);
        stack.Add(Entry(ekLineInfo, program, 0x401A20, "uDM.cpp", "TDM", "BuildData", 120));
        stack.Add(Entry(ekNoModule, nullptr, 0x7FFF0000, "", "", "", 0));
        stack.Add(Entry(ekExport, libc, 0x7F0012345678, "", "", "abort", 0));
        stack.Add(Entry(ekDecoratedExport, program, 0x401000, "", "menvaro::TForm", "Show", 0));
        stack.Add(Entry(ekModule, program, 0x401500, "", "", "", 0));
        std::string slots, code;
        for (int i = 0; i < 16; ++i) slots += TMemoryImage::Bytes(0x400000 + 0x100 * static_cast<std::uint64_t>(i));
        for (int i = 0; i < 256; ++i) code += static_cast<char>(i);
        memory.Put(kStackPointer, slots);
        memory.Put(kAddress, code);
        TOstrelRegisters r;
        r.Rax = 0xA, r.Rbx = 0xB, r.Rcx = 0xC, r.Rdx = 0xD, r.Rsi = 0x51, r.Rdi = 0xD1;
        r.Rbp = 0x7FFC0000F000, r.Rsp = kStackPointer;
        r.R8 = 8, r.R9 = 9, r.R10 = 10, r.R11 = 11, r.R12 = 12, r.R13 = 13, r.R14 = 14, r.R15 = 15;
        r.Rip = kAddress, r.EFlags = 0x246;

        context.ExceptionObject = std::make_exception_ptr(EConvertError("'abc' is not\r\na valid integer value"));
        context.ExceptionAddress = kAddress;
        context.ExceptionDate = At(2024, 3, 5, 9, 7, 3);
        context.Registers = r;
        context.StackPointer = kStackPointer;
        context.FocusedControlClass = "TEdit";
        context.FocusedControlText = "12\n34";
        context.Options = options.get();
        context.Stack = &stack;
        context.Modules = {program, root, libc};
        context.Memory = &memory;
        context.System = &system;
    }

    TOwned<TOstrelModuleOptions> options{Create<TOstrelModuleOptions>("", false)};
    TFixedSystem system;
    TOstrelStackList stack;
    TMemoryImage memory;
    TOstrelReportContext context;
};

}  // namespace

TEST(Report, AllItemsWithTheDefaultTexts) {
    TReportFixture f;
    const std::string expected = Lines({
        "OstrelLog 4.5.4",
        "",
        "Application:",
        "------------------------------------------------------",
        "  1.1 Start Date      : Tue, 5 Mar 2024 08:00:00 +0800",
        "  1.2 Name/Description: Pelgrane",
        "  1.3 Version Number  : ",
        "  1.4 Parameters      : \"DEBUG\" \"a b\"",
        "",
        "Exception:",
        "---------------------------------------------------",
        "  2.1 Date   : Tue, 5 Mar 2024 09:07:03 +0800",
        "  2.2 Address: 0000000000401A2C",
        "  2.3 Module : Pelgrane",
        "  2.4 Type   : EConvertError",
        "  2.5 Message: 'abc' is not  a valid integer value.",
        "",
        "Active Controls:",
        "-------------------------------------",
        "  3.1 Form Class   : TUpdateForm",
        "  3.2 Form Text    : Pelgrane updater",
        "  3.3 Control Class: TEdit",
        "  3.4 Control Text : 12 34",
        "",
        "Computer:",
        "------------------------------",
        "  4.1 Name        : build-host",
        "  4.2 User        : wang",
        "  4.3 Total Memory: 16384 Mb",
        "  4.4 Free Memory : 4 Mb",
        "  4.5 Total Disk  : 100 Gb",
        "  4.6 Free Disk   : 12.5 Gb",
        "",
        "Operating System:",
        "-------------------------------------------------------------------",
        "  5.1 Type    : Debian GNU/Linux 12 (bookworm)",
        "  5.2 Build # : 6.1.0-18-amd64",
        "  5.3 Update  : #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)",
        "  5.4 Language: Chinese (China)",
        "",
        "Call Stack Information:",
        "-------------------------------------------------------------------------",
        "|Address         |Module   |Unit   |Class         |Procedure/Method|Line|",
        "-------------------------------------------------------------------------",
        "|0000000000401A20|Pelgrane |uDM.cpp|TDM           |BuildData       |120 |",
        "|00007F0012345678|libc.so.6|       |              |abort           |    |",
        "|0000000000401000|Pelgrane |       |menvaro::TForm|Show            |    |",
        "-------------------------------------------------------------------------",
        "",
        "Modules Information:",
        "-------------------------------------------------------------------------------",
        "|Handle          |Name      |Description|Version|Size   |Path                 |",
        "-------------------------------------------------------------------------------",
        "|0000000000400000|Pelgrane  |           |       |1234567|/opt/menvaro         |",
        "|00007F0000000000|libroot.so|           |       |4096   |/                    |",
        "|00007F0012300000|libc.so.6 |           |       |1922136|/lib/x86_64-linux-gnu|",
        "-------------------------------------------------------------------------------",
        "",
        "Registers:",
        "---------------------------------------------------",
        "RAX   : 000000000000000A   RDI   : 00000000000000D1",
        "RBX   : 000000000000000B   RSI   : 0000000000000051",
        "RCX   : 000000000000000C   RSP   : 00007FFC0000E000",
        "RDX   : 000000000000000D   RIP   : 0000000000401A2C",
        "RBP   : 00007FFC0000F000   EFLAGS: 0000000000000246",
        "R8    : 0000000000000008   R9    : 0000000000000009",
        "R10   : 000000000000000A   R11   : 000000000000000B",
        "R12   : 000000000000000C   R13   : 000000000000000D",
        "R14   : 000000000000000E   R15   : 000000000000000F",
        "",
        "Stack:                               Memory Dump:",
        "----------------------------------   "
        "-----------------------------------------------------------------------------------",
        "00007FFC0000E000: 0000000000400000   0000000000401A2C: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  "
        "................",
        "00007FFC0000E008: 0000000000400100   0000000000401A3C: 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F  "
        "................",
        "00007FFC0000E010: 0000000000400200   0000000000401A4C: 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F   "
        "!\"#$%&'()*+,-./",
        "00007FFC0000E018: 0000000000400300   0000000000401A5C: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F  "
        "0123456789:;<=>?",
        "00007FFC0000E020: 0000000000400400   0000000000401A6C: 40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F  "
        "@ABCDEFGHIJKLMNO",
        "00007FFC0000E028: 0000000000400500   0000000000401A7C: 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F  "
        "PQRSTUVWXYZ[\\]^_",
        "00007FFC0000E030: 0000000000400600   0000000000401A8C: 60 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F  "
        "`abcdefghijklmno",
        "00007FFC0000E038: 0000000000400700   0000000000401A9C: 70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F  "
        "pqrstuvwxyz{|}~.",
        "00007FFC0000E040: 0000000000400800   0000000000401AAC: 80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F  "
        "................",
        "00007FFC0000E048: 0000000000400900   0000000000401ABC: 90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F  "
        "................",
        "00007FFC0000E050: 0000000000400A00   0000000000401ACC: A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF  "
        "................",
        "00007FFC0000E058: 0000000000400B00   0000000000401ADC: B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA BB BC BD BE BF  "
        "................",
        "00007FFC0000E060: 0000000000400C00   0000000000401AEC: C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF  "
        "................",
        "00007FFC0000E068: 0000000000400D00   0000000000401AFC: D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF  "
        "................",
        "00007FFC0000E070: 0000000000400E00   0000000000401B0C: E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF  "
        "................",
        "00007FFC0000E078: 0000000000400F00   0000000000401B1C: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF  "
        "................",
    });
    EXPECT_EQ(BuildReport(f.context), expected);
    // What the dialog and the duplicate test take from it.
    EXPECT_EQ(f.context.AddressText, "0000000000401A2C");
    EXPECT_EQ(f.context.ModuleName, "Pelgrane");
    EXPECT_EQ(f.context.TypeText, "EConvertError");
    EXPECT_EQ(f.context.MessageText, "'abc' is not  a valid integer value.");
    // The exception dialog shows the message with its line break.
    EXPECT_EQ(f.context.MessageAsRaised, "'abc' is not\r\na valid integer value.");
    EXPECT_EQ(f.context.DialogMessage,
              "An error has occurred during program execution.\r\n"
              "Please read the following information for further details.\r\n\r\n");
    const std::size_t tables = expected.find("Call Stack Information:");
    const std::size_t registers = expected.find("\r\n\r\nRegisters:");
    EXPECT_EQ(f.context.TablesText, expected.substr(tables, registers - tables));
    const TOstrelReportTexts kept = LastReportTexts();
    EXPECT_EQ(kept.Report, expected);
    EXPECT_EQ(kept.MailCopy, expected);
    EXPECT_EQ(kept.Header, expected.substr(0, tables - 2));
    EXPECT_EQ(kept.Cpu, expected.substr(registers + 4));

    // A report of another module's exception: its own header, the tables it
    // was given and the CPU section of the last report.
    TReportFixture nested;
    nested.context.ClassNameOverride = "EDatabaseError";
    nested.context.MessageOverride = "Lost";
    nested.context.TablesText = "TABLES";
    nested.context.Registers.reset();
    const std::string again = BuildNestedReport(nested.context);
    EXPECT_NE(again.find("  2.4 Type   : EDatabaseError\r\n  2.5 Message: Lost.\r\n"), std::string::npos) << again;
    EXPECT_EQ(again.substr(again.find("\r\nTABLES")), "\r\nTABLES\r\n\r\n" + kept.Cpu);
    EXPECT_EQ(LastReportTexts().Cpu, kept.Cpu);
}

TEST(Report, AFewItemsLeaveOutTheirSectionsAndKeepTheirNumbers) {
    TReportFixture f;
    f.options->SetReportItems((1u << 5) | (1u << 6) | (1u << 7) | (1u << 8) | (1u << 9) | (1u << 13));
    // The last section goes with its title and dash line; the blank line
    // before it stays.
    EXPECT_EQ(BuildReportHeader(f.context), Lines({
                                                "OstrelLog 4.5.4",
                                                "",
                                                "Exception:",
                                                "---------------------------------------------------",
                                                "  2.2 Address: 0000000000401A2C",
                                                "  2.3 Module : Pelgrane",
                                                "  2.4 Type   : EConvertError",
                                                "  2.5 Message: 'abc' is not  a valid integer value.",
                                                "",
                                                "Active Controls:",
                                                "-----------------------------",
                                                "  3.1 Form Class: TUpdateForm",
                                                "",
                                                "Computer:",
                                                "----------------------",
                                                "  4.1 Name: build-host",
                                                "",
                                            }));
    // The values of hidden items are still the context's.
    f.options->SetReportItems(0);
    EXPECT_EQ(BuildReportHeader(f.context), "OstrelLog 4.5.4\r\n\r\n");
    EXPECT_EQ(f.context.AddressText, "0000000000401A2C");
    EXPECT_EQ(f.context.MessageText, "'abc' is not  a valid integer value.");
}

TEST(Report, SectionsAndItemsByTheBitsThatShowThem) {
    const std::uint32_t all = kAllReportItems;
    const struct {
        const char* what;
        std::uint32_t items;
        bool gui;
        const char* present;
        const char* absent;
    } cases[] = {
        {"the five Exception items hidden: their section goes, the next keeps 3", all & ~0x1F0u, true,
         "\"a b\"\r\n\r\nActive Controls:\r\n", "Exception:"},
        {"the same: the next section keeps number 3", all & ~0x1F0u, true, "\r\n  3.1 Form Class   : ", "  2."},
        {"2.1 hidden: the Address keeps 2.2", all & ~0x10u, true,
         "Exception:\r\n---------------------------------------------------\r\n  2.2 Address", "2.1"},
        {"a program without windows has no Active Controls", all, false, "\r\n\r\nComputer:\r\n", "Active Controls"},
        {"a shown item with an empty value ends in \": \"", all, true, "  1.3 Version Number  : \r\n", "\r\n\r\n\r\n"},
    };
    for (const auto& c : cases) {
        TReportFixture f;
        f.options->SetReportItems(c.items);
        f.system.gui = c.gui;
        const std::string header = BuildReportHeader(f.context);
        EXPECT_NE(header.find(c.present), std::string::npos) << c.what << "\n" << header;
        EXPECT_EQ(header.find(c.absent), std::string::npos) << c.what << "\n" << header;
    }
    // With the default texts the first lines are the version, an empty
    // line, "Application:" and a dash line as long as the longest item.
    TReportFixture f;
    const std::vector<std::string> lines = SplitString(BuildReportHeader(f.context), '\n');
    ASSERT_GT(lines.size(), 8u);
    EXPECT_EQ(lines[0], "OstrelLog 4.5.4\r");
    EXPECT_EQ(lines[1], "\r");
    EXPECT_EQ(lines[2], "Application:\r");
    std::size_t longest = 0;
    for (int i = 4; i < 8; ++i) longest = std::max(longest, lines[i].size() - 1);
    EXPECT_EQ(lines[3], std::string(longest, '-') + "\r");
}

TEST(Report, TheExceptionsTypeAndMessage) {
    struct TCase {
        const char* what;
        std::exception_ptr object;
        const char* classOverride;
        const char* messageOverride;
        const char* type;
        const char* message;
    };
    const TCase cases[] = {
        {"ours", std::make_exception_ptr(EConvertError("Bad value")), "", "", "EConvertError", "Bad value."},
        {"a standard one", std::make_exception_ptr(std::out_of_range("vector")), "", "", "out_of_range", "vector."},
        {"ending with a full stop", std::make_exception_ptr(EConvertError("Done.")), "", "", "EConvertError", "Done."},
        {"an empty message", std::make_exception_ptr(EConvertError("")), "", "", "EConvertError", ""},
        {"not of the exception family", std::make_exception_ptr(42), "", "", "int", "Unknown error message."},
        {"no exception at all", nullptr, "", "", "Unknown exception type.", "Unknown error message."},
        {"published by another module", std::make_exception_ptr(42), "EAccessViolation", "Access\tviolation",
         "EAccessViolation", "Access violation."},
    };
    for (const TCase& c : cases) {
        TReportFixture f;
        f.context.ExceptionObject = c.object;
        f.context.ClassNameOverride = c.classOverride;
        f.context.MessageOverride = c.messageOverride;
        const std::string header = BuildReportHeader(f.context);
        EXPECT_EQ(f.context.TypeText, c.type) << c.what;
        EXPECT_EQ(f.context.MessageText, c.message) << c.what;
        EXPECT_NE(header.find(std::string("  2.5 Message: ") + c.message + "\r\n"), std::string::npos) << c.what;
    }
    // No address: empty Address and Module; an address of no module: no Module.
    TReportFixture f;
    f.context.ExceptionAddress = 0;
    BuildReportHeader(f.context);
    EXPECT_EQ(f.context.AddressText, "");
    EXPECT_EQ(f.context.ModuleName, "");
    f.context.ExceptionAddress = 0x1000;
    BuildReportHeader(f.context);
    EXPECT_EQ(f.context.AddressText, "0000000000001000");
    EXPECT_EQ(f.context.ModuleName, "");
}

TEST(Report, TheCpuSectionWithoutRegistersOrReadableMemory) {
    const std::string headings = Lines({
        "",
        "Stack:                               Memory Dump:",
        "----------------------------------   "
        "-----------------------------------------------------------------------------------",
    });
    TReportFixture f;
    f.context.Registers.reset();
    f.context.Memory = nullptr;
    f.context.StackPointer = 0;
    f.context.ExceptionAddress = 0;
    EXPECT_EQ(BuildCpuText(f.context), Lines({
                                           "Registers:",
                                           "---------------------------------------------------",
                                           "RAX   : ????   RDI   : ????",
                                           "RBX   : ????   RSI   : ????",
                                           "RCX   : ????   RSP   : ????",
                                           "RDX   : ????   RIP   : ????",
                                           "RBP   : ????   EFLAGS: ????",
                                           "R8    : ????   R9    : ????",
                                           "R10   : ????   R11   : ????",
                                           "R12   : ????   R13   : ????",
                                           "R14   : ????   R15   : ????",
                                       }) + headings);
    // The dump needs 128 bytes of stack and 256 of code.
    for (const auto& [stackBytes, codeBytes] : {std::pair{120, 256}, std::pair{128, 250}}) {
        TReportFixture g;
        g.memory = TMemoryImage();
        g.memory.Fill(kStackPointer, static_cast<std::size_t>(stackBytes), '\x01');
        g.memory.Fill(kAddress, static_cast<std::size_t>(codeBytes), '\x02');
        const std::string cpu = BuildCpuText(g.context);
        EXPECT_EQ(cpu.substr(cpu.size() - headings.size()), headings) << stackBytes << " " << codeBytes;
    }
}

TEST(Report, TablesWidenToTheirValuesAndCaptions) {
    TReportFixture f;
    f.options->SetText(47, "Return address");       // wider than an address
    f.options->SetText(62, "Module handle value");  // the handle column stays 16
    TOstrelStackList one;
    one.Add(Entry(ekLineInfo, nullptr, 0x401A20, "a\r\nb.cpp", "", "f", 0));
    EXPECT_EQ(BuildCallStackTable(*f.options, one),
              Lines({
                  "Call Stack Information:",
                  "--------------------------------------------------------------",
                  "|Return address  |Module|Unit    |Class|Procedure/Method|Line|",
                  "--------------------------------------------------------------",
                  "|0000000000401A20|      |a  b.cpp|     |f               |    |",
                  "--------------------------------------------------------------",
                  "",
              }));
    EXPECT_EQ(BuildModulesTable(*f.options, {}),
              "Modules Information:\r\n"
              "-----------------------------------------------------\r\n"
              "|Module handle value|Name|Description|Version|Size|Path|\r\n"
              "-----------------------------------------------------\r\n"
              "-----------------------------------------------------");
}

TEST(DateText, TheDayMonthYearTimeAndTheRealZoneOffset) {
    const struct {
        TDateTime at;
        int offset;
        const char* text;
    } cases[] = {
        {At(2024, 3, 5, 9, 7, 3), 480, "Tue, 5 Mar 2024 09:07:03 +0800"},
        {At(2024, 1, 15, 23, 59, 59), -300, "Mon, 15 Jan 2024 23:59:59 -0500"},
        {At(2024, 7, 1, 0, 0, 0), 330, "Mon, 1 Jul 2024 00:00:00 +0530"},
        {At(2023, 12, 31, 12, 30, 0), 345, "Sun, 31 Dec 2023 12:30:00 +0545"},
        {At(2000, 2, 29, 6, 5, 4), -210, "Tue, 29 Feb 2000 06:05:04 -0330"},
        {At(1999, 10, 9, 1, 2, 3), 0, "Sat, 9 Oct 1999 01:02:03 +0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(DateText(c.at, c.offset), c.text);
}

TEST(DateText, LinuxGivesTheOffsetInForceOnThatDay) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    const struct {
        const char* zone;
        TDateTime at;
        int offset;
    } cases[] = {
        {"Europe/Berlin", At(2024, 1, 15, 12, 0, 0), 60},
        {"Europe/Berlin", At(2024, 7, 15, 12, 0, 0), 120},  // daylight saving
        {"Asia/Kolkata", At(2024, 7, 15, 12, 0, 0), 330},
        {"Asia/Kathmandu", At(2024, 7, 15, 12, 0, 0), 345},
        {"America/St_Johns", At(2024, 1, 15, 12, 0, 0), -210},
        {"America/St_Johns", At(2024, 7, 15, 12, 0, 0), -150},
        {"UTC", At(2024, 7, 15, 12, 0, 0), 0},
    };
    for (const auto& c : cases) {
        ::setenv("TZ", c.zone, 1);
        ::tzset();
        EXPECT_EQ(LinuxSystemValues().UtcOffsetMinutes(c.at), c.offset) << c.zone;
    }
    if (saved)
        ::setenv("TZ", before.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(SystemValues, LinuxAnswersFromTheMachine) {
    const IOstrelSystemValues& s = LinuxSystemValues();
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(s.ComputerName(), host);
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(s.UserName(), pw->pw_name);
    std::uint64_t total = 0, available = 0;
    ASSERT_TRUE(s.Memory(total, available));
    EXPECT_GT(total, std::uint64_t{64} << 20);
    EXPECT_LE(available, total);
    ASSERT_TRUE(s.Disk(total, available));
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, total);
    if (FileExists("/etc/os-release")) {
        const std::string release = ReadFileBytes("/etc/os-release");
        const std::size_t at = release.find("PRETTY_NAME=\"");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(s.SystemName(), release.substr(at + 13, release.find('"', at + 13) - at - 13));
    }
    EXPECT_FALSE(s.SystemBuild().empty());
    EXPECT_FALSE(s.Language().empty());
    EXPECT_EQ(s.Parameters(), CommandLineParameters());
    EXPECT_LE(s.StartDate(), s.Now());
    // A report asks them when it is given no values of its own.
    TReportFixture f;
    f.context.System = nullptr;
    EXPECT_NE(BuildReportHeader(f.context).find(std::string("  4.1 Name        : ") + host + "\r\n"),
              std::string::npos);
}
