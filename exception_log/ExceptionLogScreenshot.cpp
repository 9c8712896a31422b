// The screenshot of a report: the screen the program shows, reduced to a
// fixed palette by nearest colour and written as a PNG file.
#include <unordered_map>

#include "EZLib.h"
#include "ExceptionLogMail.h"
#include "base/Files.h"
#include "gfx/Bitmap.h"
#include "ui/WindowManager.h"

namespace menvaro {

namespace {

// The 216 colours of the 6 x 6 x 6 cube, then 40 greys between its six.
std::array<std::uint32_t, 256> MakePalette() {
    std::array<std::uint32_t, 256> p{};
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p[i++] = (std::uint32_t(r * 51) << 16) | (std::uint32_t(g * 51) << 8) | (b * 51);
    for (int k = 1; k <= 40; ++k) {
        const std::uint32_t v = static_cast<std::uint32_t>((255 * k + 20) / 41);
        p[i++] = (v << 16) | (v << 8) | v;
    }
    return p;
}

int Distance(std::uint32_t a, std::uint32_t b) {
    const int dr = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    const int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    const int db = int(a & 0xFF) - int(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

}  // namespace

const std::array<std::uint32_t, 256>& ScreenshotPalette() {
    static const std::array<std::uint32_t, 256> palette = MakePalette();
    return palette;
}

std::uint8_t NearestPaletteIndex(std::uint32_t rgb) {
    const auto& palette = ScreenshotPalette();
    int best = 0, bestDistance = Distance(rgb, palette[0]);
    for (int i = 1; i < 256 && bestDistance > 0; ++i) {
        const int d = Distance(rgb, palette[i]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return static_cast<std::uint8_t>(best);
}

TPaletteImage PaletteImageOf(const TBitmap& picture) {
    TPaletteImage image;
    image.Width = picture.Width();
    image.Height = picture.Height();
    image.Palette = ScreenshotPalette();
    if (picture.Empty()) return image;
    const std::size_t stride = static_cast<std::size_t>(image.Stride());
    image.Pixels.assign(stride * static_cast<std::size_t>(image.Height), 0);
    // A screen holds few colours: each is looked up once.
    std::unordered_map<std::uint32_t, std::uint8_t> known;
    for (int y = 0; y < image.Height; ++y) {
        const std::uint32_t* from = picture.ScanLine(y);
        std::uint8_t* to = image.Pixels.data() + static_cast<std::size_t>(image.Height - 1 - y) * stride;
        for (int x = 0; x < image.Width; ++x) {
            const std::uint32_t rgb = from[x] & 0xFFFFFF;
            auto it = known.find(rgb);
            if (it == known.end()) it = known.emplace(rgb, NearestPaletteIndex(rgb)).first;
            to[x] = it->second;
        }
    }
    return image;
}

bool SaveScreenshotPng(const std::string& fileName) {
    TraceCall("SaveScreenshotPng", {fileName}, 2);
    bool written = false;
    try {
        if (!fileName.empty()) {
            TBitmap screen;
            CaptureScreen(screen, true);
            if (!screen.Empty()) {
                WriteFileAtomic(fileName, PngFileBytes(PaletteImageOf(screen)));
                written = true;
            }
        }
    } catch (...) {
        TraceCall("SaveScreenshotPng=", {}, -2);
        throw;
    }
    TraceCall("SaveScreenshotPng=", {written}, -2);
    return written;
}

}  // namespace menvaro
