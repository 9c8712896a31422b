// Temporary folders and SQLite files for the data tests.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "base/Files.h"

namespace menvaro::test {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/menvaro-data-XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (!made) throw std::runtime_error("mkdtemp failed");
        path_ = IncludeTrailingPathDelimiter(made);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Ends in "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Creates the SQLite file `path` and runs `sql` in it.
inline void MakeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("setup SQL failed: " + message);
}

}  // namespace menvaro::test
