#include "dbadmin/SqliteAdmin.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "base/Exceptions.h"
#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ProductStatements.h"

namespace menvaro::dbadmin {

TDbAdminFailure FailureOfErrno(int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT: return TDbAdminFailure::NoSpace;
        case EACCES:
        case EPERM: return TDbAdminFailure::NoPermission;
        default: return TDbAdminFailure::Other;
    }
}

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

// A file as the user knows it ("The database file '...'") and which one it is.
struct TSubject {
    std::string Text;
    TDbAdminFile File;
};

TSubject DatabaseSubject(const std::string& catalog) {
    return {"The database file " + Quoted(catalog), TDbAdminFile::Database};
}
TSubject BackupSubject(const std::string& file) { return {"The backup file " + Quoted(file), TDbAdminFile::BackupFile}; }

[[noreturn]] void Fail(const TSubject& subject, const std::string& what, TDbAdminFailure failure) {
    throw EDbAdminError(subject.Text + what, failure, subject.File);
}

// `failing` says what could not be done with the file, where that is not plain.
[[noreturn]] void FileError(const TSubject& subject, sqlite3* db, int rc, int busyTimeoutMs,
                            const char* failing = nullptr) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const int code = rc & 0xFF;
    // The system's own reason for an I/O error ("File too large", ...).
    const bool systemCall = code == SQLITE_IOERR || code == SQLITE_FULL || code == SQLITE_CANTOPEN;
    const int err = db && systemCall ? sqlite3_system_errno(db) : 0;
    if (err != 0) message += ": " + SysErrorMessage(err);
    switch (code) {
        case SQLITE_NOTADB: Fail(subject, " is not a SQLite database (" + message + ")", TDbAdminFailure::Damaged);
        case SQLITE_CORRUPT: Fail(subject, " is damaged (" + message + ")", TDbAdminFailure::Damaged);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            Fail(subject,
                 " is in use: another connection held a lock on it for longer than " + std::to_string(busyTimeoutMs) +
                     " ms",
                 TDbAdminFailure::InUse);
        default: break;
    }
    TDbAdminFailure failure = TDbAdminFailure::Other;
    if (code == SQLITE_FULL)
        failure = TDbAdminFailure::NoSpace;
    else if (code == SQLITE_READONLY || code == SQLITE_PERM || code == SQLITE_AUTH)
        failure = TDbAdminFailure::NoPermission;
    else if (err != 0)
        failure = FailureOfErrno(err);
    if (failing) Fail(subject, std::string(" ") + failing + " (" + message + ")", failure);
    Fail(subject, ": " + message, failure);
}

Db Open(const std::string& path, int flags, const TSubject& subject, int busyTimeoutMs) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) FileError(subject, raw, rc, busyTimeoutMs, "cannot be opened");
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    return db;
}

// The first column of every row of `sql`, as text.
std::vector<std::string> Column0(sqlite3* db, const char* sql, const TSubject& subject, int busyTimeoutMs) {
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

void Exec(sqlite3* db, const char* sql, const TSubject& subject, int busyTimeoutMs) {
    Column0(db, sql, subject, busyTimeoutMs);
}

std::string Pragma(sqlite3* db, const char* sql, const TSubject& subject, int busyTimeoutMs) {
    const std::vector<std::string> rows = Column0(db, sql, subject, busyTimeoutMs);
    return rows.empty() ? std::string() : rows.front();
}

// ---- the file's size against its header ----

std::uint32_t BigEndian(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// The first 100 bytes of a SQLite file and what its header says of its size.
struct THeader {
    std::size_t Read = 0;  // bytes of the header there are
    bool Magic = false;
    std::uint32_t PageSize = 0;   // 0 when not a valid one
    std::uint32_t PageCount = 0;  // 0 when the header does not give it
};

THeader ReadHeader(int fd) {
    unsigned char h[100];
    THeader header;
    while (header.Read < sizeof h) {
        const ssize_t n = ::pread(fd, h + header.Read, sizeof h - header.Read, static_cast<off_t>(header.Read));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        header.Read += static_cast<std::size_t>(n);
    }
    if (header.Read < sizeof h) return header;
    header.Magic = std::string_view(reinterpret_cast<const char*>(h), 16) == std::string_view("SQLite format 3\0", 16);
    const std::uint32_t size = BigEndian(h + 16, 2) == 1 ? 65536 : BigEndian(h + 16, 2);
    if (size >= 512 && size <= 65536 && (size & (size - 1)) == 0) header.PageSize = size;
    // The page count is the header's own only while the change counter and
    // "version valid for" agree (every writer since 3.7.0 keeps them so).
    if (BigEndian(h + 24, 4) == BigEndian(h + 92, 4)) header.PageCount = BigEndian(h + 28, 4);
    return header;
}

// Raises Damaged unless `path` is a SQLite file exactly as long as its header says.
void CheckFileSize(const std::string& path, const TSubject& subject) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        Fail(subject, " cannot be read (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
    }
    ScopeGuard closeFile([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        Fail(subject, " cannot be read (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
    }
    const THeader h = ReadHeader(fd);
    const std::string length = std::to_string(st.st_size) + " bytes long";
    if (h.Read < 100)
        Fail(subject, " is damaged (it is " + length + ", too short for a database)", TDbAdminFailure::Damaged);
    if (!h.Magic) Fail(subject, " is not a SQLite database (its header is another)", TDbAdminFailure::Damaged);
    if (h.PageSize == 0) Fail(subject, " is damaged (its header gives no valid page size)", TDbAdminFailure::Damaged);
    if (h.PageCount == 0) Fail(subject, " is damaged (its header gives no page count)", TDbAdminFailure::Damaged);
    const std::uint64_t expected = std::uint64_t{h.PageCount} * h.PageSize;
    if (static_cast<std::uint64_t>(st.st_size) != expected)
        Fail(subject,
             " is damaged (it is " + length + "; its header gives " + std::to_string(h.PageCount) + " pages of " +
                 std::to_string(h.PageSize) + " bytes, " + std::to_string(expected) + " bytes)",
             TDbAdminFailure::Damaged);
}

// ---- a product database ----

// Prepares the updater's statement on `db`: nothing when it would run, the
// engine's reason when a table or column is missing. Other failures raise.
std::optional<std::string> StatementFault(sqlite3* db, const TProductStatement& statement, const TSubject& subject,
                                          int busyTimeoutMs) {
    // A per-project statement with no project: the tables and columns are what count.
    const std::string sql = statement.For("");
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    Statement stmt(raw);
    if ((rc & 0xFF) == SQLITE_ERROR) return std::string(sqlite3_errmsg(db));
    if (rc != SQLITE_OK) FileError(subject, db, rc, busyTimeoutMs);
    for (const char* wanted : statement.Columns) {
        if (!wanted) continue;
        bool found = false;
        for (int i = 0; i < sqlite3_column_count(stmt.get()) && !found; ++i)
            found = SameText(sqlite3_column_name(stmt.get(), i), wanted);
        if (!found) return "no column " + std::string(wanted) + " in \"" + sql + "\"";
    }
    return std::nullopt;
}

[[noreturn]] void NotProductDatabase(const TSubject& subject, const std::string& why) {
    Fail(subject, " is not a product database (" + why + ")", TDbAdminFailure::NotProductDatabase);
}

// Every statement the updater cannot do without runs on `db`.
void CheckProductDatabase(sqlite3* db, const TSubject& subject, int busyTimeoutMs) {
    for (const TProductStatement* statement : ProductStatements())
        if (!statement->Optional)
            if (auto fault = StatementFault(db, *statement, subject, busyTimeoutMs))
                NotProductDatabase(subject, *fault);
}

// The catalog a restore replaces is the product's when one of the updater's
// statements runs on it: a catalog that lost a table needs its backup most.
void CheckProductCatalog(sqlite3* db, const TSubject& subject, int busyTimeoutMs) {
    std::optional<std::string> first;
    for (const TProductStatement* statement : ProductStatements()) {
        if (statement->Optional) continue;
        auto fault = StatementFault(db, *statement, subject, busyTimeoutMs);
        if (!fault) return;
        if (!first) first = fault;
    }
    NotProductDatabase(subject, first.value_or("no statement"));
}

// The whole check of a backup in the file `path`, open as `db`.
void Verify(sqlite3* db, const std::string& path, const TSubject& subject, int busyTimeoutMs) {
    CheckFileSize(path, subject);
    const std::vector<std::string> answer = Column0(db, "pragma integrity_check(1)", subject, busyTimeoutMs);
    if (answer.size() != 1 || answer.front() != "ok")
        Fail(subject,
             " is damaged (" + (answer.empty() ? std::string("no check result") : answer.front()) + ")",
             TDbAdminFailure::Damaged);
    CheckProductDatabase(db, subject, busyTimeoutMs);
}

// Copies all of `src` into `dest` in one step: one read transaction on the
// source, one write transaction on the destination.
void OnlineCopy(sqlite3* dest, sqlite3* src, const TSubject& busySubject, const TSubject& writeSubject,
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

const char* const kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

void RemoveDatabaseFiles(const std::string& path) {
    ::unlink(path.c_str());
    for (const char* suffix : kJournalSuffixes) ::unlink((path + suffix).c_str());
}

// The temporary copy of a backup: an empty file of its own beside `file`, no
// more open than `mode`, locked while this object lives so that no cleaning
// of stale copies takes it, and removed with its journals unless kept.
class TTemporaryCopy {
public:
    TTemporaryCopy(const std::string& file, mode_t mode, const TSubject& subject) {
        for (int attempt = 0;; ++attempt) {
            path_ = TemporaryFileName(file);
            fd_ = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd_ >= 0) break;
            const int err = errno;
            if (err != EEXIST || attempt == 100)
                Fail(subject, " cannot be created (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
        }
        // flock and SQLite's own (fcntl) locks do not meet.
        ::flock(fd_, LOCK_EX | LOCK_NB);
    }
    ~TTemporaryCopy() {
        if (!kept_) RemoveDatabaseFiles(path_);
        ::close(fd_);
    }
    TTemporaryCopy(const TTemporaryCopy&) = delete;
    TTemporaryCopy& operator=(const TTemporaryCopy&) = delete;

    const std::string& Path() const { return path_; }
    // It has been renamed to the backup's name.
    void Keep() { kept_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool kept_ = false;
};

// Both names lead to one file (links and "../" included).
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

void Sync(const std::string& path, int flags, const TSubject& subject) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        Fail(subject, " cannot be synced to disk (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
    }
    ::close(fd);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The backup's name of a temporary copy's name, perhaps with a journal's
// suffix; "" for another name.
std::string CopiedBackupName(std::string_view name) {
    for (const char* suffix : kJournalSuffixes)
        if (name.ends_with(suffix)) {
            name.remove_suffix(std::string_view(suffix).size());
            break;
        }
    return TemporaryFileOwner(name);
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
    const TSubject catalogSubject = DatabaseSubject(catalog);
    const TSubject fileSubject = BackupSubject(file);
    if (file.empty()) throw EDbAdminError("No backup file is named");
    if (DirectoryExists(file)) Fail(fileSubject, " is a folder", TDbAdminFailure::Other);
    struct stat st;
    if (::stat(catalog.c_str(), &st) != 0) {
        const int err = errno;
        Fail(catalogSubject, " cannot be read (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
    }
    if (SameFile(catalog, file)) Fail(fileSubject, " is the database file itself", TDbAdminFailure::Other);

    const auto start = Clock::now();
    Db src = Open(catalog, SQLITE_OPEN_READWRITE, catalogSubject, busyTimeoutMs);
    CheckProductDatabase(src.get(), catalogSubject, busyTimeoutMs);
    const bool wal = Pragma(src.get(), "pragma journal_mode", catalogSubject, busyTimeoutMs) == "wal";

    // Others get no more than the catalog gives them; this user must write the copy.
    TTemporaryCopy temp(file, (st.st_mode & 0666) | 0600, fileSubject);
    {
        Db dest = Open(temp.Path(), SQLITE_OPEN_READWRITE, fileSubject, busyTimeoutMs);
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
        Db fix = Open(temp.Path(), SQLITE_OPEN_READWRITE, fileSubject, busyTimeoutMs);
        Exec(fix.get(), "pragma synchronous = off", fileSubject, busyTimeoutMs);
        if (Pragma(fix.get(), "pragma journal_mode = delete", fileSubject, busyTimeoutMs) != "delete")
            Fail(fileSubject, " cannot be taken out of WAL mode", TDbAdminFailure::Other);
    }
    const auto copied = Clock::now();

    {
        // What the copy holds, the catalog held: damage found here is the catalog's.
        const TSubject copySubject{"The copy of " + Quoted(catalog), TDbAdminFile::Database};
        Db check = Open(temp.Path(), SQLITE_OPEN_READONLY, copySubject, busyTimeoutMs);
        Verify(check.get(), temp.Path(), copySubject, busyTimeoutMs);
    }
    const auto checked = Clock::now();

    Sync(temp.Path(), O_RDONLY, fileSubject);
    if (::rename(temp.Path().c_str(), file.c_str()) != 0) {
        const int err = errno;
        Fail(fileSubject, " cannot be written (" + SysErrorMessage(err) + ")", FailureOfErrno(err));
    }
    temp.Keep();
    const std::string folder = ExtractFileDir(file);
    Sync(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY,
         {"The folder of " + Quoted(file), TDbAdminFile::BackupFile});
    const auto synced = Clock::now();

    if (times) {
        times->Copy = Seconds(start, copied);
        times->Check = Seconds(copied, checked);
        times->Sync = Seconds(checked, synced);
    }
}

void RestoreSqliteCatalog(const std::string& catalog, const std::string& file, int busyTimeoutMs) {
    const TSubject catalogSubject = DatabaseSubject(catalog);
    const TSubject fileSubject = BackupSubject(file);
    if (file.empty()) throw EDbAdminError("No backup file is named");
    if (!FileExists(file)) Fail(fileSubject, " does not exist", TDbAdminFailure::Other);
    if (SameFile(catalog, file)) Fail(fileSubject, " is the database file itself", TDbAdminFailure::Other);

    Db src = Open(file, SQLITE_OPEN_READONLY, fileSubject, busyTimeoutMs);
    Verify(src.get(), file, fileSubject, busyTimeoutMs);

    Db dest = Open(catalog, SQLITE_OPEN_READWRITE, catalogSubject, busyTimeoutMs);
    CheckProductCatalog(dest.get(), catalogSubject, busyTimeoutMs);
    if (sqlite3_db_readonly(dest.get(), "main") == 1)
        Fail(catalogSubject, " cannot be written by this user", TDbAdminFailure::NoPermission);
    if (Pragma(dest.get(), "pragma journal_mode", catalogSubject, busyTimeoutMs) == "wal") {
        const std::string from = Pragma(src.get(), "pragma page_size", fileSubject, busyTimeoutMs);
        const std::string to = Pragma(dest.get(), "pragma page_size", catalogSubject, busyTimeoutMs);
        if (from != to)
            Fail(fileSubject,
                 " has pages of " + from + " bytes; " + catalogSubject.Text + " is in WAL mode with pages of " + to +
                     " bytes, which it cannot change",
                 TDbAdminFailure::Other);
    }
    OnlineCopy(dest.get(), src.get(), catalogSubject, catalogSubject, busyTimeoutMs);
}

bool IsWholeDatabaseFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    ScopeGuard closeFile([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const THeader h = ReadHeader(fd);
    return h.Magic && h.PageSize != 0 && h.PageCount != 0 &&
           static_cast<std::uint64_t>(st.st_size) == std::uint64_t{h.PageCount} * h.PageSize;
}

int RemoveStaleBackupCopies(const std::string& folder, const std::function<bool(const std::string&)>& isBackupName) {
    const std::string dir = IncludeTrailingPathDelimiter(folder.empty() ? std::string(".") : folder);
    // The copies, each once, whether the copy or only a journal is left.
    std::set<std::string> copies;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string_view name = e->d_name;
            const std::string backup = CopiedBackupName(name);
            if (backup.empty() || !isBackupName(backup)) continue;
            std::string copy(name);
            for (const char* suffix : kJournalSuffixes)
                if (copy.ends_with(suffix)) copy.resize(copy.size() - std::string_view(suffix).size());
            copies.insert(copy);
        }
        ::closedir(d);
    }
    int removed = 0;
    for (const std::string& copy : copies) {
        const std::string path = dir + copy;
        int fd = -1;
        if (IsRegularFile(path)) {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0) continue;  // not to be judged
            // Held by a backup that is running.
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                continue;
            }
        }
        ScopeGuard closeFile([fd] {
            if (fd >= 0) ::close(fd);
        });
        for (const std::string& each : {path, path + kJournalSuffixes[0], path + kJournalSuffixes[1],
                                        path + kJournalSuffixes[2]})
            if (IsRegularFile(each) && ::unlink(each.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace menvaro::dbadmin
