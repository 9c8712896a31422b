#include "testsupport/SqliteFile.h"

#include <sqlite3.h>

#include <stdexcept>

namespace menvaro::test {

void MakeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path);
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("setup SQL failed: " + message);
}

TDatabaseLock::TDatabaseLock(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, "begin exclusive", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("cannot lock " + path);
    }
}

void TDatabaseLock::Release() {
    if (!db_) return;
    sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
    db_ = nullptr;
}

}  // namespace menvaro::test
