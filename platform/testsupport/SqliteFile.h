// SQLite files for tests.
#pragma once

#include <string>

struct sqlite3;

namespace menvaro::test {

// Creates the SQLite file `path` and runs `sql` in it.
void MakeDatabase(const std::string& path, const std::string& sql);

// An exclusive lock on the database `path`, as another program writing it
// holds one: others can neither read nor write it until Release (or the end
// of the object).
class TDatabaseLock {
public:
    explicit TDatabaseLock(const std::string& path);
    ~TDatabaseLock() { Release(); }
    TDatabaseLock(const TDatabaseLock&) = delete;
    TDatabaseLock& operator=(const TDatabaseLock&) = delete;
    void Release();

private:
    sqlite3* db_ = nullptr;
};

}  // namespace menvaro::test
