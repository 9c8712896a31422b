// Backup and restore of a SQLite product database, both through SQLite's
// online backup API, so that other connections may go on using the catalog.
//
// A backup is copied in one read transaction (a consistent snapshot) into a
// temporary file beside the named one, checked, synced and only then renamed
// to its name: a file of that name is always a complete, checked backup.
//
// A restore first verifies the backup file, then copies it into the live
// catalog through a connection of its own in one write transaction, so a
// reader sees the old data or the new, never a mix. The catalog file itself
// is never renamed or deleted: a program holding it open would go on reading
// the old file.
#pragma once

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
    double Check = 0;  // quick_check and the product's tables
    double Sync = 0;   // the file and its folder to disk, and the rename
};

// Backs the product database in the file `catalog` up into `file`, which
// gets the catalog's permissions. Raises EDbAdminError for a catalog that
// is not a product database, a lock held past `busyTimeoutMs`, and any
// failure of writing, checking or syncing the copy; `file` is then left as
// it was and no temporary file remains.
void BackupSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs,
                         TBackupTimes* times = nullptr);

// Replaces the content of the product database in the file `catalog` with
// the backup `file`. Raises EDbAdminError, with the catalog untouched, for a
// backup that is missing, damaged, truncated or not a product database, a
// catalog that is not one, and a lock held past `busyTimeoutMs` (in
// rollback-journal mode any reader's transaction, in both modes another
// writer).
void RestoreSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs);

}  // namespace menvaro::dbadmin
