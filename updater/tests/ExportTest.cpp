// The handheld files the exporters write: the demo database against golden
// files, and small databases for each rule.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ExportFixture.h"
#include "base/Strings.h"

using namespace pelgrane;
using namespace pelgrane::test;
using menvaro::ReadFileBytes;

namespace {

// The demo database's tables without their rows.
std::string EmptySchema() {
    const std::string sql = ReadFileBytes(MENVARO_DEMO_SQL);
    const std::size_t rows = sql.find("\nINSERT");
    return sql.substr(0, rows) + "\nCOMMIT;\n";
}

// A database of the demo's tables holding `rows`.
std::string Database(const TempDir& dir, const std::string& rows) {
    MakeDatabase(dir.path(), EmptySchema() + rows);
    return dir.path();
}

std::vector<std::string> Names(const TStringList& list) { return list.ToVector(); }

std::string Output(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    const int rc = pclose(p);
    if (rc != 0) out += "\nEXIT " + std::to_string(rc);
    return out;
}

// Two projects: dishes with units in product types and categories.
const char* kTwoProjects =
    "INSERT INTO dishproject VALUES ('01', 1, '正餐', NULL, NULL);"
    "INSERT INTO dishproject VALUES ('02', 1, '早茶', NULL, NULL);";

}  // namespace

TEST(DemoExport, WritesTheGoldenFilesByteForByte) {
    Exporter e;
    e.Run(MENVARO_DEMO_DB_DIR);
    EXPECT_FALSE(e.dm().Failed) << e.dm().FailReason;
    EXPECT_EQ(Names(*e.dm().EmptyFiles),
              (std::vector<std::string>{"urgentdish03.xml", "limitdish03.xml", "guqingdish03.xml", "optionaldish02.xml",
                                        "optionaldish03.xml"}));
    EXPECT_EQ(Names(*e.dm().ProjectIds), (std::vector<std::string>{"01", "02", "03"}));

    std::vector<std::string> golden, written;
    menvaro::TSearchRec rec;
    for (int r = menvaro::FindFirst(std::string(GOLDEN_DIR) + "*.xml", 0, rec); r == 0; r = menvaro::FindNext(rec))
        golden.push_back(rec.Name);
    menvaro::FindClose(rec);
    for (int r = menvaro::FindFirst(e.out() + "*", 0, rec); r == 0; r = menvaro::FindNext(rec))
        if (rec.Name != "sock.xml") written.push_back(rec.Name);
    menvaro::FindClose(rec);
    ASSERT_EQ(golden.size(), 27u);
    EXPECT_EQ(written, golden);
    for (const std::string& name : golden)
        EXPECT_EQ(ReadFileBytes(e.out() + name), ReadFileBytes(GOLDEN_DIR + name)) << name;

    // The server file carries this PC's address, whatever it is here.
    std::string address;
    GetLocalIPAddress(address);
    if (address.empty()) {
        EXPECT_FALSE(menvaro::FileExists(e.out() + "sock.xml"));
    } else {
        EXPECT_EQ(ReadFileBytes(e.out() + "sock.xml"),
                  "<Server><name>" + address + "</name><port>5001</port></Server>\r\n");
    }
}

TEST(DemoExport, AHandheldReadsEveryFileAsGbkXml) {
    Exporter e;
    e.Run(MENVARO_DEMO_DB_DIR);
    const std::string lines = Output("python3 " READ_BACK_SCRIPT " " + e.out());
    ASSERT_EQ(lines.find("EXIT"), std::string::npos) << lines;
    for (const char* expected : {
             "zuofa.xml /ZuoFa/F2 No=02 OName=Braised <Red>|红烧",
             "zuofa.xml /ZuoFa/F3 No=03 OName=Griddle \"Dry Pot\"|干锅",
             "catsup.xml /CatsUp/C12 CatsUpNo=12|加量<双份>",
             "dish01.xml /CateDish/ProdType/Cate/Dish/DishName |鸳鸯锅<麻辣&清汤>",
             "dish01.xml /CateDish/ProdType/Cate/Dish/DishName |????面",
             "dish02.xml /CateDish/ProdType/Cate/Dish/DishName |蝦餃皇",
             "MachineNameList.xml /MachineNameList/M1 No=192.168.1.101  |1号PDA",
             "material.xml /Material/MM/NName No=04|酒水类",
         })
        EXPECT_NE(lines.find(std::string(expected) + "\n"), std::string::npos) << expected;
}

TEST(Export, EmptyTablesWriteNoFileAndNameEveryOneOfThem) {
    TempDir db("db");
    Exporter e;
    // An older file of an empty name stays as it is.
    menvaro::WriteFileAtomic(e.out() + "catsup.xml", "old");
    e.Run(Database(db, kTwoProjects));
    EXPECT_FALSE(e.dm().Failed) << e.dm().FailReason;
    EXPECT_EQ(Names(*e.dm().EmptyFiles),
              (std::vector<std::string>{
                  "area.xml",           "room.xml",        "dish01.xml",       "dish02.xml",       "urgentdish01.xml",
                  "urgentdish02.xml",   "limitdish01.xml", "limitdish02.xml",  "makemode.xml",     "dishmakemode.xml",
                  "catsup.xml",         "dishcatsup.xml",  "request.xml",      "dishrequest.xml",  "material.xml",
                  "pingunit.xml",       "zuofa.xml",       "guqingdish01.xml", "guqingdish02.xml", "optionaldish01.xml",
                  "optionaldish02.xml", "snackdish.xml",   "calltype.xml",     "weightdish.xml",   "prodposi.xml",
                  "MachineNameList.xml"}));
    auto files = e.Files();
    files.erase("sock.xml");
    EXPECT_EQ(files, (std::map<std::string, std::string>{
                         {"catsup.xml", "old"},
                         {"piddata.xml", "<PidData><P1 No=\"01\">正餐</P1><P2 No=\"02\">早茶</P2></PidData>\r\n"}}));

    // No project at all: the per-project exporters do nothing.
    TempDir none("db");
    Exporter e2;
    e2.Run(Database(none, ""));
    EXPECT_EQ(e2.dm().EmptyFiles->IndexOf("dish01.xml"), -1);
    EXPECT_EQ(e2.dm().EmptyFiles->IndexOf("piddata.xml"), 0);
}

namespace {

struct RuleCase {
    const char* what;
    const char* rows;
    const char* file;
    const char* text;
};

const RuleCase kRuleCases[] = {
    {"three units under one dish, in unit order; NULLs as empty text",
     "INSERT INTO prodtype VALUES ('1', '热菜', 1);"
     "INSERT INTO category VALUES ('01', '川菜', 1);"
     "INSERT INTO Dishlist VALUES ('01', 'D1', '麻婆豆腐', NULL, NULL, '1', '热菜', '01', '川菜', 0, 0, 0);"
     "INSERT INTO DishPrice VALUES ('01', 'D1', '大', 3, 30, NULL);"
     "INSERT INTO DishPrice VALUES ('01', 'D1', '例', 1, 10, NULL);"
     "INSERT INTO DishPrice VALUES ('01', 'D1', '中', 2, 20, NULL);",
     "dish01.xml",
     "<CateDish><ProdType ProdTypeNo=\"1\"><ProdTypeName>热菜</ProdTypeName><Cate CateaNo=\"01\">"
     "<CateName>川菜</CateName><Dish DishNo=\"D1\"><DishNo>D1</DishNo><CustomNo/><DishName>麻婆豆腐</DishName>"
     "<DishSpell/><DishUnit><DishUnitName>例</DishUnitName><DishUnitName>中</DishUnitName>"
     "<DishUnitName>大</DishUnitName></DishUnit></Dish></Cate></ProdType></CateDish>\r\n"},
    {"an inner key repeated under a new outer key opens a new inner element",
     "INSERT INTO prodtype VALUES ('1', '热菜', 1);"
     "INSERT INTO prodtype VALUES ('2', '凉菜', 2);"
     "INSERT INTO category VALUES ('19', '时令', 1);"
     "INSERT INTO Dishlist VALUES ('01', 'D1', '炒', 'c1', 'A', '1', '热菜', '19', '时令', 0, 0, 0);"
     "INSERT INTO Dishlist VALUES ('01', 'D2', '拌', 'c2', 'B', '2', '凉菜', '19', '时令', 0, 0, 0);"
     "INSERT INTO DishPrice VALUES ('01', 'D1', '例', 1, 10, NULL);"
     "INSERT INTO DishPrice VALUES ('01', 'D2', '例', 1, 10, NULL);",
     "dish01.xml",
     "<CateDish><ProdType ProdTypeNo=\"1\"><ProdTypeName>热菜</ProdTypeName><Cate CateaNo=\"19\">"
     "<CateName>时令</CateName><Dish DishNo=\"D1\"><DishNo>D1</DishNo><CustomNo>c1</CustomNo><DishName>炒</DishName>"
     "<DishSpell>A</DishSpell><DishUnit><DishUnitName>例</DishUnitName></DishUnit></Dish></Cate></ProdType>"
     "<ProdType ProdTypeNo=\"2\"><ProdTypeName>凉菜</ProdTypeName><Cate CateaNo=\"19\"><CateName>时令</CateName>"
     "<Dish DishNo=\"D2\"><DishNo>D2</DishNo><CustomNo>c2</CustomNo><DishName>拌</DishName><DishSpell>B</DishSpell>"
     "<DishUnit><DishUnitName>例</DishUnitName></DishUnit></Dish></Cate></ProdType></CateDish>\r\n"},
    {"a key \"test\" is a key like any other",
     "INSERT INTO prodtype VALUES ('test', 'T', 1);"
     "INSERT INTO category VALUES ('test', 'C', 1);"
     "INSERT INTO Dishlist VALUES ('01', 'test', '菜', NULL, 'S', 'test', 'T', 'test', 'C', 0, 0, 0);"
     "INSERT INTO DishPrice VALUES ('01', 'test', '例', 1, 10, NULL);",
     "dish01.xml",
     "<CateDish><ProdType ProdTypeNo=\"test\"><ProdTypeName>T</ProdTypeName><Cate CateaNo=\"test\">"
     "<CateName>C</CateName><Dish DishNo=\"test\"><DishNo>test</DishNo><CustomNo/><DishName>菜</DishName>"
     "<DishSpell>S</DishSpell><DishUnit><DishUnitName>例</DishUnitName></DishUnit></Dish></Cate></ProdType>"
     "</CateDish>\r\n"},
    {"numbering restarts in each group",
     "INSERT INTO MakeMode_dish VALUES ('D1', '01', '清蒸');"
     "INSERT INTO MakeMode_dish VALUES ('D1', '02', '红烧');"
     "INSERT INTO MakeMode_dish VALUES ('D2', '03', '椒盐');",
     "dishmakemode.xml",
     "<MakeMode><DishNo DishNo=\"D1\"><M1 MakeModeNo=\"01\">清蒸</M1><M2 MakeModeNo=\"02\">红烧</M2></DishNo>"
     "<DishNo DishNo=\"D2\"><M1 MakeModeNo=\"03\">椒盐</M1></DishNo></MakeMode>\r\n"},
    {"set meals: a course number repeated under a new set opens a new course",
     "INSERT INTO Snack_1 VALUES ('1', 'A', 68);"
     "INSERT INTO Snack_1 VALUES ('2', 'B', NULL);"
     "INSERT INTO Snack_2 VALUES ('X', '1', 'a', 1.5);"
     "INSERT INTO Snack_3 VALUES ('X', '9', 'd', '例', 12.5, 0.5);",
     "snackdish.xml",
     "<SnackDish><Snack><No>1</No><Name>A</Name><Sum>68</Sum><Item><No>X</No><Name>a</Name><Sum>1.5</Sum>"
     "<Dish><No>9</No><Name>d</Name><price>12.5</price><Unit>例</Unit><Count>0.5</Count></Dish></Item></Snack>"
     "</SnackDish>\r\n"},
    {"special characters are escaped; a character GBK cannot hold becomes ?",
     "INSERT INTO Facture VALUES ('1', '红<烧>&', 'a \"b\" <c> & ''d''');"
     "INSERT INTO Facture VALUES ('2', '𰻞面', NULL);",
     "zuofa.xml",
     "<ZuoFa><F1 No=\"1\" OName=\"a &quot;b&quot; &lt;c> &amp; 'd'\">红&lt;烧&gt;&amp;</F1>"
     "<F2 No=\"2\" OName=\"\">??面</F2></ZuoFa>\r\n"},
    {"weighed dishes: the name with its unit",
     "INSERT INTO DishMaster VALUES ('W1', '鲈鱼', 'LY', '海鲜', 1);"
     "INSERT INTO DishMaster VALUES ('W2', '米饭', 'MF', '主食', 0);"
     "INSERT INTO DishDetail VALUES ('01', 'W1', '斤', 88);"
     "INSERT INTO DishDetail VALUES ('01', 'W2', '碗', 2);",
     "weightdish.xml", "<WeightDish><WD1>鲈鱼(斤)</WD1></WeightDish>\r\n"},
};

}  // namespace

TEST(Export, RowsBecomeElementsByTheFilesRules) {
    for (const RuleCase& c : kRuleCases) {
        TempDir db("db");
        Exporter e;
        e.Run(Database(db, std::string("INSERT INTO dishproject VALUES ('01', 1, 'P', NULL, NULL);") + c.rows));
        EXPECT_FALSE(e.dm().Failed) << c.what << ": " << e.dm().FailReason;
        const auto files = e.Files();
        const auto it = files.find(c.file);
        ASSERT_NE(it, files.end()) << c.what;
        EXPECT_EQ(it->second, c.text) << c.what;
    }
}

TEST(Export, AFailingExporterStopsTheSeriesAndKeepsWhatWasWritten) {
    TempDir db("db");
    Exporter e;
    // The dish statement fails: its table is gone.
    e.Run(Database(db, std::string(kTwoProjects) + "INSERT INTO Area VALUES ('1', '大厅', '01');"
                                                   "INSERT INTO Room VALUES ('R1', '1号台', '1', 4);"
                                                   "INSERT INTO MakeMode VALUES ('01', '清蒸', NULL);"
                                                   "DROP TABLE DishPrice;"));
    EXPECT_TRUE(e.dm().Failed);
    EXPECT_NE(e.dm().FailReason.find("DishPrice"), std::string::npos) << e.dm().FailReason;
    auto files = e.Files();
    files.erase("sock.xml");
    std::vector<std::string> names;
    for (const auto& [name, text] : files) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"area.xml", "piddata.xml", "room.xml"}));
    // The file saved last before the failure is in place and on the list too.
    ASSERT_GT(e.dm().WrittenFiles->Count(), 0);
    EXPECT_EQ((*e.dm().WrittenFiles)[e.dm().WrittenFiles->Count() - 1], "room.xml");
    // Nothing half-written is left behind.
    menvaro::TSearchRec rec;
    EXPECT_NE(menvaro::FindFirst(e.out() + "*.tmp", menvaro::faAnyFile, rec), 0);
    menvaro::FindClose(rec);
}

TEST(Export, MissingSetMealTablesFailNothing) {
    TempDir db("db");
    Exporter e;
    e.Run(Database(db, std::string(kTwoProjects) + "DROP TABLE Snack_3; INSERT INTO calldish VALUES (1, '叫起');"));
    EXPECT_FALSE(e.dm().Failed) << e.dm().FailReason;
    const auto files = e.Files();
    EXPECT_EQ(files.count("snackdish.xml"), 0u);
    EXPECT_EQ(e.dm().EmptyFiles->IndexOf("snackdish.xml"), -1);
    EXPECT_EQ(files.at("calltype.xml"), "<CallType><C1>叫起</C1></CallType>\r\n");
}

TEST(Export, AQuoteInAProjectIdentifierIsDoubledInTheStatements) {
    TempDir db("db");
    Exporter e;
    e.Run(Database(db,
                   "INSERT INTO dishproject VALUES ('A''', 1, '引号', NULL, NULL);"
                   "INSERT INTO Dishlist VALUES ('A''', 'D1', '菜', NULL, NULL, '1', 'T', '01', 'C', 0, 1, 0);"
                   "INSERT INTO DishPrice VALUES ('A''', 'D1', '例', 1, 10, NULL);"));
    EXPECT_FALSE(e.dm().Failed) << e.dm().FailReason;
    const auto files = e.Files();
    EXPECT_EQ(files.at("piddata.xml"), "<PidData><P1 No=\"A'\">引号</P1></PidData>\r\n");
    EXPECT_EQ(files.count("urgentdish A'.xml") + files.count("urgentdishA'.xml"), 1u);
    EXPECT_EQ(QuotedSqlText("O'Neil's"), "O''Neil''s");
}

TEST(Export, AnIdentifierThatCannotNameAFileFailsTheBuildAndSaysWhich) {
    for (const char* id : {"/", "..", "a\\\\", "\\t", "a:", ""}) {
        TempDir db("db");
        Exporter e;
        e.Run(Database(db, std::string("INSERT INTO dishproject VALUES ('") + id +
                               "', 1, 'X', NULL, NULL);"
                               "INSERT INTO Area VALUES ('1', '大厅', NULL);"));
        EXPECT_TRUE(e.dm().Failed) << id;
        EXPECT_NE(e.dm().FailReason.find("不能用作文件名"), std::string::npos) << e.dm().FailReason;
        EXPECT_TRUE(e.Files().empty() || e.Files().count("piddata.xml") == 0) << id;
        EXPECT_EQ(e.Files().count("area.xml"), 0u) << id;
    }
    for (const char* good : {"01", "A'", "餐", "x.y", "1 "}) EXPECT_TRUE(IsSafeProjectId(good)) << good;
    for (const char* bad : {"", "  ", ".", "..", "a/b", "a\\b", "a\x01", "a?", "a*", "a|b", "<", ">", "\""})
        EXPECT_FALSE(IsSafeProjectId(bad)) << bad;
}

TEST(Export, IdentifiersThatDifferOnlyInLetterCaseFailTheBuildAndAreNamed) {
    // The handheld's folder takes "dishaa.xml" and "dishAA.xml" for one name.
    TempDir db("db");
    Exporter e;
    e.Run(Database(db,
                   "INSERT INTO dishproject VALUES ('AA', 1, '大写', NULL, NULL);"
                   "INSERT INTO dishproject VALUES ('aa', 2, '小写', NULL, NULL);"
                   "INSERT INTO Area VALUES ('1', '大厅', NULL);"));
    EXPECT_TRUE(e.dm().Failed);
    EXPECT_EQ(e.dm().FailReason, "菜谱项目编号 \"AA\" 和 \"aa\" 只有大小写不同,在PDA上是同一个文件名");
    EXPECT_TRUE(e.Files().empty());
}

TEST(Export, EachBuildStartsWithAnEmptyProjectList) {
    TempDir db("db");
    Exporter e;
    const std::string folder = Database(db, kTwoProjects);
    e.Run(folder);
    e.Run(folder);
    EXPECT_EQ(Names(*e.dm().ProjectIds), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(e.dm().EmptyFiles->Count(), 26);  // each name once
}

TEST(GroupKeys, TheOutermostChangedLevelOpens) {
    TGroupKeys keys(3);
    EXPECT_EQ(keys.FirstOpened({"1", "a", "x"}), 0u);  // the first row opens every level
    EXPECT_EQ(keys.FirstOpened({"1", "a", "x"}), 3u);
    EXPECT_EQ(keys.FirstOpened({"1", "a", "y"}), 2u);
    EXPECT_EQ(keys.FirstOpened({"1", "b", "y"}), 1u);
    EXPECT_EQ(keys.FirstOpened({"2", "b", "y"}), 0u);  // inner keys repeat, the outer one changed
    EXPECT_EQ(keys.FirstOpened({"2", "B", "y"}), 1u);  // case matters
}
