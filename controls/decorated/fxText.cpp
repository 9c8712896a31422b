#include "decorated/fxText.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "classes/Setters.h"
#include "decorated/fxCommon.h"
#include "ui/Controls.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TfxOrientation, fxTopLeft, fxTopRight, fxBottomLeft, fxBottomRight, fxTop, fxRight, fxLeft,
                    fxBottom)
MENVARO_DEFINE_ENUM(TfxTextStyle, fxlsDefault, fxlsLowered, fxlsRaised, fxlsOutline)
MENVARO_DEFINE_ENUM(TfxVAlignment, vaTop, vaVCenter, vaBottom)
MENVARO_DEFINE_ENUM(TfxTextOption, toShowAccel, toShowEllipsis)

namespace {

using i64 = std::int64_t;

const char* const kLineBreak = "\r\n";

// The integer nearest to x - 0.4999 (in effect the floor), kept to int.
int Snap(double x) {
    const double r = std::nearbyint(x - 0.4999);
    if (!(r > double(INT_MIN))) return INT_MIN;
    if (!(r < double(INT_MAX))) return INT_MAX;
    return int(r);
}

// Integer division by 2 toward zero.
i64 Halve(i64 x) { return x / 2; }

int ToInt(i64 v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : int(v)); }

}  // namespace

TPoint fxOrientationStep(TfxOrientation orientation) {
    static constexpr TPoint kSteps[] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}, {0, 1}, {-1, 0}, {1, 0}, {0, -1}};
    const int i = int(orientation);
    return i >= 0 && i < 8 ? kSteps[i] : TPoint{};
}

int fxNormalizeRotation(std::int64_t degrees) {
    if (degrees >= 0) return int(degrees % 360);
    return int(360 - (-degrees) % 360);
}

void fxFontFromLogFont(const TfxLogFont& lf, TFont& font) {
    font.SetName(lf.FaceName);
    font.SetHeight(lf.Height);
    TFontStyles style = 0;
    if (lf.Weight >= 700) style |= fsBold;
    if (lf.Italic) style |= fsItalic;
    if (lf.Underline) style |= fsUnderline;
    if (lf.StrikeOut) style |= fsStrikeOut;
    font.SetStyle(style);
    font.SetCharset(lf.CharSet);
    font.SetOrientation(lf.Escapement);
    font.SetPitch((lf.PitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable : fpDefault);
    font.SetQuality(lf.Quality == NONANTIALIASED_QUALITY ? fqNonAntialiased
                    : lf.Quality == ANTIALIASED_QUALITY  ? fqAntialiased
                                                         : fqDefault);
}

// ------------------------------------------------------------- the effects

MENVARO_CLASS_INFO(TfxShadowEffects) {
    c.Prop("Color", &TfxShadowEffects::Color, &TfxShadowEffects::SetColor).Idents(ColorIdents()).Default(clBtnShadow);
    c.Prop("Enabled", &TfxShadowEffects::Enabled, &TfxShadowEffects::SetEnabled).Default(false);
    c.Prop("XOffset", &TfxShadowEffects::XOffset, &TfxShadowEffects::SetXOffset).Default(10);
    c.Prop("YOffset", &TfxShadowEffects::YOffset, &TfxShadowEffects::SetYOffset).Default(10);
}

void TfxShadowEffects::SetColor(TColor v) {
    if (Change(color_, v)) owner_->Changed();
}

void TfxShadowEffects::SetEnabled(bool v) {
    if (!Change(enabled_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxShadowEffects::SetXOffset(int v) {
    if (!Change(xOffset_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxShadowEffects::SetYOffset(int v) {
    if (!Change(yOffset_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxShadowEffects::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxShadowEffects*>(source)) {
        SetColor(s->Color());
        SetEnabled(s->Enabled());
        SetXOffset(s->XOffset());
        SetYOffset(s->YOffset());
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxShadowEffects::GetOwner() const { return owner_; }

MENVARO_CLASS_INFO(TfxExtrudeEffects) {
    c.Prop("Depth", &TfxExtrudeEffects::Depth, &TfxExtrudeEffects::SetDepth).Default(10);
    c.Prop("Enabled", &TfxExtrudeEffects::Enabled, &TfxExtrudeEffects::SetEnabled).Default(false);
    c.Prop("FarColor", &TfxExtrudeEffects::FarColor, &TfxExtrudeEffects::SetFarColor)
        .Idents(ColorIdents())
        .Default(clBlack);
    c.Prop("NearColor", &TfxExtrudeEffects::NearColor, &TfxExtrudeEffects::SetNearColor)
        .Idents(ColorIdents())
        .Default(clBlack);
    c.Prop("Orientation", &TfxExtrudeEffects::Orientation, &TfxExtrudeEffects::SetOrientation).Default(fxBottomRight);
    c.Prop("Striated", &TfxExtrudeEffects::Striated, &TfxExtrudeEffects::SetStriated).Default(false);
}

void TfxExtrudeEffects::SetDepth(int v) {
    if (!Change(depth_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxExtrudeEffects::SetEnabled(bool v) {
    if (!Change(enabled_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxExtrudeEffects::SetFarColor(TColor v) {
    if (Change(farColor_, v)) owner_->Changed();
}

void TfxExtrudeEffects::SetNearColor(TColor v) {
    if (Change(nearColor_, v)) owner_->Changed();
}

void TfxExtrudeEffects::SetOrientation(TfxOrientation v) {
    if (!Change(orientation_, v)) return;
    owner_->AdjustBounds();
    owner_->Changed();
}

void TfxExtrudeEffects::SetStriated(bool v) {
    if (Change(striated_, v)) owner_->Changed();
}

void TfxExtrudeEffects::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxExtrudeEffects*>(source)) {
        SetDepth(s->Depth());
        SetEnabled(s->Enabled());
        SetFarColor(s->FarColor());
        SetNearColor(s->NearColor());
        SetOrientation(s->Orientation());
        SetStriated(s->Striated());
        return;
    }
    TPersistent::Assign(source);
}

TPersistent* TfxExtrudeEffects::GetOwner() const { return owner_; }

MENVARO_CLASS_INFO(TfxDisabledColors) {
    c.Prop("HighlightColor", &TfxDisabledColors::HighlightColor, &TfxDisabledColors::SetHighlightColor)
        .Idents(ColorIdents())
        .Default(clBtnHighlight);
    c.Prop("ShadeColor", &TfxDisabledColors::ShadeColor, &TfxDisabledColors::SetShadeColor)
        .Idents(ColorIdents())
        .Default(clBtnShadow);
}

void TfxDisabledColors::SetHighlightColor(TColor v) {
    if (Change(highlightColor_, v)) owner_->Invalidate();
}

void TfxDisabledColors::SetShadeColor(TColor v) {
    if (Change(shadeColor_, v)) owner_->Invalidate();
}

TPersistent* TfxDisabledColors::GetOwner() const { return owner_; }

// ------------------------------------------------------------------ TfxText

MENVARO_CLASS_INFO(TfxText) {}

TfxText::TfxText(std::function<void()> onInvalidate, std::function<void()> onAdjustBounds,
                 std::function<bool()> onGetEnabled, TFont* font, TCanvas* canvas)
    : canvas_(canvas),
      disabledColors_(Create<TfxDisabledColors>(this)),
      extrude_(Create<TfxExtrudeEffects>(this)),
      shadow_(Create<TfxShadowEffects>(this)),
      flags_(DT_NOCLIP),
      font_(font),
      onInvalidate_(std::move(onInvalidate)),
      onAdjustBounds_(std::move(onAdjustBounds)),
      onGetEnabled_(std::move(onGetEnabled)) {}

TfxText::~TfxText() = default;

void TfxText::SetAlignment(TAlignment v) {
    if (Change(alignment_, v)) Changed();
}

void TfxText::SetHighlightColor(TColor v) {
    if (Change(highlightColor_, v)) Changed();
}

void TfxText::SetShadeColor(TColor v) {
    if (Change(shadeColor_, v)) Changed();
}

void TfxText::SetOutlineColor(TColor v) {
    if (Change(outlineColor_, v)) Changed();
}

void TfxText::SetLineSpacing(int v) {
    if (!Change(lineSpacing_, v)) return;
    AdjustBounds();
    Changed();
}

void TfxText::SetOptions(TfxTextOptions v) {
    if (!Change(options_, v)) return;
    fxSetFlag(!v.Contains(toShowAccel), flags_, DT_NOPREFIX);
    fxSetFlag(v.Contains(toShowEllipsis), flags_, DT_END_ELLIPSIS);
    AdjustBounds();
    Changed();
}

void TfxText::SetRotation(int v) {
    rotation_ = fxNormalizeRotation(v);
    AdjustBounds();
    Changed();
}

void TfxText::SetStyle(TfxTextStyle v) {
    if (!Change(style_, v)) return;
    AdjustBounds();
    Changed();
}

void TfxText::SetText(const std::string& s) { Change(text_, s); }

void TfxText::SetVAlignment(TfxVAlignment v) {
    if (Change(vAlignment_, v)) Changed();
}

void TfxText::SetWordWrap(bool v) {
    if (!Change(wordWrap_, v)) return;
    fxSetFlag(v, flags_, DT_WORDBREAK);
    Changed();
}

double TfxText::GetAngle() const { return rotation_ * 0.017453292519943295769; }

void TfxText::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxText*>(source)) {
        extrude_->Assign(s->ExtrudeEffects());
        SetHighlightColor(s->HighlightColor());
        SetLineSpacing(s->LineSpacing());
        SetOptions(s->Options());
        SetOutlineColor(s->OutlineColor());
        SetRotation(s->Rotation());
        SetShadeColor(s->ShadeColor());
        shadow_->Assign(s->Shadow());
        SetStyle(s->Style());
        SetText(s->Text());
        return;
    }
    TPersistent::Assign(source);
}

void TfxText::AdjustBounds() {
    if (onAdjustBounds_) onAdjustBounds_();
}

void TfxText::Invalidate() {
    if (onInvalidate_) onInvalidate_();
}

bool TfxText::OwnerEnabled() const { return !onGetEnabled_ || onGetEnabled_(); }

void TfxText::Changed() { Invalidate(); }

// ---- layout

TfxLogFont TfxText::GetLogFont() const {
    static const TFont kNoFont;
    const TFont& f = font_ ? *font_ : kNoFont;
    TfxLogFont lf;
    lf.Height = f.Height();
    lf.Width = 0;
    lf.Escapement = lf.Orientation = rotation_ * 10;
    lf.Weight = (f.Style() & fsBold) ? 700 : 400;
    lf.Italic = f.Style() & fsItalic;
    lf.Underline = f.Style() & fsUnderline;
    lf.StrikeOut = f.Style() & fsStrikeOut;
    lf.CharSet = f.Charset() != DEFAULT_CHARSET ? f.Charset() : 0;
    lf.OutPrecision = rotation_ == 0 ? OUT_TT_PRECIS : OUT_TT_ONLY_PRECIS;
    lf.ClipPrecision = 0;
    lf.Quality = PROOF_QUALITY;
    lf.PitchAndFamily = VARIABLE_PITCH;
    lf.FaceName = f.Name();
    return lf;
}

int TfxText::LineCount() const { return fxCountTokens(text_, kLineBreak); }

std::string TfxText::Line(int index) const { return fxGetToken(text_, kLineBreak, index); }

TSize TfxText::GetTextSize() {
    TSize size;
    if (!canvas_) return size;
    unsigned flags = flags_;
    std::string measured = text_;
    if (options_.Contains(toShowAccel)) {
        measured = fxStripAccelerators(text_);
        // What is left holds no prefixes: measured as it stands, as it is drawn.
        flags |= DT_NOPREFIX;
    }
    const int wrap = wordWrap_ ? fxRectWidth(bounds_) : 0;
    fxMultiLineTextSize(*canvas_, measured, lineSpacing_, size, flags, wrap);
    return size;
}

TPoint TfxText::MeasureShadowOffset() const {
    TPoint s;
    if (shadow_->Enabled()) s = {shadow_->XOffset(), shadow_->YOffset()};
    if (extrude_->Enabled()) {
        const TPoint step = fxOrientationStep(extrude_->Orientation());
        if ((step.X >= 0) != (s.X > 0)) s.X = 0;
        if ((step.Y >= 0) != (s.Y > 0)) s.Y = 0;
    }
    return s;
}

TPoint TfxText::ExtrusionExtent() const {
    if (!extrude_->Enabled()) return {};
    const TPoint step = fxOrientationStep(extrude_->Orientation());
    return {fxMul32(std::abs(step.X), extrude_->Depth()), fxMul32(std::abs(step.Y), extrude_->Depth())};
}

TPoint TfxText::CentringExtent() const {
    if (!extrude_->Enabled()) return {};
    return {extrude_->Depth(), extrude_->Depth()};
}

TSize TfxText::GetTextExtent(bool full) {
    const TSize t = GetTextSize();
    const TPoint e = ExtrusionExtent();
    const TPoint s = MeasureShadowOffset();
    const int outline = style_ == fxlsOutline ? 2 : 0;
    const double w = double(t.cx) + e.X + std::abs(double(s.X)) + outline;
    const double h = double(t.cy) + e.Y + std::abs(double(s.Y)) + outline;
    const double a = GetAngle();
    const double c = std::abs(std::cos(a)), sn = std::abs(std::sin(a));
    TSize out{Snap(w * c + h * sn), Snap(w * sn + h * c)};
    if (!full) {
        out.cx = fxMin(out.cx, fxRectWidth(bounds_));
        out.cy = fxMin(out.cy, fxRectHeight(bounds_));
    }
    return out;
}

TRect TfxText::CalcTextRect(bool full) {
    i64 x = i64(bounds_.Left) + Halve(fxRectWidth(bounds_));
    i64 y = i64(bounds_.Top) + Halve(fxRectHeight(bounds_));
    const TPoint s = MeasureShadowOffset();
    const TPoint e = CentringExtent();
    x -= Halve(s.X) + Halve(e.X);
    y -= Halve(s.Y) + Halve(e.Y);
    const TSize t = GetTextSize();
    const double a = GetAngle();
    x -= Halve(Snap(t.cx * std::cos(a)));
    y += Halve(Snap(t.cx * std::sin(a)));
    y -= Halve(Snap(t.cy * std::cos(a)));
    x -= Halve(Snap(t.cy * std::sin(a)));
    const TSize ext = GetTextExtent(full);
    TRect r{ToInt(x), ToInt(y), ToInt(x + ext.cx), ToInt(y + ext.cy)};
    if (r.Top < bounds_.Top) r = OffsetRect(r, 0, bounds_.Top - r.Top);
    if (r.Left < bounds_.Left) r = OffsetRect(r, bounds_.Left - r.Left, 0);
    return r;
}

void TfxText::PrepareFont() {
    if (!canvas_) return;
    if (fontDepth_++ == 0) {
        savedFont_ = canvas_->Font();
        fontCanvas_ = canvas_;
    }
    TFont f;
    fxFontFromLogFont(GetLogFont(), f);
    f.SetColor(font_ ? font_->Color() : clWindowText);
    canvas_->Font().Assign(f);
    textRect_ = CalcTextRect(false);
}

void TfxText::ReleaseFont() {
    if (fontDepth_ == 0 || --fontDepth_ > 0) return;
    if (fontCanvas_ && savedFont_) fontCanvas_->Font().Assign(*savedFont_);
    savedFont_.reset();
    fontCanvas_ = nullptr;
}

TRect TfxText::CalcRect(bool full) {
    if (!canvas_) return {};
    PrepareFont();
    ScopeGuard released([this] { ReleaseFont(); });
    return CalcTextRect(full);
}

// ---- drawing

void TfxText::SetFontColor(TColor c) {
    if (canvas_) canvas_->Font().SetColor(c);
}

void TfxText::DrawFaceAt(const TRect& r, TColor c) {
    SetFontColor(c);
    DrawLines(r);
}

void TfxText::DrawLines(const TRect& r) {
    if (!canvas_) return;
    const double a = GetAngle();
    const double sn = std::sin(a), c = std::cos(a);
    TRect at = r;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        const std::string line = Line(i);
        TRect drawn = at;
        canvas_->DrawText(line, drawn, flags_);
        const int lineHeight = fxTextHeight(*canvas_, flags_, fxRectWidth(at), line);
        const double step = double(lineHeight) + lineSpacing_;
        at = OffsetRect(at, Snap(sn * step), Snap(c * step));
    }
}

void TfxText::DrawExtrusion() {
    if (!extrude_->Enabled() || !canvas_) return;
    const TPoint e = ExtrusionExtent();
    const TPoint step = fxOrientationStep(extrude_->Orientation());
    const int hx = int(Halve(e.X)), hy = int(Halve(e.Y));
    textRect_ = OffsetRect(textRect_, hx, hy);
    textRect_ = OffsetRect(textRect_, -step.X * hx, -step.Y * hy);
    const TColor nearColor = ColorToRGB(extrude_->NearColor()), farColor = ColorToRGB(extrude_->FarColor());
    const int depth = extrude_->Depth();
    for (int i = 1; i <= depth; ++i) {
        textRect_ = OffsetRect(textRect_, step.X, step.Y);
        // From next to the far colour (layer 1) to the near colour (the last).
        auto channel = [&](int nearValue, int farValue) {
            int v = Snap(farValue + (nearValue - farValue) / (double(depth) / i));
            if (extrude_->Striated() && i % 2 == 0) v /= 4;
            return fxClampByte(v);
        };
        SetFontColor(RGB(channel(GetRValue(nearColor), GetRValue(farColor)),
                         channel(GetGValue(nearColor), GetGValue(farColor)),
                         channel(GetBValue(nearColor), GetBValue(farColor))));
        DrawLines(textRect_);
    }
}

void TfxText::DrawShadow(const TRect& r) {
    if (!shadow_->Enabled()) return;
    DrawFaceAt(OffsetRect(r, shadow_->XOffset(), shadow_->YOffset()),
               OwnerEnabled() ? shadow_->Color() : disabledColors_->ShadeColor());
}

void TfxText::DrawHighlight() {
    const TPoint step = fxOrientationStep(extrude_->Orientation());
    DrawFaceAt(OffsetRect(textRect_, -step.X, -step.Y), highlightColor_);
    DrawFaceAt(textRect_, font_ ? font_->Color() : clWindowText);
}

void TfxText::DrawOutline() {
    const bool enabled = OwnerEnabled();
    const TColor outline = enabled ? outlineColor_ : disabledColors_->ShadeColor();
    for (int o = fxTopLeft; o <= fxBottom; ++o) {
        const TPoint step = fxOrientationStep(TfxOrientation(o));
        DrawFaceAt(OffsetRect(textRect_, step.X, step.Y), outline);
    }
    DrawFaceAt(textRect_, enabled ? (font_ ? font_->Color() : clWindowText) : disabledColors_->HighlightColor());
}

void TfxText::DrawDefault() {
    if (!OwnerEnabled()) {
        DrawEmbossed(false);
        return;
    }
    PrepareFont();
    ScopeGuard released([this] { ReleaseFont(); });
    DrawExtrusion();
    DrawShadow(textRect_);
    DrawFaceAt(textRect_, font_ ? font_->Color() : clWindowText);
}

void TfxText::DrawOutlined() {
    PrepareFont();
    ScopeGuard released([this] { ReleaseFont(); });
    DrawExtrusion();
    DrawShadow(textRect_);
    DrawOutline();
}

void TfxText::DrawEmbossed(bool raised) {
    PrepareFont();
    ScopeGuard released([this] { ReleaseFont(); });
    DrawExtrusion();
    DrawShadow(textRect_);
    const bool enabled = OwnerEnabled();
    const TColor light = enabled ? highlightColor_ : disabledColors_->HighlightColor();
    const TColor dark = enabled ? shadeColor_ : disabledColors_->ShadeColor();
    if (enabled) {
        const TColor c = raised ? light : dark;
        if (c != clNone) DrawFaceAt(OffsetRect(textRect_, -1, -1), c);
    }
    const TColor c = raised ? dark : light;
    if (c != clNone) DrawFaceAt(OffsetRect(textRect_, 1, 1), c);
    DrawFaceAt(textRect_, enabled ? (font_ ? font_->Color() : clWindowText) : disabledColors_->ShadeColor());
}

void TfxText::Draw() {
    if (rotation_ % 360 != 0) {
        flags_ &= ~unsigned(DT_CENTER | DT_RIGHT);
    } else {
        fxSetFlag(alignment_ == taCenter, flags_, DT_CENTER);
        fxSetFlag(alignment_ == taRightJustify, flags_, DT_RIGHT);
        TRect c = CalcRect(false);
        if (alignment_ == taLeftJustify)
            bounds_.Right = bounds_.Left + fxRectWidth(c);
        else if (alignment_ == taRightJustify)
            bounds_.Left = bounds_.Right - fxRectWidth(c);
        c = CalcRect(false);
        if (vAlignment_ == vaTop)
            bounds_.Bottom = bounds_.Top + fxRectHeight(c);
        else if (vAlignment_ == vaBottom)
            bounds_.Top = bounds_.Bottom - fxRectHeight(c);
    }
    switch (style_) {
        case fxlsDefault: DrawDefault(); break;
        case fxlsLowered: DrawEmbossed(false); break;
        case fxlsRaised: DrawEmbossed(true); break;
        case fxlsOutline: DrawOutlined(); break;
    }
}

// ----------------------------------------------------------- TfxCaptionText

MENVARO_CLASS_INFO(TfxCaptionText) {
    c.Prop("Alignment", &TfxCaptionText::Alignment, &TfxCaptionText::SetAlignment);
    c.Prop("DisabledColors", &TfxCaptionText::DisabledColors);
    c.Prop("ExtrudeEffects", &TfxCaptionText::ExtrudeEffects);
    c.Prop("HighlightColor", &TfxCaptionText::HighlightColor, &TfxCaptionText::SetHighlightColor)
        .Idents(ColorIdents())
        .Default(clBtnHighlight);
    c.Prop("LineSpacing", &TfxCaptionText::LineSpacing, &TfxCaptionText::SetLineSpacing).Default(5);
    c.Prop("Options", &TfxCaptionText::Options, &TfxCaptionText::SetOptions).Default(TfxTextOptions{toShowAccel});
    c.Prop("OutlineColor", &TfxCaptionText::OutlineColor, &TfxCaptionText::SetOutlineColor)
        .Idents(ColorIdents())
        .Default(clBlack);
    c.Prop("Rotation", &TfxCaptionText::Rotation, &TfxCaptionText::SetRotation).Default(0);
    c.Prop("ShadeColor", &TfxCaptionText::ShadeColor, &TfxCaptionText::SetShadeColor)
        .Idents(ColorIdents())
        .Default(clBtnShadow);
    c.Prop("Shadow", &TfxCaptionText::Shadow);
    c.Prop("Style", &TfxCaptionText::Style, &TfxCaptionText::SetStyle).Default(fxlsDefault);
    c.Prop("VAlignment", &TfxCaptionText::VAlignment, &TfxCaptionText::SetVAlignment);
    c.Prop("WordWrap", &TfxCaptionText::WordWrap, &TfxCaptionText::SetWordWrap).Default(false);
}

}  // namespace menvaro
