#include "decorated/fxImgBtn.h"

#include <vector>

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "classes/Setters.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxCommon.h"
#include "decorated/fxImager.h"
#include "ui/WindowManager.h"

namespace menvaro {

// -------------------------------------------------------- TfxImgDownOffsets

MENVARO_CLASS_INFO(TfxImgDownOffsets) {
    c.Prop("ImageDownX", &TfxImgDownOffsets::ImageDownX, &TfxImgDownOffsets::SetImageDownX).Default(2);
    c.Prop("ImageDownY", &TfxImgDownOffsets::ImageDownY, &TfxImgDownOffsets::SetImageDownY).Default(2);
}

void TfxImgDownOffsets::SetImageDownX(int v) {
    if (Change(imageDownX_, v)) Changed();
}

void TfxImgDownOffsets::SetImageDownY(int v) {
    if (Change(imageDownY_, v)) Changed();
}

void TfxImgDownOffsets::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxImgDownOffsets*>(source)) {
        imageDownX_ = s->imageDownX_;
        imageDownY_ = s->imageDownY_;
    }
    TfxOffsets::Assign(source);
}

// -------------------------------------------------------- TfxCustomImageBtn

MENVARO_CLASS_INFO(TfxCustomImageBtn) {}

TfxCustomImageBtn::TfxCustomImageBtn(TComponent* owner)
    : TfxCustomBitBtn(owner),
      image_(Create<TfxBitmap>()),
      imageDown_(Create<TfxBitmap>()),
      extImageLink_(Create<TfxChangeLink>()) {
    image_->OnChange = [this] { ImageChanged(image_.get()); };
    imageDown_->OnChange = [this] { ImageChanged(imageDown_.get()); };
    extImageLink_->OnChange = [this](TObject* sender) { ImageChanged(sender); };
    SetColor(clNone);
}

TfxCustomImageBtn::~TfxCustomImageBtn() {
    // The sources list the link once for each image they give; none may
    // keep it once it is freed.
    if (extImage_) Unlink(extImage_, false);
    if (extImageDown_) Unlink(extImageDown_, true);
    image_->OnChange = nullptr;
    imageDown_->OnChange = nullptr;
}

TOwned<TfxOffsets> TfxCustomImageBtn::CreateOffsets() { return TOwned<TfxOffsets>(Create<TfxImgDownOffsets>(this)); }

// ---- properties

void TfxCustomImageBtn::SetDitherColor(TColor v) {
    if (Change(ditherColor_, v)) Invalidate();
}

void TfxCustomImageBtn::SetDitherStyle(std::uint8_t v) {
    if (Change(ditherStyle_, v)) Invalidate();
}

void TfxCustomImageBtn::Reshape() {
    FreeRegionData(false);
    FreeRegionData(true);
    RecreateWnd();
}

void TfxCustomImageBtn::SetTransparentColor(TColor v) {
    if (!Change(transparentColor_, v)) return;
    Reshape();
    fxInvalidateParentArea(this, true);
}

bool TfxCustomImageBtn::UsePalette() const { return GetImage(false)->UsePalette(); }

void TfxCustomImageBtn::SetUsePalette(bool v) {
    image_->SetUsePalette(v);
    imageDown_->SetUsePalette(v);
    Invalidate();
}

bool TfxCustomImageBtn::ParentClipping() const {
    const TWinControl* p = Parent();
    if (!p) return false;
    if (!p->HandleAllocated()) return parentClipping_.value_or(false);
    return (GetWindowLong(p->WindowHandle(), GWL_STYLE) & WS_CLIPCHILDREN) != 0;
}

void TfxCustomImageBtn::SetParentClipping(bool v) {
    const TWinControl* p = Parent();
    if (!p || v == ParentClipping()) return;
    // No window is made for it (a form file sets this while it loads).
    if (!p->HandleAllocated()) {
        parentClipping_ = v;
        return;
    }
    const HWND h = p->WindowHandle();
    const std::uint32_t style = GetWindowLong(h, GWL_STYLE);
    SetWindowLong(h, GWL_STYLE, v ? style | WS_CLIPCHILDREN : style & ~std::uint32_t(WS_CLIPCHILDREN));
}

// ---- sources

void TfxCustomImageBtn::Link(TControl* source, bool down) {
    if (auto* imager = dynamic_cast<TfxCustomImager*>(source))
        imager->AddChangeLink(extImageLink_.get());
    else if (auto* button = dynamic_cast<TfxCustomImageBtn*>(source))
        (down ? button->ImageDown() : button->Image())->AddChangeLink(extImageLink_.get());
}

void TfxCustomImageBtn::Unlink(TControl* source, bool down) {
    if (auto* imager = dynamic_cast<TfxCustomImager*>(source))
        imager->RemoveChangeLink(extImageLink_.get());
    else if (auto* button = dynamic_cast<TfxCustomImageBtn*>(source))
        (down ? button->ImageDown() : button->Image())->RemoveChangeLink(extImageLink_.get());
}

void TfxCustomImageBtn::SetSource(TControl*& field, TControl* source, bool down) {
    if (field == source) return;
    if (source) (down ? imageDown_ : image_)->Assign(nullptr);
    TControl* old = field;
    if (old) Unlink(old, down);
    field = source;
    if (old && old != extImage_ && old != extImageDown_) old->RemoveFreeNotification(this);
    if (source) {
        Link(source, down);
        source->FreeNotification(this);
    }
    Reshape();
}

void TfxCustomImageBtn::SetExtImage(TControl* source) { SetSource(extImage_, source, false); }

void TfxCustomImageBtn::SetExtImageDown(TControl* source) { SetSource(extImageDown_, source, true); }

void TfxCustomImageBtn::Notification(TComponent* component, TOperation operation) {
    TfxCustomBitBtn::Notification(component, operation);
    if (operation != opRemove || !component) return;
    // The source is on its way out: forget it, and touch nothing of it.
    bool forgot = false;
    if (component == extImage_) {
        extImage_ = nullptr;
        FreeRegionData(false);
        forgot = true;
    }
    if (component == extImageDown_) {
        extImageDown_ = nullptr;
        FreeRegionData(true);
        forgot = true;
    }
    if (!forgot) return;
    ApplyRegion();
    Invalidate();
}

TfxBitmap* TfxCustomImageBtn::GetImage(bool down) const {
    TControl* source = down ? extImageDown_ : extImage_;
    if (source && !source->ComponentState().Contains(csDestroying)) {
        if (auto* imager = dynamic_cast<TfxCustomImager*>(source)) {
            if (imager->WorkBitmap()->Empty() && !imager->PictureIsEmpty()) imager->SizeWorkBitmap();
            return imager->WorkBitmap();
        }
        if (auto* button = dynamic_cast<TfxCustomImageBtn*>(source))
            return down ? button->ImageDown() : button->Image();
    }
    return down ? imageDown_.get() : image_.get();
}

TColor TfxCustomImageBtn::GetKeyColor(bool down) const {
    if (transparentColor_ == fxNoKeyColor) return fxNoKeyColor;
    if (transparentColor_ != clNone) return ColorToRGB(transparentColor_);
    const TfxBitmap* image = down && !GetImage(true)->Empty() ? GetImage(true) : GetImage(false);
    if (image->Empty()) return clNone;
    const std::uint8_t* p = image->RowTable()[0];
    return RGB(p[2], p[1], p[0]);
}

bool TfxCustomImageBtn::UseDownRegion() const {
    if (transparentColor_ == fxNoKeyColor) return false;
    return (!GetImage(false)->Empty() && !GetImage(true)->Empty()) || ShadeStyle() == fbsRaised;
}

void TfxCustomImageBtn::ImageChanged(TObject* sender) {
    const TfxBitmap* up = GetImage(false);
    const TfxBitmap* down = GetImage(true);
    const bool upChanged = sender == up;
    if (upChanged) FreeRegionData(false);
    // Without a down image the down face is made from the up image.
    if (sender == down || (upChanged && down->Empty())) FreeRegionData(true);
    auto* bitmap = dynamic_cast<TfxBitmap*>(sender);
    const bool wasUpdating = bitmap && bitmap->Updating();
    if (bitmap) bitmap->SetUpdating(true);
    {
        ScopeGuard restore([bitmap, wasUpdating] {
            if (bitmap) bitmap->SetUpdating(wasUpdating);
        });
        ApplyRegion();
    }
    fxInvalidateParentArea(this, true);
    Invalidate();
}

void TfxCustomImageBtn::Assign(const TPersistent* source) {
    if (source == this) return;
    if (auto* s = dynamic_cast<const TfxCustomImageBtn*>(source)) {
        SetDitherColor(s->DitherColor());
        SetDitherStyle(s->DitherStyle());
        auto* from = const_cast<TfxCustomImageBtn*>(s);
        SetExtImage(from);
        SetExtImageDown(from);
        Offsets()->Assign(s->Offsets());
        SetUsePalette(s->UsePalette());
        SetTransparentColor(s->TransparentColor());
    }
    TfxCustomBitBtn::Assign(source);
}

// ---- the window

void TfxCustomImageBtn::CreateWnd() {
    // Pixels kept while there was no window come back, unless a new image
    // came meanwhile.
    if (image_->HasSavedImage()) {
        if (image_->Empty())
            image_->RestoreFromMemory();
        else
            image_->FreeSavedImage();
    }
    TfxCustomBitBtn::CreateWnd();
    if (parentClipping_) {
        const bool clip = *parentClipping_;
        parentClipping_.reset();
        SetParentClipping(clip);
    }
}

void TfxCustomImageBtn::DestroyWnd() {
    TfxCustomBitBtn::DestroyWnd();
    image_->ReleaseToMemory();
    // The next window may have another shape (style, key, source): its
    // regions are made again.
    FreeRegionData(false);
    FreeRegionData(true);
}

void TfxCustomImageBtn::MakeSquare() {
    const TfxBitmap* up = GetImage(false);
    if (up->Empty()) return;
    SetBounds(Left(), Top(), up->Width(), up->Height());
    fxInvalidateParentArea(this, true);
}

// ---- faces and regions

void TfxCustomImageBtn::DrawImage(TfxBitmap& image, TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle) {
    int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    if (shadeStyle == fbsRaised) w -= 2, h -= 2;
    bitmap.SetDimensions(w, h);
    if (bitmap.Empty()) return;
    const bool latched = GroupIndex() > 0 && Down() && ditherColor_ != clNone && GetImage(true)->Empty();
    const bool tinted = Color() != clNone;
    std::optional<TRegion> r;
    if (!regionOnly && (tinted || latched)) r = CreateRegion(true, Down());
    TCanvas& c = bitmap.Canvas();
    c.StretchDraw({0, 0, w, h}, image);
    if (!regionOnly && tinted) {
        if (r) c.SetClipRegion(*r);
        const TColor key = GetKeyColor(Down());
        bitmap.SetTransparentColor(key == fxNoKeyColor ? clNone : key);
        const TfxColorBytes tint = fxColorToBytes(Color());
        bitmap.ColorTint(tint.Red, tint.Green, tint.Blue);
    }
    if (!regionOnly && latched) {
        if (r && shadeStyle == fbsRaised) r->Offset(-2, -2);
        if (r)
            c.SetClipRegion(*r);
        else
            c.ClearClip();
        if (ditherStyle_ >= 2) {
            c.Brush().SetColor(ditherColor_);
            c.FillRect({0, 0, w, h});
        } else {
            fxDitherFill(c, {0, 0, w, h}, ditherStyle_ == 1 ? clNone : clSilver, ditherColor_);
        }
    }
    if (r) c.ClearClip();
}

void TfxCustomImageBtn::DrawFace(TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle, bool down) {
    bitmap.SetDimensions(Width(), Height());
    TfxBitmap* up = GetImage(false);
    if (up->UsePalette()) {
        bitmap.ColorTable() = up->ColorTable();
        bitmap.SetColorCount(up->ColorCount());
        bitmap.SetUsePalette(true);
    }
    if (bitmap.Empty()) return;
    TCanvas& c = bitmap.Canvas();
    if (up->Empty()) {
        c.Brush().SetColor(clBtnFace);
        c.Pen().SetColor(clBlack);
        c.Pen().SetStyle(psDashDot);
        c.Rectangle(0, 0, Width(), Height());
        c.Pen().SetStyle(psSolid);
        return;
    }
    TfxBitmap* downImage = GetImage(true);
    const bool ownDown = down && !downImage->Empty();
    TOwned<TfxBitmap> face(Create<TfxBitmap>());
    face->SetUsePalette(up->UsePalette());
    DrawImage(ownDown ? *downImage : *up, *face, regionOnly, shadeStyle);
    TPoint at{0, 0};
    if (down && !ownDown) {
        const auto* offsets = dynamic_cast<const TfxImgDownOffsets*>(Offsets());
        if (offsets) at = {offsets->ImageDownX(), offsets->ImageDownY()};
    }
    if (shadeStyle == fbsHighlight || (shadeStyle == fbsFlat && IsMouseInControl(-1, -1, false))) {
        c.Draw(at.X, at.Y, *face);
        DrawShadedImageEdges(*face, bitmap, down, GetKeyColor(down));
        return;
    }
    c.Brush().SetColor(ShadeColors()->Shadow());
    c.FillRect({0, 0, Width(), Height()});
    if (transparentColor_ != fxNoKeyColor) {
        face->SetTransparent(true);
        face->SetTransparentColor(GetKeyColor(down));
    }
    c.Draw(at.X, at.Y, *face);
}

std::optional<TRegion> TfxCustomImageBtn::CreateRegion(bool create, bool down) {
    if (transparentColor_ == fxNoKeyColor) return std::nullopt;
    std::optional<TRegion> stored = TfxCustomBitBtn::CreateRegion(false, down);
    if (stored || !create) return stored;
    TfxBitmap* up = GetImage(false);
    if (up->Empty()) return std::nullopt;
    TfxBitmap* downImage = GetImage(true);
    TOwned<TfxBitmap> face(Create<TfxBitmap>());
    face->SetUsePalette(up->UsePalette());
    DrawImage(down && !downImage->Empty() ? *downImage : *up, *face, true, ShadeStyle());
    // An image of nothing but the key is a window of no pixels.
    TRegion r = fxRegionFromBitmap(*face, GetKeyColor(down)).value_or(TRegion());
    if (ShadeStyle() == fbsRaised) {
        // The up window takes in the shadow band; the down one is where the
        // pressed image is drawn.
        TRegion moved = r;
        moved.Offset(2, 2);
        if (down)
            r = moved;
        else
            r.Union(moved);
    }
    SaveRegion(r, down);
    return r;
}

TColor TfxCustomImageBtn::GetColorAt(TPoint p) {
    TOwned<TfxBitmap> face(Create<TfxBitmap>());
    DrawFace(*face, false, ShadeStyle(), Down());
    if (p.X < 0 || p.Y < 0 || p.X >= face->Width() || p.Y >= face->Height()) return clNone;
    const std::uint8_t* px = face->RowTable()[p.Y] + 3 * p.X;
    return RGB(px[2], px[1], px[0]);
}

void TfxCustomImageBtn::RenderImages() {
    if (GetImage(false)->Empty()) return;
    TOwned<TfxBitmap> upFace(Create<TfxBitmap>());
    TOwned<TfxBitmap> downFace(Create<TfxBitmap>());
    DrawFace(*upFace, false, fbsHighlight, false);
    DrawFace(*downFace, false, fbsHighlight, true);
    const TColor key = GetKeyColor(true);
    if (const std::optional<TRegion> r = CreateRegion(true, Down()); r && key != fxNoKeyColor) {
        downFace->SetTransparentColor(key);
        fxFillOutsideRegion(*downFace, *r);
    }
    image_->Assign(upFace.get());
    imageDown_->Assign(downFace.get());
    Reshape();
}

void TfxCustomImageBtn::DrawShadedImageEdges(const TfxBitmap& source, TfxBitmap& dest, bool down, TColor key) {
    if (source.Empty() || dest.Width() != source.Width() || dest.Height() != source.Height()) return;
    const int w = source.Width(), h = source.Height();
    // The colours are read from a copy: the source may be the destination.
    std::vector<TColor> pixels(std::size_t(w) * std::size_t(h));
    {
        const std::uint8_t* const* rows = source.RowTable();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = rows[y] + 3 * x;
                pixels[std::size_t(y) * std::size_t(w) + std::size_t(x)] = RGB(p[2], p[1], p[0]);
            }
    }
    // A key that is no plain colour (fxNoKeyColor) matches no pixel.
    const TColor k = key == -1 ? pixels[0] : ColorToRGB(key);
    const TfxShadeColors& s = *ShadeColors();
    const TColor l1 = ColorToRGB(s.BtnHighlight()), l2 = ColorToRGB(s.Btn3DLight());
    const TColor d2 = ColorToRGB(s.BtnShadow()), d1 = ColorToRGB(s.BtnBlack());
    const TColor a = down ? d1 : l1, b = down ? d2 : l2, c = down ? l2 : d2, d = down ? l1 : d1;
    const bool framed = Focused() || Default();
    const bool focusable = Options().Contains(boFocusable) && Focused();
    std::uint8_t* const* out = dest.RowTable();
    auto diagonal = [&](int x0, int y0) {
        const int len = std::min(w - x0, h - y0);
        auto isKey = [&](int t) { return pixels[std::size_t(y0 + t) * std::size_t(w) + std::size_t(x0 + t)] == k; };
        auto put = [&](int t, TColor colour) {
            const int x = x0 + t, y = y0 + t;
            if (x < 0 || y < 0 || x >= w || y >= h) return;
            std::uint8_t* p = out[y] + 3 * x;
            p[0] = std::uint8_t(colour >> 16), p[1] = std::uint8_t(colour >> 8), p[2] = std::uint8_t(colour);
        };
        for (int t = 0;;) {
            while (t < len && isKey(t)) ++t;
            if (t >= len) return;
            const int first = t;
            while (t < len && !isKey(t)) ++t;
            const int last = t - 1;
            int from = first, to = last;
            if (framed) ++from, --to;
            if (focusable) ++from;
            put(to - 1, c);
            put(from + 1, b);
            put(to, d);
            put(from, a);
            if (focusable && down) put(from - 1, clBlack);
            if (framed) put(first, d1), put(last, d1);
        }
    };
    for (int x = w - 1; x >= 0; --x) diagonal(x, 0);
    for (int y = 1; y < h; ++y) diagonal(0, y);
}

}  // namespace menvaro
