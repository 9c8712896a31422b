#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "Bytes.h"
#include "Child.h"
#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "base/Streams.h"
#include "base/Strings.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

using test::Hex;

std::string Le32(std::size_t n) {
    std::string b;
    for (int i = 0; i < 4; ++i) b += static_cast<char>((n >> (8 * i)) & 0xFF);
    return b;
}

// A module handle no module has, for blocks of "another module".
constexpr std::uintptr_t kOtherModule = 0x7A0000;

}  // namespace

TEST(Modules, TheLoggersModuleIsThisProgram) {
    const std::uintptr_t self = LoggerModuleHandle();
    ASSERT_NE(self, 0u);
    EXPECT_EQ(ModuleFileName(self), ProgramPath());
    EXPECT_EQ(ProgramPath(), ExeName());
    EXPECT_EQ(ModuleHandleOf(ProgramPath()), self);
    EXPECT_EQ(ModuleHandleOf(ExtractFileName(ProgramPath())), self);
    EXPECT_NE(ModuleHandleOf("libc.so.6"), 0u);
    EXPECT_EQ(ModuleHandleOf("/no/such/module.so"), 0u);
    EXPECT_EQ(ModuleHandleOf(""), 0u);
    EXPECT_EQ(ModuleFileName(kOtherModule), "");
    EXPECT_FALSE(UsesRuntimePackages());  // the class library is linked in
    int local = 0;
    EXPECT_GT(StackBase(), reinterpret_cast<std::uintptr_t>(&local));
    EXPECT_EQ(CodeAddress(0x400000, 0x10), 0x401010u);
    EXPECT_EQ(FileSizeOf(ProgramPath()), static_cast<std::uint32_t>(FileSize(ProgramPath())));
    EXPECT_EQ(FileSizeOf("/no/such/file"), 0u);
    EXPECT_EQ(FileSizeOf("/"), 0u);
}

TEST(SharedBlocks, ABlockHoldsItsTotalSizeThenThePayload) {
    EXPECT_EQ(SharedBlockName(0x1234, 0x400000, "EXCEPT"), "000012340000000000400000EXCEPT");
    {
        TSharedBlock made = CreateSharedBlock(kOtherModule, "MODULE", 1);
        ASSERT_TRUE(made);
        EXPECT_EQ(Hex(made.Bytes()), "05 00 00 00 00");
        // Opened by another module with size 0, or with another size: the size it has.
        TSharedBlock opened = CreateSharedBlock(kOtherModule, "MODULE", 0);
        TSharedBlock larger = CreateSharedBlock(kOtherModule, "MODULE", 100);
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened.PayloadSize(), 1u);
        EXPECT_EQ(larger.PayloadSize(), 1u);
        EXPECT_TRUE(opened.Write(0, "\x01"));
        EXPECT_EQ(Hex(made.Bytes()), "05 00 00 00 01");
        // Writes stay inside the payload.
        EXPECT_FALSE(larger.Write(0, "ab"));
        EXPECT_FALSE(larger.Write(2, ""));
        EXPECT_EQ(Hex(made.Payload()), "01");
        // The block lives while a handle is open.
        made.Release();
        ReleaseSharedBlock(opened);
        EXPECT_TRUE(CreateSharedBlock(kOtherModule, "MODULE", 0));
    }
    // Opening one that was never made (or is gone) gives nothing, and leaves nothing.
    EXPECT_FALSE(CreateSharedBlock(kOtherModule, "MODULE", 0));
    EXPECT_FALSE(CreateSharedBlock(kOtherModule, "NEVER", 0));
    EXPECT_FALSE(CreateSharedBlock(kOtherModule, "NEVER", 0));
    EXPECT_FALSE(CreateSharedBlock(kOtherModule, "HUGE", 0x7FFFFFFF));
}

TEST(SharedBlocks, ThisModulesExceptionIsPublishedForTheOthers) {
    struct Case {
        std::exception_ptr exception;
        const char* className;
        const char* message;
    } cases[] = {
        {std::make_exception_ptr(EConvertError("'x' is not a valid integer value")), "EConvertError",
         "'x' is not a valid integer value"},
        {std::make_exception_ptr(std::runtime_error("disk full\r\n")), "runtime_error", "disk full"},
        {std::make_exception_ptr(42), "int", "Unknown error message."},
        {nullptr, "Unknown exception type.", "Unknown error message."},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(PublishExceptionBlock(c.exception));
        TSharedBlock block = CreateSharedBlock(LoggerModuleHandle(), "EXCEPT", 0);
        ASSERT_TRUE(block);
        const std::string payload = std::string(1, '\1') + StoredString(c.className) + StoredString(c.message);
        EXPECT_EQ(block.Bytes().substr(0, 4), Le32(payload.size() + 4));
        EXPECT_EQ(block.Payload(), payload) << c.className;
        TExceptionBlock read;
        ASSERT_TRUE(ReadExceptionBlock(LoggerModuleHandle(), read));
        EXPECT_TRUE(read.Flag);
        EXPECT_EQ(read.ClassName, c.className);
        EXPECT_EQ(read.Message, c.message);
    }
    EXPECT_EQ(Hex(CreateSharedBlock(LoggerModuleHandle(), "EXCEPT", 0).Payload().substr(0, 6)), "01 17 00 00 00 55");

    // Another module's block that lies about its lengths is not read past its end.
    TSharedBlock other = CreateSharedBlock(kOtherModule, "EXCEPT", 9);
    ASSERT_TRUE(other.Write(0, std::string("\x01\xE8\x03\x00\x00"
                                           "abc",
                                           8)));
    TExceptionBlock read;
    ClearWarning();
    EXPECT_FALSE(ReadExceptionBlock(kOtherModule, read));
    EXPECT_EQ(LastWarningMessage(),
              "The published exception is damaged: the length of the class name (1000 bytes at byte 1) runs past "
              "the end.");
    EXPECT_FALSE(ReadExceptionBlock(kOtherModule + 1, read));  // none at all
    ClearWarning();
}

TEST(SharedBlocks, ModuleOptionsArePublishedAsFlagAndStream) {
    TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>("", false));
    options->SetMailTo("support@example.org");
    options->SetSendMode(2);
    ASSERT_TRUE(PublishModuleBlock(*options));
    TMemoryStream stream;
    options->SaveToStream(stream);
    const TSharedBlock block = CreateSharedBlock(LoggerModuleHandle(), "MODULE", 0);
    EXPECT_EQ(block.Payload(), "\x01" + stream.Bytes());
    EXPECT_EQ(block.PayloadSize(), 1 + stream.Bytes().size());

    TOwned<TOstrelModuleOptions> read(Create<TOstrelModuleOptions>("", false));
    ASSERT_TRUE(ReadModuleBlock(LoggerModuleHandle(), *read));
    EXPECT_EQ(read->MailTo(), "support@example.org");
    EXPECT_EQ(read->SendMode(), 2);
    // A block whose flag is 0 (made at start-up, nothing published yet), or none.
    TSharedBlock idle = CreateSharedBlock(kOtherModule, "MODULE", 1);
    EXPECT_FALSE(ReadModuleBlock(kOtherModule, *read));
    EXPECT_FALSE(ReadModuleBlock(kOtherModule + 1, *read));
}

TEST(Warnings, TheLastWarningIsRecordedAndTraced) {
    InitializeTrace({});
    EnableTrace();
    ReportWarning(eeLogError, "disk full");
    EXPECT_EQ(LastWarningCode(), eeLogError);
    EXPECT_EQ(LastWarningMessage(), "disk full");
    ASSERT_EQ(TraceLines().size(), 1u);
    EXPECT_EQ(TraceLines()[0].rfind("[WARNING] - Code: eeLogError - Message: \"disk full\"  ", 0), 0u)
        << TraceLines()[0];
    try {
        throw EInOutError("cannot write");
    } catch (...) {
        ReportWarningFromException(eeShowError, "Console");
    }
    EXPECT_EQ(LastWarningCode(), eeShowError);
    EXPECT_EQ(LastWarningMessage(), "[Console] cannot write");
    try {
        throw 7;
    } catch (...) {
        ReportWarningFromException(eeEmailMAPIError, "MAPI");
    }
    EXPECT_EQ(LastWarningMessage(), "General 'MAPI' error.");
    ClearWarning();
    EXPECT_EQ(LastWarningCode(), eeNone);
    EXPECT_EQ(LastWarningMessage(), "");
    const char* names[] = {"eeNone",           "eeShowError",       "eeLogError",
                           "eeEmailMAPIError", "eeEmailShellError", "eeEmailSMTPError"};
    for (int i = 0; i <= eeEmailSMTPError; ++i) EXPECT_STREQ(ErrorCodeName(TOstrelLogErrorCode(i)), names[i]);
    InitializeTrace({});
}

TEST(Warnings, AnInternalErrorWithTheTraceOffAsksNothing) {
    InitializeTrace({});
    try {
        throw EConvertError("bad value");
    } catch (...) {
        ReportInternalError("InternalExceptNotify.7");
    }
    EXPECT_TRUE(TraceLines().empty());
    // EAbort is no internal error at all.
    EnableTrace();
    try {
        throw EAbort();
    } catch (...) {
        ReportInternalError("InternalExceptNotify.3");
    }
    EXPECT_TRUE(TraceLines().empty());
    InitializeTrace({});
}

TEST(WebOutput, TheErrorPageEscapesTheReport) {
    EXPECT_EQ(WebErrorPage("Error.", "a b\r\nc"),
              "<html><head><title>Error.</title></head><body><p><small><font face=\"Lucida Console,Courier\">"
              "a&nbsp;b<br>c</font></small></p></body></html>");
    EXPECT_EQ(WebErrorPage("Error.", "<script>alert(1)</script>&"),
              "<html><head><title>Error.</title></head><body><p><small><font face=\"Lucida Console,Courier\">"
              "&lt;script&gt;alert(1)&lt;/script&gt;&amp;</font></small></p></body></html>");
}

TEST(HostKind, AConsoleProgramIsDecidedWhenItIsLinked) {
    struct Case {
        const char* program;
        const char* method;  // REQUEST_METHOD, or unset
        const char* kinds;
    } cases[] = {
        {PROBE_GUI, nullptr, "console=0 cgi=0 wincgi=0 isapi=0 intraweb=0 web=0 gui=1"},
        {PROBE_GUI, "GET", "console=0 cgi=0 wincgi=0 isapi=0 intraweb=0 web=0 gui=1"},
        {PROBE_CONSOLE, nullptr, "console=1 cgi=0 wincgi=0 isapi=0 intraweb=0 web=0 gui=0"},
        {PROBE_CONSOLE, "", "console=1 cgi=0 wincgi=0 isapi=0 intraweb=0 web=0 gui=0"},
        {PROBE_CONSOLE, "POST", "console=1 cgi=1 wincgi=0 isapi=0 intraweb=0 web=1 gui=0"},
    };
    for (const Case& c : cases) {
        const std::string method = c.method ? std::string("REQUEST_METHOD=") + c.method : "REQUEST_METHOD";
        const test::TChildResult r = test::RunChild(c.program, {{}, {"PROBE_MODE=host", method}, {}, false});
        EXPECT_EQ(r.out, std::string(c.kinds) + "\n") << c.program << " " << (c.method ? c.method : "-");
    }
}

TEST(WebOutput, ACGIProgramWritesTheStatusHeaderAndThePage) {
    const std::string page = WebErrorPage("Error.", "a b\r\n<c>");
    const test::TChildResult r = test::RunChild(PROBE_CONSOLE,
                                                {{}, {"PROBE_MODE=web", "REQUEST_METHOD=GET"}, {}, false});
    EXPECT_EQ(r.out, "Status: 500 Error\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) +
                         "\r\nContent:\r\n\r\n" + page);
    EXPECT_EQ(r.err, "result=1 warning=eeNone \n");
    // No one reads: the write fails with its warning, and the program goes on.
    const test::TChildResult closed = test::RunChild(PROBE_CONSOLE,
                                                     {{}, {"PROBE_MODE=web", "REQUEST_METHOD=GET"}, {}, true});
    EXPECT_EQ(closed.status, 0);
    EXPECT_EQ(closed.err, "result=0 warning=eeShowError CGI: Cannot write in the ouput file.\n");
    // A program with windows has no web client.
    const test::TChildResult gui = test::RunChild(PROBE_GUI, {{}, {"PROBE_MODE=web", "REQUEST_METHOD=GET"}, {}, false});
    EXPECT_EQ(gui.out, "");
    EXPECT_EQ(gui.err, "result=0 warning=eeNone \n");
}

TEST(Restart, TheProgramStartsAgainInItsFolderAndThisOneEnds) {
    test::TempDir dir("restart");
    const std::string copy = test::CopyProgram(PROBE_GUI, dir.path(), "probe");
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    // The child's first run changes its folder, then restarts; its second run
    // writes into the pipe. The test starts it in the copy's folder.
    const std::string here = StartupFolder();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    test::TChildResult first;
    try {
        first = test::RunChild(
            copy, {{"one", "two words", "three"},
                   {"PROBE_MODE=restart", "PROBE_REPORT_FD=" + std::to_string(report[1]), "PROBE_RESTARTED"},
                   {report[1]},
                   false});
    } catch (...) {
        (void)chdir(here.c_str());
        throw;
    }
    ASSERT_EQ(chdir(here.c_str()), 0);
    close(report[1]);
    std::string said;
    char buf[1024];
    for (ssize_t n; (n = read(report[0], buf, sizeof buf)) > 0;) said.append(buf, static_cast<std::size_t>(n));
    close(report[0]);
    EXPECT_EQ(first.status, 1) << first.err;
    const std::vector<std::string> lines = SplitString(said, '\n');
    ASSERT_GE(lines.size(), 6u) << said;
    EXPECT_EQ(lines[1], "folder=" + dir.path());
    EXPECT_EQ(lines[2], "program=" + copy);
    EXPECT_EQ(lines[3], "parameters=[one][two words][three]");
    EXPECT_EQ(lines[4], "own group=yes");
    // What the program had open, and no descriptor of the logger's.
    EXPECT_EQ(lines[5].substr(6), lines[0].substr(7));
    EXPECT_NE(lines[0].find(" " + std::to_string(report[1]) + " "), std::string::npos) << lines[0];
}

TEST(Tracer, ATracerIsSeenInTheProcessStatus) {
    EXPECT_FALSE(IsDebuggerAttached());  // no one traces the tests
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child is traced by its parent from here on.
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(2);
        _exit(IsDebuggerAttached() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "this machine does not allow tracing";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Events, NoneIsSetAndOutsideAReportCallsRunHere) {
    EXPECT_FALSE(ExceptionNotifyAssigned());
    EXPECT_FALSE(CustomActionAssigned());
    EXPECT_FALSE(ErrorNotifyAssigned());
    TOstrelExceptionRecord record;
    record.ExceptionAddress = 0x401234;
    std::vector<std::string> calls;
    LoggerEvents().OnExceptionNotify = [&](const TOstrelExceptionRecord& r, bool& handle) {
        calls.push_back("component " + std::to_string(r.ExceptionAddress) + " " + std::to_string(handle));
    };
    LoggerEvents().ExceptionNotifyProc = [&](const TOstrelExceptionRecord&, bool& handle) {
        calls.push_back("procedure " + std::to_string(handle));
        handle = false;
    };
    LoggerEvents().CustomActionProc = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool&) {
        calls.push_back("action " + std::to_string(action));
        throw std::runtime_error("a handler's error is swallowed");
    };
    EXPECT_TRUE(ExceptionNotifyAssigned());
    EXPECT_TRUE(CustomActionAssigned());
    bool handle = true, execute = true;
    CallExceptionNotify(record, handle);
    CallCustomAction(record, atSavedLog, execute);
    EXPECT_FALSE(handle);
    EXPECT_EQ(calls, (std::vector<std::string>{"component 4198964 1", "procedure 1", "action 3"}));
    LoggerEvents() = TOstrelEvents();
}
