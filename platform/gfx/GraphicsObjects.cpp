#include "gfx/GraphicsObjects.h"

#include <cmath>

#include "gfx/Fonts.h"

namespace menvaro {

void TGraphicsObject::Changed() {
    ++generation_;
    if (OnChange) OnChange();
}

// ---- TPen

TPen::TPen(const TPen& o)
    : TGraphicsObject(o), color_(o.color_), width_(o.width_), style_(o.style_), mode_(o.mode_) {}

void TPen::Assign(const TPen& o) {
    if (color_ == o.color_ && width_ == o.width_ && style_ == o.style_ && mode_ == o.mode_) return;
    color_ = o.color_, width_ = o.width_, style_ = o.style_, mode_ = o.mode_;
    Changed();
}

void TPen::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

void TPen::SetWidth(int w) {
    if (w < 0) w = 0;
    if (w == width_) return;
    width_ = w;
    Changed();
}

void TPen::SetStyle(TPenStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TPen::SetMode(TPenMode m) {
    if (m == mode_) return;
    mode_ = m;
    Changed();
}

// ---- TBrush

TBrush::TBrush(const TBrush& o)
    : TGraphicsObject(o), color_(o.color_), style_(o.style_), pattern_(o.pattern_) {}

void TBrush::Assign(const TBrush& o) {
    if (color_ == o.color_ && style_ == o.style_ && pattern_ == o.pattern_) return;
    color_ = o.color_, style_ = o.style_, pattern_ = o.pattern_;
    Changed();
}

void TBrush::SetColor(TColor c) {
    const bool wasPattern = style_ == bsPattern;
    if (c == color_ && !wasPattern) return;
    color_ = c;
    if (wasPattern) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TBrush::SetPattern(const TBrushPattern& p) {
    if (style_ == bsPattern && pattern_ == p) return;
    pattern_ = p;
    style_ = bsPattern;
    Changed();
}

void TBrush::SetMonoPattern(const std::array<std::uint8_t, 8>& rows) {
    TBrushPattern p;
    p.Monochrome = true;
    p.Bits = rows;
    SetPattern(p);
}

// ---- TFont

TFont::TFont(const TFont& o)
    : TGraphicsObject(o),
      name_(o.name_),
      height_(o.height_),
      style_(o.style_),
      color_(o.color_),
      charset_(o.charset_),
      pitch_(o.pitch_),
      orientation_(o.orientation_),
      quality_(o.quality_),
      face_(o.face_) {}

bool TFont::SameAs(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_ && orientation_ == o.orientation_ &&
           quality_ == o.quality_;
}

void TFont::Assign(const TFont& o) {
    if (SameAs(o)) return;
    const bool sameFace = name_ == o.name_ && height_ == o.height_ &&
                          (style_ & (fsBold | fsItalic)) == (o.style_ & (fsBold | fsItalic)) &&
                          quality_ == o.quality_;
    name_ = o.name_, height_ = o.height_, style_ = o.style_, color_ = o.color_;
    charset_ = o.charset_, pitch_ = o.pitch_, orientation_ = o.orientation_, quality_ = o.quality_;
    if (!sameFace) face_ = o.face_;
    Changed();
}

void TFont::Touch() {
    face_.reset();
    Changed();
}

void TFont::SetName(const std::string& n) {
    if (n == name_) return;
    name_ = n;
    Touch();
}

void TFont::SetHeight(int h) {
    if (h == height_) return;
    height_ = h;
    Touch();
}

int TFont::Size() const {
    // -Height * 72 / 96, rounded half away from zero.
    const long v = -long(height_) * 72;
    return int(v >= 0 ? (v + PixelsPerInch / 2) / PixelsPerInch : -((-v + PixelsPerInch / 2) / PixelsPerInch));
}

void TFont::SetSize(int points) {
    const long v = long(points) * PixelsPerInch;
    SetHeight(-int(v >= 0 ? (v + 36) / 72 : -((-v + 36) / 72)));
}

void TFont::SetStyle(TFontStyles s) {
    if (s == style_) return;
    const bool faceChange = (s & (fsBold | fsItalic)) != (style_ & (fsBold | fsItalic));
    style_ = s;
    if (faceChange) face_.reset();
    Changed();
}

void TFont::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

void TFont::SetCharset(int c) {
    if (c == charset_) return;
    charset_ = c;
    Changed();
}

void TFont::SetPitch(TFontPitch p) {
    if (p == pitch_) return;
    pitch_ = p;
    Changed();
}

void TFont::SetOrientation(int tenths) {
    if (tenths == orientation_) return;
    orientation_ = tenths;
    Changed();
}

void TFont::SetQuality(TFontQuality q) {
    if (q == quality_) return;
    quality_ = q;
    Touch();
}

const std::shared_ptr<TFontFace>& TFont::Face() const {
    if (!face_) face_ = TFontFace::Get(name_, height_, style_, quality_);
    return face_;
}

}  // namespace menvaro
