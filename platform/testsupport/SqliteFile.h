// SQLite files for tests.
#pragma once

#include <string>

namespace menvaro::test {

// Creates the SQLite file `path` and runs `sql` in it.
void MakeDatabase(const std::string& path, const std::string& sql);

}  // namespace menvaro::test
