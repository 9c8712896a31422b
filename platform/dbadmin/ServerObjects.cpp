#include "dbadmin/ServerObjects.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "base/Files.h"
#include "data/DBErrors.h"
#include "data/Engine.h"
#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/SqliteAdmin.h"
#include "dbadmin/TdsAdmin.h"

namespace menvaro::dbadmin {

namespace {

void RequireFullDatabase(int action, const char* what) {
    if (action != FullDatabaseAction)
        throw EDbAdminError(std::string(what) + " Action " + std::to_string(action) +
                            " is not offered; only a full database (" + std::to_string(FullDatabaseAction) + ") is");
}

// The catalog file of `database` on a SQLite server, found as the data
// layer finds it.
std::string CatalogFile(const std::string& folder, const std::string& database) {
    try {
        return FindSqliteCatalog(folder, database);
    } catch (const EDatabaseError& e) {
        throw EDbAdminError(e.Message());
    }
}

// The test's view of the order of release (ServerObjects.h).
void NoteRelease(const char* name) noexcept {
    const char* log = std::getenv("MENVARO_TEST_DBADMIN_RELEASE_LOG");
    if (!log || !*log) return;
    const int fd = ::open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string line = std::string(name) + "\n";
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
    ::close(fd);
}

}  // namespace

SQLServer::SQLServer() : busyTimeoutMs_(DefaultBusyTimeoutMs) {}

SQLServer::~SQLServer() {
    DisConnect();
    NoteRelease("SQLServer");
}

Backup::~Backup() { NoteRelease("Backup"); }
Restore::~Restore() { NoteRelease("Restore"); }
Application::~Application() { NoteRelease("Application"); }
Database::~Database() { NoteRelease("Database"); }

void TServerObjects::Release() noexcept {
    Application.reset();
    Database.reset();
    Backup.reset();
    Restore.reset();
    SQLServer.reset();
}

TServerObjects& TServerObjects::operator=(TServerObjects&& o) noexcept {
    if (this != &o) {
        Release();
        SQLServer = std::move(o.SQLServer);
        Restore = std::move(o.Restore);
        Backup = std::move(o.Backup);
        Database = std::move(o.Database);
        Application = std::move(o.Application);
    }
    return *this;
}

void SQLServer::SetBusyTimeout(int ms) {
    if (ms < 0) throw EDbAdminError("A busy time-out of " + std::to_string(ms) + " ms is not possible");
    busyTimeoutMs_ = ms;
}

void SQLServer::Connect(const std::string& server, const std::string& user, const std::string& password) {
    if (connected_) throw EDbAdminError("Already connected to '" + name_ + "'; disconnect first");
    // No SQL Server's name holds a slash: such a name means a folder too.
    if (DirectoryExists(server) || server.find('/') != std::string::npos) {
        CheckSqliteServerFolder(server);
        folder_ = server;
    } else {
        tds_ = std::make_unique<TTdsAdmin>(server, user, password);
    }
    name_ = server;
    connected_ = true;
}

void SQLServer::DisConnect() {
    tds_.reset();
    folder_.clear();
    name_.clear();
    connected_ = false;
}

void SQLServer::RequireConnection(const char* what) const {
    if (!connected_) throw EDbAdminError(std::string(what) + " needs a connected server");
}

void Backup::SQLBackup(SQLServer& server) {
    server.RequireConnection("A backup");
    RequireFullDatabase(action_, "Backup");
    if (database_.empty()) throw EDbAdminError("The backup names no database");
    if (files_.empty()) throw EDbAdminError("The backup names no file");
    if (server.tds_) {
        server.tds_->BackupDatabase(database_, files_);
        return;
    }
    BackupSqliteCatalog(CatalogFile(server.folder_, database_), files_, server.busyTimeoutMs_);
}

void Restore::SQLRestore(SQLServer& server) {
    server.RequireConnection("A restore");
    RequireFullDatabase(action_, "Restore");
    if (database_.empty()) throw EDbAdminError("The restore names no database");
    if (files_.empty()) throw EDbAdminError("The restore names no backup file");
    if (server.tds_) {
        server.tds_->RestoreDatabase(database_, files_, replaceDatabase_);
        return;
    }
    const std::string catalog = CatalogFile(server.folder_, database_);
    // The catalog is there: without ReplaceDatabase it stays as it is, as a
    // server keeps an existing database.
    if (!replaceDatabase_)
        throw EDbAdminError("The database \"" + database_ +
                            "\" exists; restoring a backup over it needs ReplaceDatabase");
    RestoreSqliteCatalog(catalog, files_, server.busyTimeoutMs_);
}

TServerObjects CreateServerObjects() {
    const char* fail = std::getenv("MENVARO_TEST_DBADMIN_CREATE_FAILS");
    if (fail && *fail)
        throw EDbAdminError("The database server objects cannot be created (MENVARO_TEST_DBADMIN_CREATE_FAILS is set)");
    TServerObjects objects;
    objects.Application = std::make_unique<Application>();
    objects.SQLServer = std::make_unique<SQLServer>();
    objects.Restore = std::make_unique<Restore>();
    objects.Backup = std::make_unique<Backup>();
    objects.Database = std::make_unique<Database>();
    return objects;
}

}  // namespace menvaro::dbadmin
