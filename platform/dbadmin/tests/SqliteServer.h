// A SQLite server folder for the tests of the server objects: the demo
// product database as Velkoranth.db, with a table of pairs that every
// consistent state holds in twos, and plain connections to look at it.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "dbadmin/DbAdminErrors.h"
#include "dbadmin/ServerObjects.h"
#include "testsupport/TempDir.h"

namespace menvaro::test {

// A connection of another program to a database file.
class Connection {
public:
    explicit Connection(const std::string& path, int busyTimeoutMs = 0);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs statements; a failure fails the test and answers false.
    bool Exec(const std::string& sql);
    // The SQLite result code of running statements.
    int TryExec(const std::string& sql);
    // The first column of the first row, as text ("" when there is none).
    std::string Text(const std::string& sql);
    long long Int(const std::string& sql) { return std::stoll("0" + Text(sql)); }

private:
    sqlite3* db_ = nullptr;
};

// The journal modes a catalog can be in.
enum class Mode { Rollback, Wal };
const char* ModeName(Mode mode);

// Tests run in both modes: INSTANTIATE_TEST_SUITE_P(Modes, X, AllModes(), ModeParamName).
using ModeTest = ::testing::TestWithParam<Mode>;
inline auto AllModes() { return ::testing::Values(Mode::Rollback, Mode::Wal); }
inline std::string ModeParamName(const ::testing::TestParamInfo<Mode>& info) { return ModeName(info.param); }

class SqliteServer {
public:
    explicit SqliteServer(Mode mode = Mode::Rollback);

    // The server folder, ending in "/".
    const std::string& Folder() const { return folder_; }
    const std::string& Catalog() const { return catalog_; }
    // A folder for backup files, ending in "/".
    const std::string& Backups() const { return backups_; }

private:
    TempDir dir_;
    std::string folder_, catalog_, backups_;
};

// The five objects as the backup tool drives them, connected to `server`
// with a short busy time-out.
class Objects {
public:
    explicit Objects(const std::string& server, int busyTimeoutMs = 100);
    // Backs "Velkoranth" up into `file`, or restores it from `file`.
    void BackupTo(const std::string& file);
    void RestoreFrom(const std::string& file, bool replace = true);
    dbadmin::TServerObjects o;
};

// Statements on the pairs table: the rows of a consistent state come in
// twos, one of each side.
inline const char* PairsCountSql() { return "select count(*) from Pairs"; }
// 0 when every pair is whole.
inline const char* BrokenPairsSql() {
    return "select (select count(*) from Pairs where Side = 'a') - (select count(*) from Pairs where Side = 'b')";
}
void AddPair(Connection& c, int n);

// The EDbAdminError that `fn` must raise, with its cause and file. None, or
// another kind, fails the test and answers an error of no cause.
template <class F>
dbadmin::EDbAdminError AdminError(F&& fn) {
    try {
        fn();
    } catch (const dbadmin::EDbAdminError& e) {
        return e;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "another error was raised: " << e.what();
        return dbadmin::EDbAdminError("");
    }
    ADD_FAILURE() << "nothing was raised";
    return dbadmin::EDbAdminError("");
}

}  // namespace menvaro::test
