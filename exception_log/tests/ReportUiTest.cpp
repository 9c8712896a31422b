// What a report takes from the windows, headless: the focused control and
// its text (masked in a password edit of any class), the foreground window,
// and the clipboard copy.
#include <string>

#include "ExceptionLog.h"
#include "classes/ClassBuilder.h"
#include "testsupport/UiTest.h"
#include "ui/Buttons.h"
#include "ui/Clipboard.h"
#include "ui/MaskEdit.h"
#include "ui/StdCtrls.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

// A password edit whose class name says nothing of an edit.
class TPinBox : public TEdit {
    MENVARO_CLASS(TPinBox, TEdit)
public:
    explicit TPinBox(TComponent* owner) : TEdit(owner) {}
};

MENVARO_CLASS_INFO(TPinBox) {}

class ReportWindows : public ControlTest {};

}  // namespace

TEST_F(ReportWindows, TheFocusedControlWithItsTextMaskedInAnyPasswordEdit) {
    auto* plain = Put<TEdit>(10, 10, 150, 21);
    plain->SetText("hello\tthere");
    auto* password = Put<TEdit>(10, 40, 150, 21);
    password->SetPasswordChar('*');
    password->SetText(
        "\xE5\xAF\x86\xE7\xA0\x81"
        "12");  // two Chinese characters and two digits
    auto* pin = Put<TPinBox>(10, 70, 150, 21);
    pin->SetPasswordChar('#');
    pin->SetText("4711");
    auto* masked = Put<TMaskEdit>(10, 100, 150, 21);
    masked->SetPasswordChar('*');
    masked->SetText("abc");
    auto* longText = Put<TEdit>(10, 130, 150, 21);
    longText->SetText(std::string(300, 'x'));
    const struct {
        TWinControl* control;
        const char* className;
        std::string text;
    } cases[] = {
        {plain, "TEdit", "hello\tthere"},
        {password, "TEdit", "****"},
        {pin, "TPinBox", "****"},
        {masked, "TMaskEdit", "***"},
        {longText, "TEdit", std::string(255, 'x')},
    };
    for (const auto& c : cases) {
        c.control->SetFocus();
        Pump();
        const TFocusedControl focused = GetFocusedControl();
        EXPECT_EQ(focused.ClassName, c.className);
        EXPECT_EQ(focused.Text, c.text) << c.className;
    }

    // The report shows them among the active controls, the text's tab as a blank.
    pin->SetFocus();
    Pump();
    const TFocusedControl focused = GetFocusedControl();
    TOstrelReportContext context;
    context.FocusedControlClass = focused.ClassName;
    context.FocusedControlText = focused.Text;
    const std::string header = BuildReportHeader(context);
    EXPECT_NE(header.find("  3.3 Control Class: TPinBox\r\n  3.4 Control Text : ****\r\n"), std::string::npos)
        << header;
}

TEST_F(ReportWindows, TheForegroundWindowAndTheClipboard) {
    form->SetCaption("Backup\ttool");
    ASSERT_TRUE(SetForegroundWindow(form->Handle()));
    EXPECT_EQ(LinuxSystemValues().ForegroundWindowClass(), form->ClassName());
    EXPECT_EQ(LinuxSystemValues().ForegroundWindowText(), "Backup\ttool");
    TOstrelReportContext context;
    const std::string header = BuildReportHeader(context);
    EXPECT_NE(header.find("  3.2 Form Text    : Backup tool\r\n"), std::string::npos) << header;

    CopyReportToClipboard("OstrelLog 4.5.4\r\n\r\nApplication:");
    EXPECT_EQ(Clipboard().AsText(), "OstrelLog 4.5.4\r\n\r\nApplication:");
}

}  // namespace menvaro
