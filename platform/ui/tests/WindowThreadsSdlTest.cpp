// A window made and painted by a thread other than the backend's, under
// SDL's offscreen driver: its backend calls run on the backend's thread,
// carried by that thread's PeekMessage pump.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "gfx/Bitmap.h"
#include "ui/Backend.h"
#include "ui/WindowManager.h"

namespace menvaro {
namespace {

TEST(SdlWindowThreads, AWindowOfAnotherThreadShowsAndAnswersWhileTheBackendsThreadOnlyPeeks) {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_STREQ(Backend().Name(), "sdl");  // made here: this is the backend's thread
    std::atomic<HWND> window{0};
    std::atomic<bool> painted{false};
    std::thread reporter([&] {
        TCreateParams p;
        p.Caption = "report";
        p.Style = WS_POPUP | WS_CAPTION;
        p.Bounds = {50, 50, 250, 170};
        HWND h = CreateWindowEx(p, [&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_PAINT) {
                TPaintStruct ps;
                HDC dc = BeginPaint(hwnd, ps);
                dc->Brush().SetColor(clRed);
                TRect r;
                GetClientRect(hwnd, r);
                dc->FillRect(r);
                EndPaint(hwnd, ps);
                painted = true;
                return 0;
            }
            if (msg == WM_CLOSE) {
                PostQuitMessage(0);
                return 0;
            }
            return DefWindowProc(hwnd, msg, w, l);
        });
        ShowWindow(h, SW_SHOW);
        window = h;
        TMsg m;
        while (GetMessage(m, 0, 0, 0)) DispatchMessage(m);
        DestroyWindow(h);
    });
    // The main thread's paint-only pump: peek, never wait.
    TBitmap shot;
    bool shown = false;
    for (int i = 0; i < 20000 && !shown; ++i) {
        TMsg m;
        while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) DispatchMessage(m);
        PresentWindows();
        if (painted && window && ReadBackWindow(window, shot) && shot.Width() > 100 &&
            shot.Pixel(shot.Width() / 2, shot.Height() / 2) == ColorToRGB(clRed))
            shown = true;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(shown) << "the other thread's window never showed its pixels";
    PostMessage(window, WM_CLOSE, 0, 0);
    reporter.join();
    TMsg m;
    while (PeekMessage(m, 0, 0, 0, PM_REMOVE)) DispatchMessage(m);
}

}  // namespace
}  // namespace menvaro
