#include "dbadmin/ProductTables.h"

#include <algorithm>

#include "base/Strings.h"

namespace menvaro::dbadmin {

const std::vector<std::string>& ProductTables() {
    static const std::vector<std::string> tables = {"dishproject", "Dishlist", "DishPrice", "Area", "Room"};
    return tables;
}

std::string MissingProductTable(const std::vector<std::string>& tables) {
    for (const std::string& wanted : ProductTables())
        if (std::none_of(tables.begin(), tables.end(), [&](const std::string& t) { return SameText(t, wanted); }))
            return wanted;
    return {};
}

}  // namespace menvaro::dbadmin
