// Storvik as a user meets it: the program run headless with a UI script, a
// settings file and a SQLite server folder holding a copy of the demo
// product database.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/Files.h"
#include "base/Strings.h"
#include "registry/RegistryIniFile.h"
#include "testsupport/ChildProgram.h"
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
    // Runs the program on `script`; answers its exit status and keeps what
    // it printed. `before` are variables of its environment, `as` a command
    // that runs it (as another user).
    int Run(const std::string& script, const std::string& before = "", const std::string& as = "") {
        WriteFileAtomic(dir_.path() + "run.script", script);
        const std::string command = "env MENVARO_UI=headless MENVARO_REGISTRY='" + dir_.path() +
                                    "registry.reg' MENVARO_UI_SCRIPT='" + dir_.path() + "run.script' " + before +
                                    " timeout 60 " + as + " '" + bin() + "Storvik' > '" + dir_.path() +
                                    "out.txt' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadFileBytes(dir_.path() + "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Starts the program on `script` without waiting; answers its process.
    pid_t Start(const std::string& script) {
        WriteFileAtomic(dir_.path() + "run.script", script);
        const std::string registry = dir_.path() + "registry.reg", scriptFile = dir_.path() + "run.script",
                          out = dir_.path() + "out.txt", program = bin() + "Storvik";
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("MENVARO_UI", "headless", 1);
            ::setenv("MENVARO_REGISTRY", registry.c_str(), 1);
            ::setenv("MENVARO_UI_SCRIPT", scriptFile.c_str(), 1);
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }
    // Starts the program under the window backend `backend` (the sdl one on
    // SDL's offscreen driver), on `script` when one is given.
    std::unique_ptr<test::TChildProgram> StartUnder(const std::string& backend, const std::string& script = "") {
        std::vector<std::string> env{"MENVARO_UI=" + backend, "SDL_VIDEODRIVER=offscreen",
                                     "MENVARO_REGISTRY=" + dir_.path() + "registry.reg", "MENVARO_UI_SCRIPT="};
        if (!script.empty()) env.back() += dir_.Write("run.script", script);
        return std::make_unique<test::TChildProgram>(bin() + "Storvik", env, dir_.path() + "out.txt");
    }
    std::string Output() const { return FileExists(dir_.path() + "out.txt") ? ReadFileBytes(dir_.path() + "out.txt") : ""; }
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
                  "expect OK visible true\n"  // the failure, with its reason under it
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

// The product database `path` made one that takes a while to back up: 160 MB more.
void MakeBig(const std::string& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "create table Filler (N int, B blob);"
                           "with recursive n(i) as (select 1 union all select i + 1 from n where i < 160)"
                           " insert into Filler select i, randomblob(1000000) from n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The moments of a backup at which it is killed, as the backup folder shows them.
enum class Moment { SetAside, CopyMade, CopyHalf, CopyWhole, NewInPlace };

// Watches a backup folder for the backup of one name.
class FolderWatch {
public:
    FolderWatch(const std::string& folder, std::string name) : folder_(folder), name_(std::move(name)) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO);
    }
    ~FolderWatch() { ::close(fd_); }
    // Reads what happened; true once `moment` has come.
    bool Reached(Moment moment, std::uintmax_t catalogSize) {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                const std::string name = e->len ? e->name : "";
                if (name == name_ && (e->mask & IN_MOVED_FROM)) setAside_ = true;
                if (name == name_ && (e->mask & IN_MOVED_TO)) placed_ = true;
                if (name.starts_with("." + name_ + ".") && name.ends_with(".tmp") && (e->mask & IN_CREATE))
                    copy_ = folder_ + name;
                p += sizeof(inotify_event) + e->len;
            }
        struct stat st {};
        const std::uintmax_t copied = !copy_.empty() && ::stat(copy_.c_str(), &st) == 0 ? st.st_size : 0;
        switch (moment) {
            case Moment::SetAside: return setAside_;
            case Moment::CopyMade: return !copy_.empty();
            case Moment::CopyHalf: return copied >= catalogSize / 2;
            case Moment::CopyWhole: return copied >= catalogSize;
            case Moment::NewInPlace: return placed_;
        }
        return false;
    }
    // The new backup took the name.
    bool Placed() {
        Reached(Moment::NewInPlace, 0);
        return placed_;
    }

private:
    int fd_;
    std::string folder_, name_, copy_;
    bool setAside_ = false, placed_ = false;
};

TEST_F(Storvik, ABackupKilledAtAnyMomentNeverCostsTheBackupThatWasThere) {
    MakeBig(database());
    const std::uintmax_t catalogSize = FileSize(database());
    // In a folder chosen on the page, which the next start knows no more as
    // its backup folder: the run records it before it changes anything.
    const std::string chosen = dir_.path() + "chosen/";
    CreateDir(chosen);
    const std::string file = chosen + "database20240510";
    const std::string old = ReadFileBytes(MENVARO_DEMO_DB_DIR "Velkoranth.db");
    const std::string script = std::string(kLogin) +
                               "click sbtnBackupDir\n"
                               "type Folder \"" +
                               ExcludeTrailingPathDelimiter(chosen) +
                               "\"\n"
                               "click OK\n"
                               "type dtpBackupDate \"20240510\"\n"
                               "click fxbtnBackup\n"
                               "@answer"
                               "expect Message text \"备份数据库成功!\"\n"
                               "click OK\n"
                               "close frmDataTools\n";
    int killedBeforeTheNewOne = 0;
    const struct {
        Moment moment;
        bool overwrite;  // a backup of that date is there
    } cases[] = {{Moment::SetAside, true},  {Moment::CopyMade, true},   {Moment::CopyHalf, true},
                 {Moment::CopyWhole, true}, {Moment::NewInPlace, true}, {Moment::CopyHalf, false}};
    for (const auto& [moment, overwrite] : cases) {
        SCOPED_TRACE(static_cast<int>(moment) + (overwrite ? 0 : 10));
        for (const auto& entry : std::filesystem::directory_iterator(chosen)) DeleteFile(entry.path());
        if (overwrite) WriteFileAtomic(file, old);
        FolderWatch watch(chosen, "database20240510");
        const pid_t pid = Start(ReplaceAll(script, "@answer", overwrite ? "expect Yes visible true\nclick Yes\n" : ""));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        bool reached = false, ended = false;
        int status = 0;
        while (!(reached = watch.Reached(moment, catalogSize)) && !ended &&
               std::chrono::steady_clock::now() < deadline) {
            ended = ::waitpid(pid, &status, WNOHANG) == pid;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (!ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        ASSERT_TRUE(reached) << ReadFileBytes(dir_.path() + "out.txt");
        ASSERT_TRUE(WIFSIGNALED(status)) << "the backup ended before the kill";
        const bool placed = watch.Placed();
        if (!placed && overwrite) ++killedBeforeTheNewOne;

        // The next start mends the folder before it asks for a login.
        ASSERT_EQ(Run("click btnCancel\n"
                      "expect Message text \"连接数据库失败!\"\n"
                      "click OK\n"),
                  0)
            << output_;
        if (!overwrite && !placed) {
            // Nothing was there, and nothing is: the copy went.
            EXPECT_EQ(test::Listing(chosen), "");
            continue;
        }
        EXPECT_EQ(test::Listing(chosen), "database20240510");
        if (placed) {
            // Written whole before the kill: the new backup stays.
            EXPECT_EQ(FileSize(file), catalogSize);
            EXPECT_EQ(Query(file, "select count(*) from Filler"), "160");
        } else {
            EXPECT_TRUE(ReadFileBytes(file) == old) << "the old backup is not there as it was";
        }
    }
    // The moments before the new backup took the name were met as such.
    EXPECT_GE(killedBeforeTheNewOne, 3);
}

TEST_F(Storvik, SettingsThatCannotBeWrittenAtTheStartEndTheProgramBeforeAnythingElse) {
    // The settings file of another user, in a folder this user may not
    // write: it can be read, not replaced.
    const std::string settings = dir_.path() + "settings/";
    CreateDir(settings);
    const std::string registry = settings + "registry.reg";
    ASSERT_TRUE(RenameFile(dir_.path() + "registry.reg", registry));
    WriteFileAtomic(registry + ".lock", "");
    for (const std::string& path : {dir_.path(), bin(), settings, server()}) ::chmod(path.c_str(), 0755);
    ::chmod((bin() + "Storvik").c_str(), 0755);
    for (const std::string& path : {registry, registry + ".lock", database()}) ::chmod(path.c_str(), 0644);
    std::string as;
    if (::geteuid() == 0) {
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    } else {
        ::chmod(settings.c_str(), 0555);
    }
    const std::string before = ReadFileBytes(registry);
    // What the settings say when this write fails, as that user sees it.
    std::string expected;
    {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
            ::setenv("MENVARO_REGISTRY", registry.c_str(), 1);
            try {
                TRegistryIniFile ini("SOFTWARE\\Corvanel");
                ini.WriteString("", "DataBackupDir", "/x");
            } catch (const std::exception& e) {
                const std::string m = e.what();
                if (::write(fds[1], m.data(), m.size()) < 0) ::_exit(4);
                ::_exit(3);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        char buffer[512];
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) expected.append(buffer, n);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become another user";
        ASSERT_EQ(WEXITSTATUS(status), 3) << "the write did not fail";
    }
    EXPECT_NE(expected.find(registry), std::string::npos) << expected;
    // The message, then the end: no login dialog, no window, no backup folder.
    const std::string script = "expect Message text \"" + ReplaceAll(expected, "\"", "\\\"") + "\"\nclick OK\n";
    EXPECT_EQ(Run(script, "MENVARO_REGISTRY='" + registry + "'", as), 1) << output_;
    EXPECT_EQ(ReadFileBytes(registry), before);
    EXPECT_FALSE(DirectoryExists(bin() + "DataBackup"));
    ::chmod(settings.c_str(), 0755);
}

// Application, Database, Backup, Restore, SQLServer, whichever way the program ends.
TEST_F(Storvik, TheServerObjectsGoInTheirOrderWhenTheProgramEnds) {
    const std::string log = dir_.path() + "released";
    const std::string logVar = "MENVARO_TEST_DBADMIN_RELEASE_LOG='" + log + "'";
    const std::string order = "Application\nDatabase\nBackup\nRestore\nSQLServer\n";
    struct Case {
        const char* what;
        std::string server;
        std::string script;
    } cases[] = {
        {"closed", server(), std::string(kLogin) + "close frmDataTools\n"},
        {"login cancelled", server(), "click btnCancel\nexpect Message text \"连接数据库失败!\"\nclick OK\n"},
        // No folder: a SQL Server of that name, which cannot be reached.
        {"login refused", dir_.path() + "no-such-folder",
         std::string(kLogin) + "click OK\nexpect Message text \"连接数据库失败!\"\nclick OK\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings(c.server, "Velkoranth");
        DeleteFile(log);
        ASSERT_EQ(Run(c.script, logVar), 0) << output_;
        EXPECT_EQ(FileExists(log) ? ReadFileBytes(log) : "", order);
    }
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


// Asked to end from outside (SIGTERM at a shutdown or logout, SIGINT from a
// terminal), under both window backends.
class StorvikSignal : public Storvik, public ::testing::WithParamInterface<test::TEndCase> {};

// The login dialog is modal: it goes as cancelled would, and the program after it.
TEST_P(StorvikSignal, AtTheLoginItEnds) {
    auto program = StartUnder(GetParam().backend);
    ASSERT_TRUE(program->WaitFor([&] { return program->Catches(SIGTERM) && program->Catches(SIGINT); }))
        << Output();
    program->Send(GetParam().signal);
    EXPECT_EQ(program->Wait(), 0) << Output();
}

// The database is held by another program when the backup starts; the
// signal comes while the backup waits for it, the backup goes on once it is
// free, its message box goes by itself, the settings are saved and the old
// backups deleted. (Were the signal not heard, the script would end with the
// program still running: status 3.)
TEST_P(StorvikSignal, DuringABackupTheBackupFinishesFirst) {
    const std::string rooms = Query(database(), "select count(*) from Room");
    ASSERT_NE(rooms, "0");
    ForceDirectories(backups());
    WriteFileAtomic(backups() + "database20240101", "older backup");
    test::TDatabaseLock held(database());
    auto program = StartUnder(GetParam().backend, std::string(kLogin) +
                                                      "type dtpBackupDate \"20240510\"\n"
                                                      "click fxbtnBackup\n");
    ASSERT_EQ(program->EndWhileItWaitsFor(database(), GetParam().signal, [&] { held.Release(); }), 0) << Output();
    EXPECT_EQ(Query(backups() + "database20240510", "select count(*) from Room"), rooms);
    EXPECT_NE(Registry().find("\"DataBackupDir\"=\"" + backups() + "\""), std::string::npos) << Registry();
    EXPECT_FALSE(FileExists(backups() + "database20240101"));
}

// The same for a restore: it is never cut, the live database ends up as the
// backup whole.
TEST_P(StorvikSignal, DuringARestoreTheRestoreFinishesFirst) {
    ForceDirectories(backups());
    std::filesystem::copy_file(database(), backups() + "database20240510");
    const std::string rooms = Query(database(), "select count(*) from Room");
    ASSERT_NE(rooms, "0");
    test::MakeDatabase(database(), "delete from Room;");
    test::TDatabaseLock held(database());
    auto program = StartUnder(GetParam().backend, std::string(kLogin) +
                                                      "press Ctrl+Tab\n"
                                                      "type dtpResumeDate \"20240510\"\n"
                                                      "click fxbtnResume\n");
    ASSERT_EQ(program->EndWhileItWaitsFor(database(), GetParam().signal, [&] { held.Release(); }), 0) << Output();
    EXPECT_EQ(Query(database(), "select count(*) from Room"), rooms);
}

INSTANTIATE_TEST_SUITE_P(Backends, StorvikSignal, ::testing::ValuesIn(test::kEndCases),
                         [](const auto& info) { return test::EndCaseName(info.param); });

// Idle in its main window it ends as closing the window does. Under the sdl
// backend only: there a script can wait in real time (headless time moves
// only while the program waits for a timer, so its script would end first).
TEST_F(Storvik, IdleInTheMainWindowASignalEndsItAsClosingTheWindowDoes) {
    const std::string ready = dir_.path() + "ready.png";
    for (int signal : {SIGTERM, SIGINT}) {
        DeleteFile(ready);
        auto program = StartUnder("sdl", std::string(kLogin) + "screenshot frmDataTools \"" + ready +
                                             "\"\nwait 600000\nclose frmDataTools\n");
        ASSERT_TRUE(program->WaitFor([&] { return FileExists(ready); })) << Output();
        program->Send(signal);
        EXPECT_EQ(program->Wait(), 0) << Output();
    }
}

}  // namespace
}  // namespace menvaro
