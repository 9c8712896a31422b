#include "data/ConnectionString.h"

#include "base/Strings.h"
#include "data/DBErrors.h"

namespace menvaro {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The message names the position, never the text there: it may be part of a
// password.
[[noreturn]] void Malformed(std::size_t at, const std::string& why) {
    throw EDatabaseError("The connection string is not valid at character " + std::to_string(at + 1) + ": " +
                         why);
}

}  // namespace

TConnectionString TConnectionString::Parse(std::string_view text) {
    TConnectionString result;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && (IsBlank(text[i]) || text[i] == ';')) ++i;
        if (i >= n) break;
        const std::size_t keyStart = i;
        std::string key;
        while (i < n && text[i] != '=' && text[i] != ';') key += text[i++];
        if (i >= n || text[i] == ';') Malformed(keyStart, "an entry has no \"=\"");
        ++i;  // '='
        key = Trim(key);
        if (key.empty()) Malformed(keyStart, "an entry has no key");

        while (i < n && IsBlank(text[i])) ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'')) {
            const char quote = text[i];
            const std::size_t valueStart = i++;
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed) Malformed(valueStart, "the quoted value of '" + key + "' is not closed");
            while (i < n && IsBlank(text[i])) ++i;
            if (i < n && text[i] != ';')
                Malformed(i, "text follows the quoted value of '" + key + "'");
        } else {
            const std::size_t valueStart = i;
            while (i < n && text[i] != ';') ++i;
            value = Trim(text.substr(valueStart, i - valueStart));
        }

        bool replaced = false;
        for (auto& e : result.entries_)
            if (SameText(e.first, key)) {
                e.second = value;
                replaced = true;
            }
        if (!replaced) result.entries_.emplace_back(std::move(key), std::move(value));
    }
    return result;
}

bool TConnectionString::Has(std::string_view key) const {
    for (const auto& e : entries_)
        if (SameText(e.first, key)) return true;
    return false;
}

std::string TConnectionString::Value(std::string_view key) const {
    for (const auto& e : entries_)
        if (SameText(e.first, key)) return e.second;
    return {};
}

TConnectionParams ParseConnectionParams(std::string_view text) {
    const TConnectionString cs = TConnectionString::Parse(text);
    TConnectionParams p;
    p.DataSource = cs.Value("Data Source");
    p.InitialCatalog = cs.Value("Initial Catalog");
    p.UserID = cs.Value("User ID");
    p.Password = cs.Value("Password");
    const std::string integrated = cs.Value("Integrated Security");
    if (SameText(integrated, "SSPI") || SameText(integrated, "true") || SameText(integrated, "yes"))
        p.IntegratedSecurity = true;
    else if (!integrated.empty() && !SameText(integrated, "false") && !SameText(integrated, "no"))
        throw EDatabaseError("Integrated Security must be SSPI, not '" + integrated + "'");
    if (p.DataSource.empty()) throw EDatabaseError("The connection string names no Data Source");
    if (p.InitialCatalog.empty()) throw EDatabaseError("The connection string names no Initial Catalog");
    return p;
}

}  // namespace menvaro
