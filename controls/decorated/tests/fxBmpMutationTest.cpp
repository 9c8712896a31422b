// Damaged pictures: BMP streams, form data and pixel blocks changed at
// random (a fixed seed, so a failure repeats) must load or raise an error
// that names what is wrong, never read past what holds them. The sanitizer
// build runs these too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "decorated/fxBitmap.h"
#include "gfx/Bmp.h"
#include "testsupport/Images.h"
#include "ui/GraphicsClasses.h"

using namespace menvaro;

namespace {

std::vector<std::string> SampleFiles() {
    std::vector<std::string> files;
    const TColor colours[] = {clRed, clLime, clBlue, clWhite, clBlack, clYellow, clTeal, clGray};
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) b.SetPixel(x, y, colours[(x + 2 * y) % 8]);
        b.SetPixelFormat(f);
        TMemoryStream s;
        b.SaveToStream(s);
        files.push_back(s.Bytes());
    }
    auto made = [&](const test::BmpFile& f) {
        const std::vector<std::uint8_t> bytes = test::MakeBmp(f);
        files.emplace_back(bytes.begin(), bytes.end());
    };
    made({3, -2, 24, 0, 0, {}, {}, std::vector<std::uint8_t>(24, 0x5A)});                      // top-down
    made({2, 2, 16, 3, 0, {0xF800, 0x07E0, 0x001F}, {}, std::vector<std::uint8_t>(8, 0xC3)});  // 5-6-5
    made({2, 1, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF}, {}, std::vector<std::uint8_t>(8, 0x77)});
    made({4, 2, 8, 0, 3, {}, {clRed, clGreen, clBlue}, {0, 1, 2, 1, 2, 1, 0, 0}});
    made({9, 1, 4, 0, 0, {}, {}, std::vector<std::uint8_t>(8, 0x12)});
    return files;
}

const std::uint32_t kInteresting[] = {0,           1,           2,           3,      4,      12,      40,
                                      124,         0xFF,        0xFFFF,      0x7FFF, 0x8000, 0x10000, 0x7FFFFFFF,
                                      0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u, 32767,  32768};

std::string Mutate(std::string s, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int changes = int(pick(6)) + 1;
    for (int i = 0; i < changes && !s.empty(); ++i) {
        switch (pick(5)) {
            case 0: s[pick(s.size())] = char(pick(256)); break;
            case 1: {
                // A header field (they all lie in the first 70 bytes) set to a value at an edge.
                const std::size_t at = pick(std::min<std::size_t>(s.size(), 70));
                const std::uint32_t v = kInteresting[pick(std::size(kInteresting))];
                for (std::size_t k = 0; k < 4 && at + k < s.size(); ++k) s[at + k] = char(v >> (8 * k));
                break;
            }
            case 2: s.resize(pick(s.size() + 1)); break;
            case 3: s.append(pick(40), char(pick(256))); break;
            default: s[pick(std::min<std::size_t>(s.size(), 60))] ^= char(1 << pick(8)); break;
        }
    }
    return s;
}

// What a successful load must hold to.
void ExpectSound(const TfxBitmap& b) {
    ASSERT_TRUE(BitmapSizeFits(b.Width(), b.Height()));
    EXPECT_EQ(b.RowStride(), 3 * b.Width() + b.Width() % 4);
    EXPECT_EQ(b.ImageSize(), b.RowStride() * b.Height());
    if (b.Empty()) return;
    TMemoryStream out;
    b.SaveToStream(out);
    EXPECT_GT(out.Size(), 54);
}

}  // namespace

TEST(DamagedPictures, MutatedBmpStreamsLoadOrRaiseWhatIsWrong) {
    const std::vector<std::string> files = SampleFiles();
    std::mt19937 rng(20240611);
    int loaded = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string damaged = Mutate(files[std::size_t(i) % files.size()], rng);
        TOwned<TfxBitmap> b(Create<TfxBitmap>());
        b->SetSize(2, 2);
        TMemoryStream s(damaged);
        try {
            b->LoadFromStream(s);
            ExpectSound(*b);
            EXPECT_LE(s.Position(), s.Size());
            ++loaded;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("invalid BMP file: ", 0), 0u) << e.what();
            EXPECT_EQ(b->Width(), 2) << "a failed load keeps the picture";
            ++refused;
        }
        if (HasFatalFailure()) return;
    }
    // The damage is neither always fatal nor always harmless.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(refused, 100);
}

TEST(DamagedPictures, MutatedFormDataLoadsOrRaises) {
    const std::vector<std::string> files = SampleFiles();
    std::mt19937 rng(7);
    for (int i = 0; i < 1500; ++i) {
        const std::string& file = files[std::size_t(i) % files.size()];
        std::string data;
        for (int k = 0; k < 4; ++k) data.push_back(char((file.size() >> (8 * k)) & 0xFF));
        data += file;
        data = Mutate(data, rng);
        TOwned<TfxBitmap> b(Create<TfxBitmap>());
        TMemoryStream s(data);
        try {
            ReadGraphicData(s, *b);
            ExpectSound(*b);
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find("bitmap data: "), std::string::npos) << e.what();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("invalid BMP file: ", 0), 0u) << e.what();
        }
        if (HasFatalFailure()) return;
    }
}

TEST(DamagedPictures, PixelBlocksOfAnySizeAndShapeLoadOrRaise) {
    std::mt19937 rng(99);
    const int sides[] = {-5, -1, 0, 1, 2, 3, 4, 5, 7, 31, 32767, 32768, 40000, INT32_MAX, INT32_MIN};
    for (int i = 0; i < 2000; ++i) {
        const int w = sides[rng() % std::size(sides)], h = sides[rng() % std::size(sides)];
        // A block of exactly `size` bytes on the heap, so that reading past it is caught.
        const std::size_t size = rng() % 200;
        std::vector<std::uint8_t> block(size);
        for (auto& byte : block) byte = std::uint8_t(rng());
        const std::int64_t claimed = (rng() % 4 == 0) ? std::int64_t(size) + 1000 : std::int64_t(size);
        TOwned<TfxBitmap> b(Create<TfxBitmap>());
        try {
            // Claiming more than the block holds is the caller's lie; only the
            // honest claims are read.
            if (claimed != std::int64_t(size) && w > 0 && h > 0) {
                EXPECT_THROW(b->LoadFromBits(nullptr, claimed, {w, h}), EInvalidGraphic);
                continue;
            }
            b->LoadFromBits(block.empty() ? nullptr : block.data(), claimed, {w, h});
            ExpectSound(*b);
            if (w > 0 && h > 0) {
                ASSERT_EQ(b->Width(), w);
                for (int y = 0; y < h; ++y)
                    EXPECT_EQ(std::memcmp(b->RowTable()[y], block.data() + std::size_t(y) * b->RowStride(),
                                          std::size_t(w) * 3),
                              0);
            } else {
                EXPECT_TRUE(b->Empty());
            }
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(b->Empty());
            EXPECT_GT(std::strlen(e.what()), 10u);
        }
    }
}
