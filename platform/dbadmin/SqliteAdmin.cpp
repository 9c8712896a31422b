#include "dbadmin/SqliteAdmin.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ProductTables.h"

namespace menvaro::dbadmin {

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// `subject` names the file as the user knows it: "The database file '...'";
// `failing` says what could not be done with it, where that is not plain.
[[noreturn]] void FileError(const std::string& subject, sqlite3* db, int rc, int busyTimeoutMs,
                            const char* failing = nullptr) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    // The system's own reason for an I/O error ("File too large", ...).
    const int err = db ? sqlite3_system_errno(db) : 0;
    if (err != 0 && ((rc & 0xFF) == SQLITE_IOERR || (rc & 0xFF) == SQLITE_FULL || (rc & 0xFF) == SQLITE_CANTOPEN))
        message += ": " + SysErrorMessage(err);
    switch (rc & 0xFF) {
        case SQLITE_NOTADB: throw EDbAdminError(subject + " is not a SQLite database (" + message + ")");
        case SQLITE_CORRUPT: throw EDbAdminError(subject + " is damaged (" + message + ")");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw EDbAdminError(subject + " is in use: another connection held a lock on it for longer than " +
                                std::to_string(busyTimeoutMs) + " ms");
        default:
            if (failing) throw EDbAdminError(subject + " " + failing + " (" + message + ")");
            throw EDbAdminError(subject + ": " + message);
    }
}

Db Open(const std::string& path, int flags, const std::string& subject, int busyTimeoutMs) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw EDbAdminError(subject + " cannot be opened (" + message + ")");
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    return db;
}

// The first column of every row of `sql`, as text.
std::vector<std::string> Column0(sqlite3* db, const char* sql, const std::string& subject, int busyTimeoutMs) {
    sqlite3_stmt* raw = nullptr;
    const int prc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    Statement stmt(raw);
    if (prc != SQLITE_OK) FileError(subject, db, prc, busyTimeoutMs);
    std::vector<std::string> rows;
    for (;;) {
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) FileError(subject, db, rc, busyTimeoutMs);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        rows.emplace_back(text ? text : "");
    }
    return rows;
}

void Exec(sqlite3* db, const char* sql, const std::string& subject, int busyTimeoutMs) {
    Column0(db, sql, subject, busyTimeoutMs);
}

void CheckProductTables(sqlite3* db, const std::string& subject, int busyTimeoutMs) {
    const std::string missing = MissingProductTable(
        Column0(db, "select name from sqlite_master where type = 'table'", subject, busyTimeoutMs));
    if (!missing.empty()) throw EDbAdminError(subject + " is not a product database: it has no table " + missing);
}

// quick_check, then the product's tables.
void Verify(sqlite3* db, const std::string& subject, int busyTimeoutMs) {
    const std::vector<std::string> answer = Column0(db, "pragma quick_check", subject, busyTimeoutMs);
    if (answer.size() != 1 || answer.front() != "ok")
        throw EDbAdminError(subject + " is damaged (" +
                            (answer.empty() ? std::string("no check result") : answer.front()) + ")");
    CheckProductTables(db, subject, busyTimeoutMs);
}

std::string Pragma(sqlite3* db, const char* sql, const std::string& subject, int busyTimeoutMs) {
    const std::vector<std::string> rows = Column0(db, sql, subject, busyTimeoutMs);
    return rows.empty() ? std::string() : rows.front();
}

// Copies all of `src` into `dest` in one step: one read transaction on the
// source, one write transaction on the destination.
void OnlineCopy(sqlite3* dest, sqlite3* src, const std::string& busySubject, const std::string& writeSubject,
                int busyTimeoutMs) {
    sqlite3_backup* backup = sqlite3_backup_init(dest, "main", src, "main");
    if (!backup) FileError(writeSubject, dest, sqlite3_errcode(dest), busyTimeoutMs);
    const int rc = sqlite3_backup_step(backup, -1);
    // Rolls the destination back unless the step completed, and leaves the
    // step's error on the destination connection.
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE) return;
    const int code = rc & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) FileError(busySubject, dest, rc, busyTimeoutMs);
    FileError(writeSubject, dest, rc, busyTimeoutMs, "cannot be written");
}

// An empty file of its own beside `file`, no more open than `mode`.
std::string ReserveTemporary(const std::string& file, mode_t mode, const std::string& subject) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    const std::string dir = ExtractFilePath(file);
    for (int attempt = 0;; ++attempt) {
        const std::string temp = dir + "." + ExtractFileName(file) + "." + std::to_string(rng() % 1000000000) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::close(fd);
            return temp;
        }
        if (errno != EEXIST || attempt == 100)
            throw EDbAdminError(subject + " cannot be created (" + SysErrorMessage(errno) + ")");
    }
}

void RemoveDatabaseFiles(const std::string& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((path + suffix).c_str());
}

// Both names lead to one file (links and "../" included).
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void Sync(const std::string& path, int flags, const std::string& subject) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        throw EDbAdminError(subject + " cannot be synced to disk (" + SysErrorMessage(err) + ")");
    }
    ::close(fd);
}

}  // namespace

void CheckSqliteServerFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw EDbAdminError("The folder " + Quoted(folder) + " does not exist");
        throw EDbAdminError("The folder " + Quoted(folder) + " cannot be read (" + SysErrorMessage(errno) + ")");
    }
    if (!S_ISDIR(st.st_mode)) throw EDbAdminError(Quoted(folder) + " is not a folder");
    if (::faccessat(AT_FDCWD, folder.c_str(), R_OK | X_OK, AT_EACCESS) != 0)
        throw EDbAdminError("The folder " + Quoted(folder) + " cannot be read (" + SysErrorMessage(errno) + ")");
}

void BackupSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs, TBackupTimes* times) {
    const std::string catalogSubject = "The database file " + Quoted(catalog);
    const std::string fileSubject = "The backup file " + Quoted(file);
    if (file.empty()) throw EDbAdminError("No backup file is named");
    if (DirectoryExists(file)) throw EDbAdminError(fileSubject + " is a folder");
    struct stat st;
    if (::stat(catalog.c_str(), &st) != 0)
        throw EDbAdminError(catalogSubject + " cannot be read (" + SysErrorMessage(errno) + ")");
    if (SameFile(catalog, file)) throw EDbAdminError(fileSubject + " is the database file itself");

    const auto start = Clock::now();
    Db src = Open(catalog, SQLITE_OPEN_READWRITE, catalogSubject, busyTimeoutMs);
    CheckProductTables(src.get(), catalogSubject, busyTimeoutMs);
    const bool wal = Pragma(src.get(), "pragma journal_mode", catalogSubject, busyTimeoutMs) == "wal";

    // Others get no more than the catalog gives them; this user must write the copy.
    const std::string temp = ReserveTemporary(file, (st.st_mode & 0666) | 0600, fileSubject);
    ScopeGuard removeTemporary([&] { RemoveDatabaseFiles(temp); });
    {
        Db dest = Open(temp, SQLITE_OPEN_READWRITE, fileSubject, busyTimeoutMs);
        // The copy is synced once it is complete and checked; a half-written
        // temporary file is thrown away, so it needs no journal.
        Exec(dest.get(), "pragma journal_mode = off", fileSubject, busyTimeoutMs);
        Exec(dest.get(), "pragma synchronous = off", fileSubject, busyTimeoutMs);
        OnlineCopy(dest.get(), src.get(), catalogSubject, fileSubject, busyTimeoutMs);
    }
    src.reset();
    if (wal) {
        // The copy took the catalog's WAL mode with its first page; a backup
        // is one self-contained file.
        Db fix = Open(temp, SQLITE_OPEN_READWRITE, fileSubject, busyTimeoutMs);
        Exec(fix.get(), "pragma synchronous = off", fileSubject, busyTimeoutMs);
        if (Pragma(fix.get(), "pragma journal_mode = delete", fileSubject, busyTimeoutMs) != "delete")
            throw EDbAdminError(fileSubject + " cannot be taken out of WAL mode");
    }
    const auto copied = Clock::now();

    {
        Db check = Open(temp, SQLITE_OPEN_READONLY, fileSubject, busyTimeoutMs);
        Verify(check.get(), "The copy of " + Quoted(catalog), busyTimeoutMs);
    }
    const auto checked = Clock::now();

    Sync(temp, O_RDONLY, fileSubject);
    if (::rename(temp.c_str(), file.c_str()) != 0)
        throw EDbAdminError(fileSubject + " cannot be written (" + SysErrorMessage(errno) + ")");
    removeTemporary.Dismiss();
    const std::string folder = ExtractFileDir(file);
    Sync(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY, "The folder of " + Quoted(file));
    const auto synced = Clock::now();

    if (times) {
        times->Copy = Seconds(start, copied);
        times->Check = Seconds(copied, checked);
        times->Sync = Seconds(checked, synced);
    }
}

void RestoreSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs) {
    const std::string catalogSubject = "The database file " + Quoted(catalog);
    const std::string fileSubject = "The backup file " + Quoted(file);
    if (file.empty()) throw EDbAdminError("No backup file is named");
    if (!FileExists(file)) throw EDbAdminError(fileSubject + " does not exist");
    if (SameFile(catalog, file)) throw EDbAdminError(fileSubject + " is the database file itself");

    Db src = Open(file, SQLITE_OPEN_READONLY, fileSubject, busyTimeoutMs);
    Verify(src.get(), fileSubject, busyTimeoutMs);

    Db dest = Open(catalog, SQLITE_OPEN_READWRITE, catalogSubject, busyTimeoutMs);
    CheckProductTables(dest.get(), catalogSubject, busyTimeoutMs);
    if (sqlite3_db_readonly(dest.get(), "main") == 1)
        throw EDbAdminError(catalogSubject + " cannot be written by this user");
    if (Pragma(dest.get(), "pragma journal_mode", catalogSubject, busyTimeoutMs) == "wal") {
        const std::string from = Pragma(src.get(), "pragma page_size", fileSubject, busyTimeoutMs);
        const std::string to = Pragma(dest.get(), "pragma page_size", catalogSubject, busyTimeoutMs);
        if (from != to)
            throw EDbAdminError(fileSubject + " has pages of " + from + " bytes; " + catalogSubject +
                                " is in WAL mode with pages of " + to + " bytes, which it cannot change");
    }
    OnlineCopy(dest.get(), src.get(), catalogSubject, catalogSubject, busyTimeoutMs);
}

}  // namespace menvaro::dbadmin
