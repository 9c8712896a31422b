// Glyph buttons: the speed button (windowless, latching in groups, flat or
// raised) and the bitmap button (a push button with a glyph and the stock
// kinds OK, Cancel, Yes, No, ...), and TButtonGlyph, which lays out and
// draws a glyph and a caption for both (and for other buttons that want
// the same look).
//
// A glyph is a strip of NumGlyphs equal images side by side: up, disabled,
// down, exclusive (latched down). Its bottom-left pixel is the transparent
// colour. A missing disabled image is made from the up image, embossed.
#pragma once

#include <memory>
#include <string>

#include "gfx/Bitmap.h"
#include "ui/StdCtrls.h"

namespace menvaro {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
MENVARO_DECLARE_ENUM(TButtonLayout)
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
MENVARO_DECLARE_ENUM(TButtonState)
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
MENVARO_DECLARE_ENUM(TButtonStyle)
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
MENVARO_DECLARE_ENUM(TBitBtnKind)

// The rows of the stock kinds: caption, modal result, Default, Cancel.
const std::string& BitBtnKindCaption(TBitBtnKind kind);
TModalResult BitBtnKindModalResult(TBitBtnKind kind);
// The stock glyph of a kind (our own drawings): two images, up and
// disabled, each 18 x 18 (bkAll 18 x 19), on an olive transparent colour.
// Shared and made on first use; bkCustom has none (an empty bitmap).
const TBitmap& BitBtnStockGlyph(TBitBtnKind kind);

// Lays out and draws a glyph and a caption on a button face.
class TButtonGlyph {
public:
    TButtonGlyph();
    // The strip itself (a form file reads Glyph.Data into it).
    TBitmap* Glyph() const { return &glyph_; }
    void SetGlyph(const TBitmap* b);
    int NumGlyphs() const { return numGlyphs_; }
    // Clamped to 1..4.
    void SetNumGlyphs(int n);
    // Width of one image (0 without a glyph).
    int ImageWidth() const;
    // How Draw lays out the glyph and the caption (see CalcLayout); a
    // margin or spacing below -1 is refused.
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout l);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    std::function<void()> OnChange;

    // Where the glyph and the caption go in `client`: Margin -1 centres the
    // whole, otherwise it is the distance of the glyph from its edge;
    // Spacing -1 spreads them evenly, otherwise it is the gap between them.
    // The caption may hold line breaks.
    void CalcLayout(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption,
                    TButtonLayout layout, int margin, int spacing, TPoint& glyphPos, TRect& textBounds) const;
    // Draws both with this glyph's layout; answers where the caption went.
    TRect Draw(TCanvas& canvas, const TRect& client, TPoint offset, const std::string& caption, TButtonState state,
               bool enabled) const;
    // The image of one state (the disabled image made when the strip has none).
    void DrawImage(TCanvas& canvas, int x, int y, TButtonState state) const;

private:
    void Changed();
    mutable TBitmap glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
};

// A windowless button: pressed while the mouse holds it, latched down in a
// group (GroupIndex > 0: one down at a time among the speed buttons of the
// same parent; AllowAllUp lets the last one come up again).
class TSpeedButton : public TGraphicControl {
    MENVARO_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    // Only a button of a group stays down (while loading any may be set).
    bool Down() const { return down_; }
    void SetDown(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    TBitmap* Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(TBitmap* b);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int n);
    TButtonLayout Layout() const { return glyph_.Layout(); }
    void SetLayout(TButtonLayout l) { glyph_.SetLayout(l); }
    int Margin() const { return glyph_.Margin(); }
    void SetMargin(int v) { glyph_.SetMargin(v); }
    int Spacing() const { return glyph_.Spacing(); }
    void SetSpacing(int v) { glyph_.SetSpacing(v); }
    // A flat transparent button lets its parent show through the face.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);

    bool MouseInControl() const { return mouseInControl_; }
    void Click() override;
    void Dispatch(TMessage& m) override;
    void Loaded() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The state the face shows: bsUp, bsDisabled, bsDown (pressed by the
    // mouse) or bsExclusive (latched down).
    TButtonState State() const { return state_; }
    void SetState(TButtonState s) { state_ = s; }
    bool Dragging() const { return dragging_; }

private:
    void UpdateExclusive();
    TButtonGlyph glyph_;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool transparent_ = true;
    TButtonState state_ = bsUp;
    bool dragging_ = false;
    bool mouseInControl_ = false;
};

// A push button with a glyph. Kind sets the stock caption, glyph, modal
// result and Default/Cancel of a kind; changing any of them afterwards
// makes Kind read back as bkCustom.
class TBitBtn : public TButton {
    MENVARO_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(TBitmap* b);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int n);
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind k);
    TButtonLayout Layout() const { return glyph_.Layout(); }
    void SetLayout(TButtonLayout l) { glyph_.SetLayout(l); }
    int Margin() const { return glyph_.Margin(); }
    void SetMargin(int v) { glyph_.SetMargin(v); }
    int Spacing() const { return glyph_.Spacing(); }
    void SetSpacing(int v) { glyph_.SetSpacing(v); }
    // Kept for form files; every style draws the same face here.
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle s);

    bool IsCustom() const { return Kind() == bkCustom; }
    bool IsCustomCaption() const;
    void Click() override;

protected:
    void DrawFace(TCanvas& canvas, const TRect& r, bool pressed) override;

private:
    TButtonGlyph glyph_;
    TBitBtnKind kind_ = bkCustom;
    TButtonStyle style_ = bsAutoDetect;
    bool modifiedGlyph_ = false;
    bool settingKind_ = false;
};

}  // namespace menvaro
