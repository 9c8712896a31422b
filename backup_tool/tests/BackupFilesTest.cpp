// The backup files' names and the deletion of old backups, on real folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "base/Files.h"
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

}  // namespace
}  // namespace menvaro
