// The PNG screenshot: the writer's chunks read back by libpng and checked
// by pngcheck, and the screen the program shows (headless windows and the
// cursor) as the PNG holds it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "EZLib.h"
#include "ExceptionLog.h"
#include "base/Files.h"
#include "gfx/Bitmap.h"
#include "testsupport/PngFile.h"
#include "testsupport/TempDir.h"
#include "testsupport/UiTest.h"
#include "ui/WindowManager.h"

using namespace menvaro;
using menvaro::test::PngImage;
using menvaro::test::TempDir;

namespace {

struct TChunk {
    std::string Type, Data;
    std::uint32_t Crc = 0;
};

std::uint32_t Be32(const std::string& s, std::size_t at) {
    return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint8_t(s[at + 3]);
}

// The chunks after the signature; a file that does not hold whole chunks
// fails the test.
std::vector<TChunk> Chunks(const std::string& file) {
    std::vector<TChunk> chunks;
    EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    for (std::size_t at = 8; at < file.size();) {
        if (file.size() - at < 12) {
            ADD_FAILURE() << "a cut chunk at " << at;
            break;
        }
        const std::uint32_t length = Be32(file, at);
        if (file.size() - at - 12 < length) {
            ADD_FAILURE() << "a chunk runs past the end at " << at;
            break;
        }
        chunks.push_back({file.substr(at + 4, 4), file.substr(at + 8, length), Be32(file, at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

// pngcheck's verdict: its exit status (0 for a sound file) and its words.
int PngCheck(const std::string& path, std::string& output) {
    const std::string command = "pngcheck -v '" + path + "' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Distance(std::uint32_t a, std::uint32_t b) {
    const int dr = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF), dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF),
              db = int(a & 0xFF) - int(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

TPaletteImage Image(int width, int height, const std::function<std::uint8_t(int, int)>& index) {
    TPaletteImage image;
    image.Width = width;
    image.Height = height;
    image.Palette = ScreenshotPalette();
    image.Pixels.assign(std::size_t(image.Stride()) * height, 0xEE);  // padding that must not show
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Pixels[std::size_t(height - 1 - y) * image.Stride() + x] = index(x, y);
    return image;
}

void ExpectSoundPng(const std::string& path, const TPaletteImage& image) {
    std::string report;
    EXPECT_EQ(PngCheck(path, report), 0) << report;
    const std::string bytes = ReadFileBytes(path);
    const std::vector<TChunk> chunks = Chunks(bytes);
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].Type, "IHDR");
    EXPECT_EQ(chunks[0].Data, std::string("\0\0", 2) + char(image.Width >> 8) + char(image.Width & 0xFF) +
                                  std::string("\0\0", 2) + char(image.Height >> 8) + char(image.Height & 0xFF) +
                                  std::string("\x08\x03\0\0\0", 5));
    EXPECT_EQ(chunks[1].Type, "PLTE");
    ASSERT_EQ(chunks[1].Data.size(), 768u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(Be32(std::string(1, '\0') + chunks[1].Data.substr(3 * i, 3), 0), image.Palette[i]);
    EXPECT_EQ(chunks.back().Type, "IEND");
    EXPECT_EQ(chunks.back().Data, "");
    for (const TChunk& c : chunks)
        EXPECT_EQ(c.Crc, UpdateCrc32(0xFFFFFFFFu, (c.Type + c.Data).data(), 4 + c.Data.size()) ^ 0xFFFFFFFFu);
    // libpng's reading of the rows.
    PngImage read;
    ASSERT_TRUE(test::ReadPngFile(path, read));
    ASSERT_EQ(read.w, image.Width);
    ASSERT_EQ(read.h, image.Height);
    int wrong = 0;
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            if (read.At(x, y) != image.Palette[image.TopDownRow(y)[x]] && ++wrong < 5)
                ADD_FAILURE() << "pixel " << x << "," << y;
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(PngWriter, RowsOfAnyWidthAreReadBackByLibpngAndPassPngcheck) {
    TempDir dir("png");
    // 1366 is no multiple of 4: the bitmap's rows are padded, the PNG's not.
    for (int width : {1366, 1, 3, 4}) {
        const TPaletteImage image = Image(width, 7, [](int x, int y) { return std::uint8_t(x * 7 + y * 13); });
        const std::string path = dir.path() + "rows" + std::to_string(width) + ".png";
        WriteFileAtomic(path, PngFileBytes(image));
        ExpectSoundPng(path, image);
        const std::vector<TChunk> chunks = Chunks(ReadFileBytes(path));
        EXPECT_EQ(chunks.size(), 4u);  // one IDAT
    }
}

TEST(PngWriter, CompressedDataBeyondOneBufferIsCutIntoIdatChunksOfThatSize) {
    TempDir dir("png");
    std::mt19937 random(145);
    // Noise does not compress: about 1.2 MB of deflate output.
    const TPaletteImage image = Image(1280, 960, [&](int, int) { return std::uint8_t(random()); });
    const std::string path = dir.Write("noise.png", PngFileBytes(image));
    ExpectSoundPng(path, image);
    std::vector<std::size_t> idat;
    for (const TChunk& c : Chunks(ReadFileBytes(path)))
        if (c.Type == "IDAT") idat.push_back(c.Data.size());
    ASSERT_GE(idat.size(), 4u);
    for (std::size_t i = 0; i + 1 < idat.size(); ++i) EXPECT_EQ(idat[i], kPngDeflateBufferSize) << i;
    EXPECT_GT(idat.back(), 0u);
    EXPECT_LE(idat.back(), kPngDeflateBufferSize);
}

TEST(PngWriter, AnImageWithoutPixelsIsRefused) {
    EXPECT_THROW(PngFileBytes(TPaletteImage{}), EInvalidArgument);
    TPaletteImage shortOfPixels = Image(10, 10, [](int, int) { return 0; });
    shortOfPixels.Pixels.resize(50);
    EXPECT_THROW(PngFileBytes(shortOfPixels), EInvalidArgument);
}

TEST(PngWriter, TheCrcIsThatOfIso3309) {
    const std::string text = "123456789";
    EXPECT_EQ(UpdateCrc32(0xFFFFFFFFu, text.data(), text.size()) ^ 0xFFFFFFFFu, 0xCBF43926u);
    EXPECT_EQ(SwapBytes32(0x11223344u), 0x44332211u);
}

TEST(ScreenshotPalette, EveryColourGoesToTheNearestEntry) {
    const auto& palette = ScreenshotPalette();
    std::mt19937 random(6145);
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t rgb = random() & 0xFFFFFF;
        int best = Distance(rgb, palette[0]);
        for (std::uint32_t p : palette) best = std::min(best, Distance(rgb, p));
        EXPECT_EQ(Distance(rgb, palette[NearestPaletteIndex(rgb)]), best) << std::hex << rgb;
    }
    for (std::uint32_t exact : {0x000000u, 0xFFFFFFu, 0xFF0000u, 0x0033CCu, 0xC1C1C1u})
        EXPECT_EQ(palette[NearestPaletteIndex(exact)], exact) << std::hex << exact;
}

class Screenshot : public test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        SetMonitorLayout({{Bounds(0, 0, 1366, 768), Bounds(0, 0, 1366, 728), true}});
    }
    void TearDown() override {
        SetMonitorLayout({});
        UiTest::TearDown();
    }
    TForm* Window(TRect bounds, TColor colour) {
        TForm* f = Create<TForm>(Application);
        f->SetBorderStyle(bsNone);
        f->SetColor(colour);
        f->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        f->Show();
        return f;
    }
    TempDir dir_{"screenshot"};
};

TEST_F(Screenshot, TheWindowsAtTheirPlacesAndTheCursorMappedToThePalette) {
    Window(Bounds(100, 100, 300, 200), clRed);
    Window(Bounds(250, 150, 300, 200), TColor(0x00CC3300));  // 0x0033CC as RGB, drawn over the red one
    Pump();
    SetCursorPos({700, 500});
    const std::string path = dir_.path() + "Screenshot.png";
    ASSERT_TRUE(SaveScreenshotPng(path));
    TBitmap screen;
    CaptureScreen(screen, true);
    PngImage png;
    ASSERT_TRUE(test::ReadPngFile(path, png));
    ASSERT_EQ(png.w, 1366);
    ASSERT_EQ(png.h, 768);
    std::string report;
    EXPECT_EQ(PngCheck(path, report), 0) << report;
    EXPECT_NE(report.find("1366 x 768 image, 8-bit palette"), std::string::npos) << report;
    // Every pixel is the palette's nearest colour to the one shown.
    std::map<std::uint32_t, int> nearest;
    const auto& palette = ScreenshotPalette();
    int wrong = 0;
    for (int y = 0; y < png.h; ++y) {
        const std::uint32_t* row = screen.ScanLine(y);
        for (int x = 0; x < png.w; ++x) {
            const std::uint32_t shown = row[x] & 0xFFFFFF;
            auto it = nearest.find(shown);
            if (it == nearest.end()) {
                int best = 1 << 30;
                for (std::uint32_t p : palette) best = std::min(best, Distance(shown, p));
                it = nearest.emplace(shown, best).first;
            }
            if (Distance(png.At(x, y), shown) != it->second && ++wrong < 5) ADD_FAILURE() << x << "," << y;
        }
    }
    EXPECT_EQ(wrong, 0);
    const TColor back = ColorToRGB(clBackground);  // 0x00BBGGRR
    const std::uint32_t desktop =
        palette[NearestPaletteIndex(((back & 0xFF) << 16) | (back & 0xFF00) | ((back >> 16) & 0xFF))];
    struct Spot {
        int x, y;
        std::uint32_t rgb;
    } spots[] = {
        {10, 10, desktop},      {120, 120, 0xFF0000}, {399, 299, 0x0033CC}, {260, 160, 0x0033CC},
        {549, 349, 0x0033CC},   {550, 350, desktop},  {120, 299, 0xFF0000}, {700, 500, 0x000000},
        {701, 502, 0xFFFFFF},   {711, 500, desktop},  {700, 516, 0x000000}, {707, 518, 0x000000},
        {700, 517, desktop},    {1365, 767, desktop},
    };
    for (const Spot& s : spots) EXPECT_EQ(png.At(s.x, s.y), s.rgb) << s.x << "," << s.y;
}

TEST_F(Screenshot, AnEmptyNameOrAScreenWithoutPixelsWritesNoFile) {
    EXPECT_FALSE(SaveScreenshotPng(""));
    SetMonitorLayout({{Bounds(0, 0, 0, 0), Bounds(0, 0, 0, 0), true}});
    const std::string path = dir_.path() + "Screenshot.png";
    EXPECT_FALSE(SaveScreenshotPng(path));
    EXPECT_FALSE(FileExists(path));
}
