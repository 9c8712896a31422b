// The dialogs shown from a report thread while the test's thread (the
// backend's) only pumps, driven by the mouse and the keyboard. The steps
// run in the dialog's own thread, each when its queue has run dry.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <thread>

#include "ExceptionLogDialog.h"
#include "base/Files.h"
#include "base/ProfileFiles.h"
#include "gfx/Bitmap.h"
#include "gfx/Png.h"
#include "testsupport/TempDir.h"
#include "ui/Backend.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/Memo.h"
#include "ui/PageControl.h"
#include "ui/ProgressBar.h"
#include "ui/StdCtrls.h"

namespace menvaro {
namespace {

using Steps = std::deque<std::function<void(TWinControl& dialog)>>;

class DialogWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Backend();  // this thread drives the backend
        ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        DialogState() = TOstrelDialogState{};
        ForceDirectories(MENVARO_SCREENSHOT_DIR);
    }

    // Runs `show` in a report thread; once its dialog shows, the steps run
    // in the dialog's thread one at a time. Answers when `show` returned.
    void Run(const std::function<void()>& show, Steps steps) {
        bool done = false;
        std::thread report([&] {
            show();
            done = true;  // read after join
        });
        HWND dialog = 0;
        int idleAfterSteps = 0;
        std::atomic<std::size_t> remaining{steps.size()};
        auto* pending = &steps;
        auto* left = &remaining;
        while (true) {
            TMsg m;
            while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) DispatchMessage(m);
            if (!dialog) {
                for (HWND h : GetTopLevelWindows(false))
                    if (GetClassName(h) == "#32770" && IsWindowVisible(h) && GetWindowThreadId(h) != GetCurrentThreadId())
                        dialog = h;
                if (dialog)
                    SetTimer(dialog, 77, 1, [pending, left](HWND h, UINT, std::uintptr_t, std::uint32_t) {
                        if (pending->empty()) return;
                        auto step = std::move(pending->front());
                        pending->pop_front();
                        if (auto* c = FindControl(h)) step(*c);
                        --*left;
                    });
            }
            if (dialog && !IsWindow(dialog)) break;
            // A dialog the steps did not close would hold the test for ever.
            if (dialog && remaining == 0 && ++idleAfterSteps > 20000) {
                ADD_FAILURE() << "the dialog stayed open after its last step";
                SendMessage(dialog, WM_CLOSE, 0, 0);
                idleAfterSteps = 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        report.join();
        EXPECT_TRUE(done);
        EXPECT_TRUE(steps.empty()) << steps.size() << " steps did not run";
    }

    template <class C>
    static C* Part(TWinControl& dialog, const std::string& name) {
        TComponent* found = dialog.FindComponent(name);
        if (!found)
            if (TComponent* page = dialog.FindComponent("Page")) found = page->FindComponent(name);
        auto* c = dynamic_cast<C*>(found);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void ClickOn(TControl* c) { synthetic::Click(c->ClientToScreen({c->Width() / 2, c->Height() / 2})); }
    static void Shoot(TWinControl& dialog, const std::string& name) {
        UpdateWindow(dialog.WindowHandle());
        SavePNGFile(*GetWindowSurface(dialog.WindowHandle()), std::string(MENVARO_SCREENSHOT_DIR) + "/" + name);
    }

    TOstrelModuleOptions options{"Pelgrane", false};
    test::TempDir dir;
};

std::shared_ptr<TOstrelModuleInfo> Module(const std::string& path, std::uint8_t kind, std::uintptr_t handle) {
    auto m = std::make_shared<TOstrelModuleInfo>();
    m->Image.Path = path;
    m->Image.Handle = handle;
    m->ModuleKind = kind;
    m->FileSize = 4096;
    return m;
}

void KnownReport(TOstrelDialogState& s) {
    s.DialogMessage = "Access violation at address 00401234 in module 'Pelgrane'.";
    s.GeneralText = "1.1 Date          : 2026-12-11\r\n1.2 Application   : Pelgrane";
    s.CPUText = "RAX: 0000000000000000";
    auto program = Module("/opt/app/Pelgrane", mkProgram, 0x400000);
    auto lib = Module("/usr/lib/libfoo.so.1", mkLibrary, 0x7f0000000000);
    TOstrelDebugInfo a;
    a.EntryKind = ekLineInfo;
    a.Module = program;
    a.Address = 0x401234;
    a.UnitName = "uDM";
    a.ClassName = "TDM";
    a.ProcedureName = "BuildAll";
    a.Line = 120;
    TOstrelDebugInfo b;
    b.EntryKind = ekDecoratedExport;
    b.Module = lib;
    b.Address = 0x7f0000002000;
    b.UnitName = "foo";
    b.ProcedureName = "Run";
    s.CallStack = {a, b};
    s.Modules = {program, lib};
    s.SendChecked = true;
    s.ScreenshotChecked = true;
    s.ErrorCount = 1;
}

TEST_F(DialogWindowsTest, ExceptionDialogCollapsesExpandsSwitchesPagesAndKeepsItsState) {
    options.SetSendMode(2);
    options.SetAttachScreenshot(true);
    options.SetInitialTab(1);
    KnownReport(DialogState());
    TRect collapsed;
    Run([&] { ShowDialog(options); },
        Steps{
            [&](TWinControl& d) {
                // Collapsed: the message and the check boxes, no pages.
                collapsed = d.BoundsRect();
                EXPECT_GE(collapsed.Width(), 250);
                EXPECT_LE(collapsed.Width(), 640);
                EXPECT_FALSE(Part<TPageControl>(d, "Tabs")->Visible());
                EXPECT_EQ(Part<TLabel>(d, "Message")->Caption(), DialogState().DialogMessage);
                EXPECT_EQ(Part<TButton>(d, "Details")->Caption(), "&Details >>");
                EXPECT_TRUE(Part<TCheckBox>(d, "Send")->Checked());
                EXPECT_TRUE(Part<TCheckBox>(d, "Screenshot")->Visible());
                EXPECT_FALSE(Part<TButton>(d, "Terminate")->Visible());
                EXPECT_EQ(DialogState().ExtraHeight, 34);
                EXPECT_TRUE(DialogState().Painted);
                Shoot(d, "exception-dialog-collapsed.png");
                ClickOn(Part<TButton>(d, "Details"));
            },
            [&](TWinControl& d) {
                // Expanded to the default placement: 640 x 385 plus the extra height.
                EXPECT_EQ(d.Width(), 640);
                EXPECT_EQ(d.Height(), 385 + 34);
                auto* tabs = Part<TPageControl>(d, "Tabs");
                EXPECT_TRUE(tabs->Visible());
                EXPECT_EQ(tabs->ActivePageIndex(), 1);
                EXPECT_EQ(Part<TLabel>(d, "Message")->Caption(), options.GetText(3));
                EXPECT_EQ(Part<TButton>(d, "Details")->Caption(), "<< &Details");
                auto* list = Part<TListView>(d, "List");
                if (!list) return;
                ASSERT_EQ(list->ItemCount(), 2);
                EXPECT_EQ(list->Item(0)->Caption(), "00401234");
                EXPECT_EQ(list->Item(0)->ColumnText(2), "uDM");
                EXPECT_EQ(list->Item(0)->ColumnText(5), "120");
                EXPECT_EQ(list->Item(0)->ImageIndex(), kImagePAS);
                EXPECT_EQ(list->Column(0)->Caption(), "Address");
                EXPECT_EQ(list->Column(5)->Alignment(), taRightJustify);
                Shoot(d, "exception-dialog-expanded.png");
                // The modules page, by the mouse on its tab.
                TRect tab = tabs->TabRect(2);
                synthetic::Click(tabs->ClientToScreen({(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2}));
            },
            [&](TWinControl& d) {
                auto* list = Part<TListView>(d, "List");
                if (!list) return;
                ASSERT_EQ(list->ItemCount(), 2);
                EXPECT_EQ(list->Item(1)->ColumnText(1), "libfoo.so.1");
                EXPECT_EQ(list->Item(1)->ColumnText(4), "4 Kb");
                EXPECT_EQ(list->Column(0)->Caption(), "Handle");
                auto* tabs = Part<TPageControl>(d, "Tabs");
                TRect tab = tabs->TabRect(0);
                synthetic::Click(tabs->ClientToScreen({(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2}));
            },
            [&](TWinControl& d) {
                auto* memo = Part<TMemo>(d, "Memo");
                if (!memo) return;
                EXPECT_EQ(memo->Text(), DialogState().GeneralText);
                EXPECT_TRUE(memo->ReadOnly());
                EXPECT_EQ(Part<TLabel>(d, "Informations")->Caption(), "General Information");
                // Unchecking Send disables the screenshot box.
                ClickOn(Part<TCheckBox>(d, "Send"));
            },
            [&](TWinControl& d) {
                EXPECT_FALSE(Part<TCheckBox>(d, "Send")->Checked());
                EXPECT_FALSE(Part<TCheckBox>(d, "Screenshot")->Enabled());
                ClickOn(Part<TCheckBox>(d, "Clipboard"));
            },
            [&](TWinControl& d) { ClickOn(Part<TButton>(d, "OK")); },
        });
    const TOstrelDialogState& s = DialogState();
    EXPECT_FALSE(s.SendChecked);
    EXPECT_TRUE(s.ScreenshotChecked);
    EXPECT_TRUE(s.ClipboardChecked);
    EXPECT_FALSE(s.TerminateRequested);
    // The placement and the list's columns went to the state file.
    const std::string file = dir.path() + "OstrelLog.ini";
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Width", ""), "640");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Height", ""), "385");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "ColMod5", ""), "150");
    EXPECT_EQ(ReadProfileString(file, "Coordinates", "Col1", ""), "102");
}

TEST_F(DialogWindowsTest, ActivatingACallStackRowWithALineTellsTheSourceViewer) {
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    int viewer = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const std::string name = SourceViewerSocketName();
    std::memcpy(a.sun_path, name.c_str(), name.size() + 1);
    ASSERT_EQ(::bind(viewer, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    options.SetInitialTab(1);
    KnownReport(DialogState());
    Run([&] { ShowDialog(options); },
        Steps{[&](TWinControl& d) { ClickOn(Part<TButton>(d, "Details")); },
              [&](TWinControl& d) {
                  auto* list = Part<TListView>(d, "List");
                  if (!list) return;
                  // The second row has no line: Enter sends nothing.
                  TRect r = list->ItemRect(1);
                  synthetic::Click(list->ClientToScreen({20, (r.Top + r.Bottom) / 2}));
              },
              [&](TWinControl& d) {
                  // Keys go where the focus is once the click is handled.
                  EXPECT_TRUE(Part<TListView>(d, "List")->Focused());
                  synthetic::PressKey(VK_RETURN);
                  synthetic::PressKey(VK_UP);
              },
              [&](TWinControl& d) {
                  EXPECT_EQ(Part<TListView>(d, "List")->ItemIndex(), 0);
                  synthetic::PressKey(VK_RETURN);
              },
              [&](TWinControl& d) {
                  EXPECT_EQ(Part<TListView>(d, "List")->ItemIndex(), 0);
                  synthetic::PressKey(VK_ESCAPE);
              }});
    char buf[4096];
    ASSERT_EQ(::recv(viewer, buf, sizeof buf, 0), 2052);
    EXPECT_STREQ(buf, "uDM");
    EXPECT_EQ(std::string(buf + 2048, 4), std::string("\x78\0\0\0", 4));
    EXPECT_LT(::recv(viewer, buf, sizeof buf, 0), 0);  // one record only
    ::close(viewer);
}

TEST_F(DialogWindowsTest, TerminateShowsFromTheFourthErrorAndEscapeCloses) {
    options.SetSendMode(0);
    options.SetTerminateButton(true);
    options.SetTerminateAfterErrors(3);
    options.SetRestartOnTerminate(false);
    KnownReport(DialogState());
    DialogState().ErrorCount = 3;
    Run([&] { ShowDialog(options); },
        Steps{[&](TWinControl& d) {
            EXPECT_FALSE(Part<TButton>(d, "Terminate")->Visible());
            EXPECT_FALSE(Part<TCheckBox>(d, "Send")->Visible());
            EXPECT_FALSE(Part<TCheckBox>(d, "Screenshot")->Visible());
            EXPECT_EQ(DialogState().ExtraHeight, 20);
            synthetic::PressKey(VK_ESCAPE);
        }});
    EXPECT_FALSE(DialogState().TerminateRequested);
    DialogState().ErrorCount = 4;
    options.SetRestartOnTerminate(true);
    Run([&] { ShowDialog(options); },
        Steps{[&](TWinControl& d) {
            auto* t = Part<TButton>(d, "Terminate");
            EXPECT_TRUE(t->Visible());
            EXPECT_EQ(t->Caption(), "&Restart");
            ClickOn(t);
        }});
    EXPECT_TRUE(DialogState().TerminateRequested);
}

TEST_F(DialogWindowsTest, AHandlerThatRefusesTheTerminationBringsTheDialogBack) {
    options.SetTerminateButton(true);
    options.SetTerminateAfterErrors(0);
    options.SetSkinnedDialog(true);
    KnownReport(DialogState());
    int asked = 0;
    LoggerEvents().CustomActionProc = [&](const TOstrelExceptionRecord&, TOstrelAction action, bool& execute) {
        EXPECT_EQ(action, kTerminateAction);
        EXPECT_TRUE(execute);
        execute = ++asked > 1;  // refuses once
    };
    TOstrelExceptionRecord record;
    int shown = 0;
    std::atomic<bool> done{false};
    std::thread report([&] {
        ShowDialog(options, &record);
        done = true;
    });
    // Each time a dialog shows, press its terminate button.
    HWND last = 0;
    while (!done) {
        TMsg m;
        while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) DispatchMessage(m);
        for (HWND h : GetTopLevelWindows(false))
            if (h != last && GetClassName(h) == "#32770" && IsWindowVisible(h)) {
                last = h;
                ++shown;
                SetTimer(h, 78, 1, [](HWND hwnd, UINT, std::uintptr_t, std::uint32_t) {
                    KillTimer(hwnd, 78);
                    TWinControl* d = FindControl(hwnd);
                    // The skin: the caption band in the window's own surface.
                    EXPECT_EQ(GetWindowSurface(hwnd)->Pixel(d->Width() / 2, 3), RGB(130, 155, 194));
                    auto* t = dynamic_cast<TButton*>(d->FindComponent("Terminate"));
                    synthetic::Click(t->ClientToScreen({5, 5}));
                });
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    report.join();
    LoggerEvents().CustomActionProc = nullptr;
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(DialogState().TerminateRequested);
}

TEST_F(DialogWindowsTest, RequestDialogPutsTheTrimmedAnswerIntoTheRequestText) {
    Run([&] { ShowRequestDialog(options); },
        Steps{[&](TWinControl& d) {
                  auto* memo = Part<TMemo>(d, "Request");
                  EXPECT_TRUE(memo->Focused());
                  synthetic::TypeText("  Pressed build");
                  synthetic::PressKey(VK_RETURN);  // a new line, not the OK button
                  synthetic::TypeText("then it failed   ");
              },
              [&](TWinControl& d) {
                  EXPECT_EQ(Part<TMemo>(d, "Request")->Lines()->Count(), 2);
                  Shoot(d, "request-dialog.png");
                  synthetic::PressKey(VK_TAB);  // to the OK button
              },
              [&](TWinControl& d) {
                  EXPECT_TRUE(Part<TButton>(d, "OK")->Focused());
                  synthetic::PressKey(VK_RETURN);
              }});
    EXPECT_EQ(DialogState().RequestText, "Pressed build\r\nthen it failed");
    // A blank answer, given by Escape, leaves the text empty.
    Run([&] { ShowRequestDialog(options); },
        Steps{[&](TWinControl&) {
            synthetic::TypeText("   ");
            synthetic::PressKey(VK_ESCAPE);
        }});
    EXPECT_EQ(DialogState().RequestText, "");
}

TEST_F(DialogWindowsTest, SmtpProgressWindowShowsStatusAndPositionAndCloses) {
    options.SetSendMode(2);
    options.SetShowSendProgress(true);
    std::unique_ptr<TOstrelSendProgress> p = StartSmtpProgress(options);
    HWND window = 0;
    for (HWND h : GetTopLevelWindows(false))
        if (GetClassName(h) == "#32770" && GetWindowText(h) == "SMTP.") window = h;
    ASSERT_NE(window, HWND(0));
    EXPECT_TRUE(p->ProgressHook() != nullptr);
    TWinControl* dialog = FindControl(window);
    ASSERT_NE(dialog, nullptr);
    p->SetRecipient(1, 2);
    p->Status("Connecting");
    EXPECT_EQ(dynamic_cast<TLabel*>(dialog->FindComponent("Status"))->Caption(), "Message 1/2: Connecting");
    p->SetRecipient(2, 2);
    p->Status("Sent");
    EXPECT_EQ(dynamic_cast<TLabel*>(dialog->FindComponent("Status"))->Caption(), "Message 2/2: Sent");
    p->Position(150);
    EXPECT_EQ(dynamic_cast<TProgressBar*>(dialog->FindComponent("Progress"))->Position(), 100);
    p->Finished();
    EXPECT_FALSE(IsWindow(window));
    p->Status("late");  // harmless once closed

    // Driven as the SMTP sender drives it.
    std::unique_ptr<TSmtpProgress> sender = CreateSmtpProgressWindow(options);
    ASSERT_NE(sender, nullptr);
    for (HWND h : GetTopLevelWindows(false))
        if (GetClassName(h) == "#32770" && GetWindowText(h) == "SMTP.") window = h;
    sender->SetRecipientCount(2);
    sender->SetRecipientNumber(2);
    sender->SetStatus(kSmtpConnectingText);
    EXPECT_EQ(dynamic_cast<TLabel*>(FindControl(window)->FindComponent("Status"))->Caption(),
              "Message 2/2: " + options.GetText(kSmtpConnectingText));
    sender->Close();
    EXPECT_FALSE(IsWindow(window));

    // Without ShowSendProgress no window comes, and every call does nothing.
    options.SetShowSendProgress(false);
    std::size_t before = GetTopLevelWindows(false).size();
    p = StartSmtpProgress(options);
    EXPECT_EQ(GetTopLevelWindows(false).size(), before);
    EXPECT_TRUE(p->ProgressHook() == nullptr);
    p->Status("x");
    p->Position(5);
    p->Finished();
    EXPECT_EQ(CreateSmtpProgressWindow(options), nullptr);
}

}  // namespace
}  // namespace menvaro
