// The SQLite engine: a product database in one file. Column types come from
// the declared types of the table columns (DeclaredType.h); values that a
// column of that type could not hold on SQL Server raise instead of being
// bent into it. char(n) and nchar(n) values are padded with blanks to their
// width, as the server pads them; a width beyond the server's (8000 and 4000)
// is refused.
#pragma once

#include <memory>
#include <string>

#include "data/Engine.h"

namespace menvaro {

// Opens an existing database file (never creates one) and checks that it is
// a database. Raises EADOError with SQLite's message.
std::unique_ptr<IDbConnection> OpenSqliteConnection(const std::string& path);

}  // namespace menvaro
