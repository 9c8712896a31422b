// Runs the gallery program under the sdl backend with SDL's offscreen
// driver and its UI script, then looks at the screenshot it wrote.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <vector>

#include "base/Files.h"
#include "testsupport/PngFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

TEST(Gallery, ScriptDrivesEveryControlUnderSdlAndTheScreenshotShowsThem) {
    std::string shot = "gallery.png";
    DeleteFile(shot);
    const test::TempDir dir("gallery");
    std::string err = dir.path() + "gallery_err.txt";
    std::string cmd = std::string("env -u DISPLAY -u WAYLAND_DISPLAY MENVARO_UI=sdl SDL_VIDEODRIVER=offscreen ") +
                      "MENVARO_UI_SCRIPT=" + MENVARO_GALLERY_SCRIPT + " " + MENVARO_GALLERY + " 2>" + err;
    int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    ASSERT_EQ(WEXITSTATUS(raw), 0) << ReadFileBytes(err);
    test::PngImage png;
    ASSERT_TRUE(test::ReadPngFile(shot, png));
    ASSERT_EQ(png.w, 660);
    ASSERT_EQ(png.h, 440);
    EXPECT_EQ(png.At(420, 5), 0xFFFFFFu);           // the white banner
    EXPECT_EQ(png.At(10, 71), 0x008040u);           // the green bar under it
    EXPECT_EQ(png.At(10, 350), 0xFFFFFFu);          // the raised frame bevel: light outside
    EXPECT_EQ(png.At(11, 350), 0x808080u);          // and dark inside
    EXPECT_EQ(png.At(18 + 3, 372 + 8), 0x000080u);  // a block of the progress bar
    EXPECT_EQ(png.At(18 + 300, 372 + 8), 0xC0C0C0u);
    EXPECT_EQ(png.At(405, 300), 0xC0C0C0u);  // the free panel's margin
    // Its pages' tabs below them: the chosen one reaches two pixels lower.
    EXPECT_EQ(png.At(430, 423), 0x000000u);
    EXPECT_EQ(png.At(495, 423), 0xC0C0C0u);
    EXPECT_EQ(png.At(495, 421), 0x000000u);
    // The logo's green mark and the purple captions of the bitmap buttons.
    unsigned logo = png.At(506 + 14, 34);
    EXPECT_GT((logo >> 8) & 0xFF, 96u);
    EXPECT_LT(logo >> 16, 64u);
    int purple = 0;
    for (int y = 150; y < 215; ++y)
        for (int x = 15; x < 140; ++x) purple += png.At(x, y) == 0x800080u;
    EXPECT_GT(purple, 30);
    // The first page: the circle of the shape, the list box's chosen row,
    // the scroll bars' checked tracks and the masked edit's text.
    int yellow = 0, highlight = 0, track = 0, text = 0;
    for (int y = 130; y < 300; ++y)
        for (int x = 410; x < 640; ++x) {
            unsigned c = png.At(x, y);
            yellow += c == 0xFFFF00u;
            highlight += c == 0x000080u;
            track += c == 0xFFFFFFu && png.At(x + 1, y) == 0xC0C0C0u && png.At(x, y + 1) == 0xC0C0C0u;
            text += y > 250 && y < 275 && x < 540 && (c >> 16) < 96;
        }
    EXPECT_GT(yellow, 1000);
    EXPECT_GT(highlight, 500);
    EXPECT_GT(track, 200);
    EXPECT_GT(text, 40);
}

}  // namespace
}  // namespace menvaro
