#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "Child.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/FormatSettings.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

// The time of a line as "TIME".
std::string Masked(const std::string& line) {
    static const std::regex time(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)");
    return std::regex_replace(line, time, "TIME");
}

std::vector<std::string> MaskedLines() {
    std::vector<std::string> lines;
    for (const std::string& l : TraceLines()) lines.push_back(Masked(l));
    return lines;
}

class Trace : public ::testing::Test {
protected:
    // On, but never written: the switches of the test's command line do not ask for the file.
    void SetUp() override {
        InitializeTrace({});
        EnableTrace();
    }
    void TearDown() override { InitializeTrace({}); }
};

}  // namespace

TEST_F(Trace, ArgumentsArePrintedByTheirType) {
    TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>("", false));
    const TOstrelModuleOptions* none = nullptr;
    FormatSettings().CurrencyString = "¥";
    struct Case {
        std::function<void()> call;
        const char* line;
    } cases[] = {
        {[] { TraceCall("N"); }, "N  TIME"},
        {[] { TraceCall("N", {42}); }, "N  TIME(42)"},
        {[] {
             TraceCall("N", {-7, 3000000000u});
         },
         "N  TIME(-7, 3000000000)"},
        {[] {
             TraceCall("N", {true, false});
         },
         "N  TIME(True, False)"},
        {[] { TraceCall("N", {'x'}); }, "N  TIME(x)"},
        {[] {
             TraceCall("N", {1.5, 0.1});
         },
         "N  TIME(1.5, 0.1)"},
        {[] { TraceCall("N", {std::string()}); }, "N  TIME('')"},
        {[] {
             TraceCall("N", {"c text", std::string("long text")});
         },
         "N  TIME('c text', 'long text')"},
        {[] { TraceCall("N", {static_cast<const char*>(nullptr)}); }, "N  TIME('')"},
        {[] { TraceCall("N", {nullptr}); }, "N  TIME(nil)"},
        {[&] { TraceCall("N", {reinterpret_cast<int*>(0x1234ABCDu)}); }, "N  TIME($000000001234ABCD)"},
        {[&] {
             TraceCall("N", {options.get(), none});
         },
         "N  TIME(TOstrelModuleOptions, nil)"},
        {[] { TraceCall("N", {TTraceArg::Currency(12345678)}); }, "N  TIME(¥1,234.57)"},
        {[] { TraceCall("N", {TTraceArg::Currency(-5000)}); }, "N  TIME(-¥0.50)"},
        {[] {
             TraceCall("SendEmailBySmtp", {"mx", TTraceArg::Masked(), TTraceArg::Masked()});
         },
         "SendEmailBySmtp  TIME('mx', '***', '***')"},
        {[] { TraceCall("N", {TTraceArg::Unknown()}); }, "N  TIME(Unknown)"},
    };
    for (const Case& c : cases) {
        InitializeTrace({});
        EnableTrace();
        c.call();
        EXPECT_EQ(MaskedLines(), std::vector<std::string>{c.line});
    }
    FormatSettings() = TFormatSettings();
}

TEST_F(Trace, AnOperationsLinesStandAtTheOuterLevel) {
    TraceCall("Outer", {1}, 2);
    TraceCall("Inner", {}, 2);
    TraceCall("Note");
    TraceCall("Inner=", {true}, -2);
    TraceCall("Outer=", {false}, -2);
    TraceCall("After", {}, -2);  // the indent never goes below none
    TraceCall("Last");
    EXPECT_EQ(MaskedLines(), (std::vector<std::string>{
                                 "Outer  TIME(1)",
                                 "Inner    TIME",
                                 "Note      TIME",
                                 "Inner=    TIME(True)",
                                 "Outer=  TIME(False)",
                                 "After  TIME",
                                 "Last  TIME",
                             }));
    const std::vector<std::string> raw = TraceLines();
    EXPECT_TRUE(std::regex_match(raw[0], std::regex(R"(Outer  \d\d/\d\d/\d\d \d\d:\d\d:\d\d\(1\))")));
}

TEST_F(Trace, NothingIsKeptWhileTheTraceIsOff) {
    InitializeTrace({"x"});
    EXPECT_FALSE(IsTraceEnabled());
    TraceCall("Lost", {1}, 2);
    EXPECT_TRUE(TraceLines().empty());
    EnableTrace();
    TraceCall("Kept");
    EXPECT_EQ(MaskedLines(), std::vector<std::string>{"Kept  TIME"});  // the lost +2 left no indent
    EXPECT_FALSE(InsideDevelopmentEnvironment());
}

// The switches and the file, in a program copied into a folder of its own.
namespace {

struct ProbeRun {
    test::TChildResult result;
    bool hasFile = false;
    std::vector<std::string> lines;  // of the file, times masked
};

ProbeRun RunTraceProbe(const std::string& mode, const std::vector<std::string>& args,
                       const std::function<void(const std::string& dir)>& prepare = nullptr) {
    test::TempDir dir("trace");
    const std::string copy = test::CopyProgram(PROBE_GUI, dir.path(), "probe");
    if (prepare) prepare(dir.path());
    ProbeRun run;
    run.result = test::RunChild(copy, {args, {"PROBE_MODE=" + mode}, {}, false});
    const std::string log = dir.path() + "probe.log";
    run.hasFile = FileExists(log);
    if (run.hasFile) {
        const std::string text = ReadFileBytes(log);
        EXPECT_TRUE(text.empty() || EndsText("\r\n", text));
        for (const std::string& l : SplitString(text, '\n'))
            if (!l.empty()) run.lines.push_back(Masked(l.substr(0, l.size() - (l.back() == '\r'))));
    }
    return run;
}

const std::vector<std::string> kProbeLines = {
    "Probe.Run  TIME('x')",
    "Probe.Step    TIME(1, True)",
    "Probe.Run=  TIME(False)",
};

}  // namespace

TEST(TraceSwitches, TheLastParameterDecides) {
    struct Case {
        std::vector<std::string> args;
        bool file;
        const char* counts;  // lines in the file after each of the probe's three lines
    } cases[] = {
        {{}, false, "0 0 0"},
        {{"debug"}, true, "0 0 0"},  // written at shut-down
        {{"run", "/x", "DeBuG"}, true, "0 0 0"},
        {{"--debug-run"}, true, "0 0 0"},  // "contains"
        {{"DEBUG", "x"}, false, "0 0 0"},  // not the last
        {{"SAVE"}, false, "0 0 0"},        // SAVE alone turns nothing on
        {{"debug,save"}, true, "1 2 3"},   // every line as it is made
    };
    for (const Case& c : cases) {
        const std::string what = c.args.empty() ? "(none)" : c.args.back();
        const ProbeRun run = RunTraceProbe("trace", c.args);
        EXPECT_EQ(run.result.status, 0) << what << run.result.err;
        EXPECT_EQ(run.hasFile, c.file) << what;
        if (c.file) {
            EXPECT_EQ(run.lines, kProbeLines) << what;
        }
        EXPECT_NE(run.result.out.find(std::string("lines in file: ") + c.counts + "\n"), std::string::npos)
            << what << ": " << run.result.out;
    }
}

TEST(TraceSwitches, EachLineIsAppendedNotTheWholeFileRewritten) {
    const ProbeRun run = RunTraceProbe("trace", {"x", "DEBUGSAVE"});
    EXPECT_NE(run.result.out.find("same file: yes"), std::string::npos) << run.result.out;
    EXPECT_EQ(run.lines, kProbeLines);  // and shut-down leaves it whole
}

TEST(TraceSwitches, AKeptTraceIsWrittenOnlyByTheInternalErrorReport) {
    // As with a debugger attached: the trace is on, but SaveTrace writes
    // nothing without "DEBUG"; SaveTraceNow does.
    const ProbeRun run = RunTraceProbe("enable", {"save"});
    EXPECT_EQ(run.result.out, "after SaveTrace: none\nafter SaveTraceNow: file\n");
    EXPECT_EQ(run.lines, std::vector<std::string>{"Probe.Enabled  TIME"});
}

TEST(TraceSwitches, AFileThatCannotBeWrittenDisturbsNothing) {
    // A folder stands where the file would go.
    const ProbeRun run = RunTraceProbe("trace", {"debug save"},
                                       [](const std::string& dir) { ASSERT_TRUE(CreateDir(dir + "probe.log")); });
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_NE(run.result.out.find("lines in file: 0 0 0"), std::string::npos) << run.result.out;
    EXPECT_EQ(run.result.err, "");
}
