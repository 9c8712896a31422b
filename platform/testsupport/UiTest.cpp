#include "testsupport/UiTest.h"

#include <cstdint>

#include "base/Files.h"
#include "ui/WindowManager.h"

namespace menvaro::test {

namespace {

TCustomForm* FormOf(const TControl* c) {
    if (auto* form = dynamic_cast<TCustomForm*>(const_cast<TControl*>(c))) return form;
    return GetParentForm(c);
}

// The surface of the form that shows `c`, and c's point there.
const TBitmap* SurfaceAt(const TControl* c, int& x, int& y) {
    const TCustomForm* form = FormOf(c);
    if (!form) return nullptr;
    const TBitmap* s = GetWindowSurface(form->WindowHandle());
    const TPoint p = form->ScreenToClient(c->ClientToScreen({x, y}));
    x = p.X;
    y = p.Y;
    return s;
}

}  // namespace

void UiTest::SetUp() {
    Application->IdleHook = nullptr;
    // Rather than waiting in a message box that no step will close.
    Application->OnException = [](TObject*, const std::exception& e) {
        ADD_FAILURE() << "exception reached the application: " << e.what();
    };
}

void UiTest::TearDown() {
    Application->OnException = nullptr;
    Application->IdleHook = nullptr;
    while (Screen->FormCount() > 0) Screen->Forms(0)->Free();
    Application->ProcessMessages();
}

void UiTest::Steps(std::deque<std::function<void()>> steps) {
    steps_ = std::move(steps);
    Application->IdleHook = [this](bool& done) {
        if (steps_.empty() || !IsThreadIdle()) return;
        auto step = std::move(steps_.front());
        steps_.pop_front();
        done = false;
        step();
    };
}

TControl* UiTest::Named(const std::string& name) {
    TComponent* c = FindScriptComponent(name);
    EXPECT_NE(c, nullptr) << name;
    return dynamic_cast<TControl*>(c);
}

void UiTest::ClickNamed(const std::string& name) {
    if (TControl* c = Named(name)) synthetic::Click(Centre(c));
}

void UiTest::ForEachControl(TControl* root, const std::function<void(TControl*)>& f) {
    f(root);
    if (auto* w = dynamic_cast<TWinControl*>(root))
        for (int i = 0; i < w->ControlCount(); ++i) ForEachControl(w->Controls(i), f);
}

TColor UiTest::PixelOf(const TControl* c, int x, int y) {
    if (TCustomForm* form = FormOf(c)) UpdateWindow(form->Handle());
    return SurfacePixel(c, x, y);
}

TColor UiTest::SurfacePixel(const TControl* c, int x, int y) {
    const TBitmap* s = SurfaceAt(c, x, y);
    return s ? s->Pixel(x, y) : CLR_INVALID;
}

TColor UiTest::PixelOfWindow(TWinControl* w, int x, int y) {
    UpdateWindow(w->Handle());
    const TBitmap* s = GetWindowSurface(w->WindowHandle());
    return s ? s->Pixel(x, y) : CLR_INVALID;
}

int UiTest::CountPixels(const TControl* c, const TRect& r, TColor colour) {
    int left = r.Left, top = r.Top;
    const TBitmap* s = SurfaceAt(c, left, top);
    return s ? test::CountPixels(*s, {left, top, left + r.Width(), top + r.Height()}, colour) : 0;
}

std::string UiTest::Row(const TControl* c, int y, int left, int right, TColor ink) {
    int x = left;
    const TBitmap* s = SurfaceAt(c, x, y);
    return s ? test::Row(*s, y, x, x + right - left, ink) : std::string();
}

void UiTest::ExpectPng(const std::string& path, int width, int height) {
    const std::string bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 24u) << path;
    EXPECT_EQ(bytes.substr(1, 3), "PNG") << path;
    auto be32 = [&](std::size_t at) {
        return static_cast<int>((std::uint32_t(std::uint8_t(bytes[at])) << 24) |
                                (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
                                (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]));
    };
    EXPECT_EQ(be32(16), width) << path;
    EXPECT_EQ(be32(20), height) << path;
}

void ControlTest::SetUp() {
    UiTest::SetUp();
    form = Create<TForm>(Application);
    form->SetBorderStyle(bsDialog);
    form->SetBounds(100, 100, 400, 300);
    form->Font()->SetName("MS Sans Serif");
    form->Show();
    Pump();
}

void ControlTest::TearDown() {
    UiTest::TearDown();
    SetClipboardText(std::string());
}

TColor ControlTest::At(const TControl* c, int x, int y) const {
    Pump();
    return SurfacePixel(c, x, y);
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

}  // namespace menvaro::test
