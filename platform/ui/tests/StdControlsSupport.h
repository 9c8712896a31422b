// Helpers of the tests of the page control, the date picker and the
// dialogs: a fixture that leaves no form behind, user actions run one by
// one from the idle time of whatever message loop runs (modal ones too),
// and pixels read from a window's surface.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "gfx/Bitmap.h"
#include "ui/Backend.h"
#include "ui/Forms.h"
#include "ui/UiScript.h"

namespace menvaro {

class StdControls : public ::testing::Test {
protected:
    // An exception that reaches the application fails the test here rather
    // than waiting in a message box that no step will close.
    void SetUp() override {
        Application->IdleHook = nullptr;
        Application->OnException = [](TObject*, const std::exception& e) {
            ADD_FAILURE() << "exception reached the application: " << e.what();
        };
    }
    void TearDown() override {
        Application->OnException = nullptr;
        Application->IdleHook = nullptr;
        while (Screen->FormCount() > 0) Screen->Forms(0)->Free();
        Application->ProcessMessages();
    }
    static void Pump() { Application->ProcessMessages(); }

    // Each step runs at an idle moment once everything before it is handled.
    void Steps(std::deque<std::function<void()>> steps) {
        steps_ = std::move(steps);
        Application->IdleHook = [this](bool& done) {
            if (steps_.empty() || !IsThreadIdle()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            done = false;
            step();
        };
    }
    bool StepsDone() const { return steps_.empty(); }

    static TPoint Centre(TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }
    static void ClickAt(TControl* c, TPoint client) { synthetic::Click(c->ClientToScreen(client)); }
    static TControl* Named(const std::string& name) {
        TComponent* c = FindScriptComponent(name);
        EXPECT_NE(c, nullptr) << name;
        return dynamic_cast<TControl*>(c);
    }
    static void ClickNamed(const std::string& name) {
        if (TControl* c = Named(name)) synthetic::Click(Centre(c));
    }
    // The colour the window shows at a point of a control's client area.
    static TColor PixelOf(TControl* c, int x, int y) {
        TCustomForm* form = dynamic_cast<TCustomForm*>(c);
        if (!form) form = GetParentForm(c);
        if (!form) return CLR_INVALID;
        UpdateWindow(form->Handle());
        const TBitmap* s = GetWindowSurface(form->WindowHandle());
        if (!s) return CLR_INVALID;
        TPoint p = form->ScreenToClient(c->ClientToScreen({x, y}));
        return s->Pixel(p.X, p.Y);
    }
    // The same for a top-level control of its own (a drop-down).
    static TColor PixelOfWindow(TWinControl* w, int x, int y) {
        UpdateWindow(w->Handle());
        const TBitmap* s = GetWindowSurface(w->WindowHandle());
        return s ? s->Pixel(x, y) : CLR_INVALID;
    }

private:
    std::deque<std::function<void()>> steps_;
};

}  // namespace menvaro
