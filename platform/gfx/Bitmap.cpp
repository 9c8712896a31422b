#include "gfx/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "base/Exceptions.h"
#include "gfx/Bmp.h"
#include "gfx/Canvas.h"

namespace menvaro {

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap& o)
    : TGraphic(o),
      width_(o.width_),
      height_(o.height_),
      format_(o.format_),
      pixels_(o.pixels_),
      transparentColor_(o.transparentColor_),
      transparentMode_(o.transparentMode_),
      palette_(o.palette_) {}

TBitmap& TBitmap::operator=(const TBitmap& o) {
    if (this == &o) return *this;
    TGraphic::operator=(o);
    width_ = o.width_, height_ = o.height_, format_ = o.format_, pixels_ = o.pixels_;
    transparentColor_ = o.transparentColor_, transparentMode_ = o.transparentMode_;
    palette_ = o.palette_;
    Changed();
    return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) width = height = 0;
    if (!BitmapSizeFits(width, height))
        throw EInvalidArgument("bitmap size " + std::to_string(width) + "x" + std::to_string(height) +
                               " is too large");
    if (width == width_ && height == height_) return;
    std::vector<std::uint32_t> px(std::size_t(width) * std::size_t(height), 0x00FFFFFF);
    const int cw = std::min(width, width_), ch = std::min(height, height_);
    for (int y = 0; y < ch; ++y)
        std::memcpy(&px[std::size_t(y) * width], &pixels_[std::size_t(y) * width_], std::size_t(cw) * 4);
    pixels_.swap(px);
    width_ = width, height_ = height;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
    if (f == format_) return;
    format_ = f;
    if (f == pf1bit)
        for (auto& p : pixels_) p = (p & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFF : 0;
    Changed();
}

void TBitmap::SetMonochrome(bool m) {
    if (m == Monochrome()) return;
    SetPixelFormat(m ? pf1bit : pfDevice);
}

TSurfaceView TBitmap::Surface() const {
    if (Empty()) return {};
    return {const_cast<std::uint32_t*>(pixels_.data()), width_, height_, width_ * 4};
}

std::uint32_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= height_) throw ERangeError("scan line index " + std::to_string(y) + " out of range");
    return &pixels_[std::size_t(y) * width_];
}

const std::uint32_t* TBitmap::ScanLine(int y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return PixelToColor(pixels_[std::size_t(y) * width_ + x]);
}

void TBitmap::SetPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint32_t p = ColorToPixel(ColorToRGB(c)) & 0xFFFFFF;
    if (format_ == pf1bit) p = p == 0xFFFFFF ? p : 0;
    pixels_[std::size_t(y) * width_ + x] = p;
}

void TBitmap::Fill(TColor c) {
    std::uint32_t p = ColorToPixel(ColorToRGB(c)) & 0xFFFFFF;
    if (format_ == pf1bit) p = p == 0xFFFFFF ? p : 0;
    std::fill(pixels_.begin(), pixels_.end(), p);
    Changed();
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TCanvas>();
        canvas_->BindBitmap(this);
    }
    return *canvas_;
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed) return transparentColor_;
    if (Empty()) return clDefault;
    return Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor c) {
    if (c == transparentColor_ && transparentMode_ == (c == clDefault ? tmAuto : tmFixed)) return;
    transparentColor_ = c;
    transparentMode_ = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode m) {
    if (m == transparentMode_) return;
    transparentMode_ = m;
    if (m == tmAuto) transparentColor_ = clDefault;
    Changed();
}

void TBitmap::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (source.AssignTo(*this)) return;
    if (const auto* b = dynamic_cast<const TBitmap*>(&source)) {
        *this = *b;
        return;
    }
    TBitmap tmp(source.Width(), source.Height());
    if (!tmp.Empty()) source.Draw(tmp.Canvas(), {0, 0, tmp.Width(), tmp.Height()});
    tmp.SetTransparent(source.Transparent());
    tmp.format_ = pf24bit;
    *this = tmp;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const {
    if (Empty()) return;
    TBitmap& self = const_cast<TBitmap&>(*this);
    if (Transparent()) {
        canvas.TransparentBlt(r, self.Canvas(), {0, 0, width_, height_}, ColorToRGB(TransparentColor()));
        return;
    }
    canvas.StretchBlt(r.Left, r.Top, r.Width(), r.Height(), self.Canvas(), 0, 0, width_, height_,
                      canvas.CopyMode());
}

void TBitmap::LoadFromStream(TStream& stream) {
    TBitmap tmp;
    ReadBmp(stream, tmp);
    tmp.SetTransparent(Transparent());
    *this = std::move(tmp);
}

void TBitmap::SaveToStream(TStream& stream) const { WriteBmp(stream, *this); }

}  // namespace menvaro
