// Connection strings in the OLE DB form: "Key=Value;Key=Value". Keys ignore
// letter case and the blanks around them; a value may be quoted with double
// or single quotes (a doubled quote inside stands for itself) so that it can
// hold ";"; an unquoted value runs to the next ";" and loses its outer
// blanks. A key given twice keeps its last value.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace menvaro {

class TConnectionString {
public:
    // Raises EDatabaseError naming the place of a malformed entry.
    static TConnectionString Parse(std::string_view text);

    bool Has(std::string_view key) const;
    // The value of `key`, or "" when the string has none.
    std::string Value(std::string_view key) const;
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// What the data layer takes from a connection string; other keys (Provider,
// Persist Security Info, ...) are ignored.
struct TConnectionParams {
    std::string DataSource;      // "Data Source"
    std::string InitialCatalog;  // "Initial Catalog"
    std::string UserID;          // "User ID"
    std::string Password;        // "Password"
    bool IntegratedSecurity = false;  // "Integrated Security=SSPI"
};

// Raises EDatabaseError for a malformed string, a missing or empty Data
// Source or Initial Catalog, and an Integrated Security value other than
// SSPI, true, yes, false or no.
TConnectionParams ParseConnectionParams(std::string_view text);

}  // namespace menvaro
