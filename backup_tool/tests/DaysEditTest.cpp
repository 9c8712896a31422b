// The days to keep, as a user meets them: Storvik run headless with a UI
// script over a copy of the demo database.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/Files.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

class DaysEntry : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDir(dir_.path() + "bin");
        CreateDir(dir_.path() + "server");
        test::CopyProgram(MENVARO_STORVIK, dir_.path() + "bin/");
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", dir_.path() + "server/Velkoranth.db");
        WriteFileAtomic(registry(),
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                        "\"SQLServerName\"=\"" +
                            dir_.path() + "server/\"\r\n\"DataBaseName\"=\"Velkoranth\"\r\n");
    }
    std::string registry() const { return dir_.path() + "registry.reg"; }
    std::string backups() const { return dir_.path() + "bin/DataBackup/"; }
    // The program's exit status on `script`; what it printed stays in output_.
    int Run(const std::string& script) {
        WriteFileAtomic(dir_.path() + "days.script", script);
        const std::string command = "env MENVARO_UI=headless MENVARO_REGISTRY='" + registry() +
                                    "' MENVARO_UI_SCRIPT='" + dir_.path() + "days.script' timeout 60 '" +
                                    dir_.path() + "bin/Storvik' > '" + dir_.path() + "out.txt' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir dir_{"days"};
    std::string output_;
};

// A lone decimal point in the days is refused at the backup button like any
// day count out of range: nothing raised while typing, nothing backed up,
// saved or deleted.
TEST_F(DaysEntry, ALonePointIsRefusedAtTheBackupButton) {
    ForceDirectories(backups());
    WriteFileAtomic(backups() + "database20240101", "older backup");
    ASSERT_EQ(Run("type edUser \"sa\"\n"
                  "click btnOk\n"
                  "type dtpBackupDate \"20240510\"\n"
                  "click edtSaveBackupDays\n"
                  "press Ctrl+A\n"
                  "type \".\"\n"
                  "expect edtSaveBackupDays text \".\"\n"
                  "click fxbtnBackup\n"
                  "expect Message text \"保留备份天数必须在1到10000之间！\"\n"
                  "click OK\n"
                  "click fxSbtnClose1\n"),
              0)
        << output_;
    EXPECT_FALSE(FileExists(backups() + "database20240510"));
    EXPECT_TRUE(FileExists(backups() + "database20240101"));
    const std::string settings = ReadFileBytes(registry());
    EXPECT_EQ(settings.find("SaveBackupDays"), std::string::npos) << settings;
}

}  // namespace
}  // namespace menvaro
