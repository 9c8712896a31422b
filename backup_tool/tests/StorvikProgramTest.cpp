// Storvik as a user meets it: the program run headless with a UI script, a
// settings file and a SQLite server folder holding a copy of the demo
// product database.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/Files.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

using test::TempDir;

// The first column of the first row of `sql` in the database `path`.
std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string text;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            if (const unsigned char* t = sqlite3_column_text(st, 0)) text = reinterpret_cast<const char*>(t);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return text;
}

class Storvik : public ::testing::Test {
protected:
    void SetUp() override {
        // A copy of the program of its own: its backup folder is beside it.
        CreateDir(dir_.path() + "bin");
        CreateDir(server());
        test::CopyProgram(MENVARO_STORVIK, bin());
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", database());
        Settings(server(), "Velkoranth");
    }
    std::string bin() const { return dir_.path() + "bin/"; }
    std::string backups() const { return bin() + "DataBackup/"; }
    std::string server() const { return dir_.path() + "server/"; }
    std::string database() const { return server() + "Velkoranth.db"; }
    void Settings(const std::string& serverName, const std::string& databaseName) {
        WriteFileAtomic(dir_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                        "\"SQLServerName\"=\"" +
                            serverName + "\"\r\n\"DataBaseName\"=\"" + databaseName +
                            "\"\r\n\"LoginUser\"=\"sa\"\r\n\"LoginPasswd\"=\"\"\r\n");
    }
    // Runs the program on `script`; answers its exit status and keeps what it printed.
    int Run(const std::string& script, const std::string& before = "") {
        WriteFileAtomic(dir_.path() + "run.script", script);
        const std::string command = "env MENVARO_UI=headless MENVARO_REGISTRY='" + dir_.path() +
                                    "registry.reg' MENVARO_UI_SCRIPT='" + dir_.path() + "run.script' " + before +
                                    " timeout 60 '" + bin() + "Storvik' > '" + dir_.path() + "out.txt' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Registry() const { return ReadFileBytes(dir_.path() + "registry.reg"); }

    TempDir dir_{"storvik"};
    std::string output_;
};

const char* const kLogin =
    "expect lblName text \"登录认证\"\n"
    "type edUser \"sa\"\n"
    "type edPasswd \"秘密\"\n"
    "click btnOk\n";

TEST_F(Storvik, BacksUpPrunesRefusesAMissingFileAndRestoresTheChosenBackup) {
    ForceDirectories(backups());
    for (const char* name : {"database20240502", "database20240503", "database20240101", "database-backup1"})
        WriteFileAtomic(backups() + name, "older backup");
    const std::string script1 = std::string(kLogin) +
                                "expect frmDataTools text \"Menvaro工具系列\"\n"
                                "expect edBackupDir text \"" +
                                backups() +
                                "\"\n"
                                "expect edtSaveBackupDays text \"7\"\n"
                                "type dtpBackupDate \"20240510\"\n"
                                "click fxbtnBackup\n"
                                "expect Message text \"备份数据库成功!\"\n"
                                "click OK\n"
                                "click fxSbtnClose1\n";
    ASSERT_EQ(Run(script1), 0) << output_;
    ASSERT_TRUE(FileExists(backups() + "database20240510"));
    EXPECT_FALSE(FileExists(backups() + "database20240502"));
    EXPECT_FALSE(FileExists(backups() + "database20240101"));
    EXPECT_TRUE(FileExists(backups() + "database20240503"));
    EXPECT_TRUE(FileExists(backups() + "database-backup1"));
    EXPECT_NE(Registry().find("\"DataBackupDir\"=\"" + backups() + "\""), std::string::npos) << Registry();
    EXPECT_NE(Registry().find("\"SaveBackupDays\"=dword:00000007"), std::string::npos) << Registry();

    // The rows change after the backup; the restore brings them back.
    const std::string area = Query(database(), "select AreaName from Area where AreaNo = '01'");
    ASSERT_EQ(area, "大厅");
    test::MakeDatabase(database(), "update Area set AreaName = '改过' where AreaNo = '01'; delete from Room;");
    ASSERT_EQ(Query(database(), "select count(*) from Room"), "0");
    const std::string rooms = Query(backups() + "database20240510", "select count(*) from Room");
    const std::string script2 = std::string(kLogin) +
                                "press Ctrl+Tab\n"
                                "expect edResumeDir text \"" +
                                backups() +
                                "\"\n"
                                "type dtpResumeDate \"20240509\"\n"
                                "click fxbtnResume\n"
                                "expect Message text \"恢复文件不存在！\"\n"
                                "click OK\n"
                                "press Left\n"
                                "press Left\n"
                                "type dtpResumeDate \"20240510\"\n"
                                "click fxbtnResume\n"
                                "expect Message text \"恢复数据库成功!\"\n"
                                "click OK\n"
                                "click fxSbtnClose2\n";
    ASSERT_EQ(Run(script2), 0) << output_;
    EXPECT_EQ(Query(database(), "select AreaName from Area where AreaNo = '01'"), "大厅");
    EXPECT_EQ(Query(database(), "select count(*) from Room"), rooms);
    EXPECT_NE(rooms, "0");
}

TEST_F(Storvik, ACancelledLoginEndsTheProgramAfterTheConnectionMessage) {
    EXPECT_EQ(Run("click btnCancel\n"
                  "expect Message text \"连接数据库失败!\"\n"
                  "click OK\n"),
              0)
        << output_;
}

TEST_F(Storvik, AMissingDatabaseFailsTheBackupAndDeletesNothing) {
    Settings(server(), "NoSuchDatabase");
    ForceDirectories(backups());
    WriteFileAtomic(backups() + "database20240101", "older backup");
    EXPECT_EQ(Run(std::string(kLogin) +
                  "type dtpBackupDate \"20240510\"\n"
                  "click fxbtnBackup\n"
                  "expect Message text \"备份数据库失败!\"\n"
                  "click OK\n"
                  "close frmDataTools\n"),
              0)
        << output_;
    EXPECT_TRUE(FileExists(backups() + "database20240101"));
    EXPECT_FALSE(FileExists(backups() + "database20240510"));
    EXPECT_NE(Registry().find("\"SaveBackupDays\"=dword:00000007"), std::string::npos) << Registry();
}

TEST_F(Storvik, ARefusedConnectionNamesTheServerAndTheUser) {
    Settings(dir_.path() + "no-such-folder", "Velkoranth");
    // Not a folder: a SQL Server of that name, which cannot be reached.
    EXPECT_EQ(Run(std::string(kLogin) + "expect Message text \"" + dir_.path() +
                  "no-such-folder服务器不存在sa这个用户或者密码错误!\"\n"
                  "click OK\n"
                  "expect Message text \"连接数据库失败!\"\n"
                  "click OK\n"),
              0)
        << output_;
}

TEST_F(Storvik, ServerObjectsThatCannotBeMadeAreToldAndTheProgramEnds) {
    EXPECT_EQ(Run("expect Message text "
                  "\"服务器创建失败,请确定您的计算机上是否已安装好SQL Server数据库程序\"\n"
                  "click OK\n" +
                      std::string(kLogin) +
                      "expect Message text \"连接数据库失败!\"\n"
                      "click OK\n",
                  "MENVARO_TEST_DBADMIN_CREATE_FAILS=1"),
              0)
        << output_;
}

TEST_F(Storvik, ADamagedSettingsFileIsShownAndEndsTheProgramWithAnError) {
    WriteFileAtomic(dir_.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\r\n");
    const std::string before = Registry();
    EXPECT_EQ(Run("expect Message text \"The settings file \\\"" + dir_.path() +
                  "registry.reg\\\" is damaged at line 2: a key line must end with \\\"]\\\"\"\n"
                  "click OK\n"),
              1)
        << output_;
    EXPECT_EQ(Registry(), before);  // never overwritten
}

}  // namespace
}  // namespace menvaro
