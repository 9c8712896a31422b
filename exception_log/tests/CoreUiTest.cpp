#include <unistd.h>

#include <string>
#include <vector>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "testsupport/UiTest.h"
#include "ui/Dialogs.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

class LoggerBoxes : public UiTest {
protected:
    void TearDown() override {
        InitializeTrace({});
        SetSmtpProgressWindowOpen(false);
        ClearWarning();
        UiTest::TearDown();
    }

    // The caption and text of the box in front, then `press` on it.
    std::function<void()> Answer(std::string& caption, std::string& text, const char* press) {
        return [&caption, &text, press] {
            TCustomForm* box = Screen->ActiveForm();
            ASSERT_NE(box, nullptr);
            caption = box->Caption();
            if (TControl* message = Named("Message")) text = message->Caption();
            ClickNamed(press);
        };
    }
};

std::vector<std::string> LinesWithoutTime() {
    std::vector<std::string> lines;
    for (const std::string& l : TraceLines()) lines.push_back(l.substr(0, l.size() - 19));  // "  dd/mm/yy hh:nn:ss"
    return lines;
}

HWND RawWindow(std::uint32_t exStyle, HWND owner = 0) {
    TCreateParams p;
    p.Caption = "window";
    p.Style = WS_OVERLAPPED | WS_CAPTION;
    p.ExStyle = exStyle;
    p.Bounds = TRect(10, 10, 200, 100);
    p.Owner = owner;
    return CreateWindowEx(p, [](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProc(h, m, w, l); });
}

}  // namespace

TEST_F(LoggerBoxes, AnSmtpWarningIsShownOnlyWhileTheProgressWindowIsOpen) {
    std::string caption, text;
    Steps({Answer(caption, text, "OK")});
    ReportWarning(eeEmailSMTPError, "550 no such user");
    EXPECT_FALSE(StepsDone());  // no box ran a message loop
    EXPECT_EQ(caption, "");
    Steps({});

    SetSmtpProgressWindowOpen(true);
    Steps({Answer(caption, text, "OK")});
    ReportWarning(eeEmailSMTPError, "550 no such user");
    EXPECT_TRUE(StepsDone());
    EXPECT_EQ(caption, "Error.");
    EXPECT_EQ(text, "550 no such user");
    // Other codes are recorded without a box.
    Steps({Answer(caption, text, "OK")});
    ReportWarning(eeLogError, "disk full");
    EXPECT_FALSE(StepsDone());
    Steps({});
    EXPECT_EQ(LastWarningCode(), eeLogError);
}

TEST_F(LoggerBoxes, AnInternalErrorAsksToSendTheTraceAndTellsHowToSendItByHand) {
    InitializeTrace({});
    EnableTrace();
    std::uint8_t bytes[32];
    for (int i = 0; i < 32; ++i) bytes[i] = static_cast<std::uint8_t>(i * 8);
    std::string questionCaption, question, infoCaption, info;
    Steps({Answer(questionCaption, question, "Yes"), Answer(infoCaption, info, "OK")});
    try {
        throw EConvertError("bad value");
    } catch (...) {
        ReportInternalError("InternalExceptNotify.7", bytes);
    }
    EXPECT_TRUE(StepsDone());
    EXPECT_EQ(questionCaption, "Probably internal bug");
    EXPECT_EQ(question,
              "Error: 'bad value'\r\n\r\nSend the information about this error to the authors of the logger?");
    EXPECT_EQ(infoCaption, "Information");
    EXPECT_EQ(info, "The error information could not be sent. Please send the file\r\n\"" + TraceFileName() +
                        "\"\r\nby hand to " + kAuthorsMailAddress + ".");
    std::string dump = "Memory Dump: ";
    for (int i = 0; i < 32; ++i)
        dump += "$" + std::string(1, "0123456789ABCDEF"[(i * 8) >> 4]) + "0123456789ABCDEF"[(i * 8) & 15] + " ";
    const std::vector<std::string> lines = LinesWithoutTime();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2),
              (std::vector<std::string>{"[ERROR] - Section: InternalExceptNotify.7 - Message: \"bad value\"", dump}));
    // Then the try by the mail client, which has no library here.
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) {
                               return l.starts_with(
                                   "[WARNING] - Code: eeEmailMAPIError - Message: \"Cannot open the MAPI dll.\"");
                           }),
              lines.end());
    // The trace was saved beside the program (a copy, in a folder of its own).
    ASSERT_TRUE(FileExists(TraceFileName()));
    EXPECT_NE(ReadFileBytes(TraceFileName()).find("InternalExceptNotify.7"), std::string::npos);

    // No: nothing is sent and nothing more is said. An unreadable address has no dump.
    InitializeTrace({});
    EnableTrace();
    Steps({Answer(questionCaption, question, "No")});
    try {
        throw 5;
    } catch (...) {
        ReportInternalError("Log", reinterpret_cast<const void*>(16));
    }
    EXPECT_TRUE(StepsDone());
    EXPECT_EQ(
        question,
        "Error: 'General internal error.'\r\n\r\nSend the information about this error to the authors of the logger?");
    EXPECT_EQ(LinesWithoutTime(),
              std::vector<std::string>{"[ERROR] - Section: Log - Message: \"General internal error.\""});
}

TEST_F(LoggerBoxes, TheMainWindowIsTheFirstShownUnownedAppWindow) {
    std::vector<HWND> made;
    auto make = [&](std::uint32_t ex, HWND owner = 0, bool show = true) {
        const HWND h = RawWindow(ex, owner);
        made.push_back(h);
        if (show) ShowWindow(h, SW_SHOW);
        BringWindowToTop(h);
        return h;
    };
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    make(0, 0, false);
    EXPECT_EQ(MainWindowOf(pid), 0u);  // hidden
    const HWND a = make(0);
    EXPECT_EQ(MainWindowOf(pid), a);
    const HWND tool = make(WS_EX_TOOLWINDOW);
    EXPECT_EQ(MainWindowOf(pid), a);  // a tool window in front does not count
    make(0, a);
    EXPECT_EQ(MainWindowOf(pid), a);  // nor does an owned one
    SetWindowLong(tool, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW);
    BringWindowToTop(tool);
    EXPECT_EQ(MainWindowOf(pid), tool);  // unless it is also an application window
    const HWND b = make(0);
    EXPECT_EQ(MainWindowOf(pid), b);
    EXPECT_EQ(MainWindowOf(pid + 1), 0u);  // another process's windows are not ours to find
    for (HWND h : made) DestroyWindow(h);
}

}  // namespace menvaro
