// The probe program run as a user would: no display, and UI scripts.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>

#include "base/Files.h"
#include "testsupport/ChildProgram.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

struct Result {
    int status = -1;
    std::string err;
};

class Program : public ::testing::Test {
protected:
    Result RunProbe(const std::string& env) const {
        std::string errFile = dir_.path() + "ui_probe_err.txt";
        std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u MENVARO_UI -u MENVARO_UI_SCRIPT " + env + " " +
                          std::string(MENVARO_UI_PROBE) + " 2>" + errFile;
        int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = FileExists(errFile) ? ReadFileBytes(errFile) : "";
        return r;
    }
    std::string WriteScript(const std::string& name, const std::string& text) const { return dir_.Write(name, text); }

    test::TempDir dir_{"probe"};
};

TEST_F(Program, WithoutADisplayOrAChoiceItSaysSoAndStops) {
    Result r = RunProbe("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("MENVARO_UI=headless"), std::string::npos) << r.err;
}

TEST_F(Program, ScriptRunsToTheEndAndClosesTheProgram) {
    std::string shot = dir_.path() + "probe_shot.png";
    std::string script = WriteScript("probe_ok.txt",
                                     "type Edit1 \"数据\"\n"
                                     "expect Edit1 text \"数据\"\n"
                                     "press Alt+O\n"
                                     "screenshot TestForm \"" +
                                         shot +
                                         "\"\n"
                                         "close TestForm\n");
    Result r = RunProbe("MENVARO_UI=headless MENVARO_UI_SCRIPT=" + script);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(FileExists(shot));
}

TEST_F(Program, AFailedExpectationStopsWithTheLine) {
    std::string script = WriteScript("probe_bad.txt", "click btnOk\nexpect Edit1 enabled false\nclose TestForm\n");
    Result r = RunProbe("MENVARO_UI=headless MENVARO_UI_SCRIPT=" + script);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "ui script: " + script + ":2: expected Edit1 enabled \"false\", found \"true\"\n");
}

// A shutdown, a logout (SIGTERM) or Ctrl+C (SIGINT) ends a program waiting
// for input as closing its main window does, under either backend.
TEST_F(Program, SigtermAndSigintEndItAsClosingItsWindowDoes) {
    for (const test::TEndCase& c : test::kEndCases) {
        test::TChildProgram probe(MENVARO_UI_PROBE,
                                  {std::string("MENVARO_UI=") + c.backend, "SDL_VIDEODRIVER=offscreen", "MENVARO_UI_SCRIPT="},
                                  dir_.path() + "probe_out.txt");
        ASSERT_TRUE(probe.WaitFor([&] { return probe.Catches(SIGTERM) && probe.Catches(SIGINT); }))
            << test::EndCaseName(c);
        probe.Send(c.signal);
        EXPECT_EQ(probe.Wait(), 0) << test::EndCaseName(c) << ": " << ReadFileBytes(dir_.path() + "probe_out.txt");
    }
}

// Started to ignore SIGINT (a background job of a shell), it goes on ignoring it.
TEST_F(Program, ASignalItWasStartedToIgnoreStaysIgnored) {
    test::TChildProgram probe("/bin/sh", {"MENVARO_UI=headless", "MENVARO_UI_SCRIPT="}, dir_.path() + "probe_out.txt",
                              {"-c", std::string("trap '' INT; exec ") + MENVARO_UI_PROBE});
    ASSERT_TRUE(probe.WaitFor([&] { return probe.Catches(SIGTERM); }));
    EXPECT_TRUE(probe.Ignores(SIGINT));
    EXPECT_FALSE(probe.Catches(SIGINT));
    probe.Send(SIGTERM);
    EXPECT_EQ(probe.Wait(), 0);
}

}  // namespace
}  // namespace menvaro
