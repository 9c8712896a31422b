#include "dbadmin/TdsAdmin.h"

#include "base/Strings.h"
#include "data/ConnectionString.h"
#include "data/DBErrors.h"
#include "data/TdsEngine.h"
#include "dbadmin/DbAdminErrors.h"

namespace menvaro::dbadmin {

namespace {

void RefuseNul(std::string_view text, const char* what) {
    if (text.find('\0') != std::string_view::npos) throw EDbAdminError(std::string(what) + " holds a NUL character");
}

}  // namespace

std::string QuoteIdentifier(std::string_view name) {
    if (name.empty()) throw EDbAdminError("No database is named");
    RefuseNul(name, "The database name");
    return "[" + ReplaceAll(name, "]", "]]") + "]";
}

std::string QuoteUnicodeLiteral(std::string_view text) {
    RefuseNul(text, "The backup file's path");
    return "N'" + ReplaceAll(text, "'", "''") + "'";
}

std::string BackupStatement(std::string_view database, std::string_view path) {
    return "BACKUP DATABASE " + QuoteIdentifier(database) + " TO DISK = " + QuoteUnicodeLiteral(path) + " WITH INIT";
}

std::string RestoreStatement(std::string_view database, std::string_view path, bool replace) {
    return "RESTORE DATABASE " + QuoteIdentifier(database) + " FROM DISK = " + QuoteUnicodeLiteral(path) +
           (replace ? " WITH REPLACE" : "");
}

TTdsAdmin::TTdsAdmin(const std::string& server, const std::string& user, const std::string& password)
    : server_(server) {
    TConnectionParams params;
    params.DataSource = server;
    // BACKUP and RESTORE of a database run from outside it.
    params.InitialCatalog = "master";
    params.UserID = user;
    params.Password = password;
    try {
        connection_ = OpenTdsConnection(params);
    } catch (const EDatabaseError& e) {
        throw EDbAdminError("Cannot connect to the SQL Server '" + server + "': " + e.Message());
    }
}

TTdsAdmin::~TTdsAdmin() = default;

void TTdsAdmin::Run(const std::string& sql, const std::string& what) {
    try {
        connection_->Execute(sql, true);
    } catch (const EDatabaseError& e) {
        throw EDbAdminError(what + " on the SQL Server '" + server_ + "' failed: " + e.Message());
    }
}

void TTdsAdmin::BackupDatabase(const std::string& database, const std::string& path) {
    Run(BackupStatement(database, path), "The backup of the database \"" + database + "\"");
}

void TTdsAdmin::RestoreDatabase(const std::string& database, const std::string& path, bool replace) {
    Run(RestoreStatement(database, path, replace), "The restore of the database \"" + database + "\"");
}

}  // namespace menvaro::dbadmin
