// Under the sdl backend (SDL's offscreen driver): a UI script shows a
// message dialog of each type, a message box, the folder browser and a form
// with a page control and a date picker, and saves their screenshots as PNG
// files in the build's screenshots folder.
#include <gtest/gtest.h>

#include "base/Files.h"
#include "classes/ClassBuilder.h"
#include "gfx/Png.h"
#include "testsupport/UiTest.h"
#include "ui/DateTimePicker.h"
#include "ui/Dialogs.h"
#include "ui/FolderBrowser.h"
#include "ui/PageControl.h"

namespace menvaro {
namespace {

std::string ShotDir() {
    std::string dir = MENVARO_SCREENSHOT_DIR;
    ForceDirectories(dir);
    return IncludeTrailingPathDelimiter(dir);
}

class SdlDialogs : public UiTest {};

TEST_F(SdlDialogs, BackendIsSdl) { EXPECT_STREQ(Backend().Name(), "sdl"); }

TEST_F(SdlDialogs, UiScriptShowsEachMessageDialogTypeAndSavesItsScreenshot) {
    struct Case {
        TMsgDlgType type;
        const char* file;
        TMsgDlgButtons buttons;
        const char* press;  // the button the script clicks
        int result;
    };
    const Case cases[] = {
        {mtWarning, "message-warning.png", {mbOK}, "OK", mrOk},
        {mtError, "message-error.png", {mbOK}, "OK", mrOk},
        {mtInformation, "message-information.png", {mbOK, mbCancel}, "Cancel", mrCancel},
        {mtConfirmation, "message-confirmation.png", mbYesNoCancel, "No", mrNo},
        {mtCustom, "message-custom.png", mbYesAllNoAllCancel, "YesToAll", mrYesToAll},
    };
    std::string dir = ShotDir();
    std::string text;
    for (const Case& c : cases) {
        text += "screenshot Message \"" + dir + c.file + "\"\n";
        text += "click " + std::string(c.press) + "\n";
    }
    text += "screenshot Message \"" + dir + "messagebox-question.png\"\nclick No\n";
    std::vector<std::string> errors;
    StartUiScript(*Application, ParseUiScript(text, "dialogs.txt"), [&](const std::string& e) { errors.push_back(e); });
    std::vector<TSize> sizes;
    for (const Case& c : cases) {
        TOwned<TMessageForm> dialog(
            CreateMessageDialog("备份文件目录不存在！\r\n请重新选择存在的目录！", c.type, c.buttons));
        sizes.push_back({dialog->ClientWidth(), dialog->ClientHeight()});
        EXPECT_EQ(dialog->ShowModal(), c.result) << c.file;
    }
    EXPECT_EQ(MessageBox(0, "恢复文件已存在！\r\n是否覆盖它？", "确认", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_TRUE(errors.empty()) << errors.front();
    for (std::size_t i = 0; i < std::size(cases); ++i) ExpectPng(dir + cases[i].file, sizes[i].cx, sizes[i].cy);
}

TEST_F(SdlDialogs, UiScriptChoosesAFolderInTheBrowser) {
    std::string base = ShotDir() + "folders";
    ForceDirectories(base + "/资料/xml");
    ForceDirectories(base + "/备份");
    std::string dir = ShotDir();
    std::string text = "screenshot FolderTree \"" + dir +
                       "folder-browser.png\"\n"
                       "type Folder \"" +
                       base +
                       "/备份\"\n"
                       "click OK\n";
    std::vector<std::string> errors;
    StartUiScript(*Application, ParseUiScript(text, "folders.txt"), [&](const std::string& e) { errors.push_back(e); });
    std::string folder = base + "/资料/xml/";
    ASSERT_TRUE(SelectDirectory("在PC上选择资料来源", base, folder));
    EXPECT_EQ(folder, base + "/备份");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

class TGalleryForm : public TForm {
    MENVARO_CLASS(TGalleryForm, TForm)
public:
    explicit TGalleryForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }
};
MENVARO_CLASS_INFO(TGalleryForm) {}

TEST_F(SdlDialogs, PageControlAndDatePickerShowOnAWindow) {
    auto* f = Create<TGalleryForm>(Application);
    f->SetName("Gallery");
    f->SetCaption("Menvaro工具系列");
    f->Font()->SetName("宋体");
    f->Font()->SetHeight(-12);
    f->SetClientSize(568, 240);
    auto* pages = Create<TPageControl>(f);
    pages->SetName("pgTooltype");
    pages->SetParent(f);
    pages->SetBounds(8, 8, 344, 224);
    pages->SetTabPosition(tpBottom);
    const char* captions[] = {"备份数据", "恢复数据"};
    TTabSheet* first = nullptr;
    for (const char* caption : captions) {
        auto* sheet = Create<TTabSheet>(f);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
        if (!first) first = sheet;
    }
    pages->SetActivePage(first);
    // Tabs on top beside them, the second one chosen.
    auto* topTabs = Create<TPageControl>(f);
    topTabs->SetParent(f);
    topTabs->SetBounds(360, 8, 200, 224);
    for (const char* caption : {"常规", "高级", "关于"}) {
        auto* sheet = Create<TTabSheet>(f);
        sheet->SetPageControl(topTabs);
        sheet->SetCaption(caption);
    }
    topTabs->SetActivePageIndex(1);
    auto* dtp = Create<TDateTimePicker>(f);
    dtp->SetName("dtpBackupDate");
    dtp->SetParent(first);
    dtp->SetBounds(16, 16, 140, 21);
    dtp->SetDate(EncodeDate(2024, 5, 10));
    f->Show();
    Pump();
    std::string dir = ShotDir();
    std::vector<std::string> errors;
    bool ended = false;
    StartUiScript(
        *Application,
        ParseUiScript("click dtpBackupDate\npress right\npress up\nexpect dtpBackupDate text \"2024-6-10\"\n"
                      "screenshot Gallery \"" +
                          dir + "page-control.png\"\npress f4\n",
                      "gallery.txt"),
        [&](const std::string& e) { errors.push_back(e); }, [&] { ended = true; });
    for (int i = 0; i < 500 && !ended; ++i) Application->HandleMessage();
    ASSERT_TRUE(dtp->DroppedDown());
    TMonthCalendarPopup* cal = dtp->Calendar();
    UpdateWindow(cal->Handle());
    SavePNGFile(*GetWindowSurface(cal->WindowHandle()), dir + "date-picker-calendar.png");
    ExpectPng(dir + "page-control.png", 568, 240);
    ExpectPng(dir + "date-picker-calendar.png", cal->Width(), cal->Height());
    // The script ends while the window stays: the only error.
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "gallery.txt: the script ended while the program still runs");
}

}  // namespace
}  // namespace menvaro
