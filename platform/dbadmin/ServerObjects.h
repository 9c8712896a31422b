// The database server's management objects that the backup tool drives:
// SQLServer (Connect, DisConnect), Backup and Restore, and the Application
// and Database objects, which the tool only creates and holds.
//
// The server name picks the engine as the data layer does: an existing
// folder is a SQLite server, its databases the files "<database>.db" in it
// (the name matched without regard to case); anything else is a SQL Server
// reached through FreeTDS, with the session in master. SQLite has no users:
// Connect accepts any login, and the files' permissions are the access
// control. On a SQL Server, a backup file's path is a path on the server.
//
// Every call's failure raises EDbAdminError with a message that names the
// database or file and says why.
#pragma once

#include <memory>
#include <string>

namespace menvaro::dbadmin {

class TTdsAdmin;

// Backup.Action and Restore.Action: the whole database, the only kind
// offered.
inline constexpr int FullDatabaseAction = 0;

class SQLServer {
public:
    SQLServer();
    ~SQLServer();
    SQLServer(const SQLServer&) = delete;
    SQLServer& operator=(const SQLServer&) = delete;

    // A folder must exist and be readable; a SQL Server must accept the
    // login. Raises EDbAdminError, also when already connected.
    void Connect(const std::string& server, const std::string& user, const std::string& password);
    // Ends the session; does nothing when there is none (so it may follow a
    // refused Connect).
    void DisConnect();
    bool Connected() const { return connected_; }
    const std::string& Name() const { return name_; }

    // How long a backup or restore of a SQLite database waits for a lock
    // that another connection holds, in milliseconds.
    int BusyTimeout() const { return busyTimeoutMs_; }
    void SetBusyTimeout(int ms);

private:
    friend class Backup;
    friend class Restore;
    void RequireConnection(const char* what) const;

    bool connected_ = false;
    std::string name_;
    std::string folder_;  // the SQLite server's folder; empty for a SQL Server
    std::unique_ptr<TTdsAdmin> tds_;
    int busyTimeoutMs_;
};

class Backup {
public:
    Backup() = default;
    ~Backup();
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;

    const std::string& Database() const { return database_; }
    void SetDatabase(const std::string& name) { database_ = name; }
    int Action() const { return action_; }
    void SetAction(int action) { action_ = action; }
    // The backup file.
    const std::string& Files() const { return files_; }
    void SetFiles(const std::string& path) { files_ = path; }

    // Writes a full backup of Database into Files. On a SQLite server the
    // file appears only complete and checked; an older file of that name is
    // replaced.
    void SQLBackup(SQLServer& server);

private:
    std::string database_;
    int action_ = FullDatabaseAction;
    std::string files_;
};

class Restore {
public:
    Restore() = default;
    ~Restore();
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

    const std::string& Database() const { return database_; }
    void SetDatabase(const std::string& name) { database_ = name; }
    // Without it a SQLite server refuses to restore over the database; a SQL
    // Server restores without WITH REPLACE and makes its own checks.
    bool ReplaceDatabase() const { return replaceDatabase_; }
    void SetReplaceDatabase(bool replace) { replaceDatabase_ = replace; }
    int Action() const { return action_; }
    void SetAction(int action) { action_ = action; }
    const std::string& Files() const { return files_; }
    void SetFiles(const std::string& path) { files_ = path; }

    // Replaces Database with the backup in Files. On a SQLite server the
    // backup is verified first; a damaged or foreign file leaves the
    // database untouched.
    void SQLRestore(SQLServer& server);

private:
    std::string database_;
    bool replaceDatabase_ = false;
    int action_ = FullDatabaseAction;
    std::string files_;
};

// Created and held only.
class Application {
public:
    ~Application();
};
class Database {
public:
    ~Database();
};

// The five objects, released one by one in the order Application, Database,
// Backup, Restore, SQLServer: by Release, by the destructor and before an
// assignment takes the place of the objects held.
//
// So that a test can see that order: while the environment variable
// MENVARO_TEST_DBADMIN_RELEASE_LOG names a file, each of the five objects
// appends its name and a line break to it as it goes.
struct TServerObjects {
    TServerObjects() = default;
    TServerObjects(TServerObjects&& o) noexcept = default;
    TServerObjects& operator=(TServerObjects&& o) noexcept;
    ~TServerObjects() { Release(); }
    void Release() noexcept;

    std::unique_ptr<dbadmin::SQLServer> SQLServer;
    std::unique_ptr<dbadmin::Restore> Restore;
    std::unique_ptr<dbadmin::Backup> Backup;
    std::unique_ptr<dbadmin::Database> Database;
    std::unique_ptr<dbadmin::Application> Application;
};

// Creates Application, SQLServer, Restore, Backup and Database, in this
// order. Raises EDbAdminError when they cannot be created; so that the
// tool's way for that case can be tried, it always does while the
// environment variable MENVARO_TEST_DBADMIN_CREATE_FAILS is set and not
// empty.
TServerObjects CreateServerObjects();

}  // namespace menvaro::dbadmin
