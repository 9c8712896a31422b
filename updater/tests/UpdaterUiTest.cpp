// The updater's message boxes, busy window, settings and folder routines,
// on the headless backend.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/Files.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "uDM.h"
#include "uFuntion.h"
#include "uUpdatePda.h"
#include "untProgressBar.h"
#include "untProgressBarForm.h"

namespace menvaro {
namespace {

using namespace pelgrane;
using test::TempDir;

class UpdaterUi : public UiTest {};

TEST_F(UpdaterUi, ShowMsgGivesEachKindItsIconCaptionAndOneOkButton) {
    struct Case {
        unsigned char kind;
        const char* caption;
        bool icon;
    } cases[] = {{0, "警告", true}, {1, "错误", true}, {2, "信息", true}, {3, "确认", true}, {4, "提示", false}};
    for (const Case& c : cases) {
        std::string caption, ok;
        int buttons = 0;
        bool iconShown = false;
        Steps({[&] {
            TCustomForm* box = Screen->ActiveForm();
            ASSERT_NE(box, nullptr);
            caption = box->Caption();
            for (const char* name :
                 {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"})
                if (box->FindComponent(name)) ++buttons;
            if (auto* b = dynamic_cast<TControl*>(box->FindComponent("OK"))) ok = b->Caption();
            auto* image = dynamic_cast<TControl*>(box->FindComponent("Image"));
            iconShown = image && image->Visible();
            ClickNamed("OK");
        }});
        ShowMsg("生成资料失败！", c.kind);
        EXPECT_TRUE(StepsDone());
        EXPECT_EQ(caption, c.caption) << int(c.kind);
        EXPECT_EQ(buttons, 1) << int(c.kind);
        EXPECT_EQ(ok, "确定") << int(c.kind);
        EXPECT_EQ(iconShown, c.icon) << int(c.kind);
    }
}

TEST_F(UpdaterUi, LocalizeDialogButtonsRenamesOnlyTheKindsAskedFor) {
    TOwned<TMessageForm> d(CreateMessageDialog("?", mtConfirmation, {mbYes, mbNo, mbCancel, mbRetry}));
    LocalizeDialogButtons(d.get(), {mbYes, mbNo, mbRetry});
    auto caption = [&](const char* n) { return dynamic_cast<TControl*>(d->FindComponent(n))->Caption(); };
    EXPECT_EQ(caption("Yes"), "是");
    EXPECT_EQ(caption("No"), "否");
    EXPECT_EQ(caption("Cancel"), "Cancel");  // not asked for
    EXPECT_EQ(caption("Retry"), "&Retry");   // no Chinese caption of its own
}

TEST_F(UpdaterUi, TheBusyWindowRunsItsJobAndClosesItself) {
    int runs = 0;
    TObject* sender = nullptr;
    bool disabledWhileRunning = false;
    TOwned<TForm> other(Create<TForm>(Application));  // another window of the task
    other->Show();
    ASSERT_TRUE(ShowProgress());
    TfrmProgressBar* window = ProgressWindow();
    SetProgressCaption("正在生成资料,请稍候....");
    EXPECT_EQ(window->Caption(), "正在生成资料,请稍候....");
    bool animating = false;
    RunWithProgress([&](TObject* s) {
        ++runs;
        sender = s;
        disabledWhileRunning = !IsWindowEnabled(other->Handle());
        animating = window->Animate->Active();
    });
    // A job that returns at once closes the window; the caller goes on.
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(sender, window);
    EXPECT_TRUE(disabledWhileRunning);
    EXPECT_FALSE(window->Visible());
    EXPECT_TRUE(animating);
    EXPECT_EQ(window->Animate->StopFrame(), 34);
    EXPECT_TRUE(HideProgress());
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

TEST_F(UpdaterUi, ShowingTwiceKeepsOneWindowAndHidingNoneAnswersFalse) {
    EXPECT_FALSE(HideProgress());
    ASSERT_TRUE(ShowProgress());
    TfrmProgressBar* first = ProgressWindow();
    int before = Screen->FormCount();
    ASSERT_TRUE(ShowProgress());
    EXPECT_NE(ProgressWindow(), nullptr);
    EXPECT_EQ(Screen->FormCount(), before);  // the first one went
    (void)first;
    EXPECT_TRUE(HideProgress());
    EXPECT_FALSE(HideProgress());
}

TEST_F(UpdaterUi, AJobThatRaisesStillClosesTheWindowAndTheCallerGetsTheError) {
    TOwned<TForm> other(Create<TForm>(Application));
    other->Show();
    ASSERT_TRUE(ShowProgress());
    EXPECT_EQ(
        test::ErrorMessage<EConvertError>([] { RunWithProgress([](TObject*) { throw EConvertError("数据错误"); }); }),
        "数据错误");
    EXPECT_FALSE(ProgressWindow()->Visible());  // gone when the caller got the error
    EXPECT_TRUE(HideProgress());
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

class FolderRoutines : public UpdaterUi {
protected:
    TempDir dir_{"list"};
    void Touch(const std::string& name) { WriteFileAtomic(dir_.path() + name, "x"); }
};

TEST_F(FolderRoutines, ListFilesGoesMaskByMaskAndSkipsFolders) {
    for (const char* n : {"b.xml", "a.xml", "Room.txt", "c.TXT", "n.bak"}) Touch(n);
    CreateDir(dir_.path() + "sub.xml");
    TStringList list;
    list.Add("stale");
    ListFiles(ExcludeTrailingPathDelimiter(dir_.path()), "*.txt; *.xml ;room.*", list);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"c.TXT", "Room.txt", "a.xml", "b.xml", "Room.txt"}));
    ListFiles(dir_.path(), "*.doc", list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(Screen->Cursor(), crDefault);  // restored
}

TEST_F(FolderRoutines, ClearExeSubfolderDeletesWhatTheMaskMatchesBesideTheProgram) {
    const std::string sub = "clear-" + std::to_string(getpid());
    const std::string path = ExeFolder() + sub + "/";
    ClearExeSubfolder(sub, "*.xml");  // creates the folder
    ASSERT_TRUE(DirectoryExists(path));
    for (const char* n : {"dish01.xml", "area.xml", "Room.txt"}) WriteFileAtomic(path + n, "x");
    CreateDir(path + "keep.xml");
    ClearExeSubfolder(sub, "*.xml");
    EXPECT_FALSE(FileExists(path + "dish01.xml"));
    EXPECT_FALSE(FileExists(path + "area.xml"));
    EXPECT_TRUE(FileExists(path + "Room.txt"));
    EXPECT_TRUE(DirectoryExists(path + "keep.xml"));
    std::filesystem::remove_all(path);
    // A folder that cannot be made: nothing happens.
    EXPECT_NO_THROW(ClearExeSubfolder("no/such/levels", "*.*"));
}

class Settings : public UpdaterUi {
protected:
    void SetUp() override {
        UpdaterUi::SetUp();
        setenv("MENVARO_REGISTRY", (dir_.path() + "registry.reg").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("MENVARO_REGISTRY");
        UpdaterUi::TearDown();
    }
    std::string ConnectionOfNewWindow() {
        TOwned<TUpdateForm> form(Create<TUpdateForm>(Application));
        EXPECT_EQ(form->SourceFolder, ExeFolder() + "xml/");
        EXPECT_EQ(form->DeviceFolder, "\\Program Files\\Menvaro餐点");
        EXPECT_EQ(form->edSource->Text(), form->SourceFolder);
        EXPECT_EQ(form->edDestination->Text(), form->DeviceFolder);
        EXPECT_EQ(form->lblHint->Caption(), "请生成资料");
        EXPECT_FALSE(form->btnUpdateData->Enabled());
        EXPECT_TRUE(form->btnBuildData->Enabled());
        return form->ConnectionString;
    }
    TempDir dir_{"settings"};
};

TEST_F(Settings, AnEmptyRegistryGivesTheDefaultsAndOnlyTheKeyIsCreated) {
    EXPECT_EQ(ConnectionOfNewWindow(),
              "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;"
              "Data Source=(local)");
    EXPECT_EQ(ReadFileBytes(dir_.path() + "registry.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane]\r\n\r\n");
}

TEST_F(Settings, TheDataSourceValuesMakeTheConnectionString) {
    WriteFileAtomic(dir_.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                    "\"ServerName\"=\"POS01\\\\SQL\"\r\n\"LoginType\"=dword:00000000\r\n"
                    "\"UserName\"=\"menvaro\"\r\n\"Passwd\"=\"p;w\"\r\n\"DatabaseName\"=\"餐饮\"\r\n");
    const std::string before = ReadFileBytes(dir_.path() + "registry.reg");
    EXPECT_EQ(ConnectionOfNewWindow(),
              "Provider=SQLOLEDB.1;Password=\"p;w\";Persist Security Info=True;User ID=menvaro;"
              "Initial Catalog=餐饮;Data Source=POS01\\SQL");
    EXPECT_EQ(ReadFileBytes(dir_.path() + "registry.reg"), before);  // nothing written
    WriteFileAtomic(dir_.path() + "registry.reg",
                    "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]\r\n"
                    "\"LoginType\"=dword:00000001\r\n\"UserName\"=\"ignored\"\r\n\"Passwd\"=\"ignored\"\r\n");
    EXPECT_EQ(ConnectionOfNewWindow(),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              "Initial Catalog=Velkoranth;Data Source=(local)");
}

TEST_F(UpdaterUi, TheSourceButtonTakesTheFolderChosenInTheBrowser) {
    TempDir chosen("chosen");
    TOwned<TUpdateForm> form(Create<TUpdateForm>(Application));
    form->Show();
    std::vector<std::string> errors;
    auto run = [&](const std::string& script) {
        StartUiScript(*Application, ParseUiScript(script, "browse.script"),
                      [&](const std::string& e) { errors.push_back(e); });
        form->btnSourceClick(nullptr);
    };
    run("expect Title text \"在PC上选择资料来源\"\ntype Folder \"" + ExcludeTrailingPathDelimiter(chosen.path()) +
        "\"\nclick OK\n");
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(form->SourceFolder, chosen.path());
    EXPECT_EQ(form->edSource->Text(), chosen.path());
    // Cancel changes nothing.
    run("click Cancel\n");
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(form->SourceFolder, chosen.path());
}

}  // namespace
}  // namespace menvaro
