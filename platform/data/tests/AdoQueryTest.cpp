// TADOConnection and TADOQuery on SQLite files: engine choice from the
// connection string, column types from declared types, the AsString texts,
// and the engine's errors.
#include "data/ADODB.h"

#include <gtest/gtest.h>

#include "base/Files.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

using namespace menvaro;
using menvaro::test::MakeDatabase;
using menvaro::test::TempDir;

namespace {

const char* kSchema = R"(
create table Kinds (
  Code char(6) not null, Unit char(4) null, WName nchar(4) null,
  Name varchar(40) null, NName nvarchar(20) null, Memo text null,
  Qty int null, Small smallint null, Tiny tinyint null, Big bigint null,
  Price money null, Rate float null, Count3 decimal(6,1) null,
  IfUse bit null, Stamp datetime null, Day date null, Raw varbinary(8) null);
insert into Kinds values ('01', '例', '例', '宫保鸡丁', '鱼香肉丝', 'long text',
  42, -7, 200, 9007199254740993, 12.5, 0.15, 1.5, 1, '2023-05-01 10:30:00', '2023-05-01', x'0102');
insert into Kinds values ('000002', '份', null, 'A&B <"x">', '', null,
  null, null, null, null, 38, 2.0, 2, 0, '2024-12-31T00:00:00', null, null);
insert into Kinds values ('3', null, null, null, null, null,
  0, 0, 0, 0, '0.0001', 1e20, 0.5, '1', null, null, null);
)";

class AdoSqlite : public ::testing::Test {
protected:
    void SetUp() override {
        MakeDatabase(dir.path() + "Velkoranth.db", kSchema);
        con.SetName("adoCon");
        con.SetLoginPrompt(false);
        con.SetConnectionString(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
            "Initial Catalog=Velkoranth;Data Source=" +
            dir.path());
        qry.SetName("qryPublic");
        qry.SetConnection(&con);
    }
    void Run(const std::string& sql) {
        qry.Close();
        qry.SQL()->SetText(sql);
        qry.Open();
    }
    TempDir dir;
    TOwned<TADOConnection> conOwned{Create<TADOConnection>(nullptr)};
    TOwned<TADOQuery> qryOwned{Create<TADOQuery>(nullptr)};
    TADOConnection& con = *conOwned;
    TADOQuery& qry = *qryOwned;
};

}  // namespace

TEST_F(AdoSqlite, EveryColumnTypeAndItsTexts) {
    Run("select * from Kinds order by Code");
    ASSERT_EQ(qry.RecordCount(), 3);
    struct Col {
        const char* name;
        TFieldType type;
        int size;
        const char* row1;
        const char* row2;
        const char* row3;
    } cols[] = {
        {"Code", TFieldType::ftFixedChar, 6, "000002", "01    ", "3     "},
        {"Unit", TFieldType::ftFixedChar, 4, "份  ", "例  ", ""},
        {"WName", TFieldType::ftFixedWideChar, 4, "", "例   ", ""},
        {"Name", TFieldType::ftString, 40, "A&B <\"x\">", "宫保鸡丁", ""},
        {"NName", TFieldType::ftWideString, 20, "", "鱼香肉丝", ""},
        {"Memo", TFieldType::ftMemo, 0, "", "long text", ""},
        {"Qty", TFieldType::ftInteger, 0, "", "42", "0"},
        {"Small", TFieldType::ftSmallint, 0, "", "-7", "0"},
        {"Tiny", TFieldType::ftWord, 0, "", "200", "0"},
        {"Big", TFieldType::ftLargeint, 0, "", "9007199254740993", "0"},
        {"Price", TFieldType::ftCurrency, 0, "38", "12.5", "0.0001"},
        {"Rate", TFieldType::ftFloat, 0, "2", "0.15", "1E20"},
        {"Count3", TFieldType::ftBCD, 1, "2", "1.5", "0.5"},
        {"IfUse", TFieldType::ftBoolean, 0, "False", "True", "True"},
        {"Stamp", TFieldType::ftDateTime, 0, "2024-12-31", "2023-5-1 10:30:00", ""},
        {"Day", TFieldType::ftDate, 0, "", "2023-5-1", ""},
        {"Raw", TFieldType::ftBlob, 0, "", "\x01\x02", ""},
    };
    ASSERT_EQ(qry.FieldCount(), static_cast<int>(std::size(cols)));
    for (const Col& c : cols) {
        SCOPED_TRACE(c.name);
        TField& f = qry.FieldByName(c.name);
        EXPECT_EQ(f.DataType(), c.type);
        EXPECT_EQ(f.Size(), c.size);
        qry.First();
        EXPECT_EQ(f.AsString(), c.row1);
        qry.Next();
        EXPECT_EQ(f.AsString(), c.row2);
        qry.Next();
        EXPECT_EQ(f.AsString(), c.row3);
    }
    qry.First();
    EXPECT_TRUE(qry.FieldByName("Qty").IsNull());
    EXPECT_TRUE(qry.FieldByName("NName").IsNull() == false);  // '' is not NULL
    EXPECT_EQ(qry.FieldByName("price").AsFloat(), 38.0);
}

TEST_F(AdoSqlite, NavigationAndTheReadOnlyResult) {
    Run("select Code, Qty from Kinds where Qty is not null order by Code");
    EXPECT_FALSE(qry.IsEmpty());
    std::vector<std::string> codes;
    for (qry.First(); !qry.Eof(); qry.Next()) codes.push_back(qry.Fields()[0].AsString());
    EXPECT_EQ(codes, (std::vector<std::string>{"01    ", "3     "}));
    qry.First();  // walked again after the end
    EXPECT_EQ(qry.FieldByName("CODE").AsString(), "01    ");
    EXPECT_THROW(qry.Edit(), EDatabaseError);
    Run("select Code from Kinds where 1 = 0");
    EXPECT_TRUE(qry.IsEmpty());
    EXPECT_TRUE(qry.Eof());
    EXPECT_EQ(qry.RecordCount(), 0);
    EXPECT_EQ(qry.FieldByName("Code").AsString(), "");
}

TEST_F(AdoSqlite, ExpressionColumnsAndDuplicateNames) {
    Run("select count(*) as N, max(a.Rate) as R, a.Name || '!' as E, null as Z, a.Code, b.Code "
        "from Kinds a, Kinds b where a.Code = b.Code and a.Code = '01'");
    EXPECT_EQ(qry.FieldByName("N").DataType(), TFieldType::ftInteger);
    EXPECT_EQ(qry.FieldByName("N").AsString(), "1");
    EXPECT_EQ(qry.FieldByName("R").DataType(), TFieldType::ftFloat);
    EXPECT_EQ(qry.FieldByName("E").DataType(), TFieldType::ftString);
    EXPECT_EQ(qry.FieldByName("E").AsString(), "宫保鸡丁!");
    EXPECT_TRUE(qry.FieldByName("Z").IsNull());
    EXPECT_EQ(qry.Fields()[4].FieldName(), "Code");
    EXPECT_EQ(qry.Fields()[5].FieldName(), "Code_1");
}

TEST_F(AdoSqlite, EngineErrorsCarryTheEnginesMessage) {
    struct Case {
        const char* sql;
        const char* message;
    } cases[] = {
        {"select * from Snack_1", "no such table: Snack_1"},
        {"select Nope from Kinds", "no such column: Nope"},
        {"selec * from Kinds", "near \"selec\": syntax error"},
        {"update Kinds set Qty = 1", "CommandText does not return a result set"},
        {"select 1; delete from Kinds", "The command text holds more than one statement"},
        {"", "Command text was not set for the command object."},
    };
    for (const auto& c : cases) {
        qry.Close();
        qry.SQL()->SetText(c.sql);
        EXPECT_EQ(test::ErrorMessage<EADOError>([&] { qry.Open(); }), c.message) << c.sql;
        EXPECT_FALSE(qry.Active());
    }
    // Nothing was changed by the refused statements.
    Run("select count(*) as N from Kinds where Qty = 1");
    EXPECT_EQ(qry.FieldByName("N").AsInteger(), 0);
    Run("select 1 as One -- a trailing comment is no second statement");
    EXPECT_EQ(qry.FieldByName("One").AsString(), "1");
}

TEST_F(AdoSqlite, ValuesTheColumnTypeCannotHoldRaise) {
    MakeDatabase(dir.path() + "Bad.db",
                 "create table T (Qty int, Price money, Stamp datetime);"
                 "insert into T values ('many', 1, '2023-05-01');"
                 "insert into T values (1, 'free', '2023-05-01');"
                 "insert into T values (1, 1, 'May 1st');");
    TOwned<TADOConnection> bad(Create<TADOConnection>(nullptr));
    bad->SetConnectionString("Initial Catalog=Bad;Data Source=" + dir.path());
    TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
    q->SetConnection(bad.get());
    const char* expected[] = {
        "Column 'Qty' of row 1 holds 'many', which is not an integer",
        "Column 'Price' of row 1 holds 'free', which is not a money value",
        "Column 'Stamp' of row 1 holds 'May 1st', which is not a date and time (YYYY-MM-DD HH:MM:SS)",
    };
    for (int i = 0; i < 3; ++i) {
        q->SQL()->SetText(std::string("select * from T where rowid = ") + std::to_string(i + 1));
        EXPECT_EQ(test::ErrorMessage<EADOError>([&] { q->Open(); }), expected[i]);
    }
}

TEST_F(AdoSqlite, SqlChangesAndConnectionCloseCloseTheQuery) {
    Run("select Code from Kinds");
    qry.SQL()->Add("where Qty = 42");
    EXPECT_FALSE(qry.Active());
    qry.Open();
    EXPECT_EQ(qry.RecordCount(), 1);
    con.Close();
    EXPECT_FALSE(qry.Active());
    EXPECT_FALSE(con.Connected());
    qry.Open();  // connects again on its own
    EXPECT_TRUE(con.Connected());
    EXPECT_THROW(con.SetConnectionString("Data Source=x;Initial Catalog=y"), EDatabaseError);
    con.Close();
    qry.SetConnection(nullptr);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { qry.Open(); }),
              "qryPublic: Missing Connection or ConnectionString");
}

TEST_F(AdoSqlite, QueriesForgetAConnectionThatIsDestroyed) {
    TOwned<TADOConnection> temp(Create<TADOConnection>(nullptr));
    temp->SetConnectionString(con.ConnectionString());
    TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
    q->SetConnection(temp.get());
    q->SQL()->SetText("select Code from Kinds");
    q->Open();
    temp.reset();
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(q->Connection(), nullptr);
    // And the other way round: a freed query leaves its connection.
    TOwned<TADOConnection> con2(Create<TADOConnection>(nullptr));
    con2->SetConnectionString(con.ConnectionString());
    q->SetConnection(con2.get());
    q->Open();
    q.reset();
    con2->Close();
    EXPECT_FALSE(con2->Connected());
}

TEST(AdoEngineChoice, FolderCatalogNamesMatchWithoutLetterCase) {
    TempDir dir;
    MakeDatabase(dir.path() + "velkoranth.DB", "create table T (A int); insert into T values (5);");
    TOwned<TADOConnection> con(Create<TADOConnection>(nullptr));
    con->SetConnectionString("Initial Catalog=Velkoranth;Data Source=" + dir.path());
    con->Open();
    TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
    q->SetConnection(con.get());
    q->SQL()->SetText("select A from T");
    q->Open();
    EXPECT_EQ(q->FieldByName("a").AsString(), "5");

    MakeDatabase(dir.path() + "VELKORANTH.db", "create table T (A int);");
    TOwned<TADOConnection> twice(Create<TADOConnection>(nullptr));
    twice->SetConnectionString("Initial Catalog=Velkoranth;Data Source=" + dir.path());
    EXPECT_THROW(twice->Open(), EDatabaseError);
    TOwned<TADOConnection> exact(Create<TADOConnection>(nullptr));
    exact->SetConnectionString("Initial Catalog=VELKORANTH;Data Source=" + dir.path());
    EXPECT_NO_THROW(exact->Open());
}

TEST(AdoEngineChoice, MissingAndDamagedFilesAreErrorsAndNothingIsCreated) {
    TempDir dir;
    TOwned<TADOConnection> owned(Create<TADOConnection>(nullptr));
    TADOConnection& con = *owned;
    con.SetConnectionString("Initial Catalog=Velkoranth;Data Source=" + dir.path());
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { con.Open(); }),
              "Cannot open database \"Velkoranth\": there is no file Velkoranth.db in " + dir.path());
    EXPECT_FALSE(con.Connected());
    EXPECT_FALSE(FileExists(dir.path() + "Velkoranth.db"));

    WriteFileAtomic(dir.path() + "Velkoranth.db", std::string(4096, 'x'));
    EXPECT_EQ(test::ErrorMessage<EADOError>([&] { con.Open(); }),
              "Cannot open the database '" + dir.path() + "Velkoranth.db': file is not a database");
    EXPECT_FALSE(con.Connected());

    con.SetConnectionString("Initial Catalog=../etc;Data Source=" + dir.path());
    EXPECT_THROW(con.Open(), EDatabaseError);
    con.SetConnectionString("Initial Catalog=Velkoranth");
    EXPECT_THROW(con.Open(), EDatabaseError);
}

TEST(AdoFixedChar, AWidthNoCharColumnCanHaveIsRefusedNotPadded) {
    TempDir dir;
    MakeDatabase(dir.path() + "Wide.db",
                 "create table T (A char(2000000000), B nchar(4001), C char(8000), D nchar(4000));"
                 "insert into T values ('a', 'b', 'c', 'd');");
    TOwned<TADOConnection> con(Create<TADOConnection>(nullptr));
    con->SetConnectionString("Initial Catalog=Wide;Data Source=" + dir.path());
    TOwned<TADOQuery> q(Create<TADOQuery>(nullptr));
    q->SetConnection(con.get());
    const struct {
        const char* sql;
        const char* message;
    } refused[] = {
        {"select A from T", "Column 'A' is declared char(2000000000); a char column holds at most 8000"},
        {"select B from T", "Column 'B' is declared nchar(4001); a nchar column holds at most 4000"},
    };
    for (const auto& c : refused) {
        q->SQL()->SetText(c.sql);
        EXPECT_EQ(test::ErrorMessage<EADOError>([&] { q->Open(); }), c.message) << c.sql;
        EXPECT_FALSE(q->Active());
    }
    q->SQL()->SetText("select C, D from T");
    q->Open();
    EXPECT_EQ(q->FieldByName("C").AsString(), "c" + std::string(7999, ' '));
    EXPECT_EQ(q->FieldByName("D").AsString(), "d" + std::string(3999, ' '));
}
