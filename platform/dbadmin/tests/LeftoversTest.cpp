// What a backup that never ended leaves beside its file, and how a file is
// told whole: the temporary copies that the next cleaning takes (unless a
// running backup holds them) and the size a backup's header gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/SqliteAdmin.h"

using namespace menvaro;

namespace {

bool OfMay10(const std::string& name) { return name == "database20240510"; }

}  // namespace

TEST(Leftovers, TheCopiesAndJournalsOfTheNamedBackupsGoUnlessABackupHoldsThem) {
    test::TempDir dir("leftovers");
    const std::string d = dir.path();
    for (const char* name : {".database20240510.17.tmp", ".database20240510.17.tmp-journal",
                             ".database20240510.18.tmp-wal", ".database20240510.18.tmp-shm",  // the copy went first
                             ".database20240510.19.tmp",                                       // held, below
                             ".database20240510.19.tmp-wal", "database20240510", "database20240510.old",
                             ".database20240511.20.tmp",   // another backup's
                             ".database20240510.x.tmp",    // not digits
                             ".database20240510.21.temp",  // not the form
                             ".other.22.tmp"})
        WriteFileAtomic(d + name, "x");
    CreateDir(d + ".database20240510.23.tmp");  // a folder is not a copy
    const int held = ::open((d + ".database20240510.19.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(dbadmin::RemoveStaleBackupCopies(d, OfMay10), 4);
    EXPECT_EQ(test::Listing(d),
              ".database20240510.19.tmp .database20240510.19.tmp-wal .database20240510.21.temp "
              ".database20240510.23.tmp .database20240510.x.tmp .database20240511.20.tmp .other.22.tmp "
              "database20240510 database20240510.old");
    // Once the backup that held it has ended.
    ::close(held);
    EXPECT_EQ(dbadmin::RemoveStaleBackupCopies(d, OfMay10), 2);
    EXPECT_EQ(dbadmin::RemoveStaleBackupCopies(d, OfMay10), 0);
    EXPECT_EQ(dbadmin::RemoveStaleBackupCopies(d + "missing", OfMay10), 0);
}

TEST(Leftovers, AFileIsWholeWhenItIsAsLongAsItsHeaderSays) {
    test::SqliteServer s;
    test::Objects tool(s.Folder());
    const std::string file = s.Backups() + "database20240510";
    tool.BackupTo(file);
    const std::string good = ReadFileBytes(file);
    EXPECT_TRUE(dbadmin::IsWholeDatabaseFile(file));
    // The catalog too, in rollback mode.
    EXPECT_TRUE(dbadmin::IsWholeDatabaseFile(s.Catalog()));
    const std::string other = s.Backups() + "other";
    struct Case {
        const char* what;
        std::string content;
    } cases[] = {{"a byte short", good.substr(0, good.size() - 1)},
                 {"a page short", good.substr(0, good.size() - 4096)},
                 {"a byte long", good + 'x'},
                 {"the header only", good.substr(0, 100)},
                 {"empty", ""},
                 {"text", std::string(8192, 'x')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileAtomic(other, c.content);
        EXPECT_FALSE(dbadmin::IsWholeDatabaseFile(other));
    }
    EXPECT_FALSE(dbadmin::IsWholeDatabaseFile(s.Backups() + "missing"));
    EXPECT_FALSE(dbadmin::IsWholeDatabaseFile(s.Backups()));
    ASSERT_EQ(::symlink(file.c_str(), (s.Backups() + "link").c_str()), 0);
    EXPECT_FALSE(dbadmin::IsWholeDatabaseFile(s.Backups() + "link"));
}
