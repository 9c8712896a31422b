#include "gfx/ImageList.h"

#include <algorithm>
#include <string>

#include "base/Exceptions.h"
#include "gfx/Canvas.h"
#include "gfx/CanvasImpl.h"

namespace menvaro {

std::uint32_t ImageListColor(TColor c) {
    if (c == clNone) return CLR_NONE;
    if (c == clDefault) return CLR_DEFAULT;
    return std::uint32_t(ColorToRGB(c)) & 0xFFFFFF;
}

TImageListData::TImageListData(int width, int height) : width_(std::max(1, width)), height_(std::max(1, height)) {}

void TImageListData::Changed() {
    if (OnChange) OnChange();
}

void TImageListData::SetSize(int width, int height) {
    width = std::max(1, width), height = std::max(1, height);
    if (width == width_ && height == height_) return;
    width_ = width, height_ = height;
    images_.clear();
    Changed();
}

void TImageListData::SetBkColor(TColor c) {
    if (c == bkColor_) return;
    bkColor_ = c;
    Changed();
}

void TImageListData::SetBlendColor(TColor c) {
    if (c == blendColor_) return;
    blendColor_ = c;
    Changed();
}

void TImageListData::SetDrawingStyle(TDrawingStyle s) {
    if (s == drawingStyle_) return;
    drawingStyle_ = s;
    Changed();
}

void TImageListData::SetImageType(TImageType t) {
    if (t == imageType_) return;
    imageType_ = t;
    Changed();
}

void TImageListData::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw EListError("image list index " + std::to_string(index) + " out of range");
}

TImageListData::Entry TImageListData::Cut(const TBitmap& image, const TBitmap* mask, int left) const {
    Entry e{TBitmap(width_, height_), TBitmap(width_, height_)};
    e.image.Fill(clBlack);
    e.mask.SetMonochrome(true);
    e.mask.Fill(clWhite);
    for (int y = 0; y < height_ && y < image.Height(); ++y)
        for (int x = 0; x < width_ && left + x < image.Width(); ++x) {
            e.image.ScanLine(y)[x] = image.ScanLine(y)[left + x];
            const bool transparent = mask && left + x < mask->Width() && y < mask->Height() &&
                                     (mask->ScanLine(y)[left + x] & 0xFFFFFF) == 0xFFFFFF;
            e.mask.ScanLine(y)[x] = transparent ? 0xFFFFFF : 0;
        }
    return e;
}

TImageListData::Entry TImageListData::CutMasked(const TBitmap& image, TColor key, int left) const {
    const TColor k = key == clDefault ? image.Pixel(0, image.Height() - 1) : ColorToRGB(key);
    const std::uint32_t kp = ColorToPixel(k) & 0xFFFFFF;
    Entry e = Cut(image, nullptr, left);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const bool inside = left + x < image.Width() && y < image.Height();
            if (!inside || (e.image.ScanLine(y)[x] & 0xFFFFFF) == kp) {
                e.mask.ScanLine(y)[x] = 0xFFFFFF;
                e.image.ScanLine(y)[x] = 0;
            }
        }
    return e;
}

int TImageListData::Add(const TBitmap& image, const TBitmap* mask) {
    const int first = Count();
    const int n = std::max(1, image.Width() / width_);
    for (int i = 0; i < n; ++i) images_.push_back(Cut(image, mask, i * width_));
    Changed();
    return first;
}

int TImageListData::AddMasked(const TBitmap& image, TColor maskColor) {
    const int first = Count();
    const int n = std::max(1, image.Width() / width_);
    for (int i = 0; i < n; ++i) images_.push_back(CutMasked(image, maskColor, i * width_));
    Changed();
    return first;
}

void TImageListData::Replace(int index, const TBitmap& image, const TBitmap* mask) {
    CheckIndex(index);
    images_[std::size_t(index)] = Cut(image, mask, 0);
    Changed();
}

void TImageListData::ReplaceMasked(int index, const TBitmap& image, TColor maskColor) {
    CheckIndex(index);
    images_[std::size_t(index)] = CutMasked(image, maskColor, 0);
    Changed();
}

void TImageListData::Delete(int index) {
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    Changed();
}

void TImageListData::Clear() {
    if (images_.empty()) return;
    images_.clear();
    Changed();
}

void TImageListData::GetBitmap(int index, TBitmap& out) const {
    CheckIndex(index);
    out = images_[std::size_t(index)].image;
}

void TImageListData::GetMask(int index, TBitmap& out) const {
    CheckIndex(index);
    out = images_[std::size_t(index)].mask;
}

bool TImageListData::DrawEx(TCanvas& canvas, int index, int x, int y, std::uint32_t rgbBk, std::uint32_t rgbFg,
                            unsigned style) const {
    if (index < 0 || index >= Count()) return false;
    const Entry& e = images_[std::size_t(index)];
    const bool mono = canvas.Monochrome();
    const TSurfaceView v = canvas.Surface();
    const TPoint o = canvas.Origin();
    if (rgbBk == CLR_DEFAULT) rgbBk = ImageListColor(bkColor_);
    const bool transparent = (style & ILD_TRANSPARENT) || rgbBk == CLR_NONE;
    const std::uint32_t bk = NativeColor(TColor(rgbBk & 0xFFFFFF), mono);
    const unsigned blend = (style & ILD_BLEND50) ? 128 : (style & ILD_BLEND25) ? 64 : 0;
    bool blendWithDest = false;
    std::uint32_t fg = 0;
    if (blend) {
        if (rgbFg == CLR_NONE)
            blendWithDest = true;
        else
            fg = NativeColor(rgbFg == CLR_DEFAULT ? clHighlight : TColor(rgbFg & 0xFFFFFF), mono);
    }
    const TRect dev = Bounds(x + o.X, y + o.Y, width_, height_);
    CanvasAccess::ForEachClipped(canvas, dev, [&](const TRect& piece) {
        for (int py = piece.Top; py < piece.Bottom; ++py) {
            std::uint32_t* row = v.Row(py);
            const std::uint32_t* img = e.image.ScanLine(py - dev.Top);
            const std::uint32_t* msk = e.mask.ScanLine(py - dev.Top);
            for (int px = piece.Left; px < piece.Right; ++px) {
                const int ix = px - dev.Left;
                const bool clear = (msk[ix] & 0xFFFFFF) == 0xFFFFFF;
                if (style & ILD_MASK) {
                    row[px] = clear ? 0xFFFFFF : 0;
                    continue;
                }
                if (clear) {
                    if (!transparent) row[px] = bk;
                    continue;
                }
                std::uint32_t c = img[ix] & 0xFFFFFF;
                if (blend) {
                    const std::uint32_t with = blendWithDest ? row[px] & 0xFFFFFF : fg;
                    std::uint32_t out = 0;
                    for (int sh = 0; sh <= 16; sh += 8) {
                        const unsigned a = (c >> sh) & 0xFF, b = (with >> sh) & 0xFF;
                        out |= ((a * (256 - blend) + b * blend) >> 8) << sh;
                    }
                    c = out;
                }
                row[px] = mono ? MonoPixel(c) : c;
            }
        }
    });
    return true;
}

void TImageListData::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count()) return;
    if (!enabled) {
        // The mask as a stencil: its black (opaque) pixels take the text
        // colour white, which the operation turns into the brush colour.
        TBitmap stencil;
        GetMask(index, stencil);
        TCanvasStateSaver saved(canvas);
        canvas.Brush().SetStyle(bsSolid);
        for (int pass = 0; pass < 2; ++pass) {
            canvas.Brush().SetColor(pass == 0 ? clBtnHighlight : clBtnShadow);
            canvas.SetTextColor(clWhite);
            canvas.SetBkColor(clBlack);
            canvas.BitBlt(x + 1 - pass, y + 1 - pass, width_, height_, stencil.Canvas(), 0, 0, ROP_DSPDxax);
        }
        return;
    }
    unsigned style = ILD_NORMAL;
    switch (drawingStyle_) {
        case dsFocus: style = ILD_FOCUS; break;
        case dsSelected: style = ILD_SELECTED; break;
        case dsTransparent: style = ILD_TRANSPARENT; break;
        case dsNormal: break;
    }
    if (imageType_ == itMask) style |= ILD_MASK;
    DrawEx(canvas, index, x, y, ImageListColor(bkColor_), ImageListColor(blendColor_), style);
}

}  // namespace menvaro
