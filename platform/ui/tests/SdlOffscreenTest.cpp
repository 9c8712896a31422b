// The same form under the sdl backend (SDL's offscreen driver) and the
// headless one: what SDL shows must match the headless surface, region by region.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/Bitmap.h"
#include "testsupport/TestControls.h"
#include "ui/Backend.h"

namespace menvaro {
namespace {

// What the window shows: read back from SDL, or the surface itself headless.
TBitmap RenderForm(bool fromDesktop) {
    TTestForm* f = Create<TTestForm>(Application);
    f->Edit1->SetText("中文 text");
    f->Show();
    Application->ProcessMessages();
    UpdateWindow(f->WindowHandle());
    PresentWindows();
    TBitmap shot;
    if (fromDesktop)
        EXPECT_TRUE(ReadBackWindow(f->WindowHandle(), shot)) << "SDL gave no window pixels back";
    else
        shot = *GetWindowSurface(f->WindowHandle());
    f->Free();
    Application->ProcessMessages();
    return shot;
}

TEST(SdlOffscreen, ShowsWhatTheHeadlessSurfaceHolds) {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);  // no display needed
    SetBackend(CreateHeadlessBackend());
    TBitmap headless = RenderForm(false);
    std::unique_ptr<TBackend> sdl;
    try {
        sdl = CreateSdlBackend();
    } catch (const Exception& e) {
        FAIL() << "SDL offscreen driver: " << e.what();
    }
    SetBackend(std::move(sdl));
    TBitmap shown = RenderForm(true);
    ASSERT_EQ(shown.Width(), headless.Width());
    ASSERT_EQ(shown.Height(), headless.Height());
    const int tile = 25;
    int differing = 0;
    for (int ty = 0; ty < headless.Height(); ty += tile)
        for (int tx = 0; tx < headless.Width(); tx += tile) {
            int bad = 0;
            for (int y = ty; y < std::min(ty + tile, headless.Height()); ++y)
                for (int x = tx; x < std::min(tx + tile, headless.Width()); ++x)
                    if (shown.Pixel(x, y) != headless.Pixel(x, y)) ++bad;
            if (bad) {
                ++differing;
                ADD_FAILURE() << "region at " << tx << "," << ty << ": " << bad << " pixels differ";
            }
        }
    EXPECT_EQ(differing, 0);
    // The form painted something: the white panel and the red box are there.
    EXPECT_EQ(shown.Pixel(5, 5), clWhite);
    EXPECT_EQ(shown.Pixel(20, 15), clRed);
}

}  // namespace
}  // namespace menvaro
