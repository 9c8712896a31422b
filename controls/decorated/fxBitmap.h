// TfxBitmap: the 24-bit picture under every decorated control, its pixels
// in memory as a block that effects work on byte by byte, drawn smoothly
// stretched, tiled or transparently through a cached mask, and telling its
// change links of every change.
//
// The pixel block: 3 bytes a pixel (blue, green, red), rows top-down, each
// row `Width` * 3 bytes followed by `RowPadding` = Width mod 4 bytes, so
// `RowStride` = 3 * Width + Width mod 4 and `ImageSize` = RowStride * Height;
// `RowTable()[i]` is `Bits()` + i * RowStride.
//
// The block and the canvas. The platform's canvases paint 32-bit pixels, so
// the canvas of a TfxBitmap paints on a 32-bit copy of the picture, and the
// block stays the picture by one rule: whichever side was last written is
// the picture, and the other is brought up to date, converted, when it is
// used next. Asking for Bits() or RowTable() (non-const), or running an
// effect, makes the block the newer side; any painting through the canvas
// makes the canvas the newer side. So a pointer from Bits() or RowTable()
// stays good until the next use of the canvas, the next resize or the next
// load; ask again after drawing through the canvas.
//
// As a graphic it may be held by a std::unique_ptr<TGraphic> (a TPicture
// holds it so): it has nothing to do before its destruction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "classes/Classes.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/Graphic.h"
#include "gfx/Types.h"

namespace menvaro {

class TfxChangeLink;
class TFiler;
class TStream;

// A colour-table entry as a palette bitmap keeps it.
struct TRGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
using TfxColorTable = std::array<TRGBQuad, 256>;

// A logical palette: version 0x300 and red-green-blue-flags entries.
struct TPaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
struct TLogPalette {
    std::uint16_t palVersion = 0x300;
    std::vector<TPaletteEntry> palPalEntry;
};

// The header that describes the block: size 40, width, -height (rows
// top-down), one plane, 24 bits, no compression, everything else 0.
struct TBitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

class TfxBitmap : public TGraphic, public TPersistent {
    MENVARO_CLASS(TfxBitmap, TPersistent)
public:
    TfxBitmap();
    ~TfxBitmap() override;

    // ---- the graphic

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return block_.empty(); }
    void SetWidth(int w) { SetDimensions(w, height_); }
    void SetHeight(int h) { SetDimensions(width_, h); }
    void Draw(TCanvas& canvas, const TRect& r) const override;
    // A BMP file image of any depth the platform reads; written at
    // PixelFormat with the colour table taken on loading. A damaged stream
    // raises EInvalidGraphic and leaves the picture as it was.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    const char* ClassName() const override { return "TfxBitmap"; }
    // Into a TBitmap (at PixelFormat, with Transparent and TransparentColor)
    // or another TfxBitmap (everything but the change links, whose owner is
    // told once); any other graphic raises EConvertError.
    bool AssignTo(TGraphic& dest) const override;
    // Nothing while Updating; else OnChange, then every change link.
    void Changed() override;

    // From a non-empty TBitmap (its pixels, format, colour table and
    // Transparent), nothing (empty), a TfxBitmap (its AssignTo) or any other
    // graphic (drawn on a bitmap first). Assigning to itself does nothing.
    void Assign(const TPersistent* source) override;
    void Assign(const TGraphic* source);
    void Assign(const TfxBitmap* source) { Assign(static_cast<const TGraphic*>(source)); }
    void Assign(std::nullptr_t) { Assign(static_cast<const TGraphic*>(nullptr)); }
    // "Data" in a form file: the length and the BMP file image, as a TBitmap's.
    void DefineProperties(TFiler& filer) override;

    // ---- state

    bool Smooth() const { return smooth_; }
    void SetSmooth(bool v) { smooth_ = v; }
    // Key of transparent drawing; clNone means the top-left pixel's colour.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor c);
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat f) { pixelFormat_ = f; }
    // Realises the picture's palette on displays of 8 bits a pixel or less;
    // the displays here have 32, so drawing never does.
    bool UsePalette() const { return usePalette_; }
    void SetUsePalette(bool v) { usePalette_ = v; }
    // While true, Changed does nothing.
    bool Updating() const { return updating_; }
    void SetUpdating(bool v) { updating_ = v; }
    // While true, Draw never draws transparently.
    bool IgnoreTransparent() const { return ignoreTransparent_; }
    void SetIgnoreTransparent(bool v) { ignoreTransparent_ = v; }

    int RowPadding() const { return rowPadding_; }
    int RowStride() const { return rowStride_; }
    int ImageSize() const { return imageSize_; }
    // The first byte of row 0; nullptr when empty (see the top of this file).
    std::uint8_t* Bits();
    const std::uint8_t* Bits() const;
    std::uint8_t* const* RowTable();
    const std::uint8_t* const* RowTable() const;
    TCanvas& Canvas();
    const TBitmapInfoHeader& Header() const { return header_; }

    // The colour table of the palette bitmap last loaded (ColorCount()
    // entries, the rest 0), handed back when the picture goes into a bitmap.
    const TfxColorTable& ColorTable() const { return colorTable_; }
    TfxColorTable& ColorTable() { return colorTable_; }
    int ColorCount() const { return colorCount_; }
    void SetColorCount(int n);
    // Made by CreateImagePalette; nullptr before.
    const TLogPalette* Palette() const { return palette_.get(); }

    // ---- operations

    // Empties the picture (the mask and the row table go with it).
    virtual void FreeImage();
    virtual void NotifyLinks();
    // A palette of the 256 colour-table entries, when there is none yet
    // and the first entry is not all 0.
    virtual void CreateImagePalette();
    virtual void AddChangeLink(TfxChangeLink* link);
    virtual void RemoveChangeLink(TfxChangeLink* link);
    virtual void Clear() { FreeImage(); }
    virtual void FreeSavedImage();
    bool HasSavedImage() const { return savedSize_ > 0 && !saved_.empty(); }
    // A white picture; a side at or below 0 leaves it empty (nobody is
    // told). Beyond the platform's bitmap size limit raises
    // EInvalidArgument, as TBitmap does, and nothing changes.
    virtual void SetSize(int w, int h);
    virtual void SetDimensions(int w, int h);
    virtual void LoadFromBitmap(const TBitmap& bitmap);
    virtual void LoadFromGraphic(const TGraphic& graphic);
    virtual void LoadByAssign(const TGraphic& source);
    // Rows of `dimensions` in the block's layout from `bits`, which holds
    // `size` bytes. Raises EInvalidGraphic, changing nothing, when they are
    // too few or the size is past the limit.
    virtual void LoadFromBits(const void* bits, std::int64_t size, TSize dimensions);
    virtual void SaveToBitmap(TBitmap& bitmap) const;
    // Keeps the image, stretched to the new size.
    virtual void Resize(int w, int h);
    // Keeps the pixels in memory and frees the picture; RestoreFromMemory
    // brings them back.
    virtual void ReleaseToMemory();
    virtual void RestoreFromMemory();
    virtual void SmoothStretchDraw(TCanvas& canvas, const TRect& r) const;
    virtual void StretchDraw(TCanvas& canvas, const TRect& r) const;
    virtual void TileDraw(TCanvas& canvas, const TRect& r) const;
    virtual void TransparentDraw(TCanvas& canvas, const TRect& r) const;
    // The monochrome mask of transparent drawing (black where the pixel has
    // the key colour), kept until the pixels or the key change.
    const TBitmap& GetMask() const;

    // ---- effects: in place on the block, telling nobody

    virtual void BlurPass(int distance);
    virtual void Contrast(int amount);
    virtual void Emboss();
    virtual void Flip(bool horizontal);
    virtual void GaussianBlur(int depth);
    virtual void GrayScale();
    virtual void Invert();
    virtual void Lightness(int amount);
    // Black where the pixel is `key` (0x00RRGGBB), white elsewhere.
    virtual void MakeMask(std::uint32_t key);
    virtual void Colorize(int red, int green, int blue);
    virtual void ColorTint(int red, int green, int blue);
    virtual void Rotate(TPoint centre, double angle);
    virtual void Saturation(int amount);
    virtual void Sharpen(int distance);
    virtual void Sponge(int amount);
    virtual void Wave(bool wrap, double xDiv, double yDiv, double ratio);
    // Mixes `blend` into the picture by amount / 256; a blend picture of
    // another size raises EInvalidOperation unless `stretch`.
    void AlphaBlend(const TfxBitmap& blend, std::uint8_t amount, bool stretch);

protected:
    virtual void SetupImage();
    void FillHeader();

private:
    enum class TNewer : std::uint8_t { None, Block, Canvas };
    // Draw, with the transparency decided by the caller.
    void DrawAs(TCanvas& canvas, const TRect& r, bool transparent) const;
    void SmoothStretchAs(TCanvas& canvas, const TRect& r, bool transparent) const;
    void StretchAs(TCanvas& canvas, const TRect& r, bool transparent) const;
    // The block brought up to date for reading, or for writing (which makes
    // it the newer side and drops the mask).
    void ReadBlock() const;
    void WriteBlock();
    void CanvasTouched(bool writing) const;
    TCanvas& OwnCanvas() const { return mirror_.Canvas(); }
    std::uint32_t TopLeft() const;
    std::shared_ptr<TBitmap> Mask() const;
    void CopyPixelsFrom(const TfxBitmap& source);

    bool smooth_ = false;
    TColor transparentColor_ = clNone;
    int width_ = 0;
    int height_ = 0;
    int rowPadding_ = 0;
    int rowStride_ = 0;
    int imageSize_ = 0;
    // Shared, so that a draw in progress keeps the mask it started with.
    mutable std::shared_ptr<TBitmap> mask_;
    mutable std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t*> rows_;
    // The 32-bit pixels the canvas paints; see the top of this file.
    mutable TBitmap mirror_;
    mutable TNewer newer_ = TNewer::None;
    std::vector<std::uint8_t> saved_;
    int savedSize_ = 0;
    int savedWidth_ = 0;
    int savedHeight_ = 0;
    TPixelFormat pixelFormat_ = pf24bit;
    std::unique_ptr<TLogPalette> palette_;
    bool usePalette_ = false;
    bool updating_ = false;
    std::vector<TfxChangeLink*> links_;
    TBitmapInfoHeader header_;
    bool ignoreTransparent_ = false;
    TfxColorTable colorTable_{};
    int colorCount_ = 0;
};

}  // namespace menvaro
