// The server objects themselves: the factory, connecting to a folder or a
// SQL Server, and the calls that cannot be made.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ServerObjects.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using ::testing::HasSubstr;

TEST(ServerObjects, TheFactoryMakesTheFiveObjectsOrFailsWhenTold) {
    const dbadmin::TServerObjects o = dbadmin::CreateServerObjects();
    EXPECT_TRUE(o.Application && o.SQLServer && o.Restore && o.Backup && o.Database);
    EXPECT_FALSE(o.SQLServer->Connected());
    EXPECT_EQ(o.Backup->Action(), dbadmin::FullDatabaseAction);
    EXPECT_EQ(o.Restore->Action(), dbadmin::FullDatabaseAction);
    EXPECT_FALSE(o.Restore->ReplaceDatabase());

    ::setenv("MENVARO_TEST_DBADMIN_CREATE_FAILS", "1", 1);
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([] { dbadmin::CreateServerObjects(); }),
                HasSubstr("cannot be created"));
    ::unsetenv("MENVARO_TEST_DBADMIN_CREATE_FAILS");
}

TEST(ServerObjects, GoOneByOneInTheirOrderHoweverTheyAreReleased) {
    test::TempDir dir;
    const std::string log = dir.path() + "released";
    ::setenv("MENVARO_TEST_DBADMIN_RELEASE_LOG", log.c_str(), 1);
    const std::string order = "Application\nDatabase\nBackup\nRestore\nSQLServer\n";
    struct Case {
        const char* what;
        void (*release)(dbadmin::TServerObjects& o);
    } cases[] = {
        {"Release", [](dbadmin::TServerObjects& o) { o.Release(); }},
        {"the destructor", [](dbadmin::TServerObjects& o) { dbadmin::TServerObjects gone(std::move(o)); }},
        {"an assignment", [](dbadmin::TServerObjects& o) { o = dbadmin::TServerObjects(); }},
        {"objects assigned in their place", [](dbadmin::TServerObjects& o) { o = dbadmin::CreateServerObjects(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dbadmin::TServerObjects o = dbadmin::CreateServerObjects();
        DeleteFile(log);
        c.release(o);
        EXPECT_EQ(FileExists(log) ? ReadFileBytes(log) : "", order);
        DeleteFile(log);
        o.Release();
    }
    ::unsetenv("MENVARO_TEST_DBADMIN_RELEASE_LOG");
}

TEST(SQLServer, AFolderTakesAnyLogin) {
    test::SqliteServer s;
    dbadmin::SQLServer server;
    server.Connect(s.Folder(), "", "");
    EXPECT_TRUE(server.Connected());
    EXPECT_EQ(server.Name(), s.Folder());
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { server.Connect(s.Folder(), "", ""); }),
                HasSubstr("Already connected"));
    server.DisConnect();
    EXPECT_FALSE(server.Connected());
    server.DisConnect();
    server.Connect(s.Folder(), "nobody", "wrong");
    EXPECT_TRUE(server.Connected());
}

TEST(SQLServer, ARefusedConnectionLeavesItDisconnected) {
    test::TempDir dir;
    struct Case {
        std::string server;
        const char* message;
    } cases[] = {
        {dir.path() + "no-such-folder", "does not exist"},
        {dir.Write("file"), "is not a folder"},
        // Port 1 on the loopback refuses at once; the library's text names the server.
        {"127.0.0.1,1", "Cannot connect to the SQL Server '127.0.0.1,1'"},
        {"", "names no server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        dbadmin::SQLServer server;
        EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { server.Connect(c.server, "sa", "x"); }),
                    HasSubstr(c.message));
        EXPECT_FALSE(server.Connected());
        // As the tool does after a refusal.
        server.DisConnect();
    }
}

TEST(SQLServer, AFolderThisUserCannotReadIsRefused) {
    test::TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string open = dir.path() + "open", locked = dir.path() + "locked";
    ASSERT_TRUE(CreateDir(open) && CreateDir(locked));
    ASSERT_EQ(::chmod(open.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    // As root every folder is readable: try it as another user.
    auto connectAs = [&](const std::string& folder) {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(77);
            try {
                dbadmin::SQLServer server;
                server.Connect(folder, "", "");
            } catch (const EDbAdminError& e) {
                ::_exit(std::string(e.what()).find("cannot be read (Permission denied)") != std::string::npos ? 3 : 4);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const int opened = connectAs(open);
    if (opened == 77) GTEST_SKIP() << "cannot become another user";
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(connectAs(locked), 3);
    ::chmod(locked.c_str(), 0755);
}

TEST(ServerObjects, CallsThatCannotBeMadeFail) {
    test::SqliteServer s;
    dbadmin::TServerObjects o = dbadmin::CreateServerObjects();
    dbadmin::Backup& backup = *o.Backup;
    dbadmin::Restore& restore = *o.Restore;
    const std::string file = s.Backups() + "database20240510";
    auto backupFails = [&] { return test::ErrorMessage<EDbAdminError>([&] { backup.SQLBackup(*o.SQLServer); }); };
    auto restoreFails = [&] { return test::ErrorMessage<EDbAdminError>([&] { restore.SQLRestore(*o.SQLServer); }); };
    backup.SetDatabase("Velkoranth");
    backup.SetFiles(file);
    restore.SetDatabase("Velkoranth");
    restore.SetFiles(file);
    restore.SetReplaceDatabase(true);

    EXPECT_THAT(backupFails(), HasSubstr("A backup needs a connected server"));
    EXPECT_THAT(restoreFails(), HasSubstr("A restore needs a connected server"));
    o.SQLServer->Connect(s.Folder(), "", "");

    backup.SetAction(1);
    EXPECT_THAT(backupFails(), HasSubstr("Backup Action 1 is not offered"));
    backup.SetAction(dbadmin::FullDatabaseAction);
    restore.SetAction(2);
    EXPECT_THAT(restoreFails(), HasSubstr("Restore Action 2 is not offered"));
    restore.SetAction(dbadmin::FullDatabaseAction);

    backup.SetFiles("");
    EXPECT_THAT(backupFails(), HasSubstr("names no file"));
    backup.SetFiles(s.Backups());
    EXPECT_THAT(backupFails(), HasSubstr("is a folder"));
    backup.SetFiles(s.Catalog());
    EXPECT_THAT(backupFails(), HasSubstr("is the database file itself"));
    restore.SetFiles(s.Folder() + "../server/Velkoranth.db");
    EXPECT_THAT(restoreFails(), HasSubstr("is the database file itself"));
    EXPECT_EQ(test::Connection(s.Catalog()).Text("pragma quick_check"), "ok");
    backup.SetFiles(file);
    restore.SetFiles(file);
    for (const char* name : {"", "../server/Velkoranth", "Kassa"}) {
        SCOPED_TRACE(name);
        backup.SetDatabase(name);
        restore.SetDatabase(name);
        EXPECT_FALSE(backupFails().empty());
        EXPECT_FALSE(restoreFails().empty());
    }
    EXPECT_EQ(test::Listing(s.Backups()), "");
}
