// Runs the decorated gallery under the sdl backend with SDL's offscreen
// driver and its UI script, then looks at chosen pixels and regions of the
// screenshots it wrote.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/Files.h"
#include "testsupport/PngFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {
namespace {

// The pages of the gallery's page control start at (4, 26) of its window.
struct Page {
    const test::PngImage& png;
    unsigned At(int x, int y) const { return png.At(x + 4, y + 26); }
    int Count(int left, int top, int right, int bottom, const std::function<bool(unsigned)>& match) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += match(At(x, y));
        return n;
    }
    int Count(int left, int top, int right, int bottom, unsigned colour) const {
        return Count(left, top, right, bottom, [colour](unsigned c) { return c == colour; });
    }
};

const unsigned kWhite = 0xFFFFFF, kBlack = 0x000000, kGrey = 0x808080, kFace = 0xC0C0C0;

TEST(DecoratedGallery, ScriptDrivesTheControlsUnderSdlAndTheScreenshotsShowThem) {
    for (const char* shot : {"decorated-captions.png", "decorated-buttons.png", "decorated-shapes.png",
                             "decorated-tool-backup.png", "decorated-tool-restore.png"})
        DeleteFile(shot);
    const test::TempDir dir("decorated_gallery");
    const std::string err = dir.path() + "gallery_err.txt";
    const std::string cmd = std::string("env -u DISPLAY -u WAYLAND_DISPLAY MENVARO_UI=sdl SDL_VIDEODRIVER=offscreen ") +
                            "MENVARO_UI_SCRIPT=" + MENVARO_GALLERY_SCRIPT + " " + MENVARO_GALLERY + " 2>" + err;
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    ASSERT_EQ(WEXITSTATUS(raw), 0) << ReadFileBytes(err);

    test::PngImage captions;
    ASSERT_TRUE(test::ReadPngFile("decorated-captions.png", captions));
    ASSERT_EQ(captions.w, 560);
    ASSERT_EQ(captions.h, 400);
    const Page text{captions};
    // The login title on its white panel: blue face, aqua highlight.
    EXPECT_GT(text.Count(8, 6, 150, 44, 0x0000FF), 60);
    EXPECT_GT(text.Count(8, 6, 150, 44, 0x00FFFF), 5);
    EXPECT_EQ(text.At(540, 20), kWhite);
    EXPECT_EQ(text.At(540, 60), kFace);
    // The outlined caption: a yellow face in a maroon outline.
    EXPECT_GT(text.Count(340, 60, 440, 92, 0xFFFF00), 30);
    EXPECT_GT(text.Count(340, 60, 440, 92, 0x800000), 30);
    // The shadow in grey below right of the navy face.
    EXPECT_GT(text.Count(450, 60, 550, 95, kGrey), 20);
    EXPECT_GT(text.Count(450, 60, 550, 95, 0x000080), 20);
    // The extrusion's layers between black and red.
    EXPECT_GT(text.Count(12, 112, 130, 150,
                         [](unsigned c) { return (c & 0xFFFF) == 0 && (c >> 16) > 20 && (c >> 16) < 250; }),
              20);
    // The disabled caption: embossed in the button colours, no navy.
    EXPECT_EQ(text.Count(290, 112, 400, 145, 0x000080), 0);
    EXPECT_GT(text.Count(290, 112, 400, 145, kGrey), 20);
    // Turned a quarter: the teal caption is far taller than wide.
    int left = 999, right = -1, top = 999, bottom = -1;
    for (int y = 165; y < 300; ++y)
        for (int x = 8; x < 56; ++x)
            if (text.At(x, y) == 0x008080) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left);
    EXPECT_GT(bottom - top, 3 * (right - left));
    // The wrapped caption fills more than one line of its white box.
    EXPECT_GT(text.Count(240, 170, 420, 200, kBlack), 40);
    EXPECT_GT(text.Count(240, 200, 420, 230, kBlack), 40);

    test::PngImage buttonsPng;
    ASSERT_TRUE(test::ReadPngFile("decorated-buttons.png", buttonsPng));
    ASSERT_EQ(buttonsPng.w, 560);
    const Page buttons{buttonsPng};
    // Up: raised. Latched before, raised now that Group is latched: sunken.
    EXPECT_EQ(buttons.At(12, 16), kWhite);
    EXPECT_EQ(buttons.At(12 + 89, 16 + 29), kBlack);
    EXPECT_EQ(buttons.At(110, 16), kWhite);
    EXPECT_EQ(buttons.At(208, 16), kBlack);
    EXPECT_EQ(buttons.At(208 + 89, 16 + 29), kWhite);
    // Disabled: its caption embossed, no black text.
    EXPECT_EQ(buttons.Count(308, 18, 394, 44, kBlack), 0);
    EXPECT_GT(buttons.Count(308, 18, 394, 44, kGrey), 10);
    // The default OK button's rim and green check, the cancel button's red cross.
    EXPECT_EQ(buttons.At(12, 64), kBlack);
    EXPECT_GT(buttons.Count(12, 64, 112, 96, 0x008000), 10);
    EXPECT_GT(buttons.Count(120, 64, 220, 96, 0xFF0000), 10);
    EXPECT_EQ(buttons.At(120, 64), kWhite);
    // The retry glyph above its caption.
    EXPECT_GT(buttons.Count(228, 56, 308, 80, 0x008000), 5);
    EXPECT_GT(buttons.Count(228, 80, 308, 104, kBlack), 10);
    // Focused: the dark rim.
    EXPECT_EQ(buttons.At(12, 130), kBlack);
    // Styled: yellow caption with its black shadow on navy.
    EXPECT_GT(buttons.Count(120, 130, 220, 162,
                            [](unsigned c) { return (c >> 16) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) < 100; }),
              20);
    EXPECT_GT(buttons.Count(120, 130, 220, 162, kBlack), 10);
    EXPECT_EQ(buttons.At(125, 133), 0x000080);
    // Flat with the mouse on it: framed; toggled down: sunken.
    EXPECT_EQ(buttons.At(228, 130), kGrey);
    EXPECT_EQ(buttons.At(336, 130), kBlack);

    test::PngImage shapesPng;
    ASSERT_TRUE(test::ReadPngFile("decorated-shapes.png", shapesPng));
    ASSERT_EQ(shapesPng.w, 560);
    const Page shapes{shapesPng};
    const unsigned kSky = 0xA6CAF0;
    // The shapes are their windows: the face inside, the page beside it.
    // Triangles up and turned right, a star with the page between its legs.
    EXPECT_EQ(shapes.At(151, 32), kSky);
    EXPECT_EQ(shapes.At(126, 6), kFace);
    EXPECT_EQ(shapes.At(134, 70), kSky);
    EXPECT_EQ(shapes.At(174, 53), kFace);
    EXPECT_EQ(shapes.At(390, 24), kSky);
    EXPECT_EQ(shapes.At(390, 41), kFace);
    EXPECT_EQ(shapes.At(4, 4), kFace) << "a round rectangle's corner";
    // A rectangle's bevel: light on top, black below.
    EXPECT_EQ(shapes.At(314, 4), kWhite);
    EXPECT_EQ(shapes.At(314, 43), kBlack);
    // Thirty-six buttons of the face colour.
    EXPECT_GT(shapes.Count(0, 0, 552, 190, kSky), 36 * 600);
    // Highlight shading lights the top, flat shading draws no edge while the
    // mouse is elsewhere; the latched button is dithered; the default one
    // has the focus line at its tip; the red one keys out blue instead.
    EXPECT_EQ(shapes.At(134, 196), kWhite);
    EXPECT_EQ(shapes.At(224, 196), kFace);
    EXPECT_EQ(shapes.At(288, 218), kWhite);
    EXPECT_EQ(shapes.At(289, 218), kFace);
    EXPECT_EQ(shapes.At(405, 196), kBlack);
    EXPECT_GT(shapes.Count(454, 196, 538, 240, 0xFF0000), 300);
    // The imager shows the picture with its key colour; the image buttons
    // leave the key out, the raised one with its shadow band, the latched
    // one dithered in yellow, the tinted one in its colour.
    EXPECT_EQ(shapes.At(5, 259), 0xFF00FFu);
    EXPECT_EQ(shapes.At(120, 282), 0x0000D0u) << "flipped, stretched and tinted";
    EXPECT_EQ(shapes.At(185, 259), kFace);
    EXPECT_EQ(shapes.At(216, 282), 0x000080u);
    EXPECT_EQ(shapes.At(199, 282), 0xFFFF00u);
    EXPECT_EQ(shapes.At(316, 286), kBlack);
    EXPECT_EQ(shapes.At(345, 282), 0xFFFF00u);
    EXPECT_EQ(shapes.At(346, 282), kFace);
    EXPECT_EQ(shapes.At(434, 282), 0x3F0024u);

    // The backup tool's window, on either page: the title, and the round
    // buttons lit at the top, dark below, with their captions.
    for (const char* shot : {"decorated-tool-backup.png", "decorated-tool-restore.png"}) {
        test::PngImage png;
        ASSERT_TRUE(test::ReadPngFile(shot, png)) << shot;
        const Page tool{png};
        EXPECT_GT(tool.Count(10, 10, 400, 70, 0x0000FF), 500) << shot;
        EXPECT_EQ(tool.At(500, 40), kWhite) << shot;
        for (const int left : {94, 314}) {
            EXPECT_EQ(tool.At(left + 60, 244), kWhite) << shot << " " << left;
            EXPECT_EQ(tool.At(left + 60, 291), kGrey) << shot << " " << left;
            EXPECT_EQ(tool.At(left + 60, 292), kBlack) << shot << " " << left;
            EXPECT_EQ(tool.At(left + 118, 268), kBlack) << shot << " " << left;
            EXPECT_EQ(tool.At(left + 4, 268), kFace) << shot << " " << left;
        }
        EXPECT_GT(tool.Count(114, 254, 194, 284, 0x000080), 100) << shot;
    }
    test::PngImage backupPng, restorePng;
    ASSERT_TRUE(test::ReadPngFile("decorated-tool-backup.png", backupPng));
    ASSERT_TRUE(test::ReadPngFile("decorated-tool-restore.png", restorePng));
    // Beside a button's rounded corner: the white box of the first page, the
    // wallpaper seen through the second.
    EXPECT_EQ(Page{backupPng}.At(94, 292 + 1), kWhite);
    EXPECT_EQ(Page{backupPng}.At(213, 268), kWhite);
    const unsigned wall = Page{restorePng}.At(213, 268);
    EXPECT_NE(wall, kWhite);
    EXPECT_NE(wall, kFace);
    EXPECT_GT(wall & 0xFF, (wall >> 16) & 0xFF) << "the wallpaper's blue";
}

}  // namespace
}  // namespace menvaro
