// The logger carried from a program's start-up: what reaches terminate,
// the fatal signals and a frozen main window each give one report in the
// program's log; the program then ends as it would without the logger.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "SocketPeer.h"
#include "base/Files.h"
#include "testsupport/ChildProgram.h"
#include "testsupport/PngFile.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

// The address and thread sanitizers handle a fault themselves after the
// logger: their own report follows, and they end the process with an exit
// status of their own (1, 66) rather than by the signal.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizer = true;
#else
constexpr bool kSanitizer = false;
#endif

struct TRun {
    int status = -1;
    std::string output;
    std::vector<std::string> reports;
    // From the signal sent (or the start) to the program's end.
    std::chrono::milliseconds took{0};
};

// Runs the program with its log in a folder of its own (holding `log` at
// the start) and `env` in its environment; with `signal`, sends it once it
// has said "ready".
TRun RunProgram(const std::string& program, const std::vector<std::string>& args, int signal = 0,
                const std::string& log = "", std::vector<std::string> env = {}) {
    const test::TempDir dir{"activation"};
    if (!log.empty()) dir.Write(ExtractFileName(program) + ".elf", log);
    TRun run;
    int out[2], in[2];
    if (::pipe(out) != 0 || ::pipe(in) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // What the caller gives goes over these.
    env.insert(env.begin(), {"HOOK_LOG_DIR=" + dir.path(), "MENVARO_UI=headless"});
    test::TCommandLine line(program, args, env);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, line.Argv(), line.Envp());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (spawned != 0) return run;
    auto from = std::chrono::steady_clock::now();
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<std::size_t>(n));
        if (signal && run.output.find("ready\n") != std::string::npos) {
            from = std::chrono::steady_clock::now();
            ::kill(pid, signal);
            signal = 0;
        }
    }
    ::close(out[0]);
    ::close(in[1]);
    ::waitpid(pid, &run.status, 0);
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from);
    const std::string logFile = dir.path() + ExtractFileName(program) + ".elf";
    if (FileExists(logFile)) run.reports = TLogFile(logFile, false).Reports();
    return run;
}

bool EndedBy(int status, int signal) { return WIFSIGNALED(status) && WTERMSIG(status) == signal; }

bool EndedByFault(int status, int signal) {
    return EndedBy(status, signal) || (kSanitizer && WIFEXITED(status) && WEXITSTATUS(status) != 0);
}

using hookfn::HasItem;


}  // namespace

TEST(Activation, AnUnhandledThrowGivesOneReportOfItsSiteAndStatusOne) {
    const TRun run = RunProgram(CONSOLE_PROGRAM, {"throw"});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
    ASSERT_EQ(run.reports.size(), 1u) << run.output;
    const std::string& r = run.reports[0];
    EXPECT_TRUE(HasItem(r, "2.4", "EConvertError")) << r;
    EXPECT_TRUE(HasItem(r, "2.5", "Bad number 9.")) << r;
    EXPECT_TRUE(hookfn::NamesTheThrowSite(r)) << r;
}

TEST(Activation, AFaultGivesAReportWithTheRegistersThenEndsByTheSignal) {
    const TRun run = RunProgram(CONSOLE_PROGRAM, {"segv"});
    EXPECT_TRUE(EndedByFault(run.status, SIGSEGV)) << run.status;
    ASSERT_EQ(run.reports.size(), 1u);
    const std::string& r = run.reports[0];
    EXPECT_TRUE(HasItem(r, "2.4", "EAccessViolation")) << r;
    EXPECT_NE(r.find(". Write of address "), std::string::npos) << r;
    EXPECT_NE(r.find("|WriteNowhere"), std::string::npos) << r;
    EXPECT_EQ(r.find("RAX   : ????"), std::string::npos) << r;
    EXPECT_NE(r.find("RIP   : "), std::string::npos) << r;
}

TEST(Activation, AbortAndASignalFromOutsideEachGiveAReport) {
    const TRun aborted = RunProgram(CONSOLE_PROGRAM, {"abort"});
    EXPECT_TRUE(EndedBy(aborted.status, SIGABRT)) << aborted.status;
    ASSERT_EQ(aborted.reports.size(), 1u);
    EXPECT_TRUE(HasItem(aborted.reports[0], "2.4", "EExternalException")) << aborted.reports[0];

    // Sent by another process: named as sent, by this test's process.
    const TRun sent = RunProgram(CONSOLE_PROGRAM, {"wait"}, SIGSEGV);
    EXPECT_TRUE(EndedByFault(sent.status, SIGSEGV)) << sent.status;
    ASSERT_EQ(sent.reports.size(), 1u);
    EXPECT_TRUE(HasItem(sent.reports[0], "2.4", "EExternalException")) << sent.reports[0];
    EXPECT_TRUE(HasItem(sent.reports[0], "2.5",
                        "Signal 11 (SIGSEGV) was sent to the program by process " + std::to_string(::getpid()) +
                            " (user " + std::to_string(::getuid()) + ").")) << sent.reports[0];
}

// What every report of a fatal signal holds, the short one of the signal
// handler as well as the full one: type, message, address, a call stack of
// return addresses, and the registers.
void ExpectSignalReport(const std::string& r, const std::string& type) {
    EXPECT_TRUE(HasItem(r, "2.4", type)) << r;
    EXPECT_NE(r.find("\r\n  2.5 Message: "), std::string::npos) << r;
    EXPECT_NE(r.find("\r\n  2.2 Address: 0"), std::string::npos) << r;
    const std::size_t stack = r.find("\r\n|Address         |Module");
    ASSERT_NE(stack, std::string::npos) << r;
    // The caption row, the separator, then at least one address.
    const std::size_t row = r.find("\r\n", r.find("\r\n", stack + 2) + 2);
    ASSERT_NE(row, std::string::npos) << r;
    EXPECT_EQ(r.find_first_not_of("0123456789ABCDEF", row + 3), row + 19) << r;
    EXPECT_NE(r.find("RIP   : "), std::string::npos) << r;
    EXPECT_EQ(r.find("RIP   : ????"), std::string::npos) << r;
}

// A bound far above what a report takes, far below the half minute a
// stuck report used to hold the program.
constexpr std::chrono::seconds kEndsSoon{20};

// The allocator finds the heap corrupt in a worker thread and aborts there
// with its arena's lock held, a lock the report may need: a report is
// logged all the same (the log keeping its 32 newest) and the program ends
// by the abort.
TEST(Activation, HeapCorruptionInAWorkerIsLoggedAndEndsTheProgram) {
    if (kSanitizer) GTEST_SKIP() << "the sanitizer's allocator reports a double free itself";
    std::string full;
    for (int i = 0; i < 32; ++i) full += "OstrelLog 4.5.4\r\n  2.5 Message: old " + std::to_string(i) + "\r\n\r\n\r\n\r\n";
    const TRun run = RunProgram(CONSOLE_PROGRAM, {"double-free"}, 0, full);
    EXPECT_TRUE(EndedBy(run.status, SIGABRT)) << run.status << run.output;
    EXPECT_LT(run.took, kEndsSoon);
    ASSERT_EQ(run.reports.size(), 32u) << run.output;
    EXPECT_TRUE(HasItem(run.reports[0], "2.5", "old 1")) << run.reports[0];
    const std::string& r = run.reports.back();
    ExpectSignalReport(r, "EExternalException");
    EXPECT_TRUE(HasItem(r, "2.5", "The program was ended by signal 6 (SIGABRT).")) << r;
}

// A signal that lands while the main thread is inside the allocator: one
// report, and the program ends by the signal soon.
TEST(Activation, ASignalInsideTheAllocatorIsLoggedAndEndsTheProgram) {
    for (int signal : {SIGSEGV, SIGBUS}) {
        const TRun run = RunProgram(CONSOLE_PROGRAM, {"allocate"}, signal);
        EXPECT_TRUE(EndedByFault(run.status, signal)) << run.status;
        EXPECT_LT(run.took, kEndsSoon);
        ASSERT_EQ(run.reports.size(), 1u) << run.output;
        ExpectSignalReport(run.reports[0], "EExternalException");
    }
}

// The program run under a tracer that stands for a debugger: every signal
// the program gets is passed on to it. Its wait status.
int RunTraced(const std::string& program, const std::vector<std::string>& args, const std::string& logDir) {
    test::TCommandLine line(program, args, {"HOOK_LOG_DIR=" + logDir});
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execve(program.c_str(), line.Argv(), line.Envp());
        ::_exit(127);
    }
    int status = -1;
    while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        // The stop at the start (exec) goes on quietly; any other signal is delivered.
        const int signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<std::intptr_t>(signal)));
    }
    return status;
}

// The trace starts before the logger and ends after it: a last parameter
// with DEBUG (in any letter case) writes the logger's start and end to the
// program's ".log" at its end, with SAVE line by line; under a debugger the
// trace is kept from the start and the report writes it.
TEST(Activation, TheTraceHoldsTheLoggersStartAndEnd) {
    const test::TempDir dir{"trace"};
    const std::string program = test::CopyProgram(CONSOLE_PROGRAM, dir.path());
    const std::string trace = ChangeFileExt(program, ".log");
    auto lines = [&](const std::string& name) {
        const std::string text = FileExists(trace) ? ReadFileBytes(trace) : "";
        int n = 0;
        for (std::size_t at = 0; (at = text.find(name + "  ", at)) != std::string::npos; ++at)
            n += at == 0 || text[at - 1] == '\n';
        return n;
    };
    for (const char* parameter : {"xDeBuGx", "DEBUGSAVE"}) {
        SCOPED_TRACE(parameter);
        DeleteFile(trace);
        const TRun run = RunProgram(program, {"nothing", parameter});
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.output;
        // The entry and exit lines of each.
        EXPECT_EQ(lines("InitializeLogger"), 2) << ReadFileBytes(trace);
        EXPECT_EQ(lines("FinalizeLogger"), 2) << ReadFileBytes(trace);
    }
    DeleteFile(trace);
    const TRun plain = RunProgram(program, {"throw"});
    EXPECT_EQ(plain.reports.size(), 1u);
    EXPECT_FALSE(FileExists(trace));
    const int traced = RunTraced(program, {"throw"}, dir.path());
    EXPECT_TRUE(WIFEXITED(traced) && WEXITSTATUS(traced) == 1) << traced;
    EXPECT_EQ(lines("InitializeLogger"), 2) << ReadFileBytes(trace);
    EXPECT_GE(lines("InternalExceptNotify"), 1) << ReadFileBytes(trace);
}

TEST(Activation, AProgramWithoutItsContainerKeepsItsHandlers) {
    const TRun run = RunProgram(PLAIN_PROGRAM, {"nothing"});
    EXPECT_EQ(run.output, "not activated\n");
}

TEST(Activation, AFrozenMainWindowGivesOneReportOfTheMainThread) {
    const TRun frozen = RunProgram(GUI_PROGRAM, {"freeze", "1500"});
    EXPECT_TRUE(WIFEXITED(frozen.status) && WEXITSTATUS(frozen.status) == 0) << frozen.output;
    ASSERT_EQ(frozen.reports.size(), 1u) << frozen.output;
    const std::string& r = frozen.reports[0];
    EXPECT_TRUE(HasItem(r, "2.4", "EFrozenApplication")) << r;
    EXPECT_TRUE(HasItem(r, "2.5", "The application seems to be frozen.")) << r;
    // The main thread's stack, not the watchdog's.
    EXPECT_NE(r.find("|Freeze "), std::string::npos) << r;
    EXPECT_EQ(r.find("FreezeExecute"), std::string::npos) << r;

    const TRun brief = RunProgram(GUI_PROGRAM, {"freeze", "300"});
    EXPECT_TRUE(WIFEXITED(brief.status) && WEXITSTATUS(brief.status) == 0);
    EXPECT_TRUE(brief.reports.empty());
}

// Options that mail by SMTP to a local server: the report of an unhandled
// exception arrives with the log's copy and a screenshot that decodes, and
// nothing of them stays in the temporary folder.
TEST(Activation, AnUnhandledThrowIsMailedWithTheScreenshot) {
    test::TSocketPeer server(SMTP_PEER_SCRIPT, "smtp", "{}");
    const test::TempDir temporary{"mail-temporary"};
    const TRun run = RunProgram(GUI_PROGRAM, {"mail", std::to_string(server.Port())}, 0, "",
                                {"TMPDIR=" + temporary.path()});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
    ASSERT_EQ(run.reports.size(), 1u) << run.output;
    const std::vector<test::TReceived> got = test::ReceivedMail(server);
    ASSERT_EQ(got.size(), 1u) << server.Log();
    const test::TReceived& m = got[0];
    EXPECT_EQ(m.Defects, 0);
    EXPECT_EQ(m.From, "crash@menvaro.local");
    EXPECT_EQ(m.Rcpt, std::vector<std::string>{"support@menvaro.test"});
    EXPECT_EQ(m.Headers.at("Subject"), "Pelgrane error report");
    EXPECT_EQ(m.Text.substr(0, 16), "An error report.");
    ASSERT_EQ(m.Attachments.size(), 2u);
    EXPECT_EQ(m.Attachments[0].Name, "exception_log_activation_gui.elf");
    const std::string& log = m.Attachments[0].Data;
    EXPECT_TRUE(HasItem(log, "2.4", "EConvertError")) << log;
    EXPECT_TRUE(HasItem(log, "2.5", "Bad number 9.")) << log;
    EXPECT_EQ(m.Attachments[1].Name, "Screenshot.png");
    EXPECT_EQ(m.Attachments[1].Type, "image/png");
    const test::TempDir dir{"mailed"};
    const std::string png = dir.Write("Screenshot.png", m.Attachments[1].Data);
    test::PngImage image;
    ASSERT_TRUE(test::ReadPngFile(png, image));
    // The desktop holds the program's window at (10, 10, 200, 100).
    EXPECT_GE(image.w, 200);
    EXPECT_GE(image.h, 100);
    EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
}

// A time-out of 0 or less turns the watchdog off; a new time-out given to
// the running watchdog is the one it waits for.
TEST(Activation, TheWatchdogFollowsItsTimeOutAsItChanges) {
    for (const char* timeout : {"0", "-1"}) {
        const TRun off = RunProgram(GUI_PROGRAM, {"freeze", "1500", timeout});
        EXPECT_TRUE(WIFEXITED(off.status) && WEXITSTATUS(off.status) == 0) << off.output;
        EXPECT_TRUE(off.reports.empty()) << timeout << ": " << off.reports.size();
    }
    const TRun retimed = RunProgram(GUI_PROGRAM, {"retime", "1500"});
    EXPECT_TRUE(WIFEXITED(retimed.status) && WEXITSTATUS(retimed.status) == 0) << retimed.status;
    ASSERT_EQ(retimed.reports.size(), 1u) << retimed.output;
    EXPECT_TRUE(HasItem(retimed.reports[0], "2.4", "EFrozenApplication")) << retimed.reports[0];
}

// Switched off (Active false) the logger reports nothing on any road, and
// the program ends as it would without it: by the signal, or through abort
// for what reaches terminate.
TEST(Activation, ASwitchedOffLoggerReportsNothingOnAnyRoad) {
    struct Case {
        std::vector<std::string> args;
        int signal;  // sent from outside once the program is ready; 0: none
        int endsBy;  // the signal it ends by; 0: exit status 0
    };
    const Case cases[] = {
        {{"inactive", "segv"}, 0, SIGSEGV},
        {{"inactive", "abort"}, 0, SIGABRT},
        {{"inactive", "wait"}, SIGBUS, SIGBUS},
        {{"inactive", "throw"}, 0, SIGABRT},
        {{"inactive", "freeze", "1500"}, 0, 0},
    };
    for (const Case& c : cases) {
        const TRun run = RunProgram(GUI_PROGRAM, c.args, c.signal);
        const std::string what = c.args[1];
        if (c.endsBy)
            EXPECT_TRUE(EndedByFault(run.status, c.endsBy)) << what << ": " << run.status;
        else
            EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << what << ": " << run.output;
        EXPECT_TRUE(run.reports.empty()) << what << ": " << (run.reports.empty() ? "" : run.reports[0]);
    }
}
