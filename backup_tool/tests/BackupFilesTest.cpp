// The backup files' names and the deletion of old backups, on real folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "base/Files.h"
#include "dbadmin/DbAdminErrors.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"
#include "untDataTools.h"

namespace menvaro {
namespace {

using namespace storvik;
using test::TempDir;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    TSearchRec rec;
    for (int r = FindFirst(folder + "*", faAnyFile, rec); r == 0; r = FindNext(rec))
        if (rec.Name != "." && rec.Name != "..") names.push_back(rec.Name);
    FindClose(rec);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BackupFiles, TheNameIsTheFolderAsGivenTheWordAndTheDate) {
    const TDateTime evening = EncodeDate(2024, 5, 10) + EncodeTime(23, 59, 59, 0);
    EXPECT_EQ(BackupFileName("/srv/备份/", evening), "/srv/备份/database20240510");
    EXPECT_EQ(BackupFileName("/srv/dir /", EncodeDate(2024, 1, 2)), "/srv/dir /database20240102");
    EXPECT_EQ(ExtractFileName(BackupFileName("/x/", EncodeDate(999, 12, 31))).size(), 16u);
}

TEST(BackupFiles, TheCutoffIsTheDateLessTheDays) {
    EXPECT_EQ(BackupCutoff(EncodeDate(2024, 5, 10), 7), "20240503");
    EXPECT_EQ(BackupCutoff(EncodeDate(2024, 3, 1), 1), "20240229");
    EXPECT_EQ(BackupCutoff(EncodeDate(2023, 3, 1), 1), "20230228");
    EXPECT_EQ(BackupCutoff(EncodeDate(2024, 1, 1) + 0.75, 1), "20231231");  // the time of day does not count
    EXPECT_EQ(BackupCutoff(EncodeDate(2024, 5, 10), 10000), "19961223");
}

TEST(BackupFiles, OnlyTheWordFollowedByAnOlderValidDateIsAnOldBackup) {
    const struct {
        const char* name;
        bool old;
    } cases[] = {
        {"database20240502", true},    // the day before the cutoff
        {"database20240503", false},   // the cutoff itself stays
        {"database20240510", false},   // newer
        {"database19991231", true},
        {"database2024050", false},    // 15 characters
        {"database202405021", false},  // 17
        {"database20240502xx", false}, // 18
        {"DATABASE20240502", false},   // upper case
        {"Database20240502", false},
        {"xdatabase2024050", false},   // 16 characters with the word inside
        {"database-backup1", false},
        {"database2024O502", false},   // a letter O
        {"database20241302", false},   // month 13
        {"database20230229", false},   // no such day
        {"database20240000", false},
        {"database+2024050", false},
        {"database 2024050", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsOldBackupName(c.name, "database", "20240503"), c.old) << c.name;
}

TEST(BackupFiles, SevenDaysBeforeTheTenthOfMayDeleteTheSecondAndOlderButNoFolderOrLink) {
    TempDir dir("storvik-prune");
    const std::string d = dir.path();
    for (const char* name : {"database20240502", "database20240503", "database20240510", "database20230101",
                             "database2024050", "database202405021x", "DATABASE20240101", "database-backup1",
                             "database20241301", "database20240502.old", "notes.txt"})
        dir.Write(name, name);
    ForceDirectories(d + "database20240101");             // a folder of a backup's name
    WriteFileAtomic(d + "database20240101/database20240101", "inside");
    dir.Write("outside", "kept");
    ASSERT_EQ(symlink((d + "outside").c_str(), (d + "database20240102").c_str()), 0);  // a link
    ASSERT_EQ(symlink((d + "nowhere").c_str(), (d + "database20240103").c_str()), 0);  // a dangling link

    EXPECT_EQ(DeleteOldBackups(d, 7, EncodeDate(2024, 5, 10) + 0.5), 2);
    EXPECT_EQ(Names(d), (std::vector<std::string>{"DATABASE20240101", "database-backup1", "database20240101",
                                                  "database20240102", "database20240103", "database2024050",
                                                  "database20240502.old", "database202405021x", "database20240503",
                                                  "database20240510", "database20241301", "notes.txt", "outside"}));
    EXPECT_EQ(ReadFileBytes(d + "database20240101/database20240101"), "inside");
    EXPECT_EQ(ReadFileBytes(d + "outside"), "kept");
}

TEST(BackupFiles, OneDayBeforeTheFirstOfMarchKeepsTheLeapDay) {
    TempDir dir("storvik-leap");
    for (const char* name : {"database20240228", "database20240229", "database20240301"}) dir.Write(name);
    EXPECT_EQ(DeleteOldBackups(ExcludeTrailingPathDelimiter(dir.path()), 1, EncodeDate(2024, 3, 1)), 1);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"database20240229", "database20240301"}));
}

TEST(BackupFiles, AMissingFolderDeletesNothing) {
    EXPECT_EQ(DeleteOldBackups("/nonexistent-storvik-folder/", 7, EncodeDate(2024, 5, 10)), 0);
}

// A whole SQLite backup, and one cut short.
std::string WholeBackup(const std::string& path, const std::string& tag) {
    test::MakeDatabase(path, "create table T (X text); insert into T values ('" + tag + "')");
    return ReadFileBytes(path);
}

TEST(BackupFiles, AFolderAKilledBackupLeftIsMended) {
    TempDir dir("storvik-mend");
    const std::string d = dir.path();
    const std::string whole = WholeBackup(d + "scratch", "new");
    DeleteFile(d + "scratch");
    struct Case {
        const char* name;    // of the backup
        const char* atName;  // what the name holds: nullptr for nothing
        std::string after;   // what the name then holds
        bool asideStays;
    } cases[] = {
        {"database20240501", nullptr, "old 1", false},                   // killed while it was set aside
        {"database20240502", "whole", whole, false},                     // killed after the new one was written
        {"database20240503", "cut", "old 3", false},                     // not whole: the old one goes back
        {"database20240504", "a server's own format", "old 4", false},  // cannot be judged here: likewise
    };
    for (const Case& c : cases) {
        dir.Write(std::string(c.name) + ".old", "old " + std::string(1, c.name[15]));
        const std::string_view at = c.atName ? c.atName : "";
        if (at == "whole")
            WriteFileAtomic(d + c.name, whole);
        else if (at == "cut")
            WriteFileAtomic(d + c.name, whole.substr(0, whole.size() - 1));
        else if (!at.empty())
            dir.Write(c.name, c.atName);
    }
    // Names that are not the backups' own, and what is no file, stay.
    for (const char* name : {"notes.txt.old", "database2024050.old", "database20241301.old", "DATABASE20240505.old"})
        dir.Write(name, "other");
    ForceDirectories(d + "database20240506");
    dir.Write("database20240506.old", "under a folder's name");
    ASSERT_EQ(symlink((d + "notes.txt.old").c_str(), (d + "database20240507.old").c_str()), 0);
    // The copies of earlier backups, with a journal, go; a file of another's form stays.
    for (const char* name : {".database20240501.123.tmp", ".database20240501.123.tmp-journal", ".notes.5.tmp"})
        dir.Write(name, "copy");

    MendBackupFolder(ExcludeTrailingPathDelimiter(d));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadFileBytes(d + c.name), c.after);
    }
    EXPECT_EQ(Names(d), (std::vector<std::string>{".notes.5.tmp", "DATABASE20240505.old", "database2024050.old",
                                                  "database20240501", "database20240502", "database20240503",
                                                  "database20240504", "database20240506", "database20240506.old",
                                                  "database20240507.old", "database20241301.old", "notes.txt.old"}));
    // Nothing more to mend; a folder that is not there is nothing either.
    MendBackupFolder(d);
    EXPECT_EQ(Names(d).size(), 12u);
    MendBackupFolder(d + "missing");
    MendBackupFolder("");
}

TEST(BackupFiles, ABackupSetAsideGoesBackUnlessTheNewOneWasWritten) {
    TempDir dir("storvik-aside");
    const std::string file = dir.Write("database20240510", "old");
    ASSERT_TRUE(SetBackupAside(file));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"database20240510.old"}));
    SettleBackupAside(false);
    EXPECT_EQ(ReadFileBytes(file), "old");
    ASSERT_TRUE(SetBackupAside(file));
    WriteFileAtomic(file, "new");
    SettleBackupAside(true);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"database20240510"}));
    EXPECT_EQ(ReadFileBytes(file), "new");
    SettleBackupAside(false);  // nothing set aside
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_FALSE(SetBackupAside(dir.path() + "database20240511"));
}

TEST(BackupFilesDeathTest, ABackupStillSetAsideGoesBackWhenTheProgramEnds) {
    TempDir dir("storvik-aside-exit");
    const std::string file = dir.Write("database20240510", "old");
    EXPECT_EXIT(
        {
            if (SetBackupAside(file)) std::exit(0);
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"database20240510"}));
    EXPECT_EQ(ReadFileBytes(file), "old");
}

TEST(BackupFiles, AFailureIsToldInTheUsersWordsWhereItsCauseIsACommonOne) {
    using dbadmin::EDbAdminError;
    using dbadmin::TDbAdminFailure;
    using dbadmin::TDbAdminFile;
    const struct {
        TDbAdminFailure failure;
        TDbAdminFile file;
        const char* reason;
    } cases[] = {
        {TDbAdminFailure::NoSpace, TDbAdminFile::BackupFile, "磁盘空间不足。"},
        {TDbAdminFailure::NoSpace, TDbAdminFile::Database, "磁盘空间不足。"},
        {TDbAdminFailure::NoPermission, TDbAdminFile::BackupFile, "没有读写备份文件或其目录的权限。"},
        {TDbAdminFailure::NoPermission, TDbAdminFile::Database, "没有读写数据库文件的权限。"},
        {TDbAdminFailure::InUse, TDbAdminFile::Database, "数据库正被其他程序使用,请关闭其他程序后再试。"},
        {TDbAdminFailure::Damaged, TDbAdminFile::BackupFile, "备份文件已损坏。"},
        {TDbAdminFailure::Damaged, TDbAdminFile::Database, "数据库文件已损坏。"},
        {TDbAdminFailure::NotProductDatabase, TDbAdminFile::BackupFile, "备份文件不是Menvaro数据库的备份。"},
        {TDbAdminFailure::NotProductDatabase, TDbAdminFile::Database, "数据库不是Menvaro数据库。"},
        {TDbAdminFailure::Other, TDbAdminFile::BackupFile, "The system's own words"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FailureReason(EDbAdminError("The system's own words", c.failure, c.file)), c.reason);
    EXPECT_EQ(FailureReason(EInOutError("Input/output error")), "Input/output error");
}

}  // namespace
}  // namespace menvaro
