// The main window's backup and restore, headless, on a SQLite server folder
// holding a copy of the demo product database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "base/DateTime.h"
#include "base/Files.h"
#include "base/Variant.h"
#include "classes/FormResources.h"
#include "registry/RegistryIniFile.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "untDataTools.h"
#include "untRegistry.h"

namespace menvaro {
namespace {

using namespace storvik;
using test::TempDir;

class DataTools : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        CreateDir(dir_.path() + "server");
        std::filesystem::copy_file(MENVARO_DEMO_DB_DIR "Velkoranth.db", server() + "Velkoranth.db");
        std::filesystem::remove_all(ExeFolder() + "/DataBackup");
        setenv("MENVARO_REGISTRY", (dir_.path() + "registry.reg").c_str(), 1);
    }
    void TearDown() override {
        UiTest::TearDown();
        ReleaseDmoObjects();
        CloseRegIni();
        unsetenv("MENVARO_REGISTRY");
    }
    std::string server() const { return dir_.path() + "server/"; }
    std::string backups() const { return IncludeTrailingPathDelimiter(ExeFolder()) + "DataBackup/"; }

    // Writes the settings, opens them and makes the window, logging in.
    void Start(const std::string& database = "velkoranth", const std::string& extra = "") {
        WriteFileAtomic(dir_.path() + "registry.reg",
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]\r\n" +
                            extra +
                            "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                            "\"SQLServerName\"=\"" +
                            server() + "\"\r\n\"DataBaseName\"=\"" + database + "\"\r\n");
        OpenRegIni();
        Steps({[] { ClickNamed("btnOk"); }});
        form_ = Create<TfrmDataTools>(Application);
        ASSERT_TRUE(StepsDone());
        form_->Show();
        Pump();
    }
    // Presses a button whose click shows message boxes; each answer is the
    // name of the button to press, and the boxes' texts are kept in order.
    // `whileShown` runs while each box shows.
    void Press(void (TfrmDataTools::*click)(TObject*), std::deque<std::string> answers,
               const std::function<void()>& whileShown = nullptr) {
        texts_.clear();
        std::deque<std::function<void()>> steps;
        for (const std::string& answer : answers)
            steps.push_back([this, answer, whileShown] {
                TCustomForm* box = Screen->ActiveForm();
                ASSERT_NE(box, nullptr);
                if (auto* m = dynamic_cast<TControl*>(box->FindComponent("Message"))) texts_.push_back(m->Caption());
                if (whileShown) whileShown();
                ClickNamed(answer);
            });
        Steps(std::move(steps));
        (form_->*click)(nullptr);
        EXPECT_TRUE(StepsDone());
    }
    void SetDate(TDateTime date) { form_->dtpBackupDate->SetDateTime(date + 0.4); }
    std::string Setting(const std::string& name) const {
        TRegistryIniFile ini("SOFTWARE\\Corvanel");
        return ini.ValueExists("", name) ? ini.ReadString("", name, "") : "(none)";
    }
    void PlantBackups() {
        for (const char* name : {"database20240502", "database20240503", "database20240101"})
            WriteFileAtomic(backups() + name, "old");
    }
    bool Exists(const std::string& name) const { return FileExists(backups() + name); }

    TempDir dir_{"storvik-tools"};
    TfrmDataTools* form_ = nullptr;
    std::vector<std::string> texts_;
};

const TDateTime kMay10 = EncodeDate(2024, 5, 10);

TEST_F(DataTools, StartsWithTheDefaultFolderTodayAndTheStoredDays) {
    Start("velkoranth", "\"DataBackupDir\"=\"/chosen/earlier/\"\r\n\"SaveBackupDays\"=dword:0000000e\r\n");
    EXPECT_EQ(form_->edBackupDir->Text(), backups());
    EXPECT_EQ(form_->edResumeDir->Text(), backups());
    EXPECT_TRUE(DirectoryExists(backups()));
    EXPECT_EQ(Setting("DataBackupDir"), ExcludeTrailingPathDelimiter(backups()));  // reset at every start
    EXPECT_EQ(form_->edtSaveBackupDays->Text(), "14");
    EXPECT_EQ(form_->pgTooltype->ActivePageIndex(), 0);
    EXPECT_EQ(DateOf(form_->dtpBackupDate->DateTime()), Date());
    EXPECT_EQ(DateOf(form_->dtpResumeDate->DateTime()), Date());
    EXPECT_EQ(form_->Caption(), "Menvaro工具系列");
    EXPECT_EQ(form_->lblName->Caption(), "Menvaro数据恢复备份工具");
}

TEST_F(DataTools, ABackupThatSucceedsSavesTheSettingsAndDeletesTheOlderBackups) {
    Start();
    PlantBackups();
    SetDate(kMay10);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"备份数据库成功!"}));
    EXPECT_TRUE(Exists("database20240510"));
    EXPECT_GT(FileSize(backups() + "database20240510"), 1000);
    EXPECT_FALSE(Exists("database20240502"));
    EXPECT_FALSE(Exists("database20240101"));
    EXPECT_TRUE(Exists("database20240503"));
    EXPECT_EQ(Setting("DataBackupDir"), backups());  // with its trailing delimiter
    EXPECT_EQ(Setting("SaveBackupDays"), "7");
}

TEST_F(DataTools, AFailedBackupSavesTheSettingsButDeletesNothing) {
    Start("nosuchdatabase");
    PlantBackups();
    SetDate(kMay10);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    // The reason under it: the error's own text, for a cause of no words of its own.
    ASSERT_EQ(texts_.size(), 1u);
    EXPECT_EQ(texts_[0], "备份数据库失败!\r\nCannot open database \"nosuchdatabase\": there is no file "
                         "nosuchdatabase.db in " +
                             server());
    EXPECT_FALSE(Exists("database20240510"));
    EXPECT_TRUE(Exists("database20240502"));
    EXPECT_TRUE(Exists("database20240101"));
    EXPECT_EQ(Setting("DataBackupDir"), backups());
    EXPECT_EQ(Setting("SaveBackupDays"), "7");
}

TEST_F(DataTools, WithoutAWaitWindowNothingIsBackedUpOrDeleted) {
    Start();
    PlantBackups();
    SetDate(kMay10);
    const TFormResource real = *FindFormResource("TfrmShowInfo");
    RegisterFormResource("TfrmShowInfo", "broken.form", "object frmShowInfo: TfrmShowInfo\n  NoSuchValue = 1\nend\n");
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    UnregisterFormResource("TfrmShowInfo");
    RegisterFormResource(real.ClassName, real.FileName, real.Text);
    EXPECT_EQ(texts_, (std::vector<std::string>{"无法建立进度表."}));
    EXPECT_FALSE(Exists("database20240510"));
    EXPECT_TRUE(Exists("database20240502"));
    EXPECT_EQ(Setting("DataBackupDir"), backups());
}

TEST_F(DataTools, OverwritingSetsTheOldBackupAsideUntilTheNewOneIsWritten) {
    Start();
    SetDate(kMay10);
    WriteFileAtomic(backups() + "database20240510", "old backup");
    // No: nothing saved, nothing deleted, the file as it was.
    PlantBackups();
    const std::string before = Setting("DataBackupDir");
    Press(&TfrmDataTools::fxbtnBackupClick, {"No"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复文件已存在！\r\n是否覆盖它？"}));
    EXPECT_EQ(ReadFileBytes(backups() + "database20240510"), "old backup");
    EXPECT_TRUE(Exists("database20240502"));
    EXPECT_EQ(Setting("DataBackupDir"), before);
    // Yes, and the backup is written: the old one goes.
    Press(&TfrmDataTools::fxbtnBackupClick, {"Yes", "OK"});
    EXPECT_EQ(texts_[1], "备份数据库成功!");
    EXPECT_NE(ReadFileBytes(backups() + "database20240510"), "old backup");
    EXPECT_FALSE(Exists("database20240510.old"));
    EXPECT_FALSE(Exists("database20240502"));
}

TEST_F(DataTools, OverwritingWithABackupThatFailsPutsTheOldOneBackBeforeTheMessage) {
    Start("nosuchdatabase");
    SetDate(kMay10);
    WriteFileAtomic(backups() + "database20240510", "old backup");
    std::vector<std::string> files;  // the folder while each box shows
    Press(&TfrmDataTools::fxbtnBackupClick, {"Yes", "OK"}, [&] {
        files.push_back(Exists("database20240510") ? ReadFileBytes(backups() + "database20240510") : "(none)");
        files.back() += Exists("database20240510.old") ? " and .old" : "";
    });
    ASSERT_EQ(texts_.size(), 2u);
    EXPECT_EQ(texts_[0], "恢复文件已存在！\r\n是否覆盖它？");
    EXPECT_TRUE(texts_[1].starts_with("备份数据库失败!\r\n")) << texts_[1];
    EXPECT_EQ(files, (std::vector<std::string>{"old backup", "old backup"}));
    EXPECT_EQ(ReadFileBytes(backups() + "database20240510"), "old backup");
    EXPECT_FALSE(Exists("database20240510.old"));
}

TEST_F(DataTools, ADamagedOrForeignBackupIsNotRestoredAndTheReasonIsTold) {
    Start();
    SetDate(kMay10);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    const std::string file = backups() + "database20240510";
    const std::string good = ReadFileBytes(file);
    test::MakeDatabase(dir_.path() + "orders.db", "create table Orders (N int)");
    const struct {
        std::string content;
        const char* reason;
    } cases[] = {
        {good.substr(0, good.size() - 1), "备份文件已损坏。"},
        {ReadFileBytes(dir_.path() + "orders.db"), "备份文件不是Menvaro数据库的备份。"},
    };
    form_->dtpResumeDate->SetDateTime(kMay10);
    const std::string before = ReadFileBytes(server() + "Velkoranth.db");
    for (const auto& c : cases) {
        WriteFileAtomic(file, c.content);
        Press(&TfrmDataTools::fxbtnResumeClick, {"OK"});
        EXPECT_EQ(texts_, (std::vector<std::string>{std::string("恢复数据库失败!\r\n") + c.reason}));
        EXPECT_TRUE(ReadFileBytes(server() + "Velkoranth.db") == before) << "the database changed";
    }
}

TEST_F(DataTools, ABackupSetAsideByAKilledRunIsBackBeforeTheBackupAsksAboutIt) {
    Start();
    SetDate(kMay10);
    WriteFileAtomic(backups() + "database20240510.old", "old backup");
    Press(&TfrmDataTools::fxbtnBackupClick, {"No"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复文件已存在！\r\n是否覆盖它？"}));
    EXPECT_EQ(ReadFileBytes(backups() + "database20240510"), "old backup");
    EXPECT_FALSE(Exists("database20240510.old"));
}

TEST_F(DataTools, ABackupSetAsideByAKilledRunIsBackBeforeTheRestoreLooksForIt) {
    Start();
    SetDate(kMay10);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    ASSERT_TRUE(RenameFile(backups() + "database20240510", backups() + "database20240510.old"));
    WriteFileAtomic(backups() + ".database20240510.12345.tmp", "half a copy");
    form_->dtpResumeDate->SetDateTime(kMay10);
    Press(&TfrmDataTools::fxbtnResumeClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复数据库成功!"}));
    EXPECT_TRUE(Exists("database20240510"));
    EXPECT_FALSE(Exists("database20240510.old"));
    EXPECT_FALSE(Exists(".database20240510.12345.tmp"));
}

TEST_F(DataTools, DaysOutsideOneToTenThousandAreRefusedBeforeAnythingHappens) {
    // A stored value is written to the edit as it is; a lone sign reads 0.
    Start("velkoranth", "\"SaveBackupDays\"=dword:00000000\r\n");
    PlantBackups();
    SetDate(kMay10);
    const std::function<void()> ways[] = {
        [] {},  // the stored 0
        [this] { form_->edtSaveBackupDays->SetValue(Variant(20000)); },
        [this] { form_->edtSaveBackupDays->SetValue(Variant(-3)); },
        [this] { form_->edtSaveBackupDays->SetValue(Variant(0.5)); },
        [this] { form_->edtSaveBackupDays->SetText("-"); },
        [this] { form_->edtSaveBackupDays->SetText("+"); },
    };
    for (const auto& way : ways) {
        way();
        SCOPED_TRACE(form_->edtSaveBackupDays->Text());
        Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
        EXPECT_EQ(texts_, (std::vector<std::string>{"保留备份天数必须在1到10000之间！"}));
        EXPECT_FALSE(Exists("database20240510"));
        EXPECT_TRUE(Exists("database20240502"));
        EXPECT_EQ(Setting("SaveBackupDays"), "0");
    }
    // An empty field raises the conversion error: nothing is done either.
    form_->edtSaveBackupDays->SetText("");
    EXPECT_TRUE(form_->edtSaveBackupDays->Value().IsNull());
    EXPECT_THROW(form_->fxbtnBackupClick(nullptr), EVariantTypeCastError);
    EXPECT_FALSE(Exists("database20240510"));
    EXPECT_EQ(Setting("SaveBackupDays"), "0");
    // Typed text is clamped by the edit, and a fraction cut to whole days.
    form_->edtSaveBackupDays->SetText("20000.9");
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"备份数据库成功!"}));
    EXPECT_EQ(form_->edtSaveBackupDays->Text(), "10000");
    EXPECT_EQ(Setting("SaveBackupDays"), "10000");
    EXPECT_TRUE(Exists("database20240101"));  // not older than 10000 days
}

TEST_F(DataTools, TheFolderIsTakenAsTypedForTheCheckAndTheName) {
    Start();
    SetDate(kMay10);
    const std::string blank = dir_.path() + "folder ";
    CreateDir(blank);
    form_->edBackupDir->SetText(blank);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"备份数据库成功!"}));
    EXPECT_TRUE(FileExists(blank + "/database20240510"));
    EXPECT_EQ(Setting("DataBackupDir"), blank + "/");
    form_->edBackupDir->SetText(dir_.path() + "missing");
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"备份文件目录不存在！\r\n请重新选择存在的目录！"}));
}

TEST_F(DataTools, ARestoreNeedsItsFolderAndFileAndBringsTheRowsBack) {
    Start();
    SetDate(kMay10);
    Press(&TfrmDataTools::fxbtnBackupClick, {"OK"});
    form_->edResumeDir->SetText(dir_.path() + "missing");
    Press(&TfrmDataTools::fxbtnResumeClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复文件目录不存在！\r\n请重新选择存在的目录！"}));
    form_->edResumeDir->SetText(ExcludeTrailingPathDelimiter(backups()));
    form_->dtpResumeDate->SetDateTime(kMay10 - 1);
    Press(&TfrmDataTools::fxbtnResumeClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复文件不存在！"}));
    form_->dtpResumeDate->SetDateTime(kMay10);
    const std::string before = Setting("SaveBackupDays");
    Press(&TfrmDataTools::fxbtnResumeClick, {"OK"});
    EXPECT_EQ(texts_, (std::vector<std::string>{"恢复数据库成功!"}));
    EXPECT_EQ(Setting("SaveBackupDays"), before);  // a restore saves nothing
}

using DataToolsDeathTest = DataTools;

// The start-up's way out at once ("请安装Menvaro服务端!", exit code 0): the
// server objects go in their order there too.
TEST_F(DataToolsDeathTest, TheServerObjectsGoInTheirOrderWhenTheStartEndsAtOnce) {
    const std::string log = dir_.path() + "released";
    setenv("MENVARO_TEST_DBADMIN_RELEASE_LOG", log.c_str(), 1);
    const std::string settings = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]\r\n"
                                 "\"SQLServerName\"=\"" +
                                 server() + "\"\r\n\"DataBaseName\"=\"velkoranth\"\r\n";
    EXPECT_EXIT(
        {
            WriteFileAtomic(dir_.path() + "registry.reg", settings);
            OpenRegIni();
            // Another program takes the backup folder's setting away while
            // the login is asked for.
            Steps({[&] {
                       WriteFileAtomic(dir_.path() + "registry.reg", settings);
                       ClickNamed("btnOk");
                   },
                   [] {
                       auto* m = dynamic_cast<TControl*>(Screen->ActiveForm()->FindComponent("Message"));
                       if (!m || m->Caption() != "请安装Menvaro服务端!") std::exit(4);
                       ClickNamed("OK");
                   }});
            form_ = Create<TfrmDataTools>(Application);
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    unsetenv("MENVARO_TEST_DBADMIN_RELEASE_LOG");
    EXPECT_EQ(FileExists(log) ? ReadFileBytes(log) : "", "Application\nDatabase\nBackup\nRestore\nSQLServer\n");
}

}  // namespace
}  // namespace menvaro
