// Under the sdl backend (SDL's offscreen driver): the calculator dropped
// down under its edit, screenshotted by a UI script as a window of its own;
// the data-aware edits with each style of button, plain and flat.
#include <gtest/gtest.h>

#include "DropDownHost.h"
#include "base/Files.h"
#include "classes/ClassBuilder.h"
#include "edit/DBCtrlsEx.h"
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

class SdlEdits : public UiTest {
protected:
    // Runs a UI script to its end; the test goes on after it, so nobody
    // has to close the program.
    static void RunScript(const std::string& text, const std::string& file) {
        std::vector<std::string> errors;
        bool ended = false;
        StartUiScript(*Application, ParseUiScript(text, file),
                      [&](const std::string& e) {
                          if (e.find("ended while the program still runs") == std::string::npos) errors.push_back(e);
                      },
                      [&] { ended = true; });
        for (int i = 0; i < 500 && !ended; ++i) Application->HandleMessage();
        EXPECT_TRUE(ended);
        EXPECT_TRUE(errors.empty()) << errors.front();
    }
};

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
    RunScript("press alt+down\ntype \"12+3\"\nexpect EditShots.edtDays.CalculatorEx.TextBox text \"3\"\n"
              "screenshot EditShots.edtDays.CalculatorEx \"" + shot + "\"\npress escape\n",
              "calculator.txt");
    EXPECT_FALSE(host->DroppedDown());
    TPopupCalculatorEx* calc = host->Calculator();
    TRect r;
    ASSERT_TRUE(GetWindowRect(calc->WindowHandle(), r));
    ExpectPng(shot, r.Width(), r.Height());
}

TEST_F(SdlEdits, EachButtonStyleIsScreenshotted) {
    ASSERT_STREQ(Backend().Name(), "sdl");
    auto* f = Create<TEditShotForm>(Application);
    f->SetName("ButtonShots");
    f->SetBounds(100, 100, 300, 250);
    struct Row {
        const char* name;
        TEditButtonStyleEx style;
    };
    const Row rows[] = {{"DropDown", ebsDropDownEx}, {"Ellipsis", ebsEllipsisEx}, {"Glyph", ebsGlyphEx},
                        {"UpDown", ebsUpDownEx},     {"Plus", ebsPlusEx},         {"Minus", ebsMinusEx}};
    TBitmap glyph(7, 7);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect(Rect(0, 0, 7, 7));
    glyph.Canvas().Brush().SetColor(clNavy);
    glyph.Canvas().FillRect(Rect(1, 1, 6, 6));
    int top = 8;
    TCustomDBEditEx* focused = nullptr;
    for (const Row& r : rows) {
        for (bool flat : {false, true}) {
            auto* e = Create<TCustomDBEditEx>(f);
            e->SetName(std::string("edt") + r.name + (flat ? "Flat" : ""));
            e->SetParent(f);
            e->SetBounds(flat ? 148 : 8, top, 130, 21);
            e->SetFlat(flat);
            e->SetValue(Variant(r.name));
            e->EditButton()->SetStyle(r.style);
            if (r.style == ebsGlyphEx) e->EditButton()->SetGlyph(&glyph);
            e->EditButton()->SetVisible(true);
            if (flat && r.style == ebsUpDownEx) focused = e;
        }
        top += 32;
    }
    f->Show();
    ASSERT_NE(focused, nullptr);
    focused->SetFocus();  // one flat edit with its border lit
    Pump();
    const std::string shot = ShotDir() + "edit-buttons.png";
    RunScript("screenshot ButtonShots.edtDropDown \"" + shot + "\"\n", "buttons.txt");
    // The form's client surface.
    ExpectPng(shot, f->ClientWidth(), f->ClientHeight());
}

}  // namespace
}  // namespace menvaro
