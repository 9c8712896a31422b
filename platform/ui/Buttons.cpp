#include "ui/Buttons.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "classes/ClassBuilder.h"
#include "classes/Setters.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
MENVARO_DEFINE_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
MENVARO_DEFINE_ENUM(TButtonStyle, bsAutoDetect, bsWin31, bsNew)
MENVARO_DEFINE_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore,
                    bkAll)

namespace {

struct KindRow {
    const char* caption;
    TModalResult result;
    bool isDefault;
    bool isCancel;
};

const KindRow kKinds[] = {
    {"", mrNone, false, false},          {"OK", mrOk, true, false},        {"Cancel", mrCancel, false, true},
    {"&Help", mrNone, false, false},     {"&Yes", mrYes, true, false},     {"&No", mrNo, false, true},
    {"&Close", mrNone, false, false},    {"Abort", mrAbort, false, false}, {"&Retry", mrRetry, false, false},
    {"&Ignore", mrIgnore, false, false}, {"&All", mrAll, false, false},
};

const KindRow& Row(TBitBtnKind k) { return kKinds[static_cast<int>(k)]; }

// Pixels that carry the picture's shape: not transparent and not light.
bool Ink(std::uint32_t px, std::uint32_t key) {
    if ((px & 0xFFFFFF) == key) return false;
    int sum = int((px >> 16) & 0xFF) + int((px >> 8) & 0xFF) + int(px & 0xFF);
    return sum < 3 * 192;
}

// The embossed (disabled) look of an image of `src`: its shape in the
// highlight colour one pixel down and right, then in the shadow colour.
void DrawEmbossed(TCanvas& c, const TBitmap& src, int sx, int w, int h, int x, int y, TColor key) {
    std::uint32_t k = ColorToPixel(ColorToRGB(key));
    const TColor hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
    for (int pass = 0; pass < 2; ++pass)
        for (int py = 0; py < h && py < src.Height(); ++py) {
            const std::uint32_t* row = src.ScanLine(py);
            for (int px = 0; px < w && sx + px < src.Width(); ++px)
                if (Ink(row[sx + px], k))
                    c.SetPixel(x + px + (pass == 0 ? 1 : 0), y + py + (pass == 0 ? 1 : 0), pass == 0 ? hi : sh);
        }
}

// ------------------------------------------------------------ stock glyphs

void Check(TCanvas& c, int dx, int dy, TColor color) {
    c.Pen().SetColor(color);
    c.Pen().SetWidth(3);
    c.Polyline({{dx + 3, dy + 9}, {dx + 7, dy + 13}, {dx + 14, dy + 4}});
}

void ArrowHead(TCanvas& c, TPoint tip, TPoint a, TPoint b, TColor color) {
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
    c.Brush().SetColor(color);
    c.Polygon({tip, a, b});
}

void DrawStockImage(TCanvas& c, TBitBtnKind kind) {
    c.Brush().SetStyle(bsSolid);
    c.Pen().SetStyle(psSolid);
    switch (kind) {
        case bkOK:
        case bkYes: Check(c, 0, 0, clGreen); break;
        case bkAll:
            Check(c, -2, -2, clGreen);
            Check(c, 2, 3, clGreen);
            break;
        case bkCancel:
            c.Pen().SetColor(clRed);
            c.Pen().SetWidth(3);
            c.MoveTo(4, 4);
            c.LineTo(14, 14);
            c.MoveTo(14, 4);
            c.LineTo(4, 14);
            break;
        case bkHelp:
            c.Pen().SetColor(clBlue);
            c.Pen().SetWidth(2);
            c.Polyline({{5, 6}, {6, 4}, {8, 3}, {11, 3}, {13, 5}, {13, 7}, {11, 9}, {9, 10}, {9, 12}});
            c.Brush().SetColor(clBlue);
            c.FillRect({8, 14, 11, 17});
            break;
        case bkNo:
            c.Pen().SetColor(clRed);
            c.Pen().SetWidth(2);
            c.Brush().SetStyle(bsClear);
            c.Ellipse(2, 2, 17, 17);
            c.MoveTo(5, 13);
            c.LineTo(13, 5);
            break;
        case bkClose:
            // A door standing open.
            c.Pen().SetColor(clBlack);
            c.Pen().SetWidth(1);
            c.Brush().SetColor(clGray);
            c.Rectangle(4, 2, 14, 17);
            c.Brush().SetColor(clMaroon);
            c.Polygon({{4, 2}, {10, 4}, {10, 17}, {4, 16}});
            c.Brush().SetColor(clYellow);
            c.FillRect({8, 9, 10, 11});
            break;
        case bkAbort:
            c.Pen().SetColor(clMaroon);
            c.Pen().SetWidth(1);
            c.Brush().SetColor(clRed);
            c.Ellipse(2, 2, 17, 17);
            c.Pen().SetColor(clWhite);
            c.Pen().SetWidth(2);
            c.MoveTo(6, 6);
            c.LineTo(12, 12);
            c.MoveTo(12, 6);
            c.LineTo(6, 12);
            break;
        case bkRetry: {
            // A circular arrow.
            std::vector<TPoint> arc;
            for (int a = 40; a <= 300; a += 20) {
                double r = a * 3.14159265 / 180.0;
                arc.push_back({9 + int(std::lround(6 * std::cos(r))), 9 - int(std::lround(6 * std::sin(r)))});
            }
            c.Pen().SetColor(clGreen);
            c.Pen().SetWidth(2);
            c.Polyline(arc);
            ArrowHead(c, {16, 4}, {10, 3}, {15, 9}, clGreen);
            break;
        }
        case bkIgnore:
            c.Brush().SetColor(clBlack);
            c.FillRect({7, 12, 11, 17});
            c.Pen().SetColor(clBlue);
            c.Pen().SetWidth(2);
            c.Polyline({{2, 13}, {4, 7}, {9, 4}, {13, 6}, {14, 9}});
            ArrowHead(c, {14, 14}, {11, 9}, {17, 9}, clBlue);
            break;
        case bkCustom: break;
    }
    c.Pen().SetWidth(1);
}

TBitmap MakeStockGlyph(TBitBtnKind kind) {
    if (kind == bkCustom) return TBitmap();
    int h = kind == bkAll ? 19 : 18;
    TBitmap up(18, h);
    up.Fill(clOlive);
    DrawStockImage(up.Canvas(), kind);
    TBitmap strip(36, h);
    strip.Fill(clOlive);
    strip.Canvas().Draw(0, 0, up);
    DrawEmbossed(strip.Canvas(), up, 0, 18, h, 18, 0, clOlive);
    strip.SetPixelFormat(pf4bit);
    return strip;
}

}  // namespace

const std::string& BitBtnKindCaption(TBitBtnKind kind) {
    static const std::array<std::string, 11> captions = [] {
        std::array<std::string, 11> a;
        for (int i = 0; i < 11; ++i) a[std::size_t(i)] = kKinds[i].caption;
        return a;
    }();
    return captions[static_cast<std::size_t>(kind)];
}

TModalResult BitBtnKindModalResult(TBitBtnKind kind) { return Row(kind).result; }

const TBitmap& BitBtnStockGlyph(TBitBtnKind kind) {
    static std::array<std::unique_ptr<TBitmap>, 11> cache;
    auto& slot = cache[static_cast<std::size_t>(kind)];
    if (!slot) slot = std::make_unique<TBitmap>(MakeStockGlyph(kind));
    return *slot;
}

// ------------------------------------------------------------ TButtonGlyph

TButtonGlyph::TButtonGlyph() {
    glyph_.OnChange = [this] { Changed(); };
}

void TButtonGlyph::Changed() {
    if (OnChange) OnChange();
}

void TButtonGlyph::SetGlyph(const TBitmap* b) {
    if (b)
        glyph_.Assign(*b);
    else
        glyph_.Clear();
    // A strip of square images tells how many it holds.
    if (b && !b->Empty() && b->Width() % b->Height() == 0) {
        int n = b->Width() / b->Height();
        if (n >= 1 && n <= 4) numGlyphs_ = n;
    }
    Changed();
}

void TButtonGlyph::SetNumGlyphs(int n) {
    n = std::clamp(n, 1, 4);
    if (n == numGlyphs_) return;
    numGlyphs_ = n;
    Changed();
}

void TButtonGlyph::SetLayout(TButtonLayout l) {
    if (l == layout_) return;
    layout_ = l;
    Changed();
}

void TButtonGlyph::SetMargin(int v) {
    if (v < -1 || v == margin_) return;
    margin_ = v;
    Changed();
}

void TButtonGlyph::SetSpacing(int v) {
    if (v < -1 || v == spacing_) return;
    spacing_ = v;
    Changed();
}

int TButtonGlyph::ImageWidth() const { return glyph_.Empty() ? 0 : glyph_.Width() / numGlyphs_; }

void TButtonGlyph::CalcLayout(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption,
                              TButtonLayout layout, int margin, int spacing, TPoint& glyphPos,
                              TRect& textBounds) const {
    TSize g{ImageWidth(), glyph_.Empty() ? 0 : glyph_.Height()};
    TSize t{};
    if (!caption.empty()) {
        TRect calc{0, 0, client.Width(), 0};
        canvas.DrawText(caption, calc, DT_CALCRECT | DT_CENTER);
        t = {calc.Width(), calc.Height()};
    }
    const int cw = client.Width(), ch = client.Height();
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    TPoint gp, tp;
    // Centred across the direction of the layout.
    if (horizontal) {
        gp.Y = (ch - g.cy + 1) / 2;
        tp.Y = (ch - t.cy + 1) / 2;
    } else {
        gp.X = (cw - g.cx + 1) / 2;
        tp.X = (cw - t.cx + 1) / 2;
    }
    const int avail = horizontal ? cw : ch;
    const int gs = horizontal ? g.cx : g.cy;
    const int ts = horizontal ? t.cx : t.cy;
    if (gs == 0 || ts == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (avail - gs - ts) / 3;
            spacing = margin;
        } else {
            margin = (avail - gs - spacing - ts + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (avail - margin - gs - ts) / 2;
    }
    int gAt = 0, tAt = 0;
    switch (layout) {
        case blGlyphLeft:
        case blGlyphTop:
            gAt = margin;
            tAt = gAt + gs + spacing;
            break;
        case blGlyphRight:
        case blGlyphBottom:
            gAt = avail - margin - gs;
            tAt = gAt - spacing - ts;
            break;
    }
    if (gs == 0) tAt = margin;
    if (horizontal) {
        gp.X = gAt;
        tp.X = tAt;
    } else {
        gp.Y = gAt;
        tp.Y = tAt;
    }
    glyphPos = {client.Left + gp.X + offset.X, client.Top + gp.Y + offset.Y};
    textBounds = Bounds(client.Left + tp.X + offset.X, client.Top + tp.Y + offset.Y, t.cx, t.cy);
}

void TButtonGlyph::DrawImage(TCanvas& canvas, int x, int y, TButtonState state) const {
    if (glyph_.Empty()) return;
    const int w = ImageWidth(), h = glyph_.Height(), n = numGlyphs_;
    int index = 0;
    switch (state) {
        case bsDisabled:
            if (n < 2) {
                DrawEmbossed(canvas, glyph_, 0, w, h, x, y, glyph_.TransparentColor());
                return;
            }
            index = 1;
            break;
        case bsDown: index = n > 2 ? 2 : 0; break;
        case bsExclusive: index = n > 3 ? 3 : n > 2 ? 2 : 0; break;
        case bsUp: break;
    }
    canvas.TransparentBlt(Bounds(x, y, w, h), glyph_.Canvas(), Bounds(index * w, 0, w, h),
                          ColorToRGB(glyph_.TransparentColor()));
}

TRect TButtonGlyph::Draw(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption,
                         TButtonState state, bool enabled) const {
    TPoint gp;
    TRect tb;
    CalcLayout(canvas, client, offset, caption, layout_, margin_, spacing_, gp, tb);
    DrawImage(canvas, gp.X, gp.Y, state);
    if (!caption.empty()) {
        canvas.Brush().SetStyle(bsClear);
        const unsigned flags = DT_CENTER;
        TColor color = canvas.Font().Color();
        if (!enabled) {
            TRect h = OffsetRect(tb, 1, 1);
            canvas.Font().SetColor(clBtnHighlight);
            canvas.DrawText(caption, h, flags);
            canvas.Font().SetColor(clBtnShadow);
        }
        TRect t = tb;
        canvas.DrawText(caption, t, flags);
        canvas.Font().SetColor(color);
    }
    return tb;
}

// ------------------------------------------------------------ TSpeedButton

MENVARO_CLASS_INFO(TSpeedButton) {
    c.Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    c.Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    c.Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    c.Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    c.Prop("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    c.Prop("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
    c.Prop("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    c.Prop("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
    c.Prop("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
    c.Prop("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle({csCaptureMouse, csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 23, 22);
    SetColor(clBtnFace);
    SetParentColor(false);
    glyph_.OnChange = [this] { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetAllowAllUp(bool v) {
    if (!Change(allowAllUp_, v)) return;
    UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int v) {
    if (!Change(groupIndex_, v)) return;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool v) {
    if (groupIndex_ == 0 && !ComponentState().Contains(csLoading)) v = false;
    if (v == down_) return;
    if (down_ && !allowAllUp_ && !ComponentState().Contains(csLoading)) return;
    down_ = v;
    state_ = v ? bsExclusive : bsUp;
    Invalidate();
    if (v) UpdateExclusive();
}

void TSpeedButton::SetFlat(bool v) {
    if (!Change(flat_, v)) return;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* b) { glyph_.SetGlyph(b); }
void TSpeedButton::SetNumGlyphs(int n) { glyph_.SetNumGlyphs(n); }

void TSpeedButton::SetTransparent(bool v) {
    if (!Change(transparent_, v)) return;
    Invalidate();
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    state_ = down_ ? bsExclusive : bsUp;
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(m);
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    if (!down_) {
        state_ = bsDown;
        Invalidate();
    }
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    bool inside = ClientRect().Contains({x, y});
    TButtonState s = inside ? (down_ ? bsExclusive : bsDown) : (down_ ? bsExclusive : bsUp);
    if (s != state_) {
        state_ = s;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!dragging_ || button != mbLeft) return;
    dragging_ = false;
    bool click = ClientRect().Contains({x, y});
    if (groupIndex_ == 0) {
        state_ = bsUp;
        Invalidate();
    } else if (click) {
        SetDown(!down_);
        if (down_) state_ = bsExclusive;
        Invalidate();
    } else {
        state_ = down_ ? bsExclusive : bsUp;
        Invalidate();
    }
    // Last: the click may free this button's form.
    if (click) Click();
}

void TSpeedButton::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_BUTTONPRESSED: {
            auto* sender = reinterpret_cast<TControl*>(m.LParam);
            auto* other = dynamic_cast<TSpeedButton*>(sender);
            if (other && other != this && static_cast<int>(m.WParam) == groupIndex_) {
                if (other->Down() && down_) {
                    down_ = false;
                    state_ = bsUp;
                    Invalidate();
                }
                allowAllUp_ = other->AllowAllUp();
            }
            return;
        }
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char>(m.WParam), Caption()) && Enabled() && Visible() && Parent() &&
                Parent()->Showing()) {
                Click();
                m.Result = 1;
            }
            return;
        case CM_MOUSEENTER:
            mouseInControl_ = true;
            if (flat_ && Enabled()) Invalidate();
            TGraphicControl::Dispatch(m);
            return;
        case CM_MOUSELEAVE:
            mouseInControl_ = false;
            if (flat_ && Enabled()) Invalidate();
            TGraphicControl::Dispatch(m);
            return;
        case CM_ENABLEDCHANGED:
            if (!Enabled()) dragging_ = false;
            TGraphicControl::Dispatch(m);
            return;
        default: TGraphicControl::Dispatch(m);
    }
}

namespace {
// The checkered face of a latched button.
void FillLatched(TCanvas& c, const TRect& r) {
    TBrushPattern p;
    p.Monochrome = false;
    TColor a = ColorToRGB(clBtnFace), b = ColorToRGB(clBtnHighlight);
    for (int i = 0; i < 64; ++i) p.Colors[std::size_t(i)] = ((i / 8 + i % 8) % 2) ? a : b;
    c.Brush().SetPattern(p);
    c.FillRect(r);
    c.Brush().SetStyle(bsSolid);
}
}  // namespace

void TSpeedButton::Paint() {
    if (!Enabled()) {
        state_ = bsDisabled;
        dragging_ = false;
    } else if (state_ == bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
    }
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    const bool pressed = state_ == bsDown || state_ == bsExclusive;
    if (!flat_ || !transparent_) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    if (!flat_) {
        TRect e = r;
        c.DrawEdge(e, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        if (state_ == bsExclusive && !dragging_) FillLatched(c, e);
    } else {
        TRect e = r;
        if (state_ == bsExclusive && !dragging_ && !transparent_) FillLatched(c, InflateRect(e, -1, -1));
        if (pressed || (mouseInControl_ && Enabled()))
            c.DrawEdge(e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
    c.Font().Assign(*Font());
    if (!Enabled()) c.Font().SetColor(clBtnShadow);
    glyph_.Draw(c, r, offset, Caption(), state_, Enabled());
}

// ----------------------------------------------------------------- TBitBtn

MENVARO_CLASS_INFO(TBitBtn) {
    c.Redeclare("Caption").Stored(&TBitBtn::IsCustomCaption);
    c.Redeclare("Cancel").Stored(&TBitBtn::IsCustom);
    c.Redeclare("Default").Stored(&TBitBtn::IsCustom);
    c.Redeclare("ModalResult").Stored(&TBitBtn::IsCustom);
    c.Prop("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph).Stored(&TBitBtn::IsCustom);
    c.Prop("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    c.Prop("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    c.Prop("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    c.Prop("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    c.Prop("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
    c.Prop("Style", &TBitBtn::Style, &TBitBtn::SetStyle).Default(bsAutoDetect);
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
    glyph_.OnChange = [this] { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(TBitmap* b) {
    glyph_.SetGlyph(b);
    if (!settingKind_) modifiedGlyph_ = true;
}

void TBitBtn::SetNumGlyphs(int n) { glyph_.SetNumGlyphs(n); }

TBitBtnKind TBitBtn::Kind() const {
    if (kind_ == bkCustom) return bkCustom;
    const KindRow& r = Row(kind_);
    if (Default() != r.isDefault || Cancel() != r.isCancel || ModalResult() != r.result || modifiedGlyph_)
        return bkCustom;
    return kind_;
}

void TBitBtn::SetKind(TBitBtnKind k) {
    if (k == kind_) return;
    if (k != bkCustom) {
        const KindRow& r = Row(k);
        SetDefault(r.isDefault);
        SetCancel(r.isCancel);
        if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(r.caption);
        SetModalResult(r.result);
        settingKind_ = true;
        glyph_.SetGlyph(&BitBtnStockGlyph(k));
        glyph_.SetNumGlyphs(2);
        settingKind_ = false;
        modifiedGlyph_ = false;
    }
    kind_ = k;
    Invalidate();
}

bool TBitBtn::IsCustomCaption() const { return Caption() != BitBtnKindCaption(kind_); }

void TBitBtn::SetStyle(TButtonStyle s) {
    if (!Change(style_, s)) return;
    Invalidate();
}

void TBitBtn::Click() {
    TCustomForm* form = GetParentForm(this);
    switch (kind_ == bkCustom ? bkCustom : Kind()) {
        case bkClose:
            if (form) {
                form->Close();
                return;
            }
            break;
        case bkHelp:
            for (TControl* c = this; c; c = c->Parent())
                if (c->HelpContext() != 0) {
                    if (Application) Application->HelpContext(c->HelpContext());
                    return;
                }
            break;
        default: break;
    }
    TButton::Click();
}

void TBitBtn::DrawFace(TCanvas& c, const TRect& r, bool pressed) {
    TButtonState state = !Enabled() ? bsDisabled : pressed ? bsDown : bsUp;
    TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
    glyph_.Draw(c, r, offset, Caption(), state, Enabled());
}

}  // namespace menvaro
