#include "data/Engine.h"

#include <algorithm>

#include "base/Files.h"
#include "base/Strings.h"
#include "data/DBErrors.h"
#include "data/SqliteEngine.h"
#include "data/TdsEngine.h"

namespace menvaro {

std::string FindSqliteCatalog(const std::string& folder, const std::string& catalog) {
    if (catalog.empty() || catalog.find('/') != std::string::npos || catalog == "." || catalog == "..")
        throw EDatabaseError("'" + catalog + "' is not a database name");
    const std::string wanted = catalog + ".db";
    const std::string dir = IncludeTrailingPathDelimiter(folder);
    if (FileExists(dir + wanted)) return dir + wanted;
    std::vector<std::string> matches;
    TSearchRec rec;
    for (int rc = FindFirst(dir + "*", faAnyFile & ~faDirectory, rec); rc == 0; rc = FindNext(rec))
        if (SameText(rec.Name, wanted)) matches.push_back(rec.Name);
    FindClose(rec);
    if (matches.empty())
        throw EDatabaseError("Cannot open database \"" + catalog + "\": there is no file " + wanted + " in " + dir);
    if (matches.size() > 1)
        throw EDatabaseError("Cannot open database \"" + catalog + "\": " + dir + " holds several files named " +
                             wanted + " in different letter case");
    return dir + matches.front();
}

std::unique_ptr<IDbConnection> OpenDbConnection(const TConnectionParams& params) {
    if (DirectoryExists(params.DataSource))
        return OpenSqliteConnection(FindSqliteCatalog(params.DataSource, params.InitialCatalog));
    return OpenTdsConnection(params);
}

void MakeFieldNamesUnique(std::vector<TFieldDef>& defs) {
    auto usedElsewhere = [&defs](std::size_t self, const std::string& name, std::size_t upTo) {
        for (std::size_t k = 0; k < upTo; ++k)
            if (k != self && SameText(defs[k].Name, name)) return true;
        return false;
    };
    for (std::size_t i = 1; i < defs.size(); ++i) {
        if (!usedElsewhere(i, defs[i].Name, i)) continue;
        const std::string base = defs[i].Name;
        for (int n = 1;; ++n) {
            const std::string candidate = base + "_" + std::to_string(n);
            if (!usedElsewhere(i, candidate, defs.size())) {
                defs[i].Name = candidate;
                break;
            }
        }
    }
}

}  // namespace menvaro
