// Backup and restore of a SQLite product database, both through SQLite's
// online backup API, so that other connections may go on using the catalog.
//
// A backup is copied in one read transaction (a consistent snapshot) into a
// temporary file beside the named one, checked, synced and only then renamed
// to its name: a file of that name is always a complete, checked backup.
//
// Checked, for a backup and a restore alike: the file is as long as the page
// count times the page size its header gives, a full integrity check finds
// nothing, and it is a product database (every statement of the handheld
// updater that it cannot do without runs on it, ProductStatements.h).
//
// A restore first verifies the backup file, then copies it into the live
// catalog through a connection of its own in one write transaction, so a
// reader sees the old data or the new, never a mix. The catalog file itself
// is never renamed or deleted: a program holding it open would go on reading
// the old file.
#pragma once

#include <functional>
#include <string>

namespace menvaro::dbadmin {

// How long a backup or restore waits for a lock that another connection
// holds, unless the server object says otherwise.
inline constexpr int DefaultBusyTimeoutMs = 5000;

// Raises EDbAdminError unless `folder` is a folder whose entries this
// process may read.
void CheckSqliteServerFolder(const std::string& folder);

// Seconds each step of a backup took.
struct TBackupTimes {
    double Copy = 0;   // the online copy into the temporary file
    double Check = 0;  // the size, the integrity check and the product's statements
    double Sync = 0;   // the file and its folder to disk, and the rename
};

// Backs the product database in the file `catalog` up into `file`, which
// gets the catalog's permissions. Raises EDbAdminError for a catalog that
// is not a product database, a lock held past `busyTimeoutMs`, and any
// failure of writing, checking or syncing the copy; `file` is then left as
// it was and no temporary file remains. While it runs, the temporary copy
// is locked (flock), so that RemoveStaleBackupCopies leaves it alone.
void BackupSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs,
                         TBackupTimes* times = nullptr);

// Replaces the content of the product database in the file `catalog` with
// the backup `file`. Raises EDbAdminError, with the catalog untouched, for a
// backup that is missing, damaged, truncated or not a product database, a
// catalog on which none of the updater's statements runs (one that lost a
// table is still restored over), and a lock held past `busyTimeoutMs` (in
// rollback-journal mode any reader's transaction, in both modes another
// writer).
void RestoreSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs);

// True for a SQLite database file as long as the page count times the page
// size its header gives (and a header that gives them): a backup this engine
// wrote and nothing cut off. A file of another format is not.
bool IsWholeDatabaseFile(const std::string& path);

// Removes from `folder` the temporary copies that backups which never ended
// (a kill, a power cut) left there, with their journals: the files named
// ".<name>.<digits>.tmp" (and "-journal", "-wal", "-shm" after it) for every
// <name> that `isBackupName` accepts. A copy that a running backup holds
// locked stays. Failures are ignored; answers how many files went.
int RemoveStaleBackupCopies(const std::string& folder, const std::function<bool(const std::string&)>& isBackupName);

}  // namespace menvaro::dbadmin
