// Restores into a live SQLite catalog through the server objects, on real
// files: the content replaced in place for the connections already open, a
// lock past the busy time-out or a bad backup leaving the catalog as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "SqliteServer.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/SqliteAdmin.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/SqliteFile.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using dbadmin::TDbAdminFailure;
using dbadmin::TDbAdminFile;
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
// backup's 4. The backup holds a row of marks, which its file stores twice
// (the table's record and the entry of its key's index).
struct Changed {
    explicit Changed(Mode mode = Mode::Rollback) : s(mode), tool(s.Folder()) {
        {
            Connection c(s.Catalog());
            c.Exec("create table Marks (Tag text primary key, Body text);"
                   "insert into Marks values ('MARKTAG01', 'MARKBODY01')");
        }
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

// The backup `good` with `bytes` written at `at`.
std::string Patched(std::string good, std::size_t at, std::string_view bytes) {
    good.replace(at, bytes.size(), bytes);
    return good;
}

// The backup `good` with the byte at `at` XORed with `mask`.
std::string Flipped(std::string good, std::size_t at, unsigned char mask) {
    good[at] = static_cast<char>(static_cast<unsigned char>(good[at]) ^ mask);
    return good;
}

struct BadBackup {
    std::string what;
    std::string content;  // of the backup file
    const char* message;
    TDbAdminFailure failure;
};

// Refused with the catalog byte for byte as it was, and no file beside it.
void ExpectRefused(Changed& t, const std::vector<BadBackup>& cases) {
    const std::string before = ReadFileBytes(t.s.Catalog());
    const std::string file = t.s.Backups() + "database20240509";
    for (const BadBackup& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileAtomic(file, c.content);
        const EDbAdminError e = test::AdminError([&] { t.tool.RestoreFrom(file); });
        EXPECT_THAT(e.Message(), HasSubstr("The backup file '" + file + "'"));
        EXPECT_THAT(e.Message(), HasSubstr(c.message));
        EXPECT_EQ(e.Failure(), c.failure);
        EXPECT_EQ(e.File(), TDbAdminFile::BackupFile);
        EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
        EXPECT_EQ(test::Listing(t.s.Folder()), "Velkoranth.db");
    }
}

TEST(Restore, ABackupCutShortAnywhereIsRefused) {
    Changed t;
    const std::string good = ReadFileBytes(t.backup);
    const std::size_t page = 4096;
    ASSERT_EQ(good.size() % page, 0u);
    ASSERT_GT(good.size(), 8 * page);
    std::vector<std::size_t> lengths = {0, 60, 99, 100, page - 1, page, page + 1, good.size() / 2};
    for (std::size_t cut = 1; cut <= 32; ++cut) lengths.push_back(good.size() - cut);
    for (std::size_t at = 2 * page; at < good.size(); at += page) lengths.push_back(at);
    std::vector<BadBackup> cases;
    for (std::size_t n : lengths)
        cases.push_back({"cut to " + std::to_string(n) + " bytes", good.substr(0, n), "is damaged",
                         TDbAdminFailure::Damaged});
    // Longer than its pages, too.
    cases.push_back({"a byte too long", good + '\0', "is damaged", TDbAdminFailure::Damaged});
    ExpectRefused(t, cases);
    // The whole file still restores.
    t.tool.RestoreFrom(t.backup);
}

TEST(Restore, ADamagedBackupIsRefused) {
    Changed t;
    const std::string good = ReadFileBytes(t.backup);
    // The marks' key, once in the table's record (followed by the body) and
    // once in the index.
    const std::size_t first = good.find("MARKTAG01"), second = good.find("MARKTAG01", first + 1);
    ASSERT_NE(second, std::string::npos);
    const bool firstIsRecord = good.compare(first + 9, 10, "MARKBODY01") == 0;
    const std::size_t record = firstIsRecord ? first : second, index = firstIsRecord ? second : first;
    ASSERT_EQ(good.compare(record + 9, 10, "MARKBODY01"), 0);
    std::string damagedPages = good;
    damagedPages.replace(4096, 3 * 4096, 3 * 4096, '\x5A');  // pages 2 to 4
    ExpectRefused(t, {
        {"damaged pages", damagedPages, "is damaged", TDbAdminFailure::Damaged},
        {"not a database", std::string(8192, 'x'), "is not a SQLite database", TDbAdminFailure::Damaged},
        // The header's page size (4096 = 10 00) and page count (bytes 28 to 31).
        {"page size 8192", Flipped(good, 16, 0x30), "is damaged", TDbAdminFailure::Damaged},
        {"page size 4097", Flipped(good, 17, 0x01), "no valid page size", TDbAdminFailure::Damaged},
        {"page size 0", Patched(good, 16, std::string(2, '\0')), "no valid page size", TDbAdminFailure::Damaged},
        {"page count + 1", Flipped(good, 31, 0x01), "is damaged", TDbAdminFailure::Damaged},
        {"page count high byte", Flipped(good, 28, 0x80), "is damaged", TDbAdminFailure::Damaged},
        {"page count 0", Patched(good, 28, std::string(4, '\0')), "no page count", TDbAdminFailure::Damaged},
        {"change counter", Flipped(good, 27, 0x01), "no page count", TDbAdminFailure::Damaged},
        // The index entry of the key: only the full check sees it.
        {"index entry", Flipped(good, index + 8, 0x08), "is damaged (row", TDbAdminFailure::Damaged},
        // The record header's type of the body: a text of 12 bytes, not 10.
        {"record header", Flipped(good, record - 1, 0x04), "is damaged", TDbAdminFailure::Damaged},
    });
}

TEST(Restore, ADatabaseThatIsNotTheProductsIsRefused) {
    Changed t;
    const std::string dir = t.s.Backups();
    auto make = [&](const std::string& name, const std::string& sql) {
        test::MakeDatabase(dir + name, sql);
        return ReadFileBytes(dir + name);
    };
    // The product's table names with columns of their own.
    std::string namesOnly;
    for (const char* table : {"dishproject", "Area", "Room", "prodtype", "category", "Dishlist", "DishPrice",
                              "LimitSale", "MakeMode", "MakeMode_dish", "catsup", "catsup_dish", "Request",
                              "Request_dish", "MaterialType", "MaterialDetail", "PCUnit", "Facture", "calldish",
                              "DishMaster", "DishDetail", "ProdPosition", "tblMacName"})
        namesOnly += "create table " + std::string(table) + " (N int);";
    auto without = [&](const std::string& name, const std::string& change) {
        const std::string path = dir + name;
        WriteFileAtomic(path, ReadFileBytes(t.backup));
        Connection(path).Exec(change);
        return ReadFileBytes(path);
    };
    ExpectRefused(t, {
        {"empty database", make("empty.db", "pragma user_version = 1"), "is not a product database (no such table",
         TDbAdminFailure::NotProductDatabase},
        {"another database", make("orders.db", "create table Orders (N int); insert into Orders values (1)"),
         "is not a product database (no such table: dishproject)", TDbAdminFailure::NotProductDatabase},
        {"the product's names, other columns", make("names.db", namesOnly),
         "is not a product database (no such column", TDbAdminFailure::NotProductDatabase},
        {"a table missing", without("notable.db", "drop table tblMacName"),
         "is not a product database (no such table: tblMacName)", TDbAdminFailure::NotProductDatabase},
        {"a column the updater reads from a \"select *\"", without("nocolumn.db", "alter table catsup drop CatsupName"),
         "is not a product database (no column CatsupName in \"select * from catsup", TDbAdminFailure::NotProductDatabase},
    });
    EXPECT_EQ(test::AdminError([&] { t.tool.RestoreFrom(dir + "database20240508"); }).Message(),
              "The backup file '" + dir + "database20240508' does not exist");
    // The set meals' tables are the updater's to do without.
    const std::string noSnacks = dir + "database20240507";
    WriteFileAtomic(noSnacks, without("nosnacks.db", "drop table Snack_1; drop table Snack_2; drop table Snack_3"));
    t.tool.RestoreFrom(noSnacks);
    EXPECT_EQ(Connection(t.s.Catalog()).Int(test::PairsCountSql()), 4);
}

// Whatever the catalog's mode and page size, and with pages freed.
TEST(Restore, EveryBackupItWroteRestores) {
    for (const Mode mode : {Mode::Rollback, Mode::Wal})
        for (const int pageSize : {512, 1024, 4096, 65536}) {
            SCOPED_TRACE(std::string(test::ModeName(mode)) + " " + std::to_string(pageSize));
            test::SqliteServer s;
            {
                Connection c(s.Catalog());
                c.Exec("pragma page_size = " + std::to_string(pageSize) + "; vacuum");
                if (mode == Mode::Wal) {
                    EXPECT_EQ(c.Text("pragma journal_mode = wal"), "wal");
                }
                c.Exec("create table Big (B blob); insert into Big values (randomblob(300000));"
                       "delete from Dishlist where rowid % 2 = 0");
            }
            test::Objects tool(s.Folder());
            const std::string file = s.Backups() + "database20240510";
            tool.BackupTo(file);
            EXPECT_TRUE(dbadmin::IsWholeDatabaseFile(file));
            const long long dishes = Connection(s.Catalog()).Int("select count(*) from Dishlist");
            Connection(s.Catalog()).Exec("delete from Dishlist; drop table Big");
            tool.RestoreFrom(file);
            Connection c(s.Catalog());
            EXPECT_EQ(c.Int("select count(*) from Dishlist"), dishes);
            EXPECT_EQ(c.Int("select length(B) from Big"), 300000);
            EXPECT_EQ(c.Text("pragma integrity_check"), "ok");
        }
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
    WriteFileAtomic(small, ReadFileBytes(t.backup));
    Connection(small).Exec("pragma page_size = 1024; vacuum");
    ASSERT_EQ(Connection(small).Text("pragma page_size"), "1024");
    const std::string before = ReadFileBytes(t.s.Catalog());
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { t.tool.RestoreFrom(small); }),
                HasSubstr("has pages of 1024 bytes"));
    EXPECT_TRUE(ReadFileBytes(t.s.Catalog()) == before) << "the catalog changed";
    EXPECT_EQ(Connection(t.s.Catalog()).Int(test::PairsCountSql()), 6);
}
