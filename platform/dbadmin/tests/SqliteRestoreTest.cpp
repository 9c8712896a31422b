// Restores into a live SQLite catalog through the server objects, on real
// files: the content replaced in place for the connections already open, a
// lock past the busy time-out or a bad backup leaving the catalog as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ProductTables.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/SqliteFile.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using test::Connection;
using test::Mode;
using ::testing::HasSubstr;

namespace {

using RestoreTest = test::ModeTest;
INSTANTIATE_TEST_SUITE_P(Modes, RestoreTest, test::AllModes(), test::ModeParamName);

ino_t Inode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

// A catalog with a backup of it, changed since: 6 rows of pairs against the
// backup's 4.
struct Changed {
    explicit Changed(Mode mode = Mode::Rollback) : s(mode), tool(s.Folder()) {
        tool.BackupTo(backup);
        Connection c(s.Catalog());
        test::AddPair(c, 3);
    }
    test::SqliteServer s;
    test::Objects tool;
    const std::string backup = s.Backups() + "database20240510";
};

}  // namespace

TEST_P(RestoreTest, ReplacesTheContentForAConnectionOpenedBefore) {
    Changed t(GetParam());
    Connection other(t.s.Catalog(), 1000);
    ASSERT_TRUE(other.Exec("delete from Dishlist; delete from Pairs"));
    test::AddPair(other, 9);
    const ino_t inode = Inode(t.s.Catalog());

    t.tool.RestoreFrom(t.backup);

    EXPECT_EQ(other.Int(test::PairsCountSql()), 4);
    EXPECT_EQ(other.Int("select count(*) from Pairs where N = 9"), 0);
    EXPECT_EQ(other.Int("select count(*) from Dishlist"), Connection(t.backup).Int("select count(*) from Dishlist"));
    EXPECT_EQ(other.Text("pragma quick_check"), "ok");
    // The same file, in the mode it had.
    EXPECT_EQ(Inode(t.s.Catalog()), inode);
    EXPECT_EQ(other.Text("pragma journal_mode"), GetParam() == Mode::Wal ? "wal" : "delete");
}

TEST(Restore, InRollbackModeAReaderHoldingATransactionMakesItFail) {
    Changed t;
    Connection reader(t.s.Catalog());
    ASSERT_TRUE(reader.Exec("begin"));
    ASSERT_EQ(reader.Int(test::PairsCountSql()), 6);
    const std::string before = ReadFileBytes(t.s.Catalog());

    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(t.backup); }),
                HasSubstr("is in use: another connection held a lock on it for longer than 100 ms"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
    EXPECT_EQ(test::Listing(t.s.Folder()), "Velkoranth.db");
    EXPECT_EQ(reader.Int(test::PairsCountSql()), 6);

    ASSERT_TRUE(reader.Exec("commit"));
    t.tool.RestoreFrom(t.backup);
    EXPECT_EQ(reader.Int(test::PairsCountSql()), 4);
}

TEST(Restore, InWalModeAReaderKeepsItsSnapshotAndTheRestoreGoesThrough) {
    Changed t(Mode::Wal);
    Connection reader(t.s.Catalog());
    ASSERT_TRUE(reader.Exec("begin"));
    ASSERT_EQ(reader.Int(test::PairsCountSql()), 6);

    t.tool.RestoreFrom(t.backup);

    EXPECT_EQ(reader.Int(test::PairsCountSql()), 6);
    ASSERT_TRUE(reader.Exec("commit"));
    EXPECT_EQ(reader.Int(test::PairsCountSql()), 4);
}

TEST_P(RestoreTest, AnotherWriterMakesItFail) {
    Changed t(GetParam());
    Connection writer(t.s.Catalog());
    ASSERT_TRUE(writer.Exec("begin immediate; insert into Pairs values (7, 'a')"));
    const std::string before = ReadFileBytes(t.s.Catalog());

    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(t.backup); }), HasSubstr("is in use"));
    ASSERT_TRUE(writer.Exec("rollback"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
    EXPECT_EQ(Connection(t.s.Catalog()).Int(test::PairsCountSql()), 6);
}

TEST(Restore, ADamagedTruncatedOrForeignBackupIsRefusedWithTheCatalogUnchanged) {
    Changed t;
    const std::string good = ReadFileBytes(t.backup);
    ASSERT_GT(good.size(), 8 * 4096u);
    std::string damaged = good;
    damaged.replace(4096, 3 * 4096, 3 * 4096, '\x5A');  // pages 2 to 4
    const std::string foreign = t.s.Backups() + "foreign.db";
    test::MakeDatabase(foreign, "create table Orders (N int); insert into Orders values (1)");
    struct Case {
        const char* what;
        std::string content;  // of the backup file
        const char* message;
    } cases[] = {
        {"damaged pages", damaged, "is damaged"},
        {"truncated", good.substr(0, good.size() / 2), "is damaged"},
        {"cut in its header", good.substr(0, 60), "is damaged"},
        {"not a database", std::string(8192, 'x'), "is not a SQLite database"},
        {"empty", "", "is not a product database: it has no table dishproject"},
        {"another database", ReadFileBytes(foreign), "is not a product database: it has no table dishproject"},
    };
    const std::string before = ReadFileBytes(t.s.Catalog());
    const std::string file = t.s.Backups() + "database20240509";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileAtomic(file, c.content);
        const std::string message = test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(file); });
        EXPECT_THAT(message, HasSubstr("The backup file '" + file + "'"));
        EXPECT_THAT(message, HasSubstr(c.message));
        EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
        EXPECT_EQ(test::Listing(t.s.Folder()), "Velkoranth.db");
    }
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(t.s.Backups() + "database20240508"); }),
                HasSubstr("does not exist"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
}

TEST(Restore, WithoutReplaceDatabaseTheCatalogStays) {
    Changed t;
    const std::string before = ReadFileBytes(t.s.Catalog());
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(t.backup, false); }),
                HasSubstr("needs ReplaceDatabase"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
}

TEST(Restore, AWalCatalogRefusesABackupOfAnotherPageSize) {
    Changed t(Mode::Wal);
    const std::string small = t.s.Backups() + "database20240509";
    // A product database of 1 KiB pages.
    std::string sql = "pragma page_size = 1024; attach '" + t.backup + "' as b;";
    for (const std::string& table : dbadmin::ProductTables())
        sql += "create table " + table + " as select * from b." + table + ";";
    test::MakeDatabase(small, sql + "detach b");
    ASSERT_EQ(Connection(small).Text("pragma page_size"), "1024");
    const std::string before = ReadFileBytes(t.s.Catalog());
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(small); }),
                HasSubstr("has pages of 1024 bytes"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
    EXPECT_EQ(Connection(t.s.Catalog()).Int(test::PairsCountSql()), 6);
}
