// Backups of a SQLite catalog through the server objects, on real files:
// consistent while others write, complete and checked before the file gets
// its name, and refused for a catalog that is not a product database.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/SqliteAdmin.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/SqliteFile.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using test::Connection;
using test::Mode;
using ::testing::HasSubstr;

namespace {

using BackupTest = test::ModeTest;
INSTANTIATE_TEST_SUITE_P(Modes, BackupTest, test::AllModes(), test::ModeParamName);

}  // namespace

TEST_P(BackupTest, IsAConsistentCopyWhileAnotherConnectionWrites) {
    test::SqliteServer s(GetParam());
    test::Objects tool(s.Folder());
    Connection writer(s.Catalog(), 1000);
    // Half of a pair, not committed: the backup must not hold it.
    ASSERT_TRUE(writer.Exec("begin; insert into Pairs values (3, 'a')"));
    const std::string first = s.Backups() + "database20240510";
    tool.BackupTo(first);
    {
        Connection b(first);
        EXPECT_EQ(b.Text("pragma quick_check"), "ok");
        EXPECT_EQ(b.Int(test::PairsCountSql()), 4);
        EXPECT_EQ(b.Int(test::BrokenPairsSql()), 0);
    }
    // Committed; in WAL mode still only in the log, which the copy must read too.
    ASSERT_TRUE(writer.Exec("insert into Pairs values (3, 'b'); commit"));
    const std::string second = s.Backups() + "database20240511";
    tool.BackupTo(second);
    Connection b(second);
    EXPECT_EQ(b.Int(test::PairsCountSql()), 6);
    EXPECT_EQ(b.Int(test::BrokenPairsSql()), 0);
    EXPECT_EQ(b.Int("select count(*) from Dishlist"), Connection(s.Catalog()).Int("select count(*) from Dishlist"));
}

TEST_P(BackupTest, TheFileIsOneCheckedDatabaseNoMoreOpenThanTheCatalog) {
    test::SqliteServer s(GetParam());
    const std::string file = s.Backups() + "database20240510";
    WriteFileAtomic(file, "an older backup of the same day");
    for (const mode_t mode : {0640, 0444}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(s.Catalog().c_str(), mode), 0);
        test::Objects(s.Folder()).BackupTo(file);

        // Replaced, with no temporary file beside it.
        EXPECT_EQ(test::Listing(s.Backups()), "database20240510");
        struct stat st;
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 077 & ~mode, 0u) << std::oct << st.st_mode;
        Connection b(file);
        EXPECT_EQ(b.Text("pragma quick_check"), "ok");
        // A WAL catalog's backup is still a single file.
        EXPECT_EQ(b.Text("pragma journal_mode"), "delete");
        EXPECT_EQ(b.Int(test::PairsCountSql()), 4);
    }
}

TEST(Backup, AnInterruptedBackupLeavesNoFileOfTheFinalName) {
    test::SqliteServer s;
    test::Objects tool(s.Folder());
    const std::string file = s.Backups() + "database20240510";
    struct Case {
        const char* what;
        bool killed;     // the process dies when the file outgrows its limit
        bool olderFile;  // a backup of that name was there
    } cases[] = {{"process killed while writing", true, false}, {"write refused", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : std::filesystem::directory_iterator(s.Backups())) DeleteFile(entry.path());
        if (c.olderFile) WriteFileAtomic(file, "an older backup");
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFds[0]);
            const rlimit noCore{0, 0}, small{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::setrlimit(RLIMIT_FSIZE, &small);
            ::signal(SIGXFSZ, c.killed ? SIG_DFL : SIG_IGN);
            try {
                tool.BackupTo(file);
            } catch (const EDbAdminError& e) {
                const std::string m = e.Message();
                if (::write(pipeFds[1], m.data(), m.size()) < 0) ::_exit(4);
                ::_exit(3);
            }
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        std::string message;
        char buffer[256];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (c.killed) {
            ASSERT_TRUE(WIFSIGNALED(status)) << status;
            EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
            // Only the hidden temporary file of the copy, which the next
            // cleaning takes, as it leaves another backup's and other files.
            EXPECT_THAT(test::Listing(s.Backups()), ::testing::MatchesRegex("\\.database20240510\\.[0-9]+\\.tmp"));
            WriteFileAtomic(s.Backups() + ".other.5.tmp", "");
            EXPECT_EQ(dbadmin::RemoveStaleBackupCopies(
                          s.Backups(), [](const std::string& name) { return name == "database20240510"; }),
                      1);
            EXPECT_EQ(test::Listing(s.Backups()), ".other.5.tmp");
        } else {
            ASSERT_TRUE(WIFEXITED(status)) << status;
            EXPECT_EQ(WEXITSTATUS(status), 3);
            EXPECT_THAT(message, HasSubstr("The backup file '" + file + "'"));
            EXPECT_EQ(ReadFileBytes(file), "an older backup");
            // The temporary file went with the failure.
            EXPECT_EQ(test::Listing(s.Backups()), "database20240510");
        }
    }
    // Nothing of the catalog was touched either.
    EXPECT_EQ(Connection(s.Catalog()).Text("pragma quick_check"), "ok");
}

TEST(Backup, ACatalogThatIsNotAProductDatabaseFails) {
    struct Case {
        const char* what;
        void (*make)(const std::string& catalog);
        const char* message;
    } cases[] = {
        {"no file", [](const std::string& c) { DeleteFile(c); }, "there is no file Velkoranth.db in"},
        {"not a database", [](const std::string& c) { WriteFileAtomic(c, std::string(4096, 'x')); },
         "is not a SQLite database"},
        {"other tables",
         [](const std::string& c) {
             DeleteFile(c);
             test::MakeDatabase(c, "create table Orders (N int)");
         },
         "is not a product database (no such table: dishproject)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::SqliteServer s;
        c.make(s.Catalog());
        test::Objects tool(s.Folder());
        EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { tool.BackupTo(s.Backups() + "database20240510"); }),
                    HasSubstr(c.message));
        EXPECT_EQ(test::Listing(s.Backups()), "");
    }
}

TEST(Backup, TheCatalogIsFoundWithoutRegardToCase) {
    test::SqliteServer s;
    ASSERT_TRUE(RenameFile(s.Catalog(), s.Folder() + "VELKORANTH.DB"));
    test::Objects tool(s.Folder());
    tool.BackupTo(s.Backups() + "database20240510");
    EXPECT_EQ(Connection(s.Backups() + "database20240510").Int(test::PairsCountSql()), 4);
}

TEST(Backup, ALockHeldPastTheBusyTimeoutFailsIt) {
    test::SqliteServer s;
    Connection writer(s.Catalog());
    // An exclusive lock keeps every reader out until it ends.
    ASSERT_TRUE(writer.Exec("begin exclusive; insert into Pairs values (3, 'a')"));
    test::Objects tool(s.Folder(), 50);
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { tool.BackupTo(s.Backups() + "database20240510"); }),
                HasSubstr("is in use: another connection held a lock on it for longer than 50 ms"));
    EXPECT_EQ(test::Listing(s.Backups()), "");
    ASSERT_TRUE(writer.Exec("rollback"));
    tool.BackupTo(s.Backups() + "database20240510");
}
