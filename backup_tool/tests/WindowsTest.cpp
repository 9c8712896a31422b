// The login dialog and the wait window, headless.
#include <gtest/gtest.h>

#include <stdexcept>

#include "classes/FormResources.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/UiTest.h"
#include "ui/Backend.h"
#include "ui/Dialogs.h"
#include "ui/WindowManager.h"
#include "untShowInfo.h"
#include "untUsePasswd.h"

namespace menvaro {
namespace {

using namespace storvik;

class Windows : public UiTest {
protected:
    // The text and caption of the message box on show, answered with OK.
    void AnswerTheBox(std::string& text, std::string& caption) {
        Steps({[&] {
            TCustomForm* box = Screen->ActiveForm();
            ASSERT_NE(box, nullptr);
            caption = box->Caption();
            if (auto* m = dynamic_cast<TControl*>(box->FindComponent("Message"))) text = m->Caption();
            ClickNamed("OK");
        }});
    }
};

TEST_F(Windows, TheLoginDialogHandsBackWhatWasTypedEvenWhenEmpty) {
    struct Case {
        const char* user;
        const char* password;
    } cases[] = {{"", ""}, {"sa", "秘密 "}, {" 管理员", ""}};
    for (const Case& c : cases) {
        std::string user = "before", password = "before";
        bool emptiedAtStart = false;
        Steps({[&] {
            auto* dialog = dynamic_cast<TfrmUsePasswd*>(Screen->ActiveForm());
            ASSERT_NE(dialog, nullptr);
            emptiedAtStart = dialog->edUser->Text().empty() && dialog->edPasswd->Text().empty();
            dialog->edUser->SetText(c.user);
            dialog->edPasswd->SetText(c.password);
            ClickNamed("btnOk");
        }});
        EXPECT_TRUE(TfrmUsePasswd::Execute(user, password)) << c.user;
        EXPECT_TRUE(StepsDone());
        EXPECT_TRUE(emptiedAtStart);
        EXPECT_EQ(user, c.user);
        EXPECT_EQ(password, c.password);
    }
}

TEST_F(Windows, CancelEscapeOrClosingTheLoginDialogLeavesBothAsTheyWere) {
    const std::function<void()> ways[] = {
        [] { ClickNamed("btnCancel"); },
        [] { synthetic::PressKey(VK_ESCAPE); },
        [] { synthetic::CloseWindow(Screen->ActiveForm()->Handle()); },
    };
    for (const auto& way : ways) {
        std::string user = "kept", password = "kept";
        Steps({[&] {
            auto* dialog = dynamic_cast<TfrmUsePasswd*>(Screen->ActiveForm());
            ASSERT_NE(dialog, nullptr);
            dialog->edUser->SetText("sa");
            dialog->edPasswd->SetText("x");
            way();
        }});
        EXPECT_FALSE(TfrmUsePasswd::Execute(user, password));
        EXPECT_TRUE(StepsDone());
        EXPECT_EQ(user + password, "keptkept");
    }
    EXPECT_EQ(Screen->FormCount(), 0);  // freed every time
}

TEST_F(Windows, TheLoginDialogIsBorderlessAndShowsItsTitle) {
    TOwned<TfrmUsePasswd> dialog(Create<TfrmUsePasswd>(Application));
    EXPECT_EQ(dialog->BorderStyle(), bsNone);
    EXPECT_EQ(dialog->ClientWidth(), 307);
    EXPECT_EQ(dialog->ClientHeight(), 221);
    EXPECT_EQ(dialog->lblName->Caption(), "登录认证");
    EXPECT_EQ(dialog->btnOk->Caption(), "确认");
    EXPECT_EQ(dialog->btnCancel->Caption(), "取消");
    EXPECT_EQ(dialog->btnOk->ModalResult(), mrOk);
    EXPECT_EQ(dialog->btnCancel->ModalResult(), mrCancel);
    EXPECT_EQ(dialog->edPasswd->PasswordChar(), '\0');  // the password shows as typed
    EXPECT_EQ(dialog->MyCoolLabel1->Left(), 80);
    EXPECT_EQ(dialog->edUser->Left(), 144);
}

TEST_F(Windows, TheWaitWindowRunsItsJobOnceUnderTheAnimationAndClosesItself) {
    TOwned<TForm> other(Create<TForm>(Application));  // another window of the task
    other->Show();
    ASSERT_TRUE(ShowInfoOpen("正在备份Menvaro数据库,请稍等..."));
    TfrmShowInfo* window = ShowInfoWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->lblInfo->Caption(), "正在备份Menvaro数据库,请稍等...");
    EXPECT_EQ(window->Caption(), "");
    EXPECT_EQ(window->lblName->Caption(), "稍等...");
    // 4 pixels below the title panel, 5 in from its sides.
    EXPECT_EQ(window->Animate->BoundsRect(), TRect(15, 61, 15 + 359, 61 + 45));
    EXPECT_EQ(window->Animate->StopFrame(), 34);
    EXPECT_FALSE(IsWindowEnabled(other->Handle()));
    int runs = 0;
    bool closedWhileRunning = true, animating = false;
    TObject* sender = nullptr;
    ShowInfoRun([&](TObject* s) {
        ++runs;
        sender = s;
        closedWhileRunning = ShowInfoClosed();
        animating = window->Animate->Active();
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(sender, window);
    EXPECT_FALSE(closedWhileRunning);  // so a job that checks it runs
    EXPECT_TRUE(animating);
    EXPECT_TRUE(ShowInfoClosed());
    EXPECT_FALSE(window->Visible());
    EXPECT_TRUE(ShowInfoClose());
    EXPECT_EQ(ShowInfoWindow(), nullptr);
    EXPECT_FALSE(ShowInfoClosed());
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

TEST_F(Windows, AJobShowingAMessageBoxRunsOnce) {
    ASSERT_TRUE(ShowInfoOpen("信息"));
    int runs = 0;
    std::string text, caption;
    AnswerTheBox(text, caption);
    ShowInfoRun([&](TObject*) {
        ++runs;
        MessageBox(0, "备份数据库成功!", "提示", MB_ICONINFORMATION);
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(text, "备份数据库成功!");
    EXPECT_EQ(caption, "提示");
    EXPECT_TRUE(ShowInfoClose());
}

TEST_F(Windows, WithoutAWindowCloseAnswersFalseAndASecondOpenKeepsOne) {
    EXPECT_FALSE(ShowInfoClose());
    EXPECT_FALSE(ShowInfoClosed());
    ShowInfoRun([](TObject*) { ADD_FAILURE() << "ran without a window"; });
    ASSERT_TRUE(ShowInfoOpen("一"));
    const int forms = Screen->FormCount();
    ASSERT_TRUE(ShowInfoOpen("二"));
    EXPECT_EQ(Screen->FormCount(), forms);
    EXPECT_EQ(ShowInfoWindow()->lblInfo->Caption(), "二");
    EXPECT_TRUE(ShowInfoClose());
    EXPECT_FALSE(ShowInfoClose());
}

TEST_F(Windows, AJobThatRaisesStillClosesTheWindowAndTheCallerGetsTheErrorAfterwards) {
    TOwned<TForm> other(Create<TForm>(Application));
    other->Show();
    ASSERT_TRUE(ShowInfoOpen("信息"));
    EXPECT_EQ(test::ErrorMessage<std::runtime_error>(
                  [] { ShowInfoRun([](TObject*) { throw std::runtime_error("备份中断"); }); }),
              "备份中断");
    ASSERT_NE(ShowInfoWindow(), nullptr);
    EXPECT_FALSE(ShowInfoWindow()->Visible());  // down when the caller got the error
    EXPECT_TRUE(ShowInfoClosed());
    EXPECT_TRUE(ShowInfoClose());
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

TEST_F(Windows, AWindowThatCannotBeMadeIsToldAndAnswersFalse) {
    const TFormResource real = *FindFormResource("TfrmShowInfo");
    RegisterFormResource("TfrmShowInfo", "broken.form", "object frmShowInfo: TfrmShowInfo\n  NoSuchValue = 1\nend\n");
    std::string text, caption;
    AnswerTheBox(text, caption);
    EXPECT_FALSE(ShowInfoOpen("信息"));
    UnregisterFormResource("TfrmShowInfo");
    RegisterFormResource(real.ClassName, real.FileName, real.Text);
    EXPECT_EQ(text, "无法建立进度表.");
    EXPECT_EQ(ShowInfoWindow(), nullptr);
    EXPECT_FALSE(ShowInfoClosed());
    EXPECT_EQ(Screen->FormCount(), 0);
}

}  // namespace
}  // namespace menvaro
