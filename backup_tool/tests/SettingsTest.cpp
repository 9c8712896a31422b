// The backup tool's settings through a settings file of the test's own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Files.h"
#include "registry/RegistryStore.h"
#include "testsupport/TempDir.h"
#include "untRegistry.h"

namespace menvaro {
namespace {

using namespace storvik;
using test::TempDir;

class Settings : public ::testing::Test {
protected:
    void SetUp() override { setenv("MENVARO_REGISTRY", file().c_str(), 1); }
    void TearDown() override {
        CloseRegIni();
        unsetenv("MENVARO_REGISTRY");
    }
    std::string file() const { return dir_.path() + "registry.reg"; }
    TempDir dir_{"storvik-settings"};
};

TEST_F(Settings, AnEmptyStoreGivesTheDefaultsAndCreatesTheKey) {
    OpenRegIni();
    std::string server = "x", database = "x", user = "x", password = "x", dir = "x";
    EXPECT_TRUE(ReadDbSettings(server, database, user, password));
    EXPECT_EQ(server, "(local)");
    EXPECT_EQ(database, "velkoranth");
    EXPECT_EQ(user, "velkoranth");
    EXPECT_EQ(password, "velkoranth");
    ReadDataBackupDir(dir);
    EXPECT_EQ(dir, "");
    EXPECT_EQ(ReadSaveBackupDays(), 7);
    EXPECT_NE(ReadFileBytes(file()).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]"), std::string::npos);
}

TEST_F(Settings, TheServerSetupsValuesAreReadAndTheToolWritesOnlyItsOwnTwo) {
    WriteFileAtomic(file(),
                    "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                    "\"SQLServerName\"=\"/srv/menvaro\"\r\n"
                    "\"DataBaseName\"=\"Velkoranth\"\r\n"
                    "\"LoginUser\"=\"sa\"\r\n"
                    "\"LoginPasswd\"=\"秘密\"\r\n");
    OpenRegIni();
    std::string server, database, user, password;
    EXPECT_TRUE(ReadDbSettings(server, database, user, password));
    EXPECT_EQ(server + "|" + database + "|" + user + "|" + password, "/srv/menvaro|Velkoranth|sa|秘密");

    WriteDataBackupDir("/srv/备份 /");
    WriteSaveBackupDays(30);
    std::string dir;
    ReadDataBackupDir(dir);
    EXPECT_EQ(dir, "/srv/备份 /");  // the trailing delimiter and the blank are kept
    EXPECT_EQ(ReadSaveBackupDays(), 30);
    const std::string text = ReadFileBytes(file());
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]\r\n\"DataBackupDir\"=\"/srv/备份 /\"\r\n"
                        "\"SaveBackupDays\"=dword:0000001e"),
              std::string::npos)
        << text;
    // A second settings object (another run) sees what was written.
    CloseRegIni();
    OpenRegIni();
    EXPECT_EQ(ReadSaveBackupDays(), 30);
}

TEST_F(Settings, ADamagedFileRaisesOnOpeningNamingItsLineAndIsLeftAsItWas) {
    const std::string damaged =
        "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\r\n";
    WriteFileAtomic(file(), damaged);
    try {
        OpenRegIni();
        ADD_FAILURE() << "opened a damaged file";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The settings file \"" + file() + "\" is damaged at line 2: a key line must end with \"]\"");
    }
    EXPECT_EQ(RegIni, nullptr);
    EXPECT_EQ(ReadFileBytes(file()), damaged);
}

TEST_F(Settings, ReadingTheConnectionSettingsAnswersFalseWhenTheFileTurnsBad) {
    OpenRegIni();
    WriteFileAtomic(file(), "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\r\n");
    std::string server = "kept", database = "kept", user = "kept", password = "kept";
    EXPECT_FALSE(ReadDbSettings(server, database, user, password));
    EXPECT_EQ(server, "kept");
}

}  // namespace
}  // namespace menvaro
