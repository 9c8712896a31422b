#include "decorated/fxImager.h"

#include <algorithm>

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "classes/Setters.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxCommon.h"
#include "ui/Clipboard.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TfxImagerDrawStyle, idsNormal, idsCenter, idsStretch, idsTile, idsProportional)

// ---------------------------------------------------------------- TfxRotate

MENVARO_CLASS_INFO(TfxRotate) {
    c.Prop("CenterX", &TfxRotate::CenterX, &TfxRotate::SetCenterX);
    c.Prop("CenterY", &TfxRotate::CenterY, &TfxRotate::SetCenterY);
    c.Prop("Angle", &TfxRotate::Angle, &TfxRotate::SetAngle);
}

void TfxRotate::Set(int& field, int v) {
    if (Change(field, v) && owner_) owner_->Changed();
}

void TfxRotate::SetCenterX(int v) { Set(centerX_, v); }
void TfxRotate::SetCenterY(int v) { Set(centerY_, v); }
void TfxRotate::SetAngle(int v) { Set(angle_, v); }

void TfxRotate::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxRotate*>(source)) {
        centerX_ = s->centerX_;
        centerY_ = s->centerY_;
        angle_ = s->angle_;
        if (owner_) owner_->Changed();
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxRotate::GetOwner() const { return owner_; }

// ------------------------------------------------------------ TfxAlphaBlend

MENVARO_CLASS_INFO(TfxAlphaBlend) {
    c.Prop("Amount", &TfxAlphaBlend::Amount, &TfxAlphaBlend::SetAmount);
    c.Prop("Bitmap", &TfxAlphaBlend::Bitmap, &TfxAlphaBlend::SetBitmap);
    c.Prop("Transparent", &TfxAlphaBlend::Transparent, &TfxAlphaBlend::SetTransparent);
}

TfxAlphaBlend::TfxAlphaBlend(TfxBitmapOptions* owner) : owner_(owner), bitmap_(Create<TfxBitmap>()) {}

TfxAlphaBlend::~TfxAlphaBlend() = default;

void TfxAlphaBlend::SetAmount(std::uint8_t v) {
    if (Change(amount_, v) && owner_) owner_->Changed();
}

void TfxAlphaBlend::SetBitmap(const TfxBitmap* b) {
    if (b != bitmap_.get()) bitmap_->Assign(b);
}

bool TfxAlphaBlend::Transparent() const { return bitmap_->Transparent(); }

void TfxAlphaBlend::SetTransparent(bool v) { bitmap_->SetTransparent(v); }

void TfxAlphaBlend::BitmapChanged() {
    if (changing_ || !owner_) return;
    changing_ = true;
    ScopeGuard done([this] { changing_ = false; });
    owner_->Changed();
}

void TfxAlphaBlend::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxAlphaBlend*>(source)) {
        SetBitmap(s->Bitmap());
        SetAmount(s->Amount());
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxAlphaBlend::GetOwner() const { return owner_; }

// ------------------------------------------------------------------ TfxWave

MENVARO_CLASS_INFO(TfxWave) {
    c.Prop("XDiv", &TfxWave::XDiv, &TfxWave::SetXDiv);
    c.Prop("YDiv", &TfxWave::YDiv, &TfxWave::SetYDiv);
    c.Prop("Ratio", &TfxWave::Ratio, &TfxWave::SetRatio);
    c.Prop("Wrap", &TfxWave::Wrap, &TfxWave::SetWrap);
}

void TfxWave::Set(int& field, int v) {
    if (Change(field, v) && owner_) owner_->Changed();
}

void TfxWave::SetXDiv(int v) { Set(xDiv_, v); }
void TfxWave::SetYDiv(int v) { Set(yDiv_, v); }
void TfxWave::SetRatio(int v) { Set(ratio_, v); }
void TfxWave::SetWrap(bool v) {
    if (Change(wrap_, v) && owner_) owner_->Changed();
}

void TfxWave::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxWave*>(source)) {
        xDiv_ = s->xDiv_;
        yDiv_ = s->yDiv_;
        ratio_ = s->ratio_;
        wrap_ = s->wrap_;
        if (owner_) owner_->Changed();
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxWave::GetOwner() const { return owner_; }

// --------------------------------------------------------- TfxBitmapOptions

MENVARO_CLASS_INFO(TfxBitmapOptions) {
    using O = TfxBitmapOptions;
    c.Prop("AlphaBlend", &O::AlphaBlend);
    c.Prop("Color", &O::Color, &O::SetColor).Idents(ColorIdents());
    c.Prop("Contrast", &O::Contrast, &O::SetContrast);
    c.Prop("Embossed", &O::Embossed, &O::SetEmbossed);
    c.Prop("TintColor", &O::TintColor, &O::SetTintColor).Idents(ColorIdents());
    c.Prop("GaussianBlur", &O::GaussianBlur, &O::SetGaussianBlur);
    c.Prop("GrayScale", &O::GrayScale, &O::SetGrayScale);
    c.Prop("HorizontallyFlipped", &O::HorizontallyFlipped, &O::SetHorizontallyFlipped);
    c.Prop("Inverted", &O::Inverted, &O::SetInverted);
    c.Prop("Lightness", &O::Lightness, &O::SetLightness);
    c.Prop("Rotation", &O::Rotation);
    c.Prop("Saturation", &O::Saturation, &O::SetSaturation);
    c.Prop("Sharpen", &O::Sharpen, &O::SetSharpen);
    c.Prop("Sponge", &O::Sponge, &O::SetSponge);
    c.Prop("VerticallyFlipped", &O::VerticallyFlipped, &O::SetVerticallyFlipped);
    c.Prop("Wave", &O::Wave);
}

TfxBitmapOptions::TfxBitmapOptions(TComponent* owner)
    : owner_(owner),
      alphaBlend_(Create<TfxAlphaBlend>(this)),
      rotation_(Create<TfxRotate>(this)),
      wave_(Create<TfxWave>(this)) {}

TfxBitmapOptions::~TfxBitmapOptions() = default;

template <class T>
void TfxBitmapOptions::Set(T& field, T v) {
    if (Change(field, v)) Changed();
}

void TfxBitmapOptions::SetColor(TColor v) { Set(color_, v); }
void TfxBitmapOptions::SetContrast(int v) { Set(contrast_, v); }
void TfxBitmapOptions::SetEmbossed(bool v) { Set(embossed_, v); }
void TfxBitmapOptions::SetTintColor(TColor v) { Set(tintColor_, v); }
void TfxBitmapOptions::SetGaussianBlur(int v) { Set(gaussianBlur_, v); }
void TfxBitmapOptions::SetGrayScale(bool v) { Set(grayScale_, v); }
void TfxBitmapOptions::SetHorizontallyFlipped(bool v) { Set(horizontallyFlipped_, v); }
void TfxBitmapOptions::SetInverted(bool v) { Set(inverted_, v); }
void TfxBitmapOptions::SetLightness(int v) { Set(lightness_, v); }
void TfxBitmapOptions::SetSaturation(int v) { Set(saturation_, v); }
void TfxBitmapOptions::SetSharpen(int v) { Set(sharpen_, v); }
void TfxBitmapOptions::SetSponge(int v) { Set(sponge_, v); }
void TfxBitmapOptions::SetVerticallyFlipped(bool v) { Set(verticallyFlipped_, v); }

void TfxBitmapOptions::BeginUpdate() { ++updateLock_; }

void TfxBitmapOptions::EndUpdate() {
    if (updateLock_ > 0 && --updateLock_ == 0) Changed();
}

void TfxBitmapOptions::Changed() {
    if (owner_ && owner_->ComponentState().Contains(csLoading)) return;
    if (!destBitmap_ || destBitmap_->Empty() || updateLock_ > 0) return;
    const TGraphic* source = origPicture_ ? origPicture_->Graphic() : nullptr;
    if (!source || source->Empty()) return;
    TfxBitmap& dest = *destBitmap_;
    const int w = dest.Width(), h = dest.Height();
    const auto* imager = dynamic_cast<const TfxCustomImager*>(owner_);
    if (source->Width() == w && source->Height() == h) {
        // The smoothing is the imager's choice, not the source's.
        const bool smooth = dest.Smooth();
        dest.Assign(source);
        dest.SetSmooth(smooth);
    } else if (tile_) {
        fxTileGraphic(*source, dest.Canvas(), {0, 0, w, h});
    } else {
        TOwned<TfxBitmap> tmp(Create<TfxBitmap>());
        tmp->Assign(source);
        tmp->SetSmooth(imager && imager->WorkBitmap()->Smooth());
        dest.Canvas().StretchDraw({0, 0, w, h}, *tmp);
    }
    if (grayScale_) dest.GrayScale();
    if (lightness_ != 0) dest.Lightness(lightness_);
    if (alphaBlend_->Amount() != 0 && !alphaBlend_->Bitmap()->Empty())
        dest.AlphaBlend(*alphaBlend_->Bitmap(), alphaBlend_->Amount(), true);
    if (color_ != clNone) {
        const TfxColorBytes c = fxColorToBytes(color_);
        dest.ColorTint(c.Red, c.Green, c.Blue);
    }
    if (tintColor_ != clNone) {
        const TfxColorBytes c = fxColorToBytes(tintColor_);
        dest.Colorize(c.Red >> 1, c.Green >> 1, c.Blue >> 1);
    }
    if (sponge_ != 0) dest.Sponge(sponge_);
    if (saturation_ != -1) dest.Saturation(saturation_);
    if (gaussianBlur_ != 0) dest.GaussianBlur(gaussianBlur_);
    if (embossed_) dest.Emboss();
    if (inverted_) dest.Invert();
    if (contrast_ != 0) dest.Contrast(contrast_);
    if (sharpen_ != 0) dest.Sharpen(sharpen_);
    if (horizontallyFlipped_) dest.Flip(true);
    if (verticallyFlipped_) dest.Flip(false);
    if (wave_->Ratio() != 0 && wave_->XDiv() != 0 && wave_->YDiv() != 0)
        dest.Wave(wave_->Wrap(), wave_->XDiv(), wave_->YDiv(), wave_->Ratio());
    if (rotation_->Angle() != 0) dest.Rotate({rotation_->CenterX(), rotation_->CenterY()}, rotation_->Angle());
    if (OnChange) OnChange(this);
}

void TfxBitmapOptions::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxBitmapOptions*>(source)) {
        BeginUpdate();
        ScopeGuard done([this] { EndUpdate(); });
        alphaBlend_->Assign(s->AlphaBlend());
        SetColor(s->Color());
        SetContrast(s->Contrast());
        SetEmbossed(s->Embossed());
        SetTintColor(s->TintColor());
        SetGaussianBlur(s->GaussianBlur());
        SetGrayScale(s->GrayScale());
        SetHorizontallyFlipped(s->HorizontallyFlipped());
        SetInverted(s->Inverted());
        SetLightness(s->Lightness());
        rotation_->Assign(s->Rotation());
        SetSaturation(s->Saturation());
        SetSharpen(s->Sharpen());
        SetSponge(s->Sponge());
        SetVerticallyFlipped(s->VerticallyFlipped());
        wave_->Assign(s->Wave());
        tile_ = s->tile_;
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxBitmapOptions::GetOwner() const { return owner_; }

// ---------------------------------------------------------- TfxCustomImager

MENVARO_CLASS_INFO(TfxCustomImager) {}

TfxCustomImager::TfxCustomImager(TComponent* owner)
    : TGraphicControl(owner),
      bitmapOptions_(Create<TfxBitmapOptions>(this)),
      workBitmap_(Create<TfxBitmap>()),
      picture_(Create<TPicture>()) {
    picture_->OnChange = [this] { PictureChanged(); };
    workBitmap_->SetUsePalette(true);
    bitmapOptions_->OnChange = [this](TObject* sender) { OptionsChanged(sender); };
    bitmapOptions_->SetDestBitmap(workBitmap_.get());
    bitmapOptions_->SetOrigPicture(picture_.get());
    SetControlStyle(ControlStyle() + csOpaque);
    SetBounds(Left(), Top(), 100, 100);
}

TfxCustomImager::~TfxCustomImager() { picture_->OnChange = nullptr; }

void TfxCustomImager::SetDrawStyle(TfxImagerDrawStyle v) {
    if (!Change(drawStyle_, v)) return;
    SizeWorkBitmap();
    Invalidate();
}

void TfxCustomImager::SetPreProcess(bool v) {
    if (!Change(preProcess_, v)) return;
    SizeWorkBitmap();
    Invalidate();
}

void TfxCustomImager::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TGraphicControl::SetAutoSize(v);
    AdjustSize();
}

void TfxCustomImager::AddChangeLink(TfxChangeLink* link) {
    if (link) changeLinks_.push_back(link);
}

void TfxCustomImager::RemoveChangeLink(TfxChangeLink* link) {
    auto it = std::find(changeLinks_.begin(), changeLinks_.end(), link);
    if (it != changeLinks_.end()) changeLinks_.erase(it);
}

void TfxCustomImager::NotifyLinks() {
    // A link may take itself out while it is told.
    const std::vector<TfxChangeLink*> links = changeLinks_;
    for (TfxChangeLink* link : links) {
        if (std::find(changeLinks_.begin(), changeLinks_.end(), link) == changeLinks_.end()) continue;
        link->Sender = workBitmap_.get();
        link->Change();
    }
}

bool TfxCustomImager::PictureIsEmpty() const { return picture_->Empty(); }

void TfxCustomImager::SetWorkBitmapSize() {
    const bool toControl = !preProcess_ &&
                           (drawStyle_ == idsStretch || drawStyle_ == idsTile || drawStyle_ == idsProportional);
    if (toControl) {
        workBitmap_->SetDimensions(Width(), Height());
    } else if (bitmapOptions_->Rotation()->Angle() != 0) {
        const int side = std::max(picture_->Width(), picture_->Height());
        workBitmap_->SetDimensions(side, side);
    } else {
        workBitmap_->SetDimensions(picture_->Width(), picture_->Height());
    }
}

void TfxCustomImager::SizeWorkBitmap() {
    if (ComponentState().Contains(csLoading)) return;
    SetWorkBitmapSize();
    // Sized once: a work bitmap that stays empty runs nothing (the chain
    // would only ask for the size again).
    if (!workBitmap_->Empty() && !PictureIsEmpty()) bitmapOptions_->Changed();
    AdjustSize();
}

void TfxCustomImager::ApplyOptions() {
    if (PictureIsEmpty() || ComponentState().Contains(csLoading)) return;
    if (workBitmap_->Empty()) {
        SizeWorkBitmap();
        return;
    }
    bitmapOptions_->Changed();
}

void TfxCustomImager::AdjustSize() {
    if (!AutoSize() || PictureIsEmpty() || ComponentState().Contains(csLoading) || Align() != alNone) return;
    if (Width() == picture_->Width() && Height() == picture_->Height()) return;
    inAutoSize_ = true;
    ScopeGuard done([this] { inAutoSize_ = false; });
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
}

void TfxCustomImager::SetBounds(int left, int top, int width, int height) {
    if ((width == Width() && height == Height()) || inAutoSize_) {
        TGraphicControl::SetBounds(left, top, width, height);
        return;
    }
    inSetBounds_ = true;
    ScopeGuard done([this] { inSetBounds_ = false; });
    {
        // The parent paints no background under the control meanwhile.
        TWinControl* parent = Parent();
        const TControlStyle old = parent ? parent->ControlStyle() : TControlStyle{};
        if (parent) parent->SetControlStyle(old + csOpaque);
        ScopeGuard restore([parent, old] {
            if (parent) parent->SetControlStyle(old);
        });
        TGraphicControl::SetBounds(left, top, width, height);
    }
    if (Visible()) Update();
    SizeWorkBitmap();
}

void TfxCustomImager::Invalidate() {
    if (inSetBounds_) return;
    InvalidateControl(true);
}

void TfxCustomImager::Loaded() {
    TGraphicControl::Loaded();
    AdjustSize();
    bitmapOptions_->Changed();
}

void TfxCustomImager::OptionsChanged(TObject*) {
    const TGraphic* g = picture_->Graphic();
    InvalidateControl(g && g->Transparent());
    NotifyLinks();
}

void TfxCustomImager::PictureChanged() {
    SizeWorkBitmap();
    InvalidateControl(true);
    NotifyLinks();
}

void TfxCustomImager::CopyToClipboard() {
    TBitmap b;
    workBitmap_->SaveToBitmap(b);
    Clipboard().Assign(b);
}

TRect TfxCustomImager::DrawRect() const {
    const int w = Width(), h = Height();
    switch (drawStyle_) {
        case idsNormal: return {0, 0, picture_->Width(), picture_->Height()};
        case idsCenter: {
            const int x = w / 2 - workBitmap_->Width() / 2, y = h / 2 - workBitmap_->Height() / 2;
            return {x, y, w - x, h - y};
        }
        case idsStretch:
        case idsTile: return {0, 0, w, h};
        case idsProportional: return fxFitRect({0, 0, w, h}, workBitmap_->Width(), workBitmap_->Height());
    }
    return {};
}

void TfxCustomImager::Paint() {
    if (ComponentState().Contains(csDestroying)) return;
    TCanvas& c = *Canvas();
    if (workBitmap_->Empty()) {
        // The chain's OnChange brings the next paint.
        if (!PictureIsEmpty()) {
            ApplyOptions();
            return;
        }
        if (ComponentState().Contains(csDesigning)) {
            c.Pen().SetStyle(psDash);
            c.Pen().SetColor(clBlack);
            c.Brush().SetColor(clWhite);
            c.Rectangle(0, 0, Width(), Height());
        }
        return;
    }
    const TRect r = DrawRect();
    if (!preProcess_) {
        c.Draw(r.Left, r.Top, *workBitmap_);
        return;
    }
    switch (drawStyle_) {
        case idsNormal:
        case idsCenter: c.Draw(r.Left, r.Top, *workBitmap_); break;
        case idsStretch:
        case idsProportional: c.StretchDraw(r, *workBitmap_); break;
        case idsTile: workBitmap_->TileDraw(c, r); break;
    }
}

}  // namespace menvaro
