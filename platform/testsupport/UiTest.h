// The fixture of the tests that drive forms headless: no form outlives a
// test, an exception that reaches the application fails the test, user
// actions can run one by one from the idle time of whatever message loop
// runs (modal ones too), and pixels are read from the window's surface in
// a control's client coordinates.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "classes/FormReader.h"
#include "gfx/Bitmap.h"
#include "testsupport/Pixels.h"
#include "ui/Backend.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/UiScript.h"

namespace menvaro::test {

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static void Pump() { Application->ProcessMessages(); }

    // Each step runs at an idle moment once everything before it is handled.
    void Steps(std::deque<std::function<void()>> steps);
    bool StepsDone() const { return steps_.empty(); }

    // A form of class T read from form text, not shown yet.
    template <class T = TForm>
    static T* FormFromText(const std::string& text, const std::string& file) {
        auto* f = Create<T>(Application);
        ReadComponentText(f, text, file);
        return f;
    }
    // The component `name` of `owner` as a C; nullptr when there is none.
    template <class C>
    static C* Part(const TComponent* owner, const std::string& name) {
        return dynamic_cast<C*>(owner->FindComponent(name));
    }

    // Calls `f` for `root` and every control below it.
    static void ForEachControl(TControl* root, const std::function<void(TControl*)>& f);

    static TPoint Centre(const TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }
    static void ClickAt(const TControl* c, TPoint client) { synthetic::Click(c->ClientToScreen(client)); }
    // The control a UI script would find by `name`; a test failure when there is none.
    static TControl* Named(const std::string& name);
    static void ClickNamed(const std::string& name);

    // The colour the window shows at a point of a control's client area,
    // once what waits to be painted is painted.
    static TColor PixelOf(const TControl* c, int x, int y);
    // The same for a top-level control of its own (a drop-down).
    static TColor PixelOfWindow(TWinControl* w, int x, int y);
    // These read the window's surface as it stands, painting nothing first;
    // points are in c's client coordinates.
    static TColor SurfacePixel(const TControl* c, int x, int y);
    // How many pixels of `colour` lie in `r`.
    static int CountPixels(const TControl* c, const TRect& r, TColor colour);
    // Row `y` from `left` to `right` (exclusive): '#' where it shows `ink`, '.' elsewhere.
    static std::string Row(const TControl* c, int y, int left, int right, TColor ink);
    // A PNG file (a screenshot) of the given size.
    static void ExpectPng(const std::string& path, int width, int height);
    static TColor Rgb(TColor c) { return ColorToRGB(c); }
    static bool Near(TColor a, TColor b, int tolerance = 24) { return test::Near(a, b, tolerance); }

private:
    std::deque<std::function<void()>> steps_;
};

// With a shown dialog-framed form (400 x 300 at 100,100) to put controls on.
class ControlTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    template <class T>
    T* Put(int left, int top, int width, int height, TWinControl* parent = nullptr) {
        T* c = Create<T>(form);
        c->SetParent(parent ? parent : form);
        c->SetBounds(left, top, width, height);
        return c;
    }
    // A pixel of the form's surface at a point of `c`, once every message waiting is handled.
    TColor At(const TControl* c, int x, int y) const;
    TPoint ScreenAt(const TControl* c, int x, int y) const { return c->ClientToScreen({x, y}); }
    void Click(const TControl* c, int x, int y);
    void Press(int vk, TShiftState shift = {});
    void Type(const std::string& utf8);

    TForm* form = nullptr;
};

}  // namespace menvaro::test

namespace menvaro {

// The tests live in this namespace.
using test::ControlTest;
using test::UiTest;

}  // namespace menvaro
