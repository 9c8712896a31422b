#include "uFuntion.h"

#include "base/CodePage.h"
#include "base/Strings.h"

namespace pelgrane {

std::string QuoteConnectionValue(const std::string& Value) {
    if (Value.empty()) return Value;
    auto edge = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    const bool needs = Value.find_first_of(";=") != std::string::npos || edge(Value.front()) || edge(Value.back());
    if (!needs) return Value;
    return "\"" + menvaro::ReplaceAll(Value, "\"", "\"\"") + "\"";
}

void BuildConnectionString(const std::string& Server, const std::string& Database, const std::string& User,
                           std::u16string& Result, bool Integrated, const std::string& Password) {
    const std::string server = QuoteConnectionValue(Server);
    const std::string database = QuoteConnectionValue(Database);
    const std::string user = QuoteConnectionValue(User);
    std::string s;
    if (Integrated) {
        s = "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=" + database +
            ";Data Source=" + server;
    } else if (!Password.empty()) {
        s = "Provider=SQLOLEDB.1;Password=" + QuoteConnectionValue(Password) + ";Persist Security Info=True;" +
            "User ID=" + user + ";Initial Catalog=" + database + ";Data Source=" + server;
    } else {
        s = "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + user + ";Initial Catalog=" + database +
            ";Data Source=" + server;
    }
    Result = menvaro::Utf8ToUtf16(s);
}

}  // namespace pelgrane
