// Storvik asked to end from outside (SIGTERM at a shutdown or logout,
// SIGINT from a terminal), under both window backends: at the login, in its
// main window, and during a backup or a restore, which finishes first (a
// backup's settings are still saved) before the program ends.
#include <gtest/gtest.h>
#include <sqlite3.h>

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

// The number of rows of `table` in the database `path`; -1 when it cannot be read.
int Rows(const std::string& path, const std::string& table) {
    sqlite3* db = nullptr;
    int rows = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, ("select count(*) from " + table).c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            rows = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return rows;
}

const char* const kLogin =
    "type edUser \"sa\"\n"
    "type edPasswd \"秘密\"\n"
    "click btnOk\n";

class StorvikSignal : public ::testing::TestWithParam<TEndCase> {
protected:
    void SetUp() override {
        CreateDir(dir_.path() + "bin");
        CreateDir(server());
        test::CopyProgram(MENVARO_STORVIK, bin());
        // A database of its own: the test holds it locked.
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", database());
        WriteFileAtomic(registry(), "Windows Registry Editor Version 5.00\r\n\r\n"
                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                                    "\"SQLServerName\"=\"" +
                                        server() + "\"\r\n\"DataBaseName\"=\"Velkoranth\"\r\n");
    }
    std::string bin() const { return dir_.path() + "bin/"; }
    std::string backups() const { return bin() + "DataBackup/"; }
    std::string server() const { return dir_.path() + "server/"; }
    std::string database() const { return server() + "Velkoranth.db"; }
    std::string registry() const { return dir_.path() + "registry.reg"; }
    std::string output() const { return dir_.path() + "out.txt"; }

    // The program under `backend`; with `script` a UI script.
    std::unique_ptr<TChildProgram> Start(const std::string& backend, const std::string& script = "") const {
        std::vector<std::string> env{"MENVARO_UI=" + backend, "SDL_VIDEODRIVER=offscreen",
                                     "MENVARO_REGISTRY=" + registry(), "MENVARO_UI_SCRIPT="};
        if (!script.empty()) env.back() += dir_.Write("run.script", script);
        return std::make_unique<TChildProgram>(bin() + "Storvik", env, output());
    }
    std::string Output() const { return FileExists(output()) ? ReadFileBytes(output()) : ""; }

    test::TempDir dir_{"storvik_signal"};
};

// The login dialog is modal: it goes as cancelled would, and the program after it.
TEST_P(StorvikSignal, AtTheLoginItEnds) {
    auto program = Start(GetParam().backend);
    ASSERT_TRUE(program->WaitFor([&] { return program->Catches(SIGTERM) && program->Catches(SIGINT); }))
        << Output();
    program->Send(GetParam().signal);
    EXPECT_EQ(program->Wait(), 0) << Output();
}

// The database is held by another program when the backup starts; the
// signal comes while the backup waits for it, the backup goes on once it is
// free, its message box goes by itself, and the settings are saved.
TEST_P(StorvikSignal, DuringABackupTheBackupFinishesFirst) {
    const int rooms = Rows(database(), "Room");
    ASSERT_GT(rooms, 0);
    test::TDatabaseLock held(database());
    // Were the signal not heard, the script would end with the program still running (status 3).
    auto program = Start(GetParam().backend, std::string(kLogin) +
                                                 "type dtpBackupDate \"20240510\"\n"
                                                 "click fxbtnBackup\n");
    ASSERT_EQ(program->EndWhileItWaitsFor(database(), GetParam().signal, [&] { held.Release(); }), 0) << Output();
    EXPECT_EQ(Rows(backups() + "database20240510", "Room"), rooms);
    EXPECT_NE(ReadFileBytes(registry()).find("\"DataBackupDir\"=\"" + backups() + "\""), std::string::npos)
        << ReadFileBytes(registry());
}

// The same for a restore: it is never cut, the live database ends up as
// the backup whole.
TEST_P(StorvikSignal, DuringARestoreTheRestoreFinishesFirst) {
    ForceDirectories(backups());
    std::filesystem::copy_file(database(), backups() + "database20240510");
    const int rooms = Rows(backups() + "database20240510", "Room");
    ASSERT_GT(rooms, 0);
    test::MakeDatabase(database(), "delete from Room;");
    ASSERT_EQ(Rows(database(), "Room"), 0);
    test::TDatabaseLock held(database());
    auto program = Start(GetParam().backend, std::string(kLogin) +
                                                 "press Ctrl+Tab\n"
                                                 "type dtpResumeDate \"20240510\"\n"
                                                 "click fxbtnResume\n");
    ASSERT_EQ(program->EndWhileItWaitsFor(database(), GetParam().signal, [&] { held.Release(); }), 0) << Output();
    EXPECT_EQ(Rows(database(), "Room"), rooms);
}

INSTANTIATE_TEST_SUITE_P(Backends, StorvikSignal, ::testing::ValuesIn(test::kEndCases),
                         [](const auto& info) { return test::EndCaseName(info.param); });

// Idle in its main window (under the sdl backend, where a script can wait in
// real time), it ends as closing the window does.
TEST(StorvikSignalIdle, InTheMainWindowItEndsAsClosingTheWindowDoes) {
    for (int signal : {SIGTERM, SIGINT}) {
        test::TempDir dir("storvik_idle");
        CreateDir(dir.path() + "bin");
        test::CopyProgram(MENVARO_STORVIK, dir.path() + "bin/");
        WriteFileAtomic(dir.path() + "registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                                                     "\"SQLServerName\"=\"" +
                                                         dir.path() + "\"\r\n");
        const std::string ready = dir.path() + "ready.png";
        const std::string script = dir.Write("run.script", std::string(kLogin) + "screenshot frmDataTools \"" + ready +
                                                               "\"\nwait 600000\nclose frmDataTools\n");
        TChildProgram program(dir.path() + "bin/Storvik",
                              {"MENVARO_UI=sdl", "SDL_VIDEODRIVER=offscreen",
                               "MENVARO_REGISTRY=" + dir.path() + "registry.reg", "MENVARO_UI_SCRIPT=" + script},
                              dir.path() + "out.txt");
        ASSERT_TRUE(program.WaitFor([&] { return FileExists(ready); })) << ReadFileBytes(dir.path() + "out.txt");
        program.Send(signal);
        EXPECT_EQ(program.Wait(), 0) << ReadFileBytes(dir.path() + "out.txt");
    }
}

}  // namespace
}  // namespace menvaro
