// Pelgrane as a user meets it: the program run headless with a UI script,
// a settings file, the demo database and a folder standing for the handheld.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "base/Files.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

using test::TempDir;

class Pelgrane : public ::testing::Test {
protected:
    void SetUp() override {
        // A copy of the program of its own: its "xml" folder is beside it.
        CreateDir(dir_.path() + "bin");
        test::CopyProgram(MENVARO_PELGRANE, bin());
        test::CopyProgram(MENVARO_RAPI, bin(), "librapi.so");
        ForceDirectories(device() + "Program Files/Menvaro餐点");
        UseDatabaseIn(MENVARO_DEMO_DB_DIR);
    }
    std::string bin() const { return dir_.path() + "bin/"; }
    std::string xml() const { return bin() + "xml/"; }
    std::string device() const { return dir_.path() + "device/"; }
    std::string onDevice() const { return device() + "Program Files/Menvaro餐点/"; }
    void UseDatabaseIn(const std::string& folder) {
        WriteFileAtomic(dir_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                        "\"ServerName\"=\"" +
                            folder + "\"\r\n");
    }
    // Runs the program on `script`; answers its exit status and keeps what it printed.
    int Run(const std::string& script, const std::string& deviceRoot = "") {
        WriteFileAtomic(dir_.path() + "run.script", script);
        const std::string command = "env MENVARO_UI=headless MENVARO_REGISTRY='" + dir_.path() +
                                    "registry.reg' MENVARO_UI_SCRIPT='" + dir_.path() +
                                    "run.script' MENVARO_DEVICE_ROOT='" + (deviceRoot.empty() ? device() : deviceRoot) +
                                    "' timeout 60 '" + bin() + "Pelgrane' > '" + dir_.path() + "out.txt' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        TSearchRec rec;
        for (int r = FindFirst(folder + "*", 0, rec); r == 0; r = FindNext(rec)) names.push_back(rec.Name);
        FindClose(rec);
        return names;
    }

    TempDir dir_{"pelgrane"};
    std::string output_;
};

TEST_F(Pelgrane, StartsWithItsFoldersBrowsesForASourceAndQuitsCleanly) {
    TempDir chosen("source");
    EXPECT_EQ(Run("expect edSource text \"" + xml() +
                  "\"\n"
                  "expect edDestination text \"\\\\Program Files\\\\Menvaro餐点\"\n"
                  "expect lblHint text \"请生成资料\"\n"
                  "expect btnUpdateData enabled false\n"
                  "expect btnBuildData enabled true\n"
                  "click btnSource\n"
                  "expect Title text \"在PC上选择资料来源\"\n"
                  "type Folder \"" +
                  ExcludeTrailingPathDelimiter(chosen.path()) +
                  "\"\n"
                  "click OK\n"
                  "expect edSource text \"" +
                  chosen.path() +
                  "\"\n"
                  "click btnClose\n"),
              0)
        << output_;
}

TEST_F(Pelgrane, BuildsUpdatesTwiceAndLeavesExactlyTheBuiltFilesOnTheHandheld) {
    ForceDirectories(xml());
    WriteFileAtomic(xml() + "Room.txt", "A01,大厅1号台\r\nB01,牡丹厅\r\n");
    WriteFileAtomic(onDevice() + "urgentdish03.xml", "<UrgentDish/>\r\n");  // emptied since
    WriteFileAtomic(onDevice() + "dish01.xml", "old");
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                  "expect btnBuildData enabled false\n"
                  "expect btnUpdateData enabled true\n"
                  "click btnUpdateData\n"
                  "expect lblHint text \"更新基本资料到PDA已完成！\"\n"
                  "expect btnUpdateData enabled true\n"
                  "expect btnClose enabled true\n"
                  "click btnUpdateData\n"
                  "expect lblHint text \"更新基本资料到PDA已完成！\"\n"
                  "click btnClose\n"),
              0)
        << output_;
    const std::vector<std::string> built = Names(xml());
    // 27 data files, Room.txt, and the server file where this PC has an address.
    EXPECT_EQ(built.size(), 28u + (FileExists(xml() + "sock.xml") ? 1 : 0));
    EXPECT_EQ(Names(onDevice()), built);
    for (const std::string& name : built)
        EXPECT_EQ(ReadFileBytes(onDevice() + name), ReadFileBytes(xml() + name)) << name;
    EXPECT_EQ(ReadFileBytes(xml() + "dish01.xml"), ReadFileBytes(MENVARO_GOLDEN_DIR "dish01.xml"));
}

TEST_F(Pelgrane, ADamagedSettingsFileIsShownAndNothingCanBeUpdated) {
    WriteFileAtomic(dir_.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\r\n");
    const std::string before = ReadFileBytes(dir_.path() + "registry.reg");
    EXPECT_EQ(Run("expect Message text \"The settings file \\\"" + dir_.path() +
                  "registry.reg\\\" is damaged at line 2: a key line must end with \\\"]\\\"\"\n"
                  "click OK\n"
                  "expect btnUpdateData enabled false\n"
                  "click btnBuildData\n"
                  "expect Message text \"服务端没有设置数据源！\"\n"
                  "click OK\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    EXPECT_EQ(ReadFileBytes(dir_.path() + "registry.reg"), before);  // never overwritten
}

TEST_F(Pelgrane, AFailedBuildIsReportedAndTheButtonsStay) {
    TempDir broken("broken");
    test::MakeDatabase(broken.path() + "Velkoranth.db", "create table dishproject (ProjectID char(2));");
    UseDatabaseIn(broken.path());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click OK\n"
                  "expect lblHint text \"在更新之前,请检查是否连接上PDA...   \"\n"
                  "expect btnBuildData enabled true\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    TempDir nothing("nodb");
    UseDatabaseIn(nothing.path());
    EXPECT_EQ(Run("click btnBuildData\n"
                  "expect lblHint text \"数据连接错误,请在PDA服务端更改设置\"\n"
                  "expect btnBuildData enabled true\n"
                  "expect btnUpdateData enabled false\n"
                  "close UpdateForm\n"),
              0)
        << output_;
}

TEST_F(Pelgrane, AMissingHandheldOrDeviceLibraryIsToldAndNothingIsCopied) {
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click btnUpdateData\n"
                  "expect Message text \"没有连接上PDA,请检查PDA是否已连接！\"\n"
                  "click OK\n"
                  "expect lblHint text \"生成PDA资料完成,请更新到PDA上... \"\n"
                  "close UpdateForm\n",
                  dir_.path() + "no-handheld"),
              0)
        << output_;
    DeleteFile(bin() + "librapi.so");
    EXPECT_EQ(Run("click btnBuildData\n"
                  "click btnUpdateData\n"
                  "expect Message text \"没有找到PDA连接程序,无法更新到PDA！\"\n"
                  "click OK\n"
                  "expect btnUpdateData enabled true\n"
                  "close UpdateForm\n"),
              0)
        << output_;
    EXPECT_TRUE(Names(onDevice()).empty());
}

}  // namespace
}  // namespace menvaro
