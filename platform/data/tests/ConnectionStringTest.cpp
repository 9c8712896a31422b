#include "data/ConnectionString.h"

#include <gtest/gtest.h>

#include "data/DBErrors.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

TEST(ConnectionString, ParsesTheUpdaterFormsAndQuotedValues) {
    struct Case {
        const char* text;
        const char* dataSource;
        const char* catalog;
        const char* user;
        const char* password;
        bool integrated;
    } cases[] = {
        // The three forms the updater builds.
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Velkoranth;"
         "Data Source=(local)",
         "(local)", "Velkoranth", "", "", true},
        {"Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa;Initial Catalog=Velkoranth;"
         "Data Source=POS-SERVER\\SQLEXPRESS",
         "POS-SERVER\\SQLEXPRESS", "Velkoranth", "sa", "s3cret", false},
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;Data Source=/srv/db",
         "/srv/db", "Velkoranth", "sa", "", false},
        // Quoting, blanks and letter case of keys.
        {"data source = \"C:\\db;old\" ; INITIAL CATALOG='餐厅'", "C:\\db;old", "餐厅", "", "", false},
        {"Data Source=x;Initial Catalog=y;Password=\"a\"\"b;c\"", "x", "y", "", "a\"b;c", false},
        {"Data Source=x;Initial Catalog=y;Password='it''s'", "x", "y", "", "it's", false},
        {"Data Source=x;Initial Catalog=y;Password='say \"hi\"'", "x", "y", "", "say \"hi\"", false},
        {"Data Source=x;Initial Catalog=y;Password=a=b", "x", "y", "", "a=b", false},
        {"Data Source=x;Initial Catalog=y;Password=ab\"c", "x", "y", "", "ab\"c", false},
        {";;Data Source=x;;Initial Catalog=y;;", "x", "y", "", "", false},
        // Unknown keys are ignored; the last of a repeated key wins.
        {"Foo=bar;Data Source=x;Initial Catalog=y;Data Source=z;Connect Timeout=5", "z", "y", "", "", false},
        {"Data Source=x;Initial Catalog=y;Integrated Security=false", "x", "y", "", "", false},
        {"Data Source=x;Initial Catalog=y;integrated security=True", "x", "y", "", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TConnectionParams p = ParseConnectionParams(c.text);
        EXPECT_EQ(p.DataSource, c.dataSource);
        EXPECT_EQ(p.InitialCatalog, c.catalog);
        EXPECT_EQ(p.UserID, c.user);
        EXPECT_EQ(p.Password, c.password);
        EXPECT_EQ(p.IntegratedSecurity, c.integrated);
    }
}

TEST(ConnectionString, BadStringsAreClearErrorsThatKeepPasswordsOut) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"Initial Catalog=Velkoranth", "The connection string names no Data Source"},
        {"Data Source=(local)", "The connection string names no Initial Catalog"},
        {"Data Source=  ;Initial Catalog=y", "The connection string names no Data Source"},
        {"", "The connection string names no Data Source"},
        {"Data Source=x;Initial Catalog=y;Password=ab;cd;User ID=sa",
         "The connection string is not valid at character 45: an entry has no \"=\""},
        {"Data Source=x;Initial Catalog=y;Password=\"ab;cd",
         "The connection string is not valid at character 42: the quoted value of 'Password' is not closed"},
        {"Data Source='x' y;Initial Catalog=z",
         "The connection string is not valid at character 17: text follows the quoted value of 'Data Source'"},
        {"=x;Data Source=x;Initial Catalog=y",
         "The connection string is not valid at character 1: an entry has no key"},
        {"Data Source=x;Initial Catalog=y;Integrated Security=Kerberos",
         "Integrated Security must be SSPI, not 'Kerberos'"},
    };
    for (const auto& c : cases) {
        const std::string message = test::ErrorMessage<EDatabaseError>([&] { ParseConnectionParams(c.text); });
        EXPECT_EQ(message, c.message) << c.text;
        EXPECT_EQ(message.find("cd"), std::string::npos);
    }
}
