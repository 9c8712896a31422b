#include "decorated/fxBitmap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "base/Exceptions.h"
#include "base/ScopeGuard.h"
#include "base/Streams.h"
#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxCommon.h"
#include "decorated/fxGraphics.h"
#include "gfx/Bmp.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_CLASS_INFO(TfxBitmap) {}

namespace {

using i64 = std::int64_t;

i64 ClampI(i64 v, i64 lo, i64 hi) { return v > hi ? hi : (v < lo ? lo : v); }

// Round to the nearest integer, halves to even, as the FPU rounds. NaN and
// values past the 64-bit range give the FPU's "integer indefinite".
i64 Round64(double v) {
    if (!(std::fabs(v) < 9223372036854775808.0)) return std::numeric_limits<i64>::min();
    return static_cast<i64>(std::nearbyint(v));
}

// The FPU gives no sine for arguments of 2^63 or more; the effects take 0.
double Sine(double v) { return std::fabs(v) >= 9223372036854775808.0 ? 0.0 : std::sin(v); }

// The magnitude of a negative number, without overflow.
std::uint64_t Magnitude(i64 v) { return std::uint64_t(0) - std::uint64_t(v); }

// The random numbers of Sponge: uniform in 0 .. n - 1, 0 for n <= 0.
i64 Random(i64 n) {
    static std::mt19937_64 engine(0x5EED);
    if (n <= 0) return 0;
    return std::uniform_int_distribution<i64>(0, n - 1)(engine);
}

int StrideOf(int w) { return 3 * w + w % 4; }

std::uint32_t PixelAt(const std::uint8_t* p) { return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0]; }

TRGBQuad QuadOf(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return {std::uint8_t(GetBValue(rgb)), std::uint8_t(GetGValue(rgb)), std::uint8_t(GetRValue(rgb)), 0};
}

}  // namespace

// ---- construction and state

TfxBitmap::TfxBitmap() {
    mirror_.Canvas().OnAccess = [this](bool writing) { CanvasTouched(writing); };
}

TfxBitmap::~TfxBitmap() {
    mirror_.Canvas().OnAccess = nullptr;
    FreeSavedImage();
    TfxBitmap::FreeImage();
}

void TfxBitmap::SetTransparentColor(TColor c) {
    if (c == transparentColor_) return;
    transparentColor_ = c;
    mask_.reset();
}

void TfxBitmap::SetColorCount(int n) { colorCount_ = std::clamp(n, 0, 256); }

TCanvas& TfxBitmap::Canvas() { return OwnCanvas(); }

std::uint8_t* TfxBitmap::Bits() {
    WriteBlock();
    return block_.empty() ? nullptr : block_.data();
}

const std::uint8_t* TfxBitmap::Bits() const {
    ReadBlock();
    return block_.empty() ? nullptr : block_.data();
}

std::uint8_t* const* TfxBitmap::RowTable() {
    WriteBlock();
    return rows_.data();
}

const std::uint8_t* const* TfxBitmap::RowTable() const {
    ReadBlock();
    return rows_.data();
}

// ---- the block and the canvas's pixels

void TfxBitmap::ReadBlock() const {
    if (newer_ != TNewer::Canvas) return;
    const TSurfaceView v = mirror_.Surface();
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* src = v.Row(y);
        std::uint8_t* dst = rows_[std::size_t(y)];
        for (int x = 0; x < width_; ++x, dst += 3) {
            const std::uint32_t p = src[x];
            dst[0] = std::uint8_t(p), dst[1] = std::uint8_t(p >> 8), dst[2] = std::uint8_t(p >> 16);
        }
    }
    newer_ = TNewer::None;
}

void TfxBitmap::WriteBlock() {
    ReadBlock();
    if (!block_.empty()) newer_ = TNewer::Block;
    mask_.reset();
}

void TfxBitmap::CanvasTouched(bool writing) const {
    if (newer_ == TNewer::Block) {
        const TSurfaceView v = mirror_.Surface();
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* src = rows_[std::size_t(y)];
            std::uint32_t* dst = v.Row(y);
            for (int x = 0; x < width_; ++x, src += 3) dst[x] = PixelAt(src);
        }
        newer_ = TNewer::None;
    }
    if (writing && !block_.empty()) {
        newer_ = TNewer::Canvas;
        mask_.reset();
    }
}

std::uint32_t TfxBitmap::TopLeft() const {
    ReadBlock();
    return PixelAt(block_.data());
}

void TfxBitmap::FillHeader() {
    header_ = {};
    header_.biWidth = width_;
    header_.biHeight = -height_;
}

void TfxBitmap::SetupImage() {
    rowPadding_ = width_ % 4;
    rowStride_ = 3 * width_ + rowPadding_;
    imageSize_ = rowStride_ * height_;
    rows_.resize(std::size_t(height_));
    for (int y = 0; y < height_; ++y) rows_[std::size_t(y)] = block_.data() + std::size_t(y) * std::size_t(rowStride_);
    // A new target for the canvas: its clip, origin and saved states go.
    mirror_.SetSize(width_, height_);
    OwnCanvas().BindBitmap(&mirror_);
    newer_ = block_.empty() ? TNewer::None : TNewer::Block;
    Changed();
}

void TfxBitmap::FreeImage() {
    block_.clear();
    block_.shrink_to_fit();
    rows_.clear();
    mask_.reset();
    mirror_.SetSize(0, 0);
    OwnCanvas().BindBitmap(&mirror_);
    newer_ = TNewer::None;
    width_ = height_ = 0;
    rowPadding_ = rowStride_ = imageSize_ = 0;
}

void TfxBitmap::Changed() {
    if (updating_) return;
    TGraphic::Changed();
    NotifyLinks();
}

void TfxBitmap::NotifyLinks() {
    // A link may take itself or another out of the list while it is told.
    const std::vector<TfxChangeLink*> links = links_;
    for (TfxChangeLink* link : links) {
        if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
        link->Sender = this;
        link->Change();
    }
}

void TfxBitmap::AddChangeLink(TfxChangeLink* link) { links_.push_back(link); }

void TfxBitmap::RemoveChangeLink(TfxChangeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it != links_.end()) links_.erase(it);
}

void TfxBitmap::CreateImagePalette() {
    if (palette_ || colorTable_[0] == TRGBQuad{}) return;
    std::uint32_t entries[256];
    static_assert(sizeof(entries) == sizeof(colorTable_));
    std::memcpy(entries, colorTable_.data(), sizeof(entries));
    fxSwapRGB(entries, 256);
    auto p = std::make_unique<TLogPalette>();
    p->palPalEntry.resize(256);
    std::memcpy(p->palPalEntry.data(), entries, sizeof(entries));
    palette_ = std::move(p);
}

// ---- sizes and loading

void TfxBitmap::SetSize(int w, int h) {
    if (w > 0 && h > 0 && !BitmapSizeFits(w, h))
        throw EInvalidArgument("bitmap size " + std::to_string(w) + "x" + std::to_string(h) + " is too large");
    FreeImage();
    if (w <= 0 || h <= 0) return;
    width_ = w, height_ = h;
    FillHeader();
    block_.assign(std::size_t(StrideOf(w)) * std::size_t(h), 0);
    SetupImage();
    // White, as a fill of the whole picture with a white brush leaves it.
    OwnCanvas().Brush().SetColor(clWhite);
    WriteBlock();
    for (std::uint8_t* row : rows_) std::memset(row, 0xFF, std::size_t(width_) * 3);
}

void TfxBitmap::SetDimensions(int w, int h) {
    if (w != width_ || h != height_) SetSize(w, h);
}

void TfxBitmap::LoadFromBitmap(const TBitmap& bitmap) {
    std::vector<std::uint8_t> rows = GetDIBits(bitmap, 24);
    FreeImage();
    width_ = bitmap.Width(), height_ = bitmap.Height();
    FillHeader();
    block_ = std::move(rows);
    if (block_.empty()) width_ = height_ = 0;
    SetupImage();
    pixelFormat_ = bitmap.PixelFormat();
    colorTable_ = {};
    const auto& palette = bitmap.Palette();
    colorCount_ = int(std::min<std::size_t>(palette.size(), 256));
    for (int i = 0; i < colorCount_; ++i) colorTable_[std::size_t(i)] = QuadOf(palette[std::size_t(i)]);
}

void TfxBitmap::LoadFromGraphic(const TGraphic& graphic) {
    TBitmap tmp(graphic.Width(), graphic.Height());
    tmp.Canvas().Draw(0, 0, graphic);
    LoadFromBitmap(tmp);
}

void TfxBitmap::LoadByAssign(const TGraphic& source) {
    TBitmap tmp;
    tmp.Assign(source);
    LoadFromBitmap(tmp);
}

void TfxBitmap::LoadFromBits(const void* bits, std::int64_t size, TSize dimensions) {
    const int w = dimensions.cx, h = dimensions.cy;
    if (w > 0 && h > 0) {
        if (!BitmapSizeFits(w, h))
            throw EInvalidGraphic("picture of " + std::to_string(w) + "x" + std::to_string(h) + " is too large");
        const i64 needed = i64(StrideOf(w)) * h;
        if (!bits || size < needed)
            throw EInvalidGraphic(std::to_string(bits ? size : 0) + " bytes of pixels are too few for a picture of " +
                                  std::to_string(w) + "x" + std::to_string(h) + ", which needs " +
                                  std::to_string(needed));
    }
    FreeImage();
    if (w > 0 && h > 0) {
        width_ = w, height_ = h;
        FillHeader();
        block_.assign(std::size_t(StrideOf(w)) * std::size_t(h), 0);
        // The rows' padding is not taken over: it is 0 in every picture.
        const auto* src = static_cast<const std::uint8_t*>(bits);
        for (int y = 0; y < h; ++y)
            std::memcpy(block_.data() + std::size_t(y) * std::size_t(StrideOf(w)),
                        src + std::size_t(y) * std::size_t(StrideOf(w)), std::size_t(w) * 3);
    }
    SetupImage();
}

void TfxBitmap::SaveToBitmap(TBitmap& bitmap) const {
    bitmap.SetPixelFormat(pixelFormat_);
    bitmap.SetSize(width_, height_);
    std::vector<TColor> palette;
    for (int i = 0; i < colorCount_; ++i) {
        const TRGBQuad& q = colorTable_[std::size_t(i)];
        palette.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    }
    bitmap.SetPalette(std::move(palette));
    if (Empty()) return;
    // What drawing the picture at (0, 0) with IgnoreTransparent gives, taken
    // from the block, so that the canvas's origin and clip play no part: the
    // pixels, or for a monochrome bitmap white where a pixel has the canvas's
    // background colour and black elsewhere.
    ReadBlock();
    const TSurfaceView v = bitmap.Surface();
    const bool mono = bitmap.Monochrome();
    const std::uint32_t background = fxColorToPacked(OwnCanvas().BkColor());
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* p = rows_[std::size_t(y)];
        std::uint32_t* out = v.Row(y);
        for (int x = 0; x < width_; ++x, p += 3) {
            const std::uint32_t px = PixelAt(p);
            out[x] = mono ? (px == background ? 0xFFFFFF : 0) : px;
        }
    }
    bitmap.Modified();
}

void TfxBitmap::LoadFromStream(TStream& stream) {
    TBitmap tmp;
    tmp.LoadFromStream(stream);
    LoadFromBitmap(tmp);
}

void TfxBitmap::SaveToStream(TStream& stream) const {
    TBitmap tmp;
    SaveToBitmap(tmp);
    tmp.SaveToStream(stream);
}

void TfxBitmap::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadGraphicData(s, *this); }, [this](TStream& s) { WriteGraphicData(s, *this); },
        !Empty());
}

void TfxBitmap::Resize(int w, int h) {
    if (w == width_ && h == height_) return;
    TOwned<TfxBitmap> copy(Create<TfxBitmap>());
    copy->Assign(this);
    SetSize(w, h);
    Canvas().StretchDraw({0, 0, w, h}, *copy);
}

void TfxBitmap::ReleaseToMemory() {
    FreeSavedImage();
    ReadBlock();
    saved_ = block_;
    savedSize_ = imageSize_;
    savedWidth_ = width_, savedHeight_ = height_;
    FreeImage();
}

void TfxBitmap::RestoreFromMemory() {
    if (!HasSavedImage()) return;
    LoadFromBits(saved_.data(), savedSize_, {savedWidth_, savedHeight_});
    FreeSavedImage();
}

void TfxBitmap::FreeSavedImage() {
    saved_.clear();
    saved_.shrink_to_fit();
    savedSize_ = savedWidth_ = savedHeight_ = 0;
}

// ---- assignment

void TfxBitmap::CopyPixelsFrom(const TfxBitmap& source) {
    source.ReadBlock();
    WriteBlock();
    std::memcpy(block_.data(), source.block_.data(), std::size_t(imageSize_));
}

bool TfxBitmap::AssignTo(TGraphic& dest) const {
    if (auto* b = dynamic_cast<TBitmap*>(&dest)) {
        b->SetPixelFormat(pixelFormat_);
        SaveToBitmap(*b);
        b->SetTransparent(Transparent());
        b->SetTransparentColor(transparentColor_);
        return true;
    }
    auto* fx = dynamic_cast<TfxBitmap*>(&dest);
    if (!fx) throw EConvertError(std::string("Cannot assign a TfxBitmap to a ") + dest.ClassName());
    if (fx == this) return true;
    if (Empty()) {
        fx->FreeImage();
    } else {
        // Told once, below, when everything is copied.
        const bool wasUpdating = fx->updating_;
        fx->updating_ = true;
        ScopeGuard restore([fx, wasUpdating] { fx->updating_ = wasUpdating; });
        fx->usePalette_ = usePalette_;
        fx->SetSize(width_, height_);
        fx->CopyPixelsFrom(*this);
        fx->SetTransparent(Transparent());
        fx->smooth_ = smooth_;
        fx->SetTransparentColor(transparentColor_);
        fx->pixelFormat_ = pixelFormat_;
        fx->colorTable_ = colorTable_;
        fx->colorCount_ = colorCount_;
    }
    fx->Changed();
    return true;
}

void TfxBitmap::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        FreeImage();
        Changed();
        return;
    }
    if (const auto* b = dynamic_cast<const TBitmap*>(source)) {
        if (b->Empty()) {
            FreeImage();
            Changed();
            return;
        }
        pixelFormat_ = b->PixelFormat();
        LoadFromBitmap(*b);
        SetTransparent(b->Transparent());
        return;
    }
    if (dynamic_cast<const TfxBitmap*>(source)) {
        source->AssignTo(*this);
        return;
    }
    LoadByAssign(*source);
}

void TfxBitmap::Assign(const TPersistent* source) {
    if (!source) {
        Assign(nullptr);
        return;
    }
    if (const auto* fx = dynamic_cast<const TfxBitmap*>(source)) {
        Assign(fx);
        return;
    }
    TPersistent::Assign(source);
}

std::unique_ptr<TGraphic> TfxBitmap::Clone() const {
    std::unique_ptr<TfxBitmap> copy(Create<TfxBitmap>());
    AssignTo(*copy);
    copy->ignoreTransparent_ = ignoreTransparent_;
    return copy;
}

// ---- drawing

void TfxBitmap::Draw(TCanvas& canvas, const TRect& r) const { DrawAs(canvas, r, Transparent()); }

void TfxBitmap::DrawAs(TCanvas& canvas, const TRect& r, bool transparent) const {
    // Palettes are realised only on displays of 8 bits a pixel or less, and
    // the displays here have 32.
    if (i64(r.Right) - r.Left == width_ && i64(r.Bottom) - r.Top == height_) {
        if (transparent && !ignoreTransparent_)
            TransparentDraw(canvas, r);
        else
            canvas.BitBlt(r.Left, r.Top, width_, height_, OwnCanvas(), 0, 0, SRCCOPY);
    } else if (smooth_) {
        SmoothStretchAs(canvas, r, transparent);
    } else {
        StretchAs(canvas, r, transparent);
    }
}

void TfxBitmap::StretchDraw(TCanvas& canvas, const TRect& r) const { StretchAs(canvas, r, Transparent()); }

void TfxBitmap::StretchAs(TCanvas& canvas, const TRect& r, bool transparent) const {
    if (Empty()) return;
    if (!transparent) {
        canvas.StretchBlt(r.Left, r.Top, fxRectWidth(r), fxRectHeight(r), OwnCanvas(), 0, 0, width_, height_, SRCCOPY);
        return;
    }
    TOwned<TfxBitmap> tmp(Create<TfxBitmap>());
    tmp->SetSize(fxRectWidth(r), fxRectHeight(r));
    if (tmp->Empty()) return;
    tmp->Canvas().StretchBlt(0, 0, tmp->Width(), tmp->Height(), OwnCanvas(), 0, 0, width_, height_, SRCCOPY);
    tmp->TransparentDraw(canvas, r);
}

void TfxBitmap::SmoothStretchDraw(TCanvas& canvas, const TRect& r) const { SmoothStretchAs(canvas, r, Transparent()); }

void TfxBitmap::SmoothStretchAs(TCanvas& canvas, const TRect& r, bool transparent) const {
    const i64 dw64 = i64(r.Right) - r.Left, dh64 = i64(r.Bottom) - r.Top;
    if (dw64 < 1 || dh64 < 1 || Empty()) return;
    TOwned<TfxBitmap> d(Create<TfxBitmap>());
    d->SetSize(int(std::min<i64>(dw64, INT32_MAX)), int(std::min<i64>(dh64, INT32_MAX)));
    const int dw = d->Width(), dh = d->Height(), sw = width_, sh = height_;
    ReadBlock();
    d->WriteBlock();
    if (dw == sw && dh == sh) {
        std::memcpy(d->block_.data(), block_.data(), std::size_t(imageSize_));
    } else {
        // Sizes are at most 32767, so (size - 1) shl 15 fits.
        const int xStep = ((sw - 1) << 15) / dw, yStep = ((sh - 1) << 15) / dh;
        int fy = 0;
        for (int y = 0; y < dh; ++y, fy += yStep) {
            const int row = fy >> 15;
            const std::uint8_t* upper = rows_[std::size_t(row)];
            const std::uint8_t* lower = rows_[std::size_t(sh == 1 ? row : row + 1)];
            const int wy2 = fy & 0x7FFF, wy1 = 0x8000 - wy2;
            std::uint8_t* out = d->rows_[std::size_t(y)];
            int fx = 0;
            for (int x = 0; x < dw; ++x, fx += xStep, out += 3) {
                const int c = fx >> 15, wx = fx & 0x7FFF;
                const int right = sw == 1 ? c : c + 1;
                const int wTR = (wx * wy1) >> 15, wTL = wy1 - wTR;
                const int wBR = (wx * wy2) >> 15, wBL = wy2 - wBR;
                for (int k = 0; k < 3; ++k)
                    out[k] = std::uint8_t((upper[3 * c + k] * wTL + upper[3 * right + k] * wTR +
                                           lower[3 * c + k] * wBL + lower[3 * right + k] * wBR) >>
                                          15);
            }
        }
    }
    if (transparent)
        d->TransparentDraw(canvas, r);
    else
        canvas.Draw(r.Left, r.Top, *d);
}

void TfxBitmap::TileDraw(TCanvas& canvas, const TRect& r) const {
    if (Empty()) return;
    const TRect clip = canvas.ClipRect();
    const auto [y0, y1] = fxVisibleTiles(r.Bottom, height_, r.Top, clip.Top, clip.Bottom);
    const auto [x0, x1] = fxVisibleTiles(r.Right, width_, r.Left, clip.Left, clip.Right);
    for (i64 ky = y0; ky < y1; ++ky)
        for (i64 kx = x0; kx < x1; ++kx) canvas.Draw(int(kx * width_ - r.Left), int(ky * height_ - r.Top), *this);
}

void TfxBitmap::TransparentDraw(TCanvas& canvas, const TRect& r) const {
    if (Empty()) return;
    const std::shared_ptr<TBitmap> mask = Mask();
    // The canvas's own pixels are a copy of the picture already.
    CanvasTouched(false);
    fxMaskBlt(canvas, r, mirror_, true, *mask);
}

const TBitmap& TfxBitmap::GetMask() const { return *Mask(); }

std::shared_ptr<TBitmap> TfxBitmap::Mask() const {
    if (mask_) return mask_;
    auto mask = std::make_shared<TBitmap>();
    if (!Empty()) {
        ReadBlock();
        const std::uint32_t key = transparentColor_ == clNone ? TopLeft() : fxColorToPacked(transparentColor_);
        mask->SetSize(width_, height_);
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* p = rows_[std::size_t(y)];
            std::uint32_t* out = mask->ScanLine(y);
            for (int x = 0; x < width_; ++x, p += 3) out[x] = PixelAt(p) == key ? 0 : 0xFFFFFF;
        }
        mask->SetMonochrome(true);
    }
    mask_ = mask;
    return mask;
}

// ---- effects

namespace {

// Replaces every channel c of the picture's pixels by its table's t[c].
// These loops are out of line and each at the start of a 64-byte block: the
// speed of a loop this short swings by half with where it falls in the code.
[[gnu::noinline, gnu::aligned(64)]] void ApplyTables(std::vector<std::uint8_t*>& rows, int width,
                                                     const std::uint8_t* tb, const std::uint8_t* tg,
                                                     const std::uint8_t* tr) {
    for (std::uint8_t* p : rows)
        for (int x = 0; x < width; ++x, p += 3) p[0] = tb[p[0]], p[1] = tg[p[1]], p[2] = tr[p[2]];
}

[[gnu::noinline, gnu::aligned(64)]] void ApplyTable(std::vector<std::uint8_t*>& rows, int width,
                                                    const std::uint8_t* t) {
    const std::size_t n = std::size_t(width) * 3;
    for (std::uint8_t* p : rows)
        for (std::size_t i = 0; i < n; ++i) p[i] = t[p[i]];
}

// Replaces each pixel's channels c by table[256 * gray + c], the gray being
// the sum of rowOf[channel] (256 times its third) over the channels.
[[gnu::noinline, gnu::aligned(64)]] void ApplyGrayTable(std::vector<std::uint8_t*>& rows, int width,
                                                        const std::uint8_t* table, const std::uint16_t* rowOf) {
    for (std::uint8_t* p : rows)
        for (int x = 0; x < width; ++x, p += 3) {
            const std::uint8_t* t = table + rowOf[p[0]] + rowOf[p[1]] + rowOf[p[2]];
            p[0] = t[p[0]], p[1] = t[p[1]], p[2] = t[p[2]];
        }
}

// 255 - c is c xor 255: sixteen channels at a time.
[[gnu::noinline, gnu::aligned(64)]] void InvertRows(std::vector<std::uint8_t*>& rows, int width) {
    using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
    const std::size_t n = std::size_t(width) * 3;
    for (std::uint8_t* p : rows) {
        std::size_t i = 0;
        for (; i + 16 <= n; i += 16) {
            Bytes16 v;
            std::memcpy(&v, p + i, 16);
            v = ~v;
            std::memcpy(p + i, &v, 16);
        }
        for (; i < n; ++i) p[i] = std::uint8_t(255 - p[i]);
    }
}

// Four pixels (12 bytes, as three little-endian words) stored at `to` in
// reverse order.
[[gnu::always_inline]] inline void PutReversed(std::uint8_t* to, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const std::uint32_t x = (c >> 8) | ((b << 8) & 0xFF000000u);
    const std::uint32_t y = (b >> 24) | ((c & 0xFF) << 8) | ((a >> 24) << 16) | ((b & 0xFF) << 24);
    const std::uint32_t z = ((b >> 8) & 0xFF) | (a << 8);
    std::memcpy(to, &x, 4), std::memcpy(to + 4, &y, 4), std::memcpy(to + 8, &z, 4);
}

// Pixel k of the row changes places with pixel width - 1 - k.
void MirrorRow(std::uint8_t* row, int width) {
    int l = 0, r = width - 4;
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels from each end at a time.
        for (; l + 4 <= r; l += 4, r -= 4) {
            std::uint8_t *lp = row + 3 * l, *rp = row + 3 * r;
            std::uint32_t la, lb, lc, ra, rb, rc;
            std::memcpy(&la, lp, 4), std::memcpy(&lb, lp + 4, 4), std::memcpy(&lc, lp + 8, 4);
            std::memcpy(&ra, rp, 4), std::memcpy(&rb, rp + 4, 4), std::memcpy(&rc, rp + 8, 4);
            PutReversed(lp, ra, rb, rc);
            PutReversed(rp, la, lb, lc);
        }
    }
    for (std::uint8_t *p = row + 3 * l, *q = row + 3 * (r + 3); p < q; p += 3, q -= 3) {
        const std::uint8_t blue = p[0], green = p[1], red = p[2];
        p[0] = q[0], p[1] = q[1], p[2] = q[2];
        q[0] = blue, q[1] = green, q[2] = red;
    }
}

}  // namespace

void TfxBitmap::Lightness(int amount) {
    WriteBlock();
    std::uint8_t t[256];
    for (int i = 0; i < 256; ++i) {
        if (amount > 0)
            t[i] = fxClampByte(i + (std::uint32_t(fxMul32(255 - i, amount)) >> 8));
        else
            t[i] = fxClampByte(i - i64(std::uint32_t(fxMul32(i, fxWrap32(-i64(amount)))) >> 8));
    }
    ApplyTable(rows_, width_, t);
}

void TfxBitmap::Contrast(int amount) {
    WriteBlock();
    std::uint8_t t[256];
    for (int i = 0; i < 256; ++i) {
        const int d = i < 128 ? 128 - i : i - 128;
        const int q = fxMul32(d, amount) / 256;
        t[i] = fxClampByte(i < 127 ? i64(i) - q : i64(i) + q);
    }
    ApplyTable(rows_, width_, t);
}

void TfxBitmap::GrayScale() {
    WriteBlock();
    std::uint8_t third[258];
    for (int k = 0; k < 258; ++k) third[k] = std::uint8_t(k / 3);
    for (std::uint8_t* p : rows_)
        for (int x = 0; x < width_; ++x, p += 3)
            p[0] = p[1] = p[2] = std::uint8_t(third[p[0]] + third[p[1]] + third[p[2]]);
}

void TfxBitmap::Saturation(int amount) {
    WriteBlock();
    std::uint8_t third[258];
    for (int k = 0; k < 258; ++k) third[k] = std::uint8_t(k / 3);
    std::uint16_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = std::uint16_t(std::uint32_t(fxMul32(i, amount)) >> 8);
    // c := clamp(gray + s[c] - s[gray]). A large picture takes it from a table
    // of every gray and channel value, whose making costs little beside it.
    if (std::int64_t(width_) * height_ > 16384) {
        std::vector<std::uint8_t> table(256 * 256);
        for (int gray = 0; gray < 256; ++gray)
            for (int c = 0; c < 256; ++c) table[std::size_t(gray * 256 + c)] = fxClampByte(gray + s[c] - s[gray]);
        std::uint16_t rowOf[256];  // where gray k / 3 begins
        for (int k = 0; k < 256; ++k) rowOf[k] = std::uint16_t(256 * (k / 3));
        ApplyGrayTable(rows_, width_, table.data(), rowOf);
        return;
    }
    for (std::uint8_t* p : rows_)
        for (int x = 0; x < width_; ++x, p += 3) {
            const int gray = third[p[0]] + third[p[1]] + third[p[2]];
            const int base = gray - s[gray];
            p[0] = fxClampByte(base + s[p[0]]), p[1] = fxClampByte(base + s[p[1]]), p[2] = fxClampByte(base + s[p[2]]);
        }
}

void TfxBitmap::Invert() {
    WriteBlock();
    InvertRows(rows_, width_);
}

void TfxBitmap::Colorize(int red, int green, int blue) {
    WriteBlock();
    std::uint8_t tb[256], tg[256], tr[256];
    for (int i = 0; i < 256; ++i) {
        tb[i] = fxClampByte(fxWrap32(i64(i) + blue));
        tg[i] = fxClampByte(fxWrap32(i64(i) + green));
        tr[i] = fxClampByte(fxWrap32(i64(i) + red));
    }
    ApplyTables(rows_, width_, tb, tg, tr);
}

void TfxBitmap::ColorTint(int red, int green, int blue) {
    WriteBlock();
    std::uint8_t tb[256], tg[256], tr[256];
    for (int i = 0; i < 256; ++i) {
        tb[i] = fxClampByte(fxWrap32(i64(i - 192) + blue));
        tg[i] = fxClampByte(fxWrap32(i64(i - 192) + green));
        tr[i] = fxClampByte(fxWrap32(i64(i - 192) + red));
    }
    if (transparentColor_ == clNone) {
        ApplyTables(rows_, width_, tb, tg, tr);
        return;
    }
    const std::uint32_t key = fxColorToPacked(transparentColor_);
    for (std::uint8_t* p : rows_)
        for (int x = 0; x < width_; ++x, p += 3)
            if (PixelAt(p) != key) p[0] = tb[p[0]], p[1] = tg[p[1]], p[2] = tr[p[2]];
}

void TfxBitmap::MakeMask(std::uint32_t key) {
    WriteBlock();
    key &= 0xFFFFFF;
    for (std::uint8_t* p : rows_)
        for (int x = 0; x < width_; ++x, p += 3) {
            const std::uint8_t v = PixelAt(p) == key ? 0 : 255;
            p[0] = p[1] = p[2] = v;
        }
}

void TfxBitmap::AlphaBlend(const TfxBitmap& blend, std::uint8_t amount, bool stretch) {
    const TfxBitmap* b = &blend;
    TOwned<TfxBitmap> stretched;
    if (blend.width_ != width_ || blend.height_ != height_) {
        if (!stretch) throw EInvalidOperation("In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
        stretched.reset(Create<TfxBitmap>());
        stretched->SetTransparent(blend.Transparent());
        stretched->SetSize(width_, height_);
        blend.DrawAs(stretched->Canvas(), {0, 0, width_, height_}, false);
        b = stretched.get();
    }
    if (Empty()) return;
    int m[511];
    for (int d = -255; d <= 255; ++d) m[d + 255] = int(fxFloorDiv(i64(amount) * d, 256));
    b->ReadBlock();
    WriteBlock();
    const bool keyed = b->Transparent();
    const std::uint32_t key = keyed ? b->TopLeft() : 0;
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[std::size_t(y)];
        const std::uint8_t* q = b->rows_[std::size_t(y)];
        for (int x = 0; x < width_; ++x, p += 3, q += 3) {
            if (keyed && PixelAt(q) == key) continue;
            for (int k = 0; k < 3; ++k) p[k] = std::uint8_t(p[k] + m[q[k] - p[k] + 255]);
        }
    }
}

void TfxBitmap::BlurPass(int distance) {
    WriteBlock();
    const i64 w = width_, h = height_, dd = distance;
    for (i64 y = 0; y < h; ++y) {
        const std::uint8_t* up = rows_[std::size_t(ClampI(y - dd, 0, h - 1))];
        const std::uint8_t* down = rows_[std::size_t(ClampI(y + dd, 0, h - 1))];
        std::uint8_t* p = rows_[std::size_t(y)];
        for (i64 x = 0; x < w; ++x) {
            const std::size_t l = std::size_t(3 * ClampI(x - dd, 0, w - 1)),
                              r = std::size_t(3 * ClampI(x + dd, 0, w - 1));
            for (std::size_t k = 0; k < 3; ++k)
                p[3 * x + k] = std::uint8_t((down[r + k] + up[r + k] + down[l + k] + up[l + k]) >> 2);
        }
    }
}

void TfxBitmap::GaussianBlur(int depth) {
    // From a distance of the larger side on, every pass is the same one:
    // once a pass changes nothing, the rest change nothing either.
    if (Empty()) return;
    const int same = std::max(width_, height_);
    for (int d = depth; d >= 1; --d) {
        if (d > same) {
            ReadBlock();
            const std::vector<std::uint8_t> before = block_;
            BlurPass(d);
            if (before == block_) d = same + 1;
            continue;
        }
        BlurPass(d);
    }
}

void TfxBitmap::Sharpen(int distance) {
    WriteBlock();
    const i64 w = width_, h = height_, dd = distance;
    for (i64 y = 0; y < h; ++y) {
        const std::uint8_t* rowsAt[3] = {rows_[std::size_t(ClampI(y - dd, 0, h - 1))], rows_[std::size_t(y)],
                                         rows_[std::size_t(ClampI(y + dd, 0, h - 1))]};
        for (i64 x = 0; x < w; ++x) {
            const std::size_t cols[3] = {std::size_t(3 * ClampI(x - dd, 0, w - 1)), std::size_t(3 * x),
                                         std::size_t(3 * ClampI(x + dd, 0, w - 1))};
            std::uint8_t* centre = rows_[std::size_t(y)] + 3 * x;
            for (std::size_t k = 0; k < 3; ++k) {
                int s = 0;
                for (int i = 0; i < 3; ++i)
                    for (int j = 0; j < 3; ++j)
                        if (i != 1 || j != 1) s += rowsAt[i][cols[j] + k];
                centre[k] = fxClampByte((256 * centre[k] - 16 * s) / 128);
            }
        }
    }
}

void TfxBitmap::Emboss() {
    WriteBlock();
    if (Empty()) return;
    const int w = width_, h = height_;
    const std::vector<std::uint8_t> last(rows_[std::size_t(h - 1)], rows_[std::size_t(h - 1)] + std::size_t(w) * 3);
    // Outside the picture the partner is clamped into it.
    const std::uint8_t* lastPartner = last.data() + 3 * std::min(1, w - 1);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = rows_[std::size_t(y)];
        for (int x = 0; x < w; ++x, p += 3) {
            const std::uint8_t* q = y <= h - 3 ? rows_[std::size_t(y + 1)] + 3 * std::min(x + 1, w - 1) : lastPartner;
            for (int k = 0; k < 3; ++k) p[k] = std::uint8_t(((255 - q[k]) + p[k]) >> 1);
        }
    }
}

void TfxBitmap::Sponge(int amount) {
    WriteBlock();
    const i64 w = width_, h = height_;
    for (i64 y = 0; y < h; ++y)
        for (i64 x = 0; x < w; ++x) {
            const i64 c = Random(amount);
            const i64 dx = Random(2 * c);
            const i64 dy = Random(2 * c);
            const std::uint8_t* src = rows_[std::size_t(ClampI(y + c - dy, 0, h - 1))] +
                                      3 * ClampI(x + c - dx, 0, w - 1);
            std::memmove(rows_[std::size_t(y)] + 3 * x, src, 3);
        }
}

void TfxBitmap::Flip(bool horizontal) {
    WriteBlock();
    if (Empty()) return;
    if (horizontal) {
        for (std::uint8_t* row : rows_) MirrorRow(row, width_);
        return;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(rowStride_));
    for (int k = 0; k <= (height_ - 1) / 2; ++k) {
        std::uint8_t* a = rows_[std::size_t(k)];
        std::uint8_t* b = rows_[std::size_t(height_ - 1 - k)];
        std::memcpy(buffer.data(), a, buffer.size());
        std::memmove(a, b, buffer.size());
        std::memcpy(b, buffer.data(), buffer.size());
    }
}

void TfxBitmap::Wave(bool wrap, double xDiv, double yDiv, double ratio) {
    if (xDiv == 0 || yDiv == 0) return;
    WriteBlock();
    if (Empty()) return;
    const i64 w = width_, h = height_;
    std::vector<i64> shift(static_cast<std::size_t>(h));
    for (i64 j = 0; j < h; ++j) shift[std::size_t(j)] = Round64(ratio * Sine(double(j) / yDiv));
    // The result, white, in the block's layout.
    std::vector<std::uint8_t> t(block_.size(), 0);
    for (i64 j = 0; j < h; ++j) std::memset(t.data() + j * rowStride_, 0xFF, std::size_t(w) * 3);
    for (i64 d = 0; d < w; ++d) {
        const i64 f = Round64(ratio * Sine(double(d) / xDiv));
        if (!wrap) {
            for (i64 j = 0; j < h; ++j) {
                const i64 sy = f + j, sx = shift[std::size_t(j)] + d;
                if (sy >= 0 && sy < h && sx >= 0 && sx < w)
                    std::memcpy(t.data() + j * rowStride_ + 3 * d, rows_[std::size_t(sy)] + 3 * sx, 3);
            }
            continue;
        }
        i64 row = f;
        if (row < 0)
            row = h - 1 - i64(Magnitude(row) % std::uint64_t(h));
        else if (row >= h)
            row = h == 1 ? 0 : row % (h - 1);  // a one-row picture has only row 0
        for (i64 j = 0; j < h; ++j) {
            i64 g = shift[std::size_t(j)] + d;
            if (g < 0)
                g = w - 1 - i64(Magnitude(g) % std::uint64_t(w));
            else if (g >= w)
                g %= w;
            std::memcpy(t.data() + j * rowStride_ + 3 * d, rows_[std::size_t(row)] + 3 * g, 3);
            if (++row >= h) row = 0;
        }
    }
    std::memcpy(block_.data(), t.data(), t.size());
}

void TfxBitmap::Rotate(TPoint centre, double angle) {
    WriteBlock();
    if (Empty()) return;
    const i64 w = width_, h = height_;
    const i64 cx = centre.X < 0 ? w / 2 : centre.X, cy = centre.Y < 0 ? h / 2 : centre.Y;
    std::vector<std::uint8_t> t(block_.size(), 0);
    for (i64 j = 0; j < h; ++j)
        for (i64 x = 0; x < w; ++x) std::memcpy(t.data() + j * rowStride_ + 3 * x, block_.data(), 3);
    const double theta = -angle * M_PI / 180;
    const double sn = std::sin(theta), cs = std::cos(theta);
    for (i64 y = 0; y < h; ++y) {
        const double dy = double(2 * (y - cy) + 1);
        for (i64 x = 0; x < w; ++x) {
            const double dx = double(2 * (x - cx) + 1);
            const __int128 sx = (__int128(Round64(dx * cs - dy * sn)) - 1) / 2 + cx;
            const __int128 sy = (__int128(Round64(dx * sn + dy * cs)) - 1) / 2 + cy;
            if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                std::memcpy(t.data() + y * rowStride_ + 3 * x, rows_[std::size_t(sy)] + 3 * std::size_t(sx), 3);
        }
    }
    std::memcpy(block_.data(), t.data(), t.size());
}

}  // namespace menvaro
