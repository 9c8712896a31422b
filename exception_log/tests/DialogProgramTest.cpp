// An unhandled exception in a program built like Pelgrane with the report
// shown, under SDL's offscreen driver: a UI script expands the exception
// dialog, turns its pages, closes it, answers the request dialog and ends
// the program; the screenshots of both dialogs are written on the way.
// Then on both backends: what the collapsed dialog shows, and the steps
// asked for with the report shown and with it hidden.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Child.h"
#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "base/Files.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

struct TProgramRun {
    test::TChildResult child;
    std::vector<std::string> reports;
    std::string trace;  // the program's trace file, when it wrote one
};

// A copy of the dialog program run in `dir` on the UI backend `backend`
// (SDL's with its offscreen driver) with the UI script `script`.
TProgramRun RunDialogProgram(const test::TempDir& dir, const std::string& backend, const std::string& script,
                             const std::vector<std::string>& args) {
    const std::string program = test::CopyProgram(DIALOG_PROGRAM, dir.path());
    const std::string log = dir.path() + ExtractFileName(program) + ".elf";
    const std::string trace = ChangeFileExt(program, ".log");
    DeleteFile(log);
    DeleteFile(trace);
    test::TChildRun child;
    child.args = args;
    child.env = {"HOOK_LOG_DIR=" + dir.path(), "XDG_CONFIG_HOME=" + dir.path(), "MENVARO_UI=" + backend,
                 "SDL_VIDEODRIVER=offscreen", "MENVARO_UI_SCRIPT=" + dir.Write("run.script", script)};
    TProgramRun run;
    run.child = test::RunChild(program, child);
    if (FileExists(log)) run.reports = TLogFile(log, false).Reports();
    if (FileExists(trace)) run.trace = ReadFileBytes(trace);
    return run;
}

// The script ran through, the program ended normally, and its one report
// holds the request dialog's answer.
void ExpectOneReportWithTheAnswer(const TProgramRun& run, const std::string& answer) {
    EXPECT_EQ(run.child.status, 0) << run.child.out << run.child.err;
    EXPECT_EQ(run.child.err.find("ui script"), std::string::npos) << run.child.err;
    ASSERT_EQ(run.reports.size(), 1u) << run.child.err;
    EXPECT_NE(run.reports[0].find(answer), std::string::npos) << run.reports[0];
}

// Where the trace holds an operation's first line; npos when nowhere.
std::size_t TraceLineOf(const std::string& trace, const std::string& name) {
    const std::size_t at = trace.find("\n" + name + " ");
    return at == std::string::npos ? at : at + 1;
}

}  // namespace

TEST(DialogProgram, AUiScriptDrivesTheDialogsOfAnUnhandledException) {
    const test::TempDir dir{"dialog-program"};
    const std::string shots = MENVARO_SCREENSHOT_DIR;
    ForceDirectories(shots);
    const std::string collapsed = shots + "/program-exception-dialog-collapsed.png";
    const std::string expanded = shots + "/program-exception-dialog-expanded.png";
    const std::string request = shots + "/program-request-dialog.png";
    for (const std::string& f : {collapsed, expanded, request}) DeleteFile(f);
    const std::string script = dir.Write("run.script",
                                         "click Boom\n"
                                         "expect Tabs visible false\n"
                                         "screenshot Details \"" + collapsed + "\"\n"
                                         "click Details\n"
                                         "expect Details text \"<< &Details\"\n"
                                         "expect Tabs visible true\n"
                                         "screenshot Tabs \"" + expanded + "\"\n"
                                         "type Tabs \"\"\n"
                                         "press right\n"
                                         "press right\n"
                                         "click OK\n"
                                         "type Request \"Pressed build\"\n"
                                         "screenshot Request \"" + request + "\"\n"
                                         "click OK\n"
                                         "close Main\n");
    test::TChildRun child;
    child.env = {"HOOK_LOG_DIR=" + dir.path(), "XDG_CONFIG_HOME=" + dir.path(), "MENVARO_UI=sdl",
                 "SDL_VIDEODRIVER=offscreen", "MENVARO_UI_SCRIPT=" + script};
    const test::TChildResult run = test::RunChild(DIALOG_PROGRAM, child);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err.find("ui script"), std::string::npos) << run.err;
    for (const std::string& f : {collapsed, expanded, request}) EXPECT_TRUE(FileExists(f)) << f;
    // One report, of the throw, with the answer of the request dialog.
    const std::string log = dir.path() + "exception_log_dialog_program.elf";
    ASSERT_TRUE(FileExists(log)) << run.err;
    const std::vector<std::string> reports = TLogFile(log, false).Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(hookfn::NamesTheThrowSite(reports[0])) << reports[0];
    EXPECT_NE(reports[0].find("Pressed build"), std::string::npos) << reports[0];
}

// The whole road of an unhandled exception with the report shown, on both
// backends: the collapsed exception dialog holds the exception's own
// message; the report is logged before the copy chosen in the dialog goes
// to the clipboard, and the steps asked for after the dialog are logged
// with it.
TEST(DialogProgram, TheDialogShowsTheMessageAndTheClipboardCopyFollowsTheLog) {
    for (const std::string backend : {"headless", "sdl"}) {
        SCOPED_TRACE(backend);
        const test::TempDir dir{"dialog-message"};
        const TProgramRun run = RunDialogProgram(dir, backend,
                                                 "click Boom\n"
                                                 "expect Message text \"Bad number 9.\"\n"
                                                 "expect Tabs visible false\n"
                                                 "click Clipboard\n"
                                                 "click OK\n"
                                                 "type Request \"Pressed build\"\n"
                                                 "click OK\n"
                                                 "close Main\n",
                                                 {"shown", "DEBUG"});
        ExpectOneReportWithTheAnswer(run, "Pressed build");
        const std::size_t shown = TraceLineOf(run.trace, "ShowDialog");
        const std::size_t asked = TraceLineOf(run.trace, "ShowRequestDialog");
        const std::size_t saved = TraceLineOf(run.trace, "SaveLogFile");
        const std::size_t copied = TraceLineOf(run.trace, "CopyReportToClipboard");
        ASSERT_NE(copied, std::string::npos) << run.trace;
        EXPECT_LT(shown, asked) << run.trace;
        EXPECT_LT(asked, saved) << run.trace;
        EXPECT_LT(saved, copied) << run.trace;
    }
}

// With the report not shown, the steps that led to the error are still
// asked for, and logged with the report.
TEST(DialogProgram, WithTheReportHiddenTheStepsAreStillAskedFor) {
    for (const std::string backend : {"headless", "sdl"}) {
        SCOPED_TRACE(backend);
        const test::TempDir dir{"dialog-hidden"};
        const TProgramRun run = RunDialogProgram(dir, backend,
                                                 "click Boom\n"
                                                 "type Request \"Pressed build twice\"\n"
                                                 "click OK\n"
                                                 "close Main\n",
                                                 {"hidden", "DEBUG"});
        ExpectOneReportWithTheAnswer(run, "Pressed build twice");
        EXPECT_NE(TraceLineOf(run.trace, "ShowRequestDialog"), std::string::npos) << run.trace;
        EXPECT_EQ(TraceLineOf(run.trace, "ShowDialog"), std::string::npos) << run.trace;
    }
}
