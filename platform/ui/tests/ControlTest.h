// A shown form to put controls on, and the input and pixel helpers the
// standard controls' tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "gfx/Bitmap.h"
#include "ui/Backend.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

namespace menvaro {

class ControlTest : public ::testing::Test {
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
    static void Pump();
    // A pixel of the form's surface at a point of `c`.
    TColor At(const TControl* c, int x, int y) const;
    TPoint ScreenAt(const TControl* c, int x, int y) const { return c->ClientToScreen({x, y}); }
    void Click(const TControl* c, int x, int y);
    void Press(int vk, TShiftState shift = {});
    void Type(const std::string& utf8);

    TForm* form = nullptr;
};

inline TColor Rgb(TColor c) { return ColorToRGB(c); }

}  // namespace menvaro
