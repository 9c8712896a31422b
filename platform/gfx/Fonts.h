// Installed fonts behind TFont: family mapping (the design's table, then
// fontconfig), FreeType faces, metrics and a glyph cache per face. Faces are
// meant for the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gfx/GraphicsObjects.h"

namespace menvaro {

// Text metrics in pixels, as GetTextMetrics reports them.
struct TTextMetric {
    int Height = 0;           // Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;  // Height - character height
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
};

// The family an original system's font name stands for: 宋体 -> AR PL SungtiL
// GB, 楷体_GB2312 and 华文行楷 -> AR PL KaitiM GB, 黑体 -> WenQuanYi Zen Hei, MS
// Sans Serif and Tahoma -> DejaVu Sans, Courier New -> DejaVu Sans Mono.
// Other names are returned unchanged (fontconfig then finds the best match).
std::string MapFontFamily(std::string_view name);
// The same for a font of `height` (TFont's: negative the character height,
// positive the cell height, in pixels): small 宋体 text (11 to 16 pixels)
// is drawn with AR PL UMing CN, whose bitmaps keep Latin letters apart.
std::string MapFontFamily(std::string_view name, int height);

// One rendered glyph. The coverage bitmap (0..255 a pixel, Pitch bytes a
// row) is placed with its top-left pixel at pen + (Left, -Top), y down.
// Advances are in 1/64 pixel; unrotated glyphs advance by whole pixels.
struct TGlyph {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Pitch = 0;
    int AdvanceX = 0;
    int AdvanceY = 0;
    bool Opaque = false;  // every coverage value is 0 or 255
    std::vector<std::uint8_t> Coverage;
};

class TFontFace {
public:
    // A face for the description; instances are shared between fonts with
    // the same family, size, style and quality.
    static std::shared_ptr<TFontFace> Get(const std::string& name, int height, TFontStyles style,
                                          TFontQuality quality);
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

    const TTextMetric& Metrics() const { return metrics_; }
    // Family and file fontconfig matched for the main face.
    const std::string& FamilyName() const { return family_; }
    const std::string& FilePath() const { return file_; }
    // Character (em) height in pixels.
    int PixelSize() const { return pixelSize_; }
    bool SyntheticBold() const { return fakeBold_; }
    bool SyntheticItalic() const { return fakeItalic_; }

    // The glyph of `cp` (falling back to another installed font that has
    // it), rotated by `tenths` of a degree counter-clockwise.
    const TGlyph& Glyph(char32_t cp, int tenths = 0);
    // Unrotated advance in whole pixels.
    int Advance(char32_t cp) { return Glyph(cp).AdvanceX >> 6; }

    // Underline and strike-out lines: offset below the baseline (negative:
    // above) of the first row, and thickness, in pixels.
    int UnderlineOffset() const { return underlineOffset_; }
    int StrikeoutOffset() const { return strikeoutOffset_; }
    int LineThickness() const { return lineThickness_; }

    std::size_t CachedGlyphs() const { return glyphs_.size(); }

private:
    TFontFace() = default;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    TTextMetric metrics_;
    std::string family_;
    std::string file_;
    int pixelSize_ = 0;
    bool fakeBold_ = false;
    bool fakeItalic_ = false;
    bool mono_ = false;
    int underlineOffset_ = 1;
    int strikeoutOffset_ = -3;
    int lineThickness_ = 1;
    std::unordered_map<std::uint64_t, TGlyph> glyphs_;
    // Fast path for unrotated glyphs below U+10000.
    std::vector<const TGlyph*> bmp_;
    friend struct FaceBuilder;
};

}  // namespace menvaro
