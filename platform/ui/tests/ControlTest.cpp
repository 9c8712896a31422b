#include "ControlTest.h"

namespace menvaro {

void ControlTest::SetUp() {
    Application->IdleHook = nullptr;
    form = Create<TForm>(Application);
    form->SetBorderStyle(bsDialog);
    form->SetBounds(100, 100, 400, 300);
    form->Font()->SetName("MS Sans Serif");
    form->Show();
    Pump();
}

void ControlTest::TearDown() {
    while (Screen->FormCount() > 0) Screen->Forms(0)->Free();
    Application->ProcessMessages();
    SetClipboardText(std::string());
}

void ControlTest::Pump() { Application->ProcessMessages(); }

TColor ControlTest::At(const TControl* c, int x, int y) const {
    Application->ProcessMessages();
    const TBitmap* s = GetWindowSurface(form->WindowHandle());
    if (!s) return CLR_INVALID;
    TPoint p = form->ScreenToClient(c->ClientToScreen({x, y}));
    return s->Pixel(p.X, p.Y);
}

void ControlTest::Click(const TControl* c, int x, int y) {
    synthetic::Click(ScreenAt(c, x, y));
    Pump();
}

void ControlTest::Press(int vk, TShiftState shift) {
    synthetic::PressKey(vk, shift);
    Pump();
}

void ControlTest::Type(const std::string& utf8) {
    synthetic::TypeText(utf8);
    Pump();
}

}  // namespace menvaro
