// Backup and restore on a SQL Server: the statements, with names and paths
// quoted so that no text of theirs is read as T-SQL, and the connection in
// master that runs them. The backup file's path is the server's own.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace menvaro {
class ITdsConnection;
}

namespace menvaro::dbadmin {

// [name] with "]" doubled. Raises EDbAdminError for an empty name or one
// holding a NUL character.
std::string QuoteIdentifier(std::string_view name);
// N'text' with "'" doubled. Raises EDbAdminError for text holding a NUL.
std::string QuoteUnicodeLiteral(std::string_view text);

// BACKUP DATABASE [name] TO DISK = N'path' WITH INIT
std::string BackupStatement(std::string_view database, std::string_view path);
// RESTORE DATABASE [name] FROM DISK = N'path', with WITH REPLACE when asked.
std::string RestoreStatement(std::string_view database, std::string_view path, bool replace);

// A session in master on the SQL Server `server` ("host", "(local)",
// "host\instance", "host,port").
class TTdsAdmin {
public:
    // Raises EDbAdminError with the server's or the client library's message.
    TTdsAdmin(const std::string& server, const std::string& user, const std::string& password);
    ~TTdsAdmin();
    TTdsAdmin(const TTdsAdmin&) = delete;
    TTdsAdmin& operator=(const TTdsAdmin&) = delete;

    // Run the statement and wait for it however long it takes; raise
    // EDbAdminError carrying the server's messages.
    void BackupDatabase(const std::string& database, const std::string& path);
    void RestoreDatabase(const std::string& database, const std::string& path, bool replace);

private:
    void Run(const std::string& sql, const std::string& what);
    std::string server_;
    std::unique_ptr<ITdsConnection> connection_;
};

}  // namespace menvaro::dbadmin
