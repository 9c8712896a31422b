// The hooks, the pipeline and the notification, in a program built like
// Pelgrane that installs the logger: which exceptions become reports in its
// log, with the throw site's procedure and line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "testsupport/TempDir.h"
#include "base/Files.h"

using namespace menvaro;

namespace {

struct TRun {
    int status = -1;
    std::string output;
    std::vector<std::string> reports;
};

TRun RunProgram(const std::string& mode) {
    const test::TempDir dir{"hooks"};
    TRun run;
    const std::string command = "HOOK_LOG_DIR='" + dir.path() + "' MENVARO_UI=headless '" HOOK_PROGRAM "' " + mode;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) run.output += buffer;
    run.status = ::pclose(p);
    const std::string log = dir.path() + "exception_log_hook_program.elf";
    if (FileExists(log)) run.reports = TLogFile(log, false).Reports();
    return run;
}

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }


}  // namespace

TEST(Hooks, AThrowThatReachesTheApplicationsHandlerGivesOneReportOfItsSite) {
    const TRun run = RunProgram("handler");
    EXPECT_TRUE(ExitedWith(run.status, 0)) << run.output;
    ASSERT_EQ(run.reports.size(), 1u) << run.output;
    const std::string& r = run.reports[0];
    EXPECT_EQ(r.rfind("OstrelLog 4.5.4\r\n", 0), 0u);
    EXPECT_NE(r.find(": EConvertError\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find(": Bad number 1.\r\n"), std::string::npos) << r;
    EXPECT_TRUE(hookfn::NamesTheThrowSite(r)) << r;
    // The address item is the throw's call, in the program.
    EXPECT_NE(r.find("exception_log_hook_program\r\n"), std::string::npos) << r;
}

TEST(Hooks, WhatTheProgramHandlesOrAbortsGivesNoReport) {
    for (const char* mode : {"handled", "abort"}) {
        const TRun run = RunProgram(mode);
        EXPECT_TRUE(ExitedWith(run.status, 0)) << mode << run.output;
        EXPECT_TRUE(run.reports.empty()) << mode;
    }
}

TEST(Hooks, ARethrownExceptionKeepsTheRecordOfItsThrow) {
    const TRun run = RunProgram("rethrow");
    ASSERT_EQ(run.reports.size(), 1u) << run.output;
    EXPECT_TRUE(hookfn::NamesTheThrowSite(run.reports[0])) << run.reports[0];
    EXPECT_NE(run.reports[0].find(": Bad number 8.\r\n"), std::string::npos);
}

TEST(Hooks, AThrowEscapingAThreadIsReportedAndTheProcessGoesOn) {
    const TRun run = RunProgram("thread");
    EXPECT_TRUE(ExitedWith(run.status, 0));
    EXPECT_NE(run.output.find("after the thread"), std::string::npos);
    ASSERT_EQ(run.reports.size(), 1u);
    EXPECT_TRUE(hookfn::NamesTheThrowSite(run.reports[0])) << run.reports[0];
}

TEST(Hooks, ThreadExitAndCancellationStillWork) {
    const TRun run = RunProgram("exit");
    EXPECT_TRUE(ExitedWith(run.status, 0));
    EXPECT_EQ(run.output, "exited 7 cancelled 1\n");
    EXPECT_TRUE(run.reports.empty());
}

TEST(Hooks, TwoThreadsThrowingAtOnceGiveTwoWholeReports) {
    const TRun run = RunProgram("two");
    EXPECT_TRUE(ExitedWith(run.status, 0));
    ASSERT_EQ(run.reports.size(), 2u);
    std::string messages;
    for (const std::string& r : run.reports) {
        EXPECT_TRUE(hookfn::NamesTheThrowSite(r)) << r;
        EXPECT_NE(r.find("Modules Information:"), std::string::npos);
        if (r.find(": Bad number 4.\r\n") != std::string::npos) messages += "4";
        if (r.find(": Bad number 5.\r\n") != std::string::npos) messages += "5";
    }
    EXPECT_TRUE(messages == "45" || messages == "54") << messages;
}

TEST(Hooks, AnExceptionRaisedInsideTheReportIsNotReportedAgain) {
    const TRun run = RunProgram("nested");
    EXPECT_TRUE(ExitedWith(run.status, 0));
    ASSERT_EQ(run.reports.size(), 1u);
    EXPECT_NE(run.reports[0].find(": Bad number 7.\r\n"), std::string::npos);
}
