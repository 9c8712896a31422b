#include "decorated/myUtils.h"

#include <algorithm>
#include <utility>

#include "base/Exceptions.h"
#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "decorated/fxCommon.h"
#include "gfx/ImageList.h"
#include "gfx/RasterOp.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TShadowPosition, spLeftTop, spLeftBottom, spRightBottom, spRightTop)

// ---- wallpaper

void BlitWallpaper(HDC dc, TBitmap& bitmap, const TRect& rect, std::uint32_t rop, bool stretched) {
    const int w = bitmap.Width(), h = bitmap.Height();
    if (!dc || w <= 0 || h <= 0) return;
    const TCanvas& source = bitmap.Canvas();
    if (stretched) {
        dc->StretchBlt(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top, source, 0, 0, w, h, rop);
        return;
    }
    // A blit beyond the bitmap's size copies nothing there, so whole tiles
    // cut at the edges are what each tile's own size gives.
    const TRect clip = dc->ClipRect();
    const auto [x0, x1] = fxVisibleTiles(std::int64_t(rect.Right) - rect.Left, w, 0,
                                         std::int64_t(clip.Left) - rect.Left, std::int64_t(clip.Right) - rect.Left);
    const auto [y0, y1] = fxVisibleTiles(std::int64_t(rect.Bottom) - rect.Top, h, 0, std::int64_t(clip.Top) - rect.Top,
                                         std::int64_t(clip.Bottom) - rect.Top);
    for (std::int64_t ky = y0; ky < y1; ++ky) {
        const int y = int(rect.Top + ky * h);
        for (std::int64_t kx = x0; kx < x1; ++kx) {
            const int x = int(rect.Left + kx * w);
            dc->BitBlt(x, y, std::min(w, rect.Right - x), std::min(h, rect.Bottom - y), source, 0, 0, rop);
        }
    }
}

bool PaintWallpaper(HDC dc, TBitmap* wallpaper, int idWallpaper, const TRect& rect, std::uint32_t rop, bool stretched) {
    if (idWallpaper >= 0) return true;
    if (!wallpaper || wallpaper->Empty()) return false;
    BlitWallpaper(dc, *wallpaper, rect, rop, stretched);
    return true;
}

bool EraseCoolBackground(TControl* control, HDC dc, bool transparent, std::uint8_t level, TBitmap* wallpaper,
                         int idWallpaper, bool stretched) {
    if (transparent) {
        PaintParentBackground(TransparencyAncestor(control, level), dc, true, control);
        return true;
    }
    return dc && PaintWallpaper(dc, wallpaper, idWallpaper, control->ClientRect(), SRCCOPY, stretched);
}

TBitmap* EnsureWallpaper(std::unique_ptr<TBitmap>& wallpaper, TControl* control) {
    if (!wallpaper) {
        wallpaper = std::make_unique<TBitmap>();
        wallpaper->OnChange = [control] {
            control->Invalidate();
            control->Perform(CM_COLORCHANGED, 0, 0);
        };
    }
    return wallpaper.get();
}

// ---- see-through painting

namespace {

// The controls whose background is being painted now: a windowless one
// would otherwise be painted again by its parent's PaintControls, painting
// its background again, without end.
std::vector<const TControl*>& PaintingBackgrounds() {
    static std::vector<const TControl*> painting;
    return painting;
}

}  // namespace

TControl* TransparencyAncestor(TControl* control, std::uint8_t level) {
    for (int i = 0; control && i < level && control->Parent(); ++i) control = control->Parent();
    return control;
}

void PaintParentBackground(TControl* control, HDC dc, bool useParent, const TControl* painted) {
    if (!control || !dc) return;
    if (!painted) painted = control;
    auto& painting = PaintingBackgrounds();
    if (std::find(painting.begin(), painting.end(), painted) != painting.end()) return;
    // A form has no parent: its own background is what shows through.
    TControl* target = useParent && control->Parent() ? control->Parent() : control;
    TCanvasStateSaver saved(*dc);
    // The context's origin is `painted`'s client origin; the target paints
    // in its own client coordinates, however many levels up it is.
    const TPoint from = painted->ClientOrigin(), to = target->ClientOrigin();
    dc->MoveOrigin(to.X - from.X, to.Y - from.Y);
    painting.push_back(painted);
    ScopeGuard done([&painting] { painting.pop_back(); });
    target->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (auto* win = dynamic_cast<TWinControl*>(target)) win->PaintControls(dc, nullptr);
}

void PaintParentBackgroundClipped(TControl* control, HDC dc, const TRect& rect, bool useParent,
                                  const TControl* painted) {
    if (!dc) return;
    TCanvasStateSaver saved(*dc);
    dc->IntersectClipRect(rect);
    PaintParentBackground(control, dc, useParent, painted);
}

// ---- shadowed text

void DrawShadowText(HDC dc, TRect& rect, TShadowPosition position, std::uint8_t size, TColor shadowColor,
                    TColor textColor, unsigned format, std::string_view text) {
    TRect shadow = rect;
    const int s = size;
    switch (position) {
        case spLeftTop: rect = OffsetRect(rect, s, s); break;
        case spLeftBottom:
            rect = OffsetRect(rect, s, 0);
            shadow = OffsetRect(shadow, 0, s);
            break;
        case spRightBottom: shadow = OffsetRect(shadow, s, s); break;
        case spRightTop:
            rect = OffsetRect(rect, 0, s);
            shadow = OffsetRect(shadow, s, 0);
            break;
    }
    dc->SetTextColor(ColorToRGB(shadowColor));
    dc->DrawText(text, shadow, format);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(ColorToRGB(textColor));
    dc->DrawText(text, rect, format);
}

namespace myUtils {

namespace {

TOwned<TGlyphCache>& TheCache() {
    static TOwned<TGlyphCache> cache;
    return cache;
}

TGlyphCache& MakeSharedGlyphCache() {
    TOwned<TGlyphCache>& cache = TheCache();
    if (!cache) cache.reset(Create<TGlyphCache>());
    return *cache;
}

}  // namespace

TGlyphCache* SharedGlyphCache() { return TheCache().get(); }

// ---- TGlyphList

MENVARO_CLASS_INFO(TGlyphList) {}

TGlyphList::TGlyphList(int width, int height) : TImageList(nullptr) {
    SetWidth(width);
    SetHeight(height);
}

int TGlyphList::AllocateSlot() {
    const auto free = std::find(used_.begin(), used_.end(), false);
    const int slot = int(free - used_.begin());
    if (free == used_.end()) {
        while (Count() <= slot) Add(TBitmap(Width(), Height()));
        used_.resize(std::size_t(slot) + 1);
    }
    used_[std::size_t(slot)] = true;
    return slot;
}

int TGlyphList::AddImage(const TBitmap& image, TColor maskColor) {
    const int slot = AllocateSlot();
    try {
        Handle()->ReplaceMasked(slot, image, maskColor);
    } catch (...) {
        used_[std::size_t(slot)] = false;
        throw;
    }
    ++usedCount_;
    return slot;
}

void TGlyphList::ReleaseImage(int index) {
    if (index < 0 || std::size_t(index) >= used_.size() || !used_[std::size_t(index)]) return;
    used_[std::size_t(index)] = false;
    --usedCount_;
}

// ---- TGlyphCache

MENVARO_CLASS_INFO(TGlyphCache) {}

TGlyphList* TGlyphCache::ListForSize(int width, int height) {
    if (width <= 0 || height <= 0) throw EInvalidOperation("Glyph images must have a positive width and height");
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
    lists_.emplace_back(Create<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
    if (!list || list->UsedCount() != 0) return;
    const auto it = std::find_if(lists_.begin(), lists_.end(), [list](const auto& l) { return l.get() == list; });
    if (it != lists_.end()) lists_.erase(it);
}

bool TGlyphCache::Holds(const TGlyphList* list) const {
    return std::any_of(lists_.begin(), lists_.end(), [list](const auto& l) { return l.get() == list; });
}

// ---- TGlyph

MENVARO_CLASS_INFO(TGlyph) {}

TGlyph::TGlyph() : strip_(std::make_unique<TBitmap>()) {
    strip_->OnChange = [this] { StripChanged(); };
    MakeSharedGlyphCache();
}

TGlyph::~TGlyph() {
    strip_->OnChange = nullptr;
    ReleaseImages();
    TOwned<TGlyphCache>& cache = TheCache();
    if (cache && cache->IsEmpty()) cache.reset();
}

int TGlyph::ImageWidth() const { return strip_->Empty() ? 0 : strip_->Width() / numGlyphs_; }

void TGlyph::SetGlyph(const TBitmap* bitmap) {
    ReleaseImages();
    if (bitmap)
        strip_->Assign(*bitmap);
    else
        strip_->Clear();
    if (!bitmap || bitmap->Height() <= 0) return;
    transparentColor_ = bitmap->TransparentColor();
    if (bitmap->Width() % bitmap->Height() == 0) {
        const int n = bitmap->Width() / bitmap->Height();
        SetNumGlyphs(std::uint8_t(n > 4 ? 1 : n));
    }
}

void TGlyph::SetNumGlyphs(std::uint8_t n) {
    if (n == 0 || n == numGlyphs_) return;
    ReleaseImages();
    numGlyphs_ = n;
    StripChanged();
}

void TGlyph::StripChanged() {
    transparentColor_ = strip_->TransparentColor();
    ReleaseImages();
    if (OnChange) OnChange(this);
}

TGlyphList* TGlyph::HeldList() {
    TGlyphCache* cache = SharedGlyphCache();
    if (list_ && !(cache && cache->Holds(list_))) {
        // Freed with the slots of other glyphs: these indices name nothing.
        list_ = nullptr;
        imageIndex_[0] = imageIndex_[1] = -1;
    }
    return list_;
}

void TGlyph::ReleaseImages() {
    if (TGlyphList* list = HeldList()) {
        for (int& index : imageIndex_)
            if (index != -1) list->ReleaseImage(index);
        SharedGlyphCache()->ReturnList(list);
    }
    imageIndex_[0] = imageIndex_[1] = -1;
    list_ = nullptr;
}

namespace {

// Paints `colour` where `mask` (monochrome) is white, with `at` its top-left.
void Stamp(TCanvas& c, TBitmap& mask, int at, TColor colour) {
    c.Brush().SetColor(colour);
    c.SetTextColor(clBlack);
    c.SetBkColor(clWhite);
    c.BitBlt(at, at, mask.Width(), mask.Height(), mask.Canvas(), 0, 0, ROP_DSPDxax);
}

// A monochrome copy of `source` of `r`: white where it has `colour`.
TBitmap MaskOf(TBitmap& source, const TRect& r, TColor colour) {
    TBitmap mask(r.Width(), r.Height());
    mask.SetMonochrome(true);
    source.Canvas().Brush().SetColor(colour);
    source.Canvas().SetBkColor(colour);
    mask.Canvas().CopyRect({0, 0, r.Width(), r.Height()}, source.Canvas(), r);
    return mask;
}

}  // namespace

void TGlyph::MakeDisabledImage(TBitmap& scratch, int iw, int ih) {
    TCanvas& c = scratch.Canvas();
    const TRect whole{0, 0, iw, ih};
    TBitmap copy(*strip_);
    if (numGlyphs_ >= 2) {
        // The strip's own disabled image, in the button colours.
        const TRect source{iw, 0, 2 * iw, ih};
        c.CopyRect(whole, copy.Canvas(), source);
        const std::pair<TColor, TColor> recolour[] = {
            {clWhite, clBtnHighlight}, {clGray, clBtnShadow}, {ColorToRGB(transparentColor_), clBtnFace}};
        for (const auto& [from, to] : recolour) {
            TBitmap mask = MaskOf(copy, source, from);
            Stamp(c, mask, 0, to);
        }
        return;
    }
    // One image: embossed from its black pixels (of a monochrome strip, its
    // white ones).
    TBitmap mask = MaskOf(copy, whole, strip_->Monochrome() ? clWhite : clBlack);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(whole);
    Stamp(c, mask, 1, clBtnHighlight);
    Stamp(c, mask, 0, clBtnShadow);
}

int TGlyph::ImageFor(bool enabled) {
    TGlyphList* list = HeldList();
    const int iw = ImageWidth(), ih = strip_->Height();
    if (list && (list->Width() != iw || list->Height() != ih)) {
        ReleaseImages();
        list = nullptr;
    }
    int& index = imageIndex_[enabled ? 1 : 0];
    if (index != -1) return index;
    if (iw <= 0 || ih <= 0) return -1;
    if (!list) list = list_ = MakeSharedGlyphCache().ListForSize(iw, ih);
    try {
        TBitmap scratch(iw, ih);
        scratch.SetPalette(strip_->Palette());
        scratch.Canvas().Brush().SetColor(clBtnFace);
        if (enabled) {
            scratch.Canvas().CopyRect({0, 0, iw, ih}, strip_->Canvas(), {0, 0, iw, ih});
            index = list->AddImage(scratch, strip_->TransparentMode() == tmFixed ? transparentColor_ : clDefault);
        } else {
            MakeDisabledImage(scratch, iw, ih);
            index = list->AddImage(scratch, clDefault);
        }
    } catch (...) {
        // A list taken for nothing goes back.
        if (imageIndex_[0] == -1 && imageIndex_[1] == -1) ReleaseImages();
        throw;
    }
    // The strip keeps its picture: there is nothing to make dormant here,
    // and no change to tell.
    return index;
}

void TGlyph::Draw(TCanvas& canvas, TPoint p, TColor colour, bool transparent, bool enabled) {
    if (strip_->Empty()) return;
    const int index = ImageFor(enabled);
    TGlyphList* list = HeldList();
    if (index < 0 || !list) return;
    if (transparent)
        list->Handle()->DrawEx(canvas, index, p.X, p.Y, CLR_NONE, CLR_NONE,
                               ILD_TRANSPARENT | (colour != clNone ? unsigned(ILD_BLEND50) : 0u));
    else
        list->Handle()->DrawEx(canvas, index, p.X, p.Y, colour == clNone ? CLR_NONE : std::uint32_t(ColorToRGB(colour)),
                               CLR_NONE, ILD_NORMAL);
}

}  // namespace myUtils

}  // namespace menvaro
