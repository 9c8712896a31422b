#include "registry/RegistryIniFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "base/FileLock.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = dir_.path() + "conf/registry.reg"; }

    TRegistryStore Store() const { return TRegistryStore(path_); }
    void WriteRaw(const std::string& text) {
        ForceDirectories(ExtractFileDir(path_));
        WriteFileAtomic(path_, text);
    }
    // The updater's way of opening its key.
    TRegistryIniFile OpenUpdaterKey() {
        TRegistryIniFile ini("", Store());
        ini.SetRootKey(HKEY_LOCAL_MACHINE);
        ini.OpenKey("\\SOFTWARE\\Corvanel\\Halvane", true);
        return ini;
    }

    test::TempDir dir_{"reg"};
    std::string path_;
};

}  // namespace

TEST_F(RegistryTest, MissingValuesGiveDefaultsAndOpeningCreatesTheKey) {
    TRegistryIniFile ini = OpenUpdaterKey();
    EXPECT_EQ(ini.ReadString("DataSource", "ServerName", "(local)"), "(local)");
    EXPECT_FALSE(ini.ReadBool("DataSource", "LoginType", false));
    EXPECT_EQ(ini.ReadInteger("", "SaveBackupDays", 7), 7);
    EXPECT_EQ(ReadFileBytes(path_),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane]\r\n\r\n");
}

TEST_F(RegistryTest, TypedValuesAreStoredInTheExportSyntax) {
    {
        TRegistryIniFile ini("SOFTWARE\\Corvanel", Store());
        ini.WriteString("Initdata", "SQLServerName", "POS\\SQL \"main\"");
        ini.WriteInteger("", "SaveBackupDays", 30);
        ini.WriteBool("Initdata", "Flag", true);
        ini.WriteInteger("", "Negative", -2);
        ini.WriteString("", "DataBackupDir", "/var/备份/");
    }
    EXPECT_EQ(ReadFileBytes(path_),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]\r\n"
              "\"SaveBackupDays\"=dword:0000001e\r\n"
              "\"Negative\"=dword:fffffffe\r\n"
              "\"DataBackupDir\"=\"/var/备份/\"\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
              "\"SQLServerName\"=\"POS\\\\SQL \\\"main\\\"\"\r\n"
              "\"Flag\"=dword:00000001\r\n\r\n");
    TRegistryIniFile ini("software\\corvanel", Store());  // names ignore letter case
    EXPECT_EQ(ini.ReadString("INITDATA", "sqlservername", ""), "POS\\SQL \"main\"");
    EXPECT_EQ(ini.ReadInteger("", "SaveBackupDays", 7), 30);
    EXPECT_EQ(ini.ReadInteger("", "Negative", 0), -2);
    EXPECT_TRUE(ini.ReadBool("Initdata", "Flag", false));
    EXPECT_EQ(ini.ReadString("", "SaveBackupDays", ""), "30");
    EXPECT_TRUE(ini.ValueExists("", "DataBackupDir"));
    TStringList names;
    ini.ReadSection("", names);
    EXPECT_EQ(names.ToVector(), (std::vector<std::string>{"SaveBackupDays", "Negative", "DataBackupDir"}));
    ini.ReadSections(names);
    EXPECT_EQ(names.ToVector(), (std::vector<std::string>{"Initdata"}));
}

TEST_F(RegistryTest, ReadsWhatOtherToolsWriteIncludingHexFormsAndDecimalText) {
    WriteRaw(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
        "; written by the server setup\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\n"
        "\"ServerName\"=\"10.0.0.2,1433\"\n"
        "\"LoginType\"=\"1\"\n"
        "\"Days\"=\"twelve\"\n"
        "@=\"default\"\n"
        "\"Blob\"=hex:01,02,\\\n"
        "  03\n"
        "\"Wide\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\n");
    TRegistryIniFile ini = OpenUpdaterKey();
    EXPECT_EQ(ini.ReadString("DataSource", "ServerName", ""), "10.0.0.2,1433");
    EXPECT_TRUE(ini.ReadBool("DataSource", "LoginType", false));
    EXPECT_EQ(ini.ReadInteger("DataSource", "Days", 5), 5);
    EXPECT_EQ(ini.ReadString("DataSource", "", ""), "default");
    EXPECT_EQ(ini.ReadString("DataSource", "Wide", ""), "a\r\nb");
    EXPECT_THROW(ini.ReadString("DataSource", "Blob", ""), ERegistryException);
    // Writing keeps what it does not understand.
    ini.WriteString("DataSource", "UserName", "sa");
    const std::string after = ReadFileBytes(path_);
    EXPECT_NE(after.find("\"Blob\"=hex:01,02,03\r\n"), std::string::npos);
    EXPECT_NE(after.find("\"Wide\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"), std::string::npos);
}

TEST_F(RegistryTest, TextWithLineBreaksRoundTrips) {
    TRegistryIniFile ini("SOFTWARE\\Corvanel", Store());
    ini.WriteString("", "Note", "line1\r\nline2\n");
    TRegistryIniFile again("SOFTWARE\\Corvanel", Store());
    EXPECT_EQ(again.ReadString("", "Note", ""), "line1\r\nline2\n");
}

// Files the reader takes, in forms the writer itself does not use: after
// one write by a program they read the same (the first once became a file
// no program accepted).
TEST_F(RegistryTest, WhatTheReaderTakesReadsTheSameAfterAWrite) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]\r\n";
    struct Case {
        std::string line;
        TRegValue value;
    } cases[] = {
        {std::string("\"P\"=\"a\rb\0c\"", 11), {"P", REG_SZ, std::string("a\rb\0c", 5), 0, ""}},
        {"\"P\"=\"a\rb\"", {"P", REG_SZ, "a\rb", 0, ""}},
        {"\"P\"=hex(4):01,02", {"P", REG_DWORD, "", 0, "\x01\x02"}},
        {"\"P\"=hex(4):01,02,03,04", {"P", REG_DWORD, "", 0x04030201, ""}},
        {"\"P\"=hex(1):61,00,0a,00,00,00,00,00", {"P", REG_SZ, "a\n", 0, ""}},
        {"\"P\"=hex(2):25,00", {"P", REG_EXPAND_SZ, "%", 0, ""}},
        {"\"P\"=hex(0):", {"P", 0, "", 0, ""}},
        {"\"P\"=DWORD:0000000A", {"P", REG_DWORD, "", 10, ""}},
    };
    for (const Case& c : cases) {
        WriteRaw(head + c.line + "\r\n");
        TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteInteger("", "Other", 1);
        const TRegistryData data = Store().Load();
        const TRegKey* key = data.FindKey("SOFTWARE\\Corvanel");
        ASSERT_NE(key, nullptr) << c.line;
        const TRegValue* v = TRegistryData::FindValue(*key, "P");
        ASSERT_NE(v, nullptr) << c.line;
        EXPECT_EQ(v->Type, c.value.Type) << c.line;
        EXPECT_EQ(v->Text, c.value.Text) << c.line;
        EXPECT_EQ(v->Dword, c.value.Dword) << c.line;
        EXPECT_EQ(v->Bytes, c.value.Bytes) << c.line;
    }
}

TEST_F(RegistryTest, ADamagedFileIsRefusedWithFileAndLineAndNeverOverwritten) {
    struct Case {
        const char* text;
        int line;
    } cases[] = {
        {"REGEDIT5\r\n", 1},
        {"Windows Registry Editor Version 5.00\r\n\"x\"=\"y\"\r\n", 2},
        {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"unterminated\r\n", 4},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A\r\n", 2},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n", 2},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=dword:123\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=hex:1,zz\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\nn=\"v\"\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=hex:01,\\\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", 2},
        // A continuation onto a blank line (read before the string once).
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=hex:  \\\r\n\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=hex:01,\\\n \t\n02\n", 3},
    };
    for (const auto& c : cases) {
        WriteRaw(c.text);
        const std::string expected = "\"" + path_ + "\" is damaged at line " + std::to_string(c.line) + ":";
        EXPECT_THAT(test::ErrorMessage<ERegistryException>([&] {
                        TRegistryIniFile ini("", Store());
                        ini.OpenKey("\\A", true);
                        ini.ReadString("", "n", "");
                    }),
                    ::testing::HasSubstr(expected))
            << "for: " << c.text;
        TRegistryIniFile ini("", Store());
        EXPECT_THROW(ini.WriteString("A", "n", "v"), ERegistryException) << c.text;
        EXPECT_EQ(ReadFileBytes(path_), c.text);
    }
    WriteRaw("\xFF\xFE");
    EXPECT_THROW(Store().Load(), ERegistryException);
}

TEST_F(RegistryTest, BadNamesAndValuesAreRefusedAndLoseNothing) {
    TRegistryIniFile ini("SOFTWARE\\Corvanel", Store());
    ini.WriteString("", "Keep", "me");
    const std::string before = ReadFileBytes(path_);
    EXPECT_THROW(ini.WriteString("", "Big", std::string(kMaxValueData + 1, 'x')), ERegistryException);
    EXPECT_THROW(ini.WriteString(std::string("Init\0data", 9), "x", "y"), ERegistryException);
    EXPECT_THROW(ini.WriteString("", std::string("a\0b", 3), "y"), ERegistryException);
    // A name is one line of the file.
    EXPECT_THROW(ini.WriteString("", "a\nb", "y"), ERegistryException);
    EXPECT_THROW(ini.WriteString("Init\ndata", "x", "y"), ERegistryException);
    EXPECT_THROW(ini.WriteString("", "v", std::string("a\0b", 3)), ERegistryException);
    EXPECT_THROW(ini.WriteString(std::string(256, 'k'), "x", "y"), ERegistryException);
    EXPECT_THROW(ini.ReadString("a\\\\b", "x", ""), ERegistryException);
    EXPECT_THROW(ini.SetRootKey(HKEY_CURRENT_USER), ERegistryException);
    EXPECT_THROW(TRegistryIniFile(std::string("SOFTWARE\0X", 10), Store()), ERegistryException);
    EXPECT_EQ(ReadFileBytes(path_), before);
    EXPECT_NO_THROW(ini.WriteString("", "Big", std::string(kMaxValueData, 'x')));
}

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

}  // namespace

// The settings file may hold the database password: a write keeps the mode
// it was given; a lock file made now takes the same, one that is there stays.
TEST_F(RegistryTest, AWriteKeepsTheModeOfTheFileAndOfAnExistingLockFile) {
    for (mode_t mode : {0600, 0444, 0640, 0664}) {
        DeleteFile(path_ + ".lock");
        WriteRaw("Windows Registry Editor Version 5.00\r\n");
        ASSERT_EQ(::chmod(path_.c_str(), mode), 0);
        TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteString("Initdata", "LoginPasswd", "秘密");
        EXPECT_EQ(StatOf(path_).st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(StatOf(path_ + ".lock").st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(TRegistryIniFile("SOFTWARE\\Corvanel", Store()).ReadString("Initdata", "LoginPasswd", ""), "秘密");
    }
    ASSERT_EQ(::chmod((path_ + ".lock").c_str(), 0604), 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
    TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteInteger("", "SaveBackupDays", 9);
    EXPECT_EQ(StatOf(path_ + ".lock").st_mode & 07777, 0604u);
    EXPECT_EQ(StatOf(path_).st_mode & 07777, 0600u);
}

// A run as root (a tool started with sudo) leaves the file and a lock file
// it makes to the file's owner, who can go on writing them, also past a
// lock file an older run left to root.
TEST_F(RegistryTest, ARunAsRootLeavesTheFileAndItsLockToTheirOwner) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user takes root";
    const uid_t user = 65534;
    const gid_t group = 65534;
    ASSERT_EQ(::chown(dir_.path().c_str(), user, group), 0);
    ForceDirectories(ExtractFileDir(path_));
    ASSERT_EQ(::chown(ExtractFileDir(path_).c_str(), user, group), 0);
    WriteRaw("Windows Registry Editor Version 5.00\r\n");
    ASSERT_EQ(::chown(path_.c_str(), user, group), 0);
    ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);

    TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteString("Initdata", "LoginPasswd", "秘密");
    for (const std::string& file : {path_, path_ + ".lock"}) {
        const struct stat st = StatOf(file);
        EXPECT_EQ(st.st_uid, user) << file;
        EXPECT_EQ(st.st_gid, group) << file;
        EXPECT_EQ(st.st_mode & 07777, 0600u) << file;
    }

    // The user writes next, also after the lock file became root's.
    auto writeAsUser = [&](const std::string& value) {
        const pid_t pid = fork();
        if (pid == 0) {
            if (setgid(group) != 0 || setuid(user) != 0) _exit(2);
            try {
                TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteString("Initdata", "LoginPasswd", value);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s\n", e.what());
                _exit(1);
            }
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(writeAsUser("one"), 0);
    ASSERT_EQ(::chown((path_ + ".lock").c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod((path_ + ".lock").c_str(), 0644), 0);
    EXPECT_EQ(writeAsUser("two"), 0);
    EXPECT_EQ(TRegistryIniFile("SOFTWARE\\Corvanel", Store()).ReadString("Initdata", "LoginPasswd", ""), "two");
    EXPECT_EQ(StatOf(path_).st_uid, user);
}

TEST_F(RegistryTest, AnUnwritableStoreStillReadsDefaults) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
    ForceDirectories(ExtractFileDir(path_));
    ::chmod(ExtractFileDir(path_).c_str(), 0500);
    TRegistryIniFile ini("", Store());
    EXPECT_FALSE(ini.OpenKey("\\SOFTWARE\\Corvanel", true));
    EXPECT_EQ(ini.ReadString("Initdata", "SQLServerName", "(local)"), "(local)");
    ::chmod(ExtractFileDir(path_).c_str(), 0700);
}

TEST_F(RegistryTest, WritersInSeveralProcessesLoseNoUpdate) {
    constexpr int kProcs = 4, kEach = 25;
    TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteInteger("", "Counter", 0);
    std::vector<pid_t> kids;
    for (int p = 0; p < kProcs; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < kEach; ++i)
                Store().Update([](TRegistryData& d) {
                    TRegKey& k = d.CreateKey("SOFTWARE\\Corvanel");
                    TRegValue v = *TRegistryData::FindValue(k, "Counter");
                    ++v.Dword;
                    TRegistryData::SetValue(k, v);
                    return true;
                });
            _exit(0);
        }
        kids.push_back(pid);
    }
    for (pid_t k : kids) {
        int status = 0;
        waitpid(k, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(TRegistryIniFile("SOFTWARE\\Corvanel", Store()).ReadInteger("", "Counter", -1), kProcs * kEach);
}

TEST_F(RegistryTest, AReaderWaitsForTheWriterHoldingTheLock) {
    TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteString("", "State", "old");
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        Store().Update([&](TRegistryData& d) {
            TRegistryData::SetValue(d.CreateKey("SOFTWARE\\Corvanel"), TRegValue{"State", REG_SZ, "new", 0, ""});
            // Tell the parent we hold the lock, then keep it a while.
            (void)!write(pipefd[1], "x", 1);
            usleep(300 * 1000);
            return true;
        });
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(pipefd[0], &c, 1), 1);
    // Without the shared lock this read would see "old".
    EXPECT_EQ(TRegistryIniFile("SOFTWARE\\Corvanel", Store()).ReadString("", "State", ""), "new");
    int status = 0;
    waitpid(pid, &status, 0);
    close(pipefd[0]);
    close(pipefd[1]);
}

TEST_F(RegistryTest, AHeldLockMakesReadsAndWritesFailAfterABoundedWaitNamingTheFile) {
    TRegistryIniFile("SOFTWARE\\Corvanel", Store()).WriteString("", "State", "old");
    const std::string before = ReadFileBytes(path_);
    // Another program holding the lock (flock locks belong to an open file).
    TFileLock other;
    ASSERT_TRUE(other.Open(path_ + ".lock", true));
    ASSERT_TRUE(other.Lock());
    const TRegistryStore store(path_, std::chrono::milliseconds(50));
    const std::string held = "The settings file \"" + path_ + "\" is held by another program: it could not be read";
    EXPECT_EQ(test::ErrorMessage<ERegistryException>([&] { TRegistryIniFile("", store).ReadString("A", "B", ""); }),
              held);
    EXPECT_EQ(test::ErrorMessage<ERegistryException>(
                  [&] { TRegistryIniFile("SOFTWARE\\Corvanel", store).WriteString("", "State", "new"); }),
              held);
    EXPECT_EQ(ReadFileBytes(path_), before);
    other.Unlock();
    EXPECT_EQ(TRegistryIniFile("SOFTWARE\\Corvanel", store).ReadString("", "State", ""), "old");
}

TEST_F(RegistryTest, DefaultPathFollowsTheEnvironment) {
    setenv("MENVARO_REGISTRY", "/x/y.reg", 1);
    EXPECT_EQ(TRegistryStore::DefaultPath(), "/x/y.reg");
    unsetenv("MENVARO_REGISTRY");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(TRegistryStore::DefaultPath(), "/cfg/menvaro/registry.reg");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/admin", 1);
    EXPECT_EQ(TRegistryStore::DefaultPath(), "/home/admin/.config/menvaro/registry.reg");
}

TEST_F(RegistryTest, DeletingValuesAndSections) {
    TRegistryIniFile ini("SOFTWARE\\Corvanel", Store());
    ini.WriteString("Initdata", "A", "1");
    ini.WriteString("Initdata", "B", "2");
    ini.DeleteKey("Initdata", "A");
    EXPECT_FALSE(ini.ValueExists("Initdata", "A"));
    EXPECT_TRUE(ini.ValueExists("Initdata", "B"));
    ini.EraseSection("Initdata");
    EXPECT_FALSE(ini.SectionExists("Initdata"));
    EXPECT_TRUE(ini.SectionExists(""));
}
