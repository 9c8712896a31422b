// The updater's statements as the shared list holds them: the texts the
// updater must send, and each one runs on the demo product database.
#include <gtest/gtest.h>

#include <map>

#include "SqliteServer.h"
#include "dbadmin/ProductStatements.h"
#include "testsupport/HandheldStatements.h"

using namespace menvaro;

TEST(ProductStatements, AreTheUpdatersTextsInItsOrder) {
    const std::vector<demo::HandheldStatement> expected = demo::HandheldStatements({"01"});
    const auto list = dbadmin::ProductStatements();
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(list[i]->For("01"), expected[i].sql);
        EXPECT_EQ(list[i]->PerProject(), expected[i].file.find("01") != std::string::npos);
        EXPECT_EQ(list[i]->Optional, expected[i].file == "snackdish.xml");
        // Only a "select *" names the columns it gives.
        EXPECT_EQ(list[i]->Columns[0] != nullptr, expected[i].sql.find("select * ") == 0);
    }
}

TEST(ProductStatements, RunOnTheDemoDatabaseGivingWhatTheUpdaterReads) {
    test::SqliteServer s;
    test::Connection c(s.Catalog());
    for (const dbadmin::TProductStatement* statement : dbadmin::ProductStatements()) {
        SCOPED_TRACE(statement->Sql);
        const std::string sql = statement->For("01");
        EXPECT_NE(c.Text("select count(*) from (" + sql + ")"), "0");
        for (const char* column : statement->Columns)
            if (column) {
                EXPECT_NE(c.Text("select count(" + std::string(column) + ") from (" + sql + ")"), "0");
            }
    }
}
