// The tables that make a database a product database: the menu and the
// floor plan, which every product database holds. A backup or restore
// refuses a file without them.
#pragma once

#include <string>
#include <vector>

namespace menvaro::dbadmin {

const std::vector<std::string>& ProductTables();

// The first product table that `tables` lacks (names compared without regard
// to case, as the engines compare them), or "" when all are there.
std::string MissingProductTable(const std::vector<std::string>& tables);

}  // namespace menvaro::dbadmin
