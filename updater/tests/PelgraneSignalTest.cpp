// Pelgrane asked to end from outside (SIGTERM at a shutdown or logout,
// SIGINT from a terminal), under both window backends: idle, it ends as
// closing its window does; during a build, the build finishes first.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Files.h"
#include "testsupport/ChildProgram.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

using test::TChildProgram;
using test::TEndCase;

class PelgraneSignal : public ::testing::TestWithParam<TEndCase> {
protected:
    void SetUp() override {
        CreateDir(dir_.path() + "bin");
        CreateDir(server());
        test::CopyProgram(MENVARO_PELGRANE, bin());
        test::CopyProgram(MENVARO_RAPI, bin(), "librapi.so");
        ForceDirectories(dir_.path() + "device/Program Files/Menvaro餐点");
        // A database of its own: the test holds it locked.
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", database());
        WriteFileAtomic(dir_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                        "\"ServerName\"=\"" +
                            server() + "\"\r\n\"DatabaseName\"=\"Velkoranth\"\r\n");
    }
    std::string bin() const { return dir_.path() + "bin/"; }
    std::string server() const { return dir_.path() + "server/"; }
    std::string database() const { return server() + "Velkoranth.db"; }
    std::string output() const { return dir_.path() + "out.txt"; }

    // The program under the case's backend; with `script` a UI script.
    std::unique_ptr<TChildProgram> Start(const std::string& script = "") const {
        std::vector<std::string> env{"MENVARO_UI=" + std::string(GetParam().backend),
                                     "SDL_VIDEODRIVER=offscreen",
                                     "MENVARO_REGISTRY=" + dir_.path() + "registry.reg",
                                     "MENVARO_DEVICE_ROOT=" + dir_.path() + "device/",
                                     "XDG_RUNTIME_DIR=" + dir_.path(),
                                     "MENVARO_UI_SCRIPT="};
        if (!script.empty()) env.back() += dir_.Write("run.script", script);
        return std::make_unique<TChildProgram>(bin() + "Pelgrane", env, output());
    }
    std::string Output() const { return FileExists(output()) ? ReadFileBytes(output()) : ""; }

    test::TempDir dir_{"pelgrane_signal"};
};

TEST_P(PelgraneSignal, IdleItEndsAsClosingItsWindowDoes) {
    auto program = Start();
    ASSERT_TRUE(program->WaitFor([&] { return program->Catches(SIGTERM) && program->Catches(SIGINT); }))
        << Output();
    program->Send(GetParam().signal);
    EXPECT_EQ(program->Wait(), 0) << Output();
    EXPECT_FALSE(FileExists(bin() + "Pelgrane.elf")) << "nothing went wrong";
}

// The database is held by another program when the build starts; the signal
// comes while the build waits for it, and the build goes on once it is free.
TEST_P(PelgraneSignal, DuringABuildTheBuildFinishesFirst) {
    test::TDatabaseLock held(database());
    // Were the signal not heard, the script would end with the program still running (status 3).
    auto program = Start("click btnBuildData\n");
    ASSERT_EQ(program->EndWhileItWaitsFor(database(), GetParam().signal, [&] { held.Release(); }), 0) << Output();
    int files = 0;
    for (const auto& golden : std::filesystem::directory_iterator(MENVARO_GOLDEN_DIR)) {
        const std::string name = golden.path().filename().string();
        ASSERT_TRUE(FileExists(bin() + "xml/" + name)) << name;
        EXPECT_EQ(ReadFileBytes(bin() + "xml/" + name), ReadFileBytes(golden.path().string())) << name;
        ++files;
    }
    EXPECT_GT(files, 20);
}

INSTANTIATE_TEST_SUITE_P(Backends, PelgraneSignal, ::testing::ValuesIn(test::kEndCases),
                         [](const auto& info) { return test::EndCaseName(info.param); });

}  // namespace
}  // namespace menvaro
