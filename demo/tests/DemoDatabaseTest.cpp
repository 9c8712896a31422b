// The demo product database: the updater's 23 statements run through
// TADOQuery with the rows and texts the handheld files are made from, and
// the SQL text keeps to what SQL Server accepts as well.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "base/Files.h"
#include "base/Strings.h"
#include "data/ADODB.h"
#include "testsupport/HandheldStatements.h"

using namespace menvaro;
using menvaro::demo::HandheldStatements;

namespace {

class Demo : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        con = Create<TADOConnection>(nullptr);
        con->SetLoginPrompt(false);
        con->SetConnectionString(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;Data Source=" +
            std::string(MENVARO_DEMO_DB_DIR));
        con->Open();
    }
    static void TearDownTestSuite() { FreeAndNil(con); }
    void SetUp() override { qry.SetConnection(con); }

    TADOQuery& Run(const std::string& sql) {
        qry.Close();
        qry.SQL()->SetText(sql);
        qry.Open();
        return qry;
    }
    // Every row as the texts of the named columns joined by "|".
    std::vector<std::string> Rows(const std::string& sql, const std::vector<std::string>& columns) {
        Run(sql);
        std::vector<std::string> rows;
        for (qry.First(); !qry.Eof(); qry.Next()) {
            std::string line;
            for (const std::string& c : columns) line += (line.empty() ? "" : "|") + qry.FieldByName(c).AsString();
            rows.push_back(line);
        }
        return rows;
    }
    std::string Sql(const std::string& file) {
        for (const auto& s : HandheldStatements({"01", "02", "03"}))
            if (s.file == file) return s.sql;
        ADD_FAILURE() << "no statement for " << file;
        return {};
    }

    static TADOConnection* con;
    TOwned<TADOQuery> owned{Create<TADOQuery>(nullptr)};
    TADOQuery& qry = *owned;
};

TADOConnection* Demo::con = nullptr;

}  // namespace

TEST_F(Demo, RowCountsOfEveryHandheldFile) {
    Run(demo::ProjectsSql());
    std::vector<std::string> projects;
    for (qry.First(); !qry.Eof(); qry.Next()) projects.push_back(qry.FieldByName("ProjectID").AsString());
    ASSERT_EQ(projects, (std::vector<std::string>{"01", "02", "03"}));

    // Zero rows: the handheld file is not written and goes to the empty list.
    const std::map<std::string, int> expected = {
        {"piddata.xml", 3},        {"area.xml", 5},           {"room.xml", 18},          {"dish01.xml", 48},
        {"dish02.xml", 19},        {"dish03.xml", 11},        {"urgentdish01.xml", 4},   {"urgentdish02.xml", 2},
        {"urgentdish03.xml", 0},   {"limitdish01.xml", 3},    {"limitdish02.xml", 2},    {"limitdish03.xml", 0},
        {"makemode.xml", 11},      {"dishmakemode.xml", 20},  {"catsup.xml", 12},        {"dishcatsup.xml", 16},
        {"request.xml", 12},       {"dishrequest.xml", 20},   {"material.xml", 12},      {"pingunit.xml", 22},
        {"zuofa.xml", 9},          {"guqingdish01.xml", 3},   {"guqingdish02.xml", 1},   {"guqingdish03.xml", 0},
        {"optionaldish01.xml", 2}, {"optionaldish02.xml", 0}, {"optionaldish03.xml", 0}, {"snackdish.xml", 11},
        {"calltype.xml", 6},       {"weightdish.xml", 3},     {"prodposi.xml", 6},       {"MachineNameList.xml", 5},
    };
    const auto statements = HandheldStatements(projects);
    ASSERT_EQ(statements.size(), expected.size());
    for (const auto& s : statements) {
        SCOPED_TRACE(s.file);
        Run(s.sql);
        ASSERT_TRUE(expected.count(s.file));
        EXPECT_EQ(qry.RecordCount(), expected.at(s.file));
        EXPECT_EQ(qry.IsEmpty(), expected.at(s.file) == 0);
    }
}

TEST_F(Demo, ColumnTypesAreTheProductDatabasesTypes) {
    struct Case {
        const char* file;
        const char* field;
        TFieldType type;
    } cases[] = {
        {"piddata.xml", "ProjectID", TFieldType::ftFixedChar},
        {"piddata.xml", "ProjectName", TFieldType::ftString},
        {"makemode.xml", "AddPrice", TFieldType::ftCurrency},
        {"request.xml", "UpdateTime", TFieldType::ftDateTime},
        {"snackdish.xml", "SumMoney1", TFieldType::ftCurrency},
        {"snackdish.xml", "SnackCount3", TFieldType::ftBCD},
        {"limitdish01.xml", "Limited", TFieldType::ftInteger},
        {"prodposi.xml", "PositionName", TFieldType::ftWideString},
        {"MachineNameList.xml", "IPAddress", TFieldType::ftFixedChar},
        {"MachineNameList.xml", "MacAliasName", TFieldType::ftWideString},
    };
    for (const auto& c : cases) {
        Run(Sql(c.file));
        EXPECT_EQ(qry.FieldByName(c.field).DataType(), c.type) << c.file << " " << c.field;
    }
}

TEST_F(Demo, ProjectsAreDistinctAndAreasMayHaveNone) {
    EXPECT_EQ(Rows(Sql("piddata.xml"), {"ProjectID", "ProjectName"}),
              (std::vector<std::string>{"01|正餐菜谱", "02|早茶点心", "03|宴会菜谱"}));
    const auto areas = Rows(Sql("area.xml"), {"AreaNo", "AreaName", "ProjectID"});
    EXPECT_EQ(areas.back(), "05|外卖|");
    const auto rooms = Rows(Sql("room.xml"), {"AreaNo", "RoomNo", "RoomName"});
    EXPECT_EQ(rooms[9], "02|B04|兰亭·雅阁");
}

TEST_F(Demo, DishFileGroupsOnThreeLevelsWithUpToThreeUnits) {
    const auto rows = Rows(Sql("dish01.xml"),
                           {"ProdTypeNo", "CateNo", "DishNo", "DishName", "CustomDishNo", "dishSpell", "DishUnit"});
    auto find = [&rows](const std::string& dishNo) {
        std::vector<std::string> units;
        for (const auto& r : rows)
            if (r.find("|" + dishNo + "|") != std::string::npos) units.push_back(r);
        return units;
    };
    EXPECT_EQ(find("010103"),
              (std::vector<std::string>{"1|01|010103|麻婆豆腐|103|MPDF|例", "1|01|010103|麻婆豆腐|103|MPDF|中",
                                        "1|01|010103|麻婆豆腐|103|MPDF|大"}));
    EXPECT_EQ(find("010402"), (std::vector<std::string>{"1|04|010402|鸳鸯锅<麻辣&清汤>|402|YYG|锅"}));
    EXPECT_EQ(find("010404"), (std::vector<std::string>{"1|04|010404|干锅花菜||GGHC|例"}));  // no custom number
    EXPECT_EQ(find("010802"), (std::vector<std::string>{"2|08|010802|卤鸭舌|802||例"}));     // no spell
    EXPECT_EQ(find("011002"), (std::vector<std::string>{"5|10|011002|\xF0\xB0\xBB\x9E\xF0\xB0\xBB\x9E面|1002|BBM|碗"}));
    // Optional dishes stay out of the dish file.
    EXPECT_TRUE(find("010599").empty());
    // The seasonal category closes the hot dishes and opens the cold ones:
    // the product type changes while the category repeats.
    bool seen = false;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (StartsText("1|19|", rows[i - 1]) && StartsText("2|19|", rows[i])) seen = true;
    EXPECT_TRUE(seen);
    // Morning tea keeps its traditional characters.
    const auto tea = Rows(Sql("dish02.xml"), {"DishName"});
    EXPECT_NE(std::find(tea.begin(), tea.end(), "蝦餃皇"), tea.end());
}

TEST_F(Demo, PerProjectDishLists) {
    EXPECT_EQ(Rows(Sql("urgentdish01.xml"), {"DishNo", "DishSpell", "DishUnit"}),
              (std::vector<std::string>{"011003|BMF|碗", "010403|DPR|例", "010702|KSJ|例", "010202|MZCS|例"}));
    EXPECT_EQ(Rows(Sql("limitdish01.xml"), {"DishNo", "DishUnit", "Limited"}),
              (std::vector<std::string>{"010201|一只|6", "010301|例|10", "011902|例|8"}));
    EXPECT_EQ(Rows(Sql("guqingdish01.xml"), {"DishNo", "DishName"}),
              (std::vector<std::string>{"010802|卤鸭舌", "010503|避风塘炒蟹", "010105|回锅肉"}));
    EXPECT_EQ(Rows(Sql("optionaldish01.xml"), {"DishNo", "DishUnit"}),
              (std::vector<std::string>{"010599|斤", "011199|瓶"}));
}

TEST_F(Demo, GroupedFilesRestartTheirNumberingInEachGroup) {
    const auto modes = Rows(Sql("dishmakemode.xml"), {"DishNo", "MakeModeNo", "MakeModeName"});
    EXPECT_EQ(modes.front(), "010104|09|干煸");
    EXPECT_EQ(modes.back(), "010599|11|蒜蓉");
    const auto materials = Rows(Sql("material.xml"), {"MTNo", "MTName", "MDNo", "MDName"});
    EXPECT_EQ(materials.back(), "04|酒水类|0402|黄酒<五年陈>");
    const auto extras = Rows(Sql("dishcatsup.xml"), {"DishNo", "CatsupName"});
    EXPECT_NE(std::find(extras.begin(), extras.end(), "010402|加量<双份>"), extras.end());
    EXPECT_NE(std::find(extras.begin(), extras.end(), "011001|加腊肠&鸡蛋"), extras.end());
}

TEST_F(Demo, FlatFilesWithTenAndMoreRowsAndEveryKindOfText) {
    const auto catsups = Rows(Sql("catsup.xml"), {"CatsupNo", "CatsupName", "CatsupPrice"});
    EXPECT_EQ(catsups.size(), 12u);
    EXPECT_EQ(catsups[9], "10|加年糕|4");
    const auto requests = Rows(Sql("request.xml"), {"RequestNo", "RequestName", "UpdateTime"});
    EXPECT_EQ(requests[5], "06|不要\"香菜\"|2023-4-12 15:30:00");
    EXPECT_EQ(requests[9], "10|加急|");
    EXPECT_EQ(requests[11], "12|汤&菜分开上|2024-1-8 11:45:20");
    const auto modes = Rows(Sql("makemode.xml"), {"MakeModeNo", "MakeModeName", "AddPrice"});
    EXPECT_EQ(modes[0], "01|清蒸|");
    EXPECT_EQ(modes[7], "08|避风塘|10");
    EXPECT_EQ(Rows(Sql("zuofa.xml"), {"FNo", "FName", "OName"}),
              (std::vector<std::string>{"01|清蒸|Steamed", "02|红烧|Braised <Red>", "03|干锅|Griddle \"Dry Pot\"",
                                        "04|糖醋|Sweet & Sour", "05|白灼|Poached", "06|椒盐|", "07|蒜蓉|Garlic",
                                        "08|油泡|Chef's Quick-fry", "09|炭烤|"}));
    const auto units = Rows(Sql("pingunit.xml"), {"PCUnitName"});
    EXPECT_EQ(units.front(), "例");
    EXPECT_EQ(units.back(), "大");
    EXPECT_EQ(Rows(Sql("calltype.xml"), {"CallDishType"}),
              (std::vector<std::string>{"即起", "叫起", "等叫", "催菜", "起菜", "划单"}));
    EXPECT_EQ(Rows(Sql("prodposi.xml"), {"PositionName"}).front(), "热菜厨房");
    // char(15) keeps the server's padding; text order puts .99 last.
    EXPECT_EQ(Rows(Sql("MachineNameList.xml"), {"IPAddress", "MacAliasName"}),
              (std::vector<std::string>{"192.168.1.101  |1号PDA", "192.168.1.102  |2号PDA", "192.168.1.103  |吧台PDA",
                                        "192.168.1.110  |", "192.168.1.99   |经理PDA"}));
}

TEST_F(Demo, SnacksOnThreeLevelsWithMoneyAndDecimalTexts) {
    const auto rows = Rows(Sql("snackdish.xml"),
                           {"SnackNo1", "SnackName1", "SumMoney1", "SnackNo2", "SnackName2", "SumMoney2", "SnackNo3",
                            "SnackName3", "SnackPrice3", "SnackUnit3", "SnackCount3"});
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[0], "01|商务套餐|68|0101|主菜(任选一)||010101|宫保鸡丁|38|例|1");
    EXPECT_EQ(rows[4], "01|商务套餐|68|0103|主食||011003|白米饭|2|碗|2");
    EXPECT_EQ(rows[5], "02|双人套餐(A&B任选)|168.5|0201|A餐|88|010201|白切鸡|58|半只|1");
    EXPECT_EQ(rows[6], "02|双人套餐(A&B任选)|168.5|0201|A餐|88|011102|鲜榨橙汁|58|扎|0.5");
    EXPECT_EQ(rows[7], "02|双人套餐(A&B任选)|168.5|0202|B餐|98.8|010501|清蒸鲈鱼|68|斤|1.5");
    EXPECT_EQ(rows[10], "03|儿童套餐||0301|儿童餐|38|011103|可乐|8|听|");
}

TEST_F(Demo, WeighedDishesAreDistinctAndOrderedBySpell) {
    EXPECT_EQ(
        Rows(Sql("weightdish.xml"), {"CateName", "DishName", "dishspell", "DishUnit"}),
        (std::vector<std::string>{"海鲜池|白灼基围虾|BZJWX|斤", "海鲜池|清蒸鲈鱼|QZLY|斤", "海鲜池|时价海鲜|SJHX|斤"}));
}

TEST_F(Demo, OtherColumnTypesOfTheDatabase) {
    EXPECT_EQ(Rows("select IFUrgent, IFUse, IFSelfSelect from Dishlist where ProjectID='01' and DishNo='010202'",
                   {"IFUrgent", "IFUse", "IFSelfSelect"}),
              (std::vector<std::string>{"True|False|False"}));
    EXPECT_EQ(Rows("select MDNo, LossRate from MaterialDetail where MDNo in ('0101', '0302') order by MDNo",
                   {"MDNo", "LossRate"}),
              (std::vector<std::string>{"0101|0.35", "0302|"}));
    EXPECT_EQ(Rows("select Price, MemberPrice from DishPrice where ProjectID='01' and DishNo='010202'",
                   {"Price", "MemberPrice"}),
              (std::vector<std::string>{"48|43.5"}));
    EXPECT_EQ(Rows("select Seats from Room where RoomNo in ('D01', 'W01') order by RoomNo", {"Seats"}),
              (std::vector<std::string>{"120", ""}));
}

// SQL Server runs the same text: only its types, no dialect of one engine.
TEST(DemoSql, KeepsToWhatBothEnginesAccept) {
    const std::string sql = ReadFileBytes(MENVARO_DEMO_SQL);
    const std::regex column(R"(^  (\w+) ([a-z]+(\([0-9, ]+\))?) (NOT NULL|NULL))");
    const std::regex allowed(
        R"(char\(\d+\)|varchar\(\d+\)|nvarchar\(\d+\)|int|money|bit|datetime|float|decimal\(\d+,\d+\))");
    int columns = 0;
    std::size_t pos = 0;
    while (pos < sql.size()) {
        std::size_t end = sql.find('\n', pos);
        if (end == std::string::npos) end = sql.size();
        const std::string line = sql.substr(pos, end - pos);
        pos = end + 1;
        std::smatch m;
        if (std::regex_search(line, m, column)) {
            ++columns;
            EXPECT_TRUE(std::regex_match(m[2].str(), allowed)) << line;
        }
        if (StartsText("INSERT INTO ", line)) {
            EXPECT_TRUE(EndsText(");", line)) << line;
            EXPECT_EQ(line.find(" N'"), std::string::npos) << line;
        } else if (!StartsText("--", line)) {
            const std::string upper = UpperCase(line);
            for (const char* word : {"AUTOINCREMENT", "IDENTITY", "IF EXISTS", "IF NOT EXISTS", "PRAGMA",
                                     "WITHOUT ROWID", "INTEGER", "TEXT", "REAL", "BLOB", "`", "\""}) {
                EXPECT_EQ(upper.find(word), std::string::npos) << word << " in: " << line;
            }
            EXPECT_NE(Trim(upper), "GO") << "batch separators are for one client only";
        }
    }
    EXPECT_GT(columns, 80);
    EXPECT_NE(sql.find("BEGIN TRANSACTION;"), std::string::npos);
    EXPECT_TRUE(EndsText("COMMIT;\n", sql));
}
