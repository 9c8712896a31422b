#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "uFuntion.h"

using namespace pelgrane;

namespace {
std::string Build(const std::string& server, const std::string& db, const std::string& user, bool integrated,
                  const std::string& password) {
    std::u16string wide;
    BuildConnectionString(server, db, user, wide, integrated, password);
    return menvaro::Utf16ToUtf8(wide);
}
}  // namespace

TEST(ConnectionString, TheThreeForms) {
    EXPECT_EQ(Build("(local)", "Velkoranth", "sa", true, "secret"),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=Velkoranth;Data Source=(local)");
    EXPECT_EQ(Build("POS01", "Velkoranth", "sa", false, "123"),
              "Provider=SQLOLEDB.1;Password=123;Persist Security Info=True;"
              "User ID=sa;Initial Catalog=Velkoranth;Data Source=POS01");
    EXPECT_EQ(Build("POS01\\SQLEXPRESS", "餐饮库", "sa", false, ""),
              "Provider=SQLOLEDB.1;Persist Security Info=False;"
              "User ID=sa;Initial Catalog=餐饮库;Data Source=POS01\\SQLEXPRESS");
}

TEST(ConnectionString, ValuesThatWouldChangeItsMeaningAreQuoted) {
    struct Case {
        const char* value;
        const char* quoted;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"10.0.0.2,1433", "10.0.0.2,1433"},
        {"pa;ss", "\"pa;ss\""},
        {"a=b", "\"a=b\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"\"q\"", "\"\"\"q\"\"\""},
        {"'single", "\"'single\""},
        {"mid\"dle", "mid\"dle"},
        {"x;Data Source=evil", "\"x;Data Source=evil\""},
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteConnectionValue(c.value), c.quoted) << c.value;
    EXPECT_EQ(Build("srv", "db", "u;x", false, "p=1"),
              "Provider=SQLOLEDB.1;Password=\"p=1\";Persist Security Info=True;"
              "User ID=\"u;x\";Initial Catalog=db;Data Source=srv");
}
