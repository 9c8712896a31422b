// The database engines behind TADOConnection. Which one serves a connection
// string follows its Data Source: an existing folder holds SQLite product
// databases, one file "<Initial Catalog>.db" each (the name matched without
// regard to letter case); anything else names a SQL Server, reached through
// FreeTDS.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/ConnectionString.h"
#include "data/Field.h"
#include "data/RowStore.h"

namespace menvaro {

class IDbConnection {
public:
    virtual ~IDbConnection() = default;
    // Runs `sql`, which must be one statement that returns rows, and reads
    // all of them into `rows` (reset to the column count). Returns the
    // columns; duplicate names get "_1", "_2", ... appended. Every failure
    // raises EADOError with the engine's message.
    virtual std::vector<TFieldDef> Query(const std::string& sql, TRowStore& rows) = 0;
};

// Connects as the parameters say; raises EADOError with the engine's
// message, or EDatabaseError for parameters that name no database.
std::unique_ptr<IDbConnection> OpenDbConnection(const TConnectionParams& params);

// The SQLite file of `catalog` in `folder`: an exact name match first, else
// the one name that matches without regard to case. Raises EDatabaseError
// when there is none, or several, or the catalog is not a plain name.
std::string FindSqliteCatalog(const std::string& folder, const std::string& catalog);

// Makes the names of result columns unique as the data sets need them.
void MakeFieldNamesUnique(std::vector<TFieldDef>& defs);

}  // namespace menvaro
