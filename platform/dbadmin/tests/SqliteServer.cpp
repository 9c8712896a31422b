#include "SqliteServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/Files.h"
#include "testsupport/SqliteFile.h"

namespace menvaro::test {

Connection::Connection(const std::string& path, int busyTimeoutMs) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        ADD_FAILURE() << "cannot open " << path << ": " << sqlite3_errmsg(db_);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
}

Connection::~Connection() { sqlite3_close(db_); }

int Connection::TryExec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }

bool Connection::Exec(const std::string& sql) {
    const int rc = TryExec(sql);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << sqlite3_errmsg(db_);
    return rc == SQLITE_OK;
}

std::string Connection::Text(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
        return {};
    }
    std::string value;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        value = text ? text : "";
    } else if (rc != SQLITE_DONE) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
    }
    sqlite3_finalize(stmt);
    return value;
}

const char* ModeName(Mode mode) { return mode == Mode::Wal ? "wal" : "rollback"; }

SqliteServer::SqliteServer(Mode mode) : dir_("dbadmin") {
    folder_ = dir_.path() + "server/";
    backups_ = dir_.path() + "backups/";
    catalog_ = folder_ + "Velkoranth.db";
    CreateDir(folder_);
    CreateDir(backups_);
    MakeDatabase(catalog_, ReadFileBytes(MENVARO_DEMO_SQL) +
                               "create table Pairs (N int not null, Side char(1) not null);"
                               "insert into Pairs values (1, 'a'), (1, 'b'), (2, 'a'), (2, 'b');");
    if (mode == Mode::Wal) {
        Connection c(catalog_);
        EXPECT_EQ(c.Text("pragma journal_mode = wal"), "wal");
    }
}

Objects::Objects(const std::string& server, int busyTimeoutMs) : o(dbadmin::CreateServerObjects()) {
    o.SQLServer->SetBusyTimeout(busyTimeoutMs);
    o.SQLServer->Connect(server, "velkoranth", "velkoranth");
}

void Objects::BackupTo(const std::string& file) {
    o.Backup->SetDatabase("Velkoranth");
    o.Backup->SetAction(dbadmin::FullDatabaseAction);
    o.Backup->SetFiles(file);
    o.Backup->SQLBackup(*o.SQLServer);
}

void Objects::RestoreFrom(const std::string& file, bool replace) {
    o.Restore->SetDatabase("Velkoranth");
    o.Restore->SetReplaceDatabase(replace);
    o.Restore->SetAction(dbadmin::FullDatabaseAction);
    o.Restore->SetFiles(file);
    o.Restore->SQLRestore(*o.SQLServer);
}

void AddPair(Connection& c, int n) {
    c.Exec("insert into Pairs values (" + std::to_string(n) + ", 'a'), (" + std::to_string(n) + ", 'b')");
}

}  // namespace menvaro::test
