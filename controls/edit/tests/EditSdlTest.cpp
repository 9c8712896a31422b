// Under the sdl backend (SDL's offscreen driver): the calculator dropped
// down under its edit, screenshotted by a UI script as a window of its own.
#include <gtest/gtest.h>

#include "DropDownHost.h"
#include "base/Files.h"
#include "classes/ClassBuilder.h"
#include "testsupport/UiTest.h"

namespace menvaro {
namespace {

std::string ShotDir() {
    std::string dir = MENVARO_SCREENSHOT_DIR;
    ForceDirectories(dir);
    return IncludeTrailingPathDelimiter(dir);
}

class TEditShotForm : public TForm {
    MENVARO_CLASS(TEditShotForm, TForm)
public:
    explicit TEditShotForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }
};
MENVARO_CLASS_INFO(TEditShotForm) {}

class SdlEdits : public UiTest {};

TEST_F(SdlEdits, TheOpenCalculatorIsScreenshotted) {
    ASSERT_STREQ(Backend().Name(), "sdl");
    auto* f = Create<TEditShotForm>(Application);
    f->SetName("EditShots");
    f->SetBounds(100, 100, 320, 240);
    auto* host = Create<TDropDownHost>(f);
    host->SetName("edtDays");
    host->SetParent(f);
    host->SetBounds(16, 16, 120, 21);
    host->SetText("7");
    f->Show();
    host->SetFocus();
    Pump();
    const std::string shot = ShotDir() + "calculator-dropdown.png";
    std::vector<std::string> errors;
    bool ended = false;
    StartUiScript(*Application,
                  ParseUiScript("press alt+down\ntype \"12+3\"\nexpect EditShots.edtDays.CalculatorEx.TextBox text "
                                "\"3\"\nscreenshot EditShots.edtDays.CalculatorEx \"" +
                                    shot + "\"\npress escape\n",
                                "calculator.txt"),
                  [&](const std::string& e) {
                      // The test goes on after the script; nobody has to close the program.
                      if (e.find("ended while the program still runs") == std::string::npos) errors.push_back(e);
                  },
                  [&] { ended = true; });
    for (int i = 0; i < 500 && !ended; ++i) Application->HandleMessage();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_FALSE(host->DroppedDown());
    TPopupCalculatorEx* calc = host->Calculator();
    TRect r;
    ASSERT_TRUE(GetWindowRect(calc->WindowHandle(), r));
    ExpectPng(shot, r.Width(), r.Height());
}

}  // namespace
}  // namespace menvaro
