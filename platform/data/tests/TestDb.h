// Temporary folders and SQLite files for the data tests.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "base/Files.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro::test {

using menvaro::test::TempDir;

}  // namespace menvaro::test
