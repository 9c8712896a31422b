// Pen, brush and font: the drawing tools a canvas holds. Each setter stores
// a value only when it differs and then calls OnChange, so that an owner
// (a control whose font changed, a canvas) can react.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gfx/Color.h"

namespace menvaro {

class TFontFace;

// Shared part: the change notification.
class TGraphicsObject {
public:
    std::function<void()> OnChange;
    // Counts changes; a canvas compares it to know when to re-apply the tool.
    std::uint64_t Generation() const { return generation_; }

protected:
    TGraphicsObject() = default;
    TGraphicsObject(const TGraphicsObject&) {}
    TGraphicsObject& operator=(const TGraphicsObject&) { return *this; }
    ~TGraphicsObject() = default;
    void Changed();

private:
    std::uint64_t generation_ = 0;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Binary raster operations of the pen (R2_* in this order, minus one).
enum TPenMode {
    pmBlack, pmNotMerge, pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot, pmXor, pmNotMask,
    pmMask, pmNotXor, pmNop, pmMergeNotPen, pmCopy, pmMergePenNot, pmMerge, pmWhite
};

// Pen. Width 0 draws like width 1. Dashes apply to pens of width 1 only
// (wider styled pens draw solid). Dash lengths in pixels: dash 18 on 6 off,
// dot 3 on 3 off, dash-dot 9-6-3-6, dash-dot-dot 9-3-3-3-3-3; the gaps take
// the background colour when the background mode is OPAQUE.
class TPen : public TGraphicsObject {
public:
    TPen() = default;
    TPen(const TPen& o);
    TPen& operator=(const TPen& o) {
        Assign(o);
        return *this;
    }
    void Assign(const TPen& o);

    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Width() const { return width_; }
    void SetWidth(int w);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode m);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

// Brush styles. Hatches draw their lines in the brush colour and their gaps
// in the background colour (only when the background mode is OPAQUE).
// bsPattern is an 8x8 pattern given by SetPattern.
enum TBrushStyle {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross,
    bsPattern
};

// An 8x8 pattern. Monochrome: one byte a row, bit 7 the leftmost pixel; a 0
// bit paints the text colour and a 1 bit the background colour (a pattern
// brush ignores the background mode). Colour: 64 TColor values, row by row.
struct TBrushPattern {
    bool Monochrome = true;
    std::array<std::uint8_t, 8> Bits{};
    std::array<TColor, 64> Colors{};
    friend bool operator==(const TBrushPattern&, const TBrushPattern&) = default;
};

class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    TBrush(const TBrush& o);
    TBrush& operator=(const TBrush& o) {
        Assign(o);
        return *this;
    }
    void Assign(const TBrush& o);

    TColor Color() const { return color_; }
    void SetColor(TColor c);  // a pattern brush turns solid again
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s);
    // Makes this a bsPattern brush.
    void SetPattern(const TBrushPattern& p);
    void SetMonoPattern(const std::array<std::uint8_t, 8>& rows);
    const TBrushPattern& Pattern() const { return pattern_; }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBrushPattern pattern_;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // a set of TFontStyle bits

enum TFontPitch { fpDefault, fpVariable, fpFixed };
// Antialiased (the default) or one-bit glyphs.
enum TFontQuality { fqDefault, fqNonAntialiased, fqAntialiased };

enum : int { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, GB2312_CHARSET = 134 };

// Screen resolution all point sizes refer to.
inline constexpr int PixelsPerInch = 96;

// Font as the class library describes it. Height < 0 is the character (em)
// height in pixels, Height > 0 the cell height (ascent + descent), 0 a default
// of 16 pixels character height. Size is in points: Size = -Height * 72 / 96
// (rounded), and setting Size sets Height = -(Size * 96 / 72) rounded.
// Orientation is the escapement in tenths of a degree, counter-clockwise.
// Name is a family name; the design's table maps the original system's names
// (宋体, 黑体, MS Sans Serif, ...) to installed fonts.
class TFont : public TGraphicsObject {
public:
    TFont() = default;
    TFont(const TFont& o);
    TFont& operator=(const TFont& o) {
        Assign(o);
        return *this;
    }
    void Assign(const TFont& o);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& n);
    int Height() const { return height_; }
    void SetHeight(int h);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles s);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Charset() const { return charset_; }
    void SetCharset(int c);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch p);
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenths);
    TFontQuality Quality() const { return quality_; }
    void SetQuality(TFontQuality q);

    // Same description (colour and orientation included)?
    bool SameAs(const TFont& o) const;

    // The installed font this description resolves to, with its glyph
    // cache; resolved on first use and kept until the description changes.
    // Never null: an unknown family falls back to fontconfig's best match.
    const std::shared_ptr<TFontFace>& Face() const;

private:
    void Touch();
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    int orientation_ = 0;
    TFontQuality quality_ = fqDefault;
    mutable std::shared_ptr<TFontFace> face_;
};

}  // namespace menvaro
