// The fixture of the shaped buttons' tests: a headless form, the mouse held
// down on a control and let go, and where a window takes the mouse.
#pragma once

#include "testsupport/UiTest.h"

namespace menvaro::test {

class ButtonTest : public ControlTest {
protected:
    // Whether the window of `c` takes the mouse at its point (x, y), or
    // what lies beneath does.
    bool Hits(TWinControl* c, int x, int y) const { return WindowFromPoint(ScreenAt(c, x, y)) == c->Handle(); }
    void Hold(const TControl* c, int x, int y) {
        synthetic::MouseMove(ScreenAt(c, x, y));
        synthetic::MouseDown(1);
        Pump();
    }
    void MoveTo(const TControl* c, int x, int y) {
        synthetic::MouseMove(ScreenAt(c, x, y));
        Pump();
    }
    void Release() {
        synthetic::MouseUp(1);
        Pump();
    }
    int clicks = 0;
};

}  // namespace menvaro::test
