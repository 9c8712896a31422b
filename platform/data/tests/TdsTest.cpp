// The SQL Server engine without a server: login parameters, column types,
// value layouts and a refused connection. The live test runs only where
// MENVARO_TEST_MSSQL names a reachable server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>

#include "base/Files.h"
#include "data/ADODB.h"
#include "data/TdsTypes.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

TEST(TdsServer, DataSourceForms) {
    struct Case {
        const char* dataSource;
        const char* host;
        int port;
        const char* instance;
        const char* clientName;
    } cases[] = {
        {"(local)", "localhost", 0, "", "localhost"},
        {"(LOCAL)", "localhost", 0, "", "localhost"},
        {".", "localhost", 0, "", "localhost"},
        {"POS-SERVER", "POS-SERVER", 0, "", "POS-SERVER"},
        {"POS-SERVER\\SQLEXPRESS", "POS-SERVER", 0, "SQLEXPRESS", "POS-SERVER\\SQLEXPRESS"},
        {"(local)\\SQLEXPRESS", "localhost", 0, "SQLEXPRESS", "localhost\\SQLEXPRESS"},
        {"192.168.1.10,1433", "192.168.1.10", 1433, "", "192.168.1.10:1433"},
        {" db.example , 14330 ", "db.example", 14330, "", "db.example:14330"},
        {"host\\INST,2433", "host", 2433, "INST", "host:2433"},
    };
    for (const auto& c : cases) {
        const TTdsServer s = ParseTdsServer(c.dataSource);
        EXPECT_EQ(s.Host, c.host) << c.dataSource;
        EXPECT_EQ(s.Port, c.port) << c.dataSource;
        EXPECT_EQ(s.Instance, c.instance) << c.dataSource;
        EXPECT_EQ(s.ClientName(), c.clientName) << c.dataSource;
    }
    for (const char* bad : {"host,0", "host,70000", "host,abc", ",1433", "\\INST"})
        EXPECT_THROW(ParseTdsServer(bad), EDatabaseError) << bad;
}

TEST(TdsLogin, SqlLoginAndIntegratedSecurity) {
    TConnectionParams p = ParseConnectionParams(
        "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=Velkoranth;"
        "Data Source=(local)");
    TTdsLogin l = MakeTdsLogin(p, false);
    EXPECT_EQ(l.Server.Host, "localhost");
    EXPECT_EQ(l.Database, "Velkoranth");
    EXPECT_EQ(l.User, "sa");
    EXPECT_EQ(l.Password, "pw");
    EXPECT_FALSE(l.NetworkAuth);

    p.IntegratedSecurity = true;  // user name and password are then ignored
    l = MakeTdsLogin(p, true);
    EXPECT_TRUE(l.NetworkAuth);
    EXPECT_EQ(l.User, "");
    EXPECT_EQ(l.Password, "");
    EXPECT_THAT(test::ErrorMessage<EDatabaseError>([&] { MakeTdsLogin(p, false); }),
                ::testing::HasSubstr("Integrated Security=SSPI needs a domain login"));
}

TEST(TdsLogin, DomainLoginIsAKerberosCredentialCache) {
    test::TempDir dir;
    const char* saved = getenv("KRB5CCNAME");
    const std::string keep = saved ? saved : "";
    WriteFileAtomic(dir.path() + "cc", "ticket");
    setenv("KRB5CCNAME", (dir.path() + "cc").c_str(), 1);
    EXPECT_TRUE(DomainLoginAvailable());
    setenv("KRB5CCNAME", ("FILE:" + dir.path() + "cc").c_str(), 1);
    EXPECT_TRUE(DomainLoginAvailable());
    setenv("KRB5CCNAME", ("FILE:" + dir.path() + "none").c_str(), 1);
    EXPECT_FALSE(DomainLoginAvailable());
    setenv("KRB5CCNAME", "KEYRING:persistent:1000", 1);
    EXPECT_TRUE(DomainLoginAvailable());
    if (saved)
        setenv("KRB5CCNAME", keep.c_str(), 1);
    else
        unsetenv("KRB5CCNAME");
}

TEST(TdsTypes, ColumnTypesFromDeclarationsAndWireCodes) {
    using T = TFieldType;
    struct Case {
        int wire;
        int bytes;
        int precision;
        int scale;
        const char* decl;
        TFieldType type;
        int size;
    } cases[] = {
        // What the client library declares.
        {231, 40, 0, 0, "NVARCHAR(20)", T::ftWideString, 20},
        {175, 15, 0, 0, "CHAR(15)", T::ftFixedChar, 15},
        {110, 8, 0, 0, "MONEY", T::ftCurrency, 0},
        {106, 5, 6, 1, "DECIMAL(6,1)", T::ftBCD, 1},
        // The wire codes alone.
        {175, 15, 0, 0, "", T::ftFixedChar, 15},
        {167, 40, 0, 0, "", T::ftString, 40},
        {167, -1, 0, 0, "", T::ftMemo, 0},
        {239, 8, 0, 0, "", T::ftFixedWideChar, 4},
        {231, 40, 0, 0, "", T::ftWideString, 20},
        {231, 0x7FFFFFFF, 0, 0, "", T::ftWideMemo, 0},
        {35, 16, 0, 0, "", T::ftMemo, 0},
        {38, 1, 0, 0, "", T::ftWord, 0},
        {38, 2, 0, 0, "", T::ftSmallint, 0},
        {38, 4, 0, 0, "", T::ftInteger, 0},
        {38, 8, 0, 0, "", T::ftLargeint, 0},
        {56, 4, 0, 0, "", T::ftInteger, 0},
        {104, 1, 0, 0, "", T::ftBoolean, 0},
        {50, 1, 0, 0, "", T::ftBoolean, 0},
        {109, 8, 0, 0, "", T::ftFloat, 0},
        {110, 4, 0, 0, "", T::ftCurrency, 0},
        {60, 8, 0, 0, "", T::ftCurrency, 0},
        {108, 9, 10, 2, "", T::ftBCD, 2},
        {111, 8, 0, 0, "", T::ftDateTime, 0},
        {61, 8, 0, 0, "", T::ftDateTime, 0},
        {40, 3, 0, 0, "", T::ftDate, 0},
        {42, 8, 0, 0, "", T::ftDateTime, 0},
        {165, 16, 0, 0, "", T::ftBlob, 0},
        {36, 16, 0, 0, "", T::ftGuid, 38},
    };
    for (const auto& c : cases) {
        const TFieldDef d = TdsFieldDef(c.wire, c.bytes, c.precision, c.scale, c.decl);
        EXPECT_EQ(d.DataType, c.type) << c.wire << " " << c.decl;
        EXPECT_EQ(d.Size, c.size) << c.wire << " " << c.decl;
    }
}

namespace {

template <typename... T>
std::string Bytes(T... parts) {
    std::string out;
    (out.append(reinterpret_cast<const char*>(&parts), sizeof parts), ...);
    return out;
}
const unsigned char* U(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

}  // namespace

TEST(TdsTypes, ValueLayouts) {
    // money: the 64-bit count of ten-thousandths split into high and low halves.
    const std::int64_t scaled = -125000;  // -12.5
    const auto high = static_cast<std::int32_t>(scaled >> 32);
    const auto low = static_cast<std::uint32_t>(scaled & 0xFFFFFFFF);
    EXPECT_EQ(TdsMoney(U(Bytes(high, low)), 8), -125000);
    const std::int64_t big = 9000000000000LL * 10000 + 1234;
    EXPECT_EQ(TdsMoney(U(Bytes(static_cast<std::int32_t>(big >> 32), static_cast<std::uint32_t>(big))), 8), big);
    EXPECT_EQ(TdsMoney(U(Bytes(std::int32_t{380000})), 4), 380000);

    // datetime: days since 1900-01-01 and 1/300 s; smalldatetime: days and minutes.
    const TDateTime may1 = EncodeDate(2023, 5, 1);
    const auto days = static_cast<std::int32_t>(may1 - 2);
    EXPECT_NEAR(TdsDateTime(U(Bytes(days, std::int32_t{(10 * 3600 + 30 * 60) * 300})), 8),
                may1 + EncodeTime(10, 30, 0, 0), 1e-9);
    EXPECT_NEAR(TdsDateTime(U(Bytes(static_cast<std::uint16_t>(days), std::uint16_t{630})), 4),
                may1 + EncodeTime(10, 30, 0, 0), 1e-9);
    EXPECT_NEAR(TdsDateTime(U(Bytes(std::int32_t{-3}, std::int32_t{150 * 86400})), 8), -1.5, 1e-9);  // 1899-12-29 noon

    EXPECT_EQ(TdsInteger(U(Bytes(std::uint8_t{200})), 1), 200);
    EXPECT_EQ(TdsInteger(U(Bytes(std::int16_t{-7})), 2), -7);
    EXPECT_EQ(TdsInteger(U(Bytes(std::int64_t{9007199254740993})), 8), 9007199254740993);
    EXPECT_EQ(TdsFloat(U(Bytes(0.15f)), 4), 0.15f);
    EXPECT_THROW(TdsInteger(U(Bytes(std::int32_t{1})), 3), EADOError);
    EXPECT_THROW(TdsMoney(U(Bytes(std::int32_t{1})), 2), EADOError);
}

TEST(TdsConnection, ARefusedConnectionRaisesTheLibrarysMessage) {
    TOwned<TADOConnection> owned(Create<TADOConnection>(nullptr));
    TADOConnection& con = *owned;
    // Port 1 on the loopback refuses at once.
    con.SetConnectionString(
        "Provider=SQLOLEDB.1;Password=x;User ID=sa;Initial Catalog=Velkoranth;"
        "Data Source=127.0.0.1,1");
    // The library's own text names the server it could not reach.
    EXPECT_THAT(test::ErrorMessage<EADOError>([&] { con.Open(); }), ::testing::HasSubstr("127.0.0.1"));
    EXPECT_FALSE(con.Connected());
}

TEST(TdsConnection, LiveServer) {
    const char* target = getenv("MENVARO_TEST_MSSQL");
    if (!target || !*target)
        GTEST_SKIP() << "MENVARO_TEST_MSSQL names no SQL Server (a connection string, or a Data Source used with "
                        "MENVARO_TEST_MSSQL_USER and MENVARO_TEST_MSSQL_PASSWORD)";
    std::string cs = target;
    if (cs.find('=') == std::string::npos) {
        const char* user = getenv("MENVARO_TEST_MSSQL_USER");
        const char* password = getenv("MENVARO_TEST_MSSQL_PASSWORD");
        cs = "Provider=SQLOLEDB.1;Password=\"" + std::string(password ? password : "") +
             "\";User ID=" + (user ? user : "sa") + ";Initial Catalog=master;Data Source=" + cs;
    }
    TOwned<TADOConnection> con(Create<TADOConnection>(nullptr));
    con->SetConnectionString(cs);
    con->Open();
    TOwned<TADOQuery> owned(Create<TADOQuery>(nullptr));
    TADOQuery& q = *owned;
    q.SetConnection(con.get());
    q.SQL()->SetText(
        "select cast(12.5 as money) as M, cast(1 as bit) as B, cast('01' as char(6)) as C, "
        "cast(N'宫保鸡丁' as nvarchar(20)) as N, cast(null as int) as Z, cast(42 as int) as I, "
        "cast(1.5 as decimal(6,1)) as D, cast('2023-05-01T10:30:00' as datetime) as T, "
        "cast(0.15 as float) as F");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("M").DataType(), TFieldType::ftCurrency);
    EXPECT_EQ(q.FieldByName("M").AsString(), "12.5");
    EXPECT_EQ(q.FieldByName("B").AsString(), "True");
    EXPECT_EQ(q.FieldByName("C").AsString(), "01    ");
    EXPECT_EQ(q.FieldByName("N").AsString(), "宫保鸡丁");
    EXPECT_EQ(q.FieldByName("Z").AsString(), "");
    EXPECT_EQ(q.FieldByName("I").AsString(), "42");
    EXPECT_EQ(q.FieldByName("D").AsString(), "1.5");
    EXPECT_EQ(q.FieldByName("T").AsString(), "2023-5-1 10:30:00");
    EXPECT_EQ(q.FieldByName("F").AsString(), "0.15");
    q.Close();
    q.SQL()->SetText("select * from NoSuchTable_Menvaro");
    EXPECT_THAT(test::ErrorMessage<EADOError>([&] { q.Open(); }), ::testing::HasSubstr("NoSuchTable_Menvaro"));
}
