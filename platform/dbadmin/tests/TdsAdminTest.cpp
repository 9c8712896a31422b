// Backup and restore on a SQL Server: the statements as they are sent, and
// a live round trip that runs only where MENVARO_TEST_MSSQL names a server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "data/ConnectionString.h"
#include "data/TdsEngine.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ServerObjects.h"
#include "dbadmin/TdsAdmin.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;
using dbadmin::EDbAdminError;
using ::testing::HasSubstr;

TEST(TdsAdmin, NamesAndPathsAreQuotedNeverPasted) {
    struct Case {
        const char* database;
        const char* path;
        const char* backup;
        const char* restore;  // with REPLACE
    } cases[] = {
        {"Velkoranth", "D:\\DataBackup\\database20240510",
         "BACKUP DATABASE [Velkoranth] TO DISK = N'D:\\DataBackup\\database20240510' WITH INIT",
         "RESTORE DATABASE [Velkoranth] FROM DISK = N'D:\\DataBackup\\database20240510' WITH REPLACE"},
        {"a]b", "/srv/it's", "BACKUP DATABASE [a]]b] TO DISK = N'/srv/it''s' WITH INIT",
         "RESTORE DATABASE [a]]b] FROM DISK = N'/srv/it''s' WITH REPLACE"},
        {"x]; DROP DATABASE [y", "'; DROP DATABASE y; --",
         "BACKUP DATABASE [x]]; DROP DATABASE [y] TO DISK = N'''; DROP DATABASE y; --' WITH INIT",
         "RESTORE DATABASE [x]]; DROP DATABASE [y] FROM DISK = N'''; DROP DATABASE y; --' WITH REPLACE"},
        {"餐点]]", "C:\\备份\\''", "BACKUP DATABASE [餐点]]]]] TO DISK = N'C:\\备份\\''''' WITH INIT",
         "RESTORE DATABASE [餐点]]]]] FROM DISK = N'C:\\备份\\''''' WITH REPLACE"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dbadmin::BackupStatement(c.database, c.path), c.backup);
        EXPECT_EQ(dbadmin::RestoreStatement(c.database, c.path, true), c.restore);
    }
    EXPECT_EQ(dbadmin::RestoreStatement("V", "f", false), "RESTORE DATABASE [V] FROM DISK = N'f'");

    using namespace std::string_literals;
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([] { dbadmin::BackupStatement("", "f"); }),
                HasSubstr("No database is named"));
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([] { dbadmin::BackupStatement("a\0b"s, "f"); }), HasSubstr("NUL"));
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([] { dbadmin::RestoreStatement("a", "f\0g"s, true); }),
                HasSubstr("NUL"));
}

// Needs a server that may create and drop a database and write a backup
// into its default backup folder.
TEST(TdsAdmin, LiveServer) {
    const char* target = getenv("MENVARO_TEST_MSSQL");
    if (!target || !*target)
        GTEST_SKIP() << "MENVARO_TEST_MSSQL names no SQL Server (a connection string, or a Data Source used with "
                        "MENVARO_TEST_MSSQL_USER and MENVARO_TEST_MSSQL_PASSWORD)";
    TConnectionParams params;
    if (std::string(target).find('=') != std::string::npos) {
        params = ParseConnectionParams(target);
    } else {
        const char* user = getenv("MENVARO_TEST_MSSQL_USER");
        const char* password = getenv("MENVARO_TEST_MSSQL_PASSWORD");
        params.DataSource = target;
        params.UserID = user ? user : "sa";
        params.Password = password ? password : "";
    }
    const std::string name = "menvaro dbadmin ]test";
    const std::string quoted = dbadmin::QuoteIdentifier(name);
    params.InitialCatalog = "master";
    auto master = OpenTdsConnection(params);
    master->Execute("IF DB_ID(N'" + name + "') IS NOT NULL DROP DATABASE " + quoted, false);
    master->Execute("CREATE DATABASE " + quoted, false);
    master->Execute("CREATE TABLE " + quoted + ".dbo.Pairs (N int); INSERT " + quoted + ".dbo.Pairs VALUES (1)", false);

    dbadmin::TServerObjects o = dbadmin::CreateServerObjects();
    o.SQLServer->Connect(params.DataSource, params.UserID, params.Password);
    // A name without a folder lands in the server's backup folder.
    const std::string file = "menvaro_dbadmin_it's.bak";
    o.Backup->SetDatabase(name);
    o.Backup->SetFiles(file);
    o.Backup->SQLBackup(*o.SQLServer);

    master->Execute("INSERT " + quoted + ".dbo.Pairs VALUES (2)", false);
    o.Restore->SetDatabase(name);
    o.Restore->SetFiles(file);
    o.Restore->SetReplaceDatabase(true);
    o.Restore->SQLRestore(*o.SQLServer);
    {
        TRowStore rows;
        master->Query("SELECT COUNT(*) FROM " + quoted + ".dbo.Pairs", rows);
        EXPECT_EQ(rows.Get(0, 0).i, 1);
    }
    master->Execute("DROP DATABASE " + quoted, false);

    // The server's own message says what is wrong.
    o.Backup->SetDatabase("menvaro_no_such_database");
    EXPECT_THAT(test::ErrorMessage<EDbAdminError>([&] { o.Backup->SQLBackup(*o.SQLServer); }),
                HasSubstr("menvaro_no_such_database"));
    o.SQLServer->DisConnect();
}
