// TBitmap: an in-memory picture of 32-bit pixels with its own canvas.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/Color.h"
#include "gfx/Graphic.h"
#include "gfx/Surface.h"

namespace menvaro {

class TCanvas;

// Format the bitmap keeps its pixels in when saved (BMP bit depth). In
// memory every format is 32-bit; pf1bit also makes the bitmap monochrome:
// its pixels are only black (0) and white (0xFFFFFF), and blits to and from
// it convert as GDI does between monochrome and colour (see Canvas.h).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// The largest bitmap: 32767 pixels a side and 2^26 pixels in all. Readers
// of picture files check a size against it before they allocate anything.
inline constexpr bool BitmapSizeFits(std::int64_t width, std::int64_t height) {
    return width <= 32767 && height <= 32767 && width * height <= (std::int64_t(1) << 26);
}

// How the transparent colour is chosen: tmAuto takes the bottom-left pixel.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap& o);
    TBitmap& operator=(const TBitmap& o);
    ~TBitmap() override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    // Keeps the old pixels at the top-left; new area is white. A side of 0
    // (or below) empties the bitmap. A size that BitmapSizeFits refuses
    // raises EInvalidArgument.
    void SetSize(int width, int height);
    void SetWidth(int w) { SetSize(w, height_); }
    void SetHeight(int h) { SetSize(width_, h); }

    TPixelFormat PixelFormat() const { return format_; }
    // pf1bit turns the pixels to black and white: white where a pixel is
    // white, black elsewhere (GDI's colour-to-mono rule with a white
    // background colour).
    void SetPixelFormat(TPixelFormat f);
    bool Monochrome() const { return format_ == pf1bit; }
    void SetMonochrome(bool m);

    // Direct pixel access (0x00RRGGBB, rows top-down).
    TSurfaceView Surface() const;
    std::uint32_t* ScanLine(int y);
    const std::uint32_t* ScanLine(int y) const;
    // Pixel as TColor; CLR_INVALID outside the bitmap. SetPixel ignores
    // points outside.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
    void Fill(TColor c);

    TCanvas& Canvas();

    // Key colour of transparent drawing: TransparentColor with tmFixed, the
    // bottom-left pixel with tmAuto (setting a colour switches to tmFixed).
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode m);

    // Colour table (TColor values) kept from a palette file and used when
    // saving in a palette format; empty otherwise.
    const std::vector<TColor>& Palette() const { return palette_; }
    void SetPalette(std::vector<TColor> p) { palette_ = std::move(p); }

    // Copies any graphic: a bitmap's pixels and format, a graphic that
    // copies itself into a bitmap (AssignTo) its own way, anything else
    // drawn at (0, 0) on a bitmap of its size.
    void Assign(const TGraphic& source);
    void Clear() { SetSize(0, 0); }

    void Draw(TCanvas& canvas, const TRect& rect) const override;
    // BMP file image (Bmp.h).
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
    const char* ClassName() const override { return "TBitmap"; }

    // Raises the change notification after direct pixel writes.
    void Modified() { Changed(); }

private:
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pfDevice;
    std::vector<std::uint32_t> pixels_;
    std::unique_ptr<TCanvas> canvas_;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
    std::vector<TColor> palette_;
};

}  // namespace menvaro
