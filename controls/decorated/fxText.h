// The caption engine of the decorated controls: TfxText lays out and draws a
// multi-line caption on a canvas in four styles (plain, lowered, raised,
// outlined), with a drop shadow, a 3-D extrusion of coloured layers,
// rotation by whole degrees, word wrap, alignment, accelerators and an
// ellipsis, and colours of its own for the disabled look. It owns no
// window: a control hands it its font, its canvas and three callbacks
// (repaint, resize, enabled), sets the text and the bounds before each
// paint and calls Draw. TfxCaptionText is the same engine with its
// settings published; controls stream it as "TextOptions".
//
// Lines are separated by CR LF. Rotation turns the text counter-clockwise
// about the start of each line; the following lines run along the rotated
// down direction. Every drawing, and CalcRect, puts the caption's font
// into the canvas for as long as it draws and gives the canvas its own
// font back afterwards, also when the drawing raises.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "classes/Alignment.h"
#include "classes/Classes.h"
#include "classes/Sets.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/GraphicsObjects.h"
#include "gfx/Types.h"

namespace menvaro {

class TfxText;

// The side on which the far end of an extrusion lies.
enum TfxOrientation { fxTopLeft, fxTopRight, fxBottomLeft, fxBottomRight, fxTop, fxRight, fxLeft, fxBottom };
MENVARO_DECLARE_ENUM(TfxOrientation)
enum TfxTextStyle { fxlsDefault, fxlsLowered, fxlsRaised, fxlsOutline };
MENVARO_DECLARE_ENUM(TfxTextStyle)
enum TfxVAlignment { vaTop, vaVCenter, vaBottom };
MENVARO_DECLARE_ENUM(TfxVAlignment)
enum TfxTextOption { toShowAccel, toShowEllipsis };
MENVARO_DECLARE_ENUM(TfxTextOption)
using TfxTextOptions = TSet<TfxTextOption>;

// The unit step of an orientation: the direction in which successive
// extrusion layers move toward the face. The eight steps in the order of
// TfxOrientation are also the eight one-pixel offsets of the outline.
TPoint fxOrientationStep(TfxOrientation orientation);

// Rotation in whole degrees kept in 0..359, except that a negative multiple
// of 360 gives 360 (it aligns and draws like 0). Computed in 64 bits, so
// every int has an answer.
int fxNormalizeRotation(std::int64_t degrees);

// The font description of a rotated caption, field by field as the system's
// font record has them.
struct TfxLogFont {
    int Height = 0;
    int Width = 0;
    int Escapement = 0;   // tenths of a degree
    int Orientation = 0;  // tenths of a degree
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int CharSet = 0;
    int OutPrecision = 0;
    int ClipPrecision = 0;
    int Quality = 0;
    int PitchAndFamily = 0;
    std::string FaceName;
};
enum : int {
    OUT_TT_PRECIS = 4,
    OUT_TT_ONLY_PRECIS = 7,
    PROOF_QUALITY = 2,
    NONANTIALIASED_QUALITY = 3,
    ANTIALIASED_QUALITY = 4,
    VARIABLE_PITCH = 2
};
// The font such a description selects.
void fxFontFromLogFont(const TfxLogFont& lf, TFont& font);

class TfxShadowEffects : public TPersistent {
    MENVARO_CLASS(TfxShadowEffects, TPersistent)
public:
    explicit TfxShadowEffects(TfxText* owner) : owner_(owner) {}

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int XOffset() const { return xOffset_; }
    void SetXOffset(int v);
    int YOffset() const { return yOffset_; }
    void SetYOffset(int v);

    // From another shadow, through the setters.
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    TfxText* owner_;
    TColor color_ = clBtnShadow;
    bool enabled_ = false;
    int xOffset_ = 10;
    int yOffset_ = 10;
};

class TfxExtrudeEffects : public TPersistent {
    MENVARO_CLASS(TfxExtrudeEffects, TPersistent)
public:
    explicit TfxExtrudeEffects(TfxText* owner) : owner_(owner) {}

    int Depth() const { return depth_; }
    void SetDepth(int v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    TColor FarColor() const { return farColor_; }
    void SetFarColor(TColor v);
    TColor NearColor() const { return nearColor_; }
    void SetNearColor(TColor v);
    TfxOrientation Orientation() const { return orientation_; }
    void SetOrientation(TfxOrientation v);
    // Every second layer drawn at a quarter of its colour.
    bool Striated() const { return striated_; }
    void SetStriated(bool v);

    // From another extrusion, through the setters.
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    TfxText* owner_;
    int depth_ = 10;
    bool enabled_ = false;
    TColor farColor_ = clBlack;
    TColor nearColor_ = clBlack;
    TfxOrientation orientation_ = fxBottomRight;
    bool striated_ = false;
};

// The colours of the disabled look; a change repaints the owner.
class TfxDisabledColors : public TPersistent {
    MENVARO_CLASS(TfxDisabledColors, TPersistent)
public:
    explicit TfxDisabledColors(TfxText* owner) : owner_(owner) {}

    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor v);
    TColor ShadeColor() const { return shadeColor_; }
    void SetShadeColor(TColor v);
    TPersistent* GetOwner() const override;

private:
    TfxText* owner_;
    TColor highlightColor_ = clBtnHighlight;
    TColor shadeColor_ = clBtnShadow;
};

class TfxText : public TPersistent {
    MENVARO_CLASS(TfxText, TPersistent)
public:
    // The callbacks may be empty; `font` is the owner's (not owned), `canvas`
    // the one to draw on (not owned, may be changed before each drawing).
    TfxText(std::function<void()> onInvalidate, std::function<void()> onAdjustBounds,
            std::function<bool()> onGetEnabled, TFont* font, TCanvas* canvas);
    ~TfxText() override;

    // ---- state

    // Where the face is drawn this paint (moved by the extrusion while drawing).
    const TRect& TextRect() const { return textRect_; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TCanvas* Canvas() const { return canvas_; }
    void SetCanvas(TCanvas* canvas) { canvas_ = canvas; }
    TfxDisabledColors* DisabledColors() const { return disabledColors_.get(); }
    TfxExtrudeEffects* ExtrudeEffects() const { return extrude_.get(); }
    TfxShadowEffects* Shadow() const { return shadow_.get(); }
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor v);
    TColor ShadeColor() const { return shadeColor_; }
    void SetShadeColor(TColor v);
    TColor OutlineColor() const { return outlineColor_; }
    void SetOutlineColor(TColor v);
    // The DT_* format of every line: DT_NOCLIP, DT_NOPREFIX without
    // toShowAccel, DT_END_ELLIPSIS with toShowEllipsis, DT_WORDBREAK with
    // WordWrap; Draw sets DT_CENTER and DT_RIGHT from the alignment.
    unsigned Flags() const { return flags_; }
    TFont* Font() const { return font_; }
    // Extra pixels between lines.
    int LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(int v);
    TfxTextOptions Options() const { return options_; }
    void SetOptions(TfxTextOptions v);
    // Degrees counter-clockwise, see fxNormalizeRotation. Setting it always
    // refits and repaints the owner, also when nothing changed.
    int Rotation() const { return rotation_; }
    void SetRotation(int v);
    TfxTextStyle Style() const { return style_; }
    void SetStyle(TfxTextStyle v);
    const std::string& Text() const { return text_; }
    // Stores the text only when it differs; tells nobody.
    void SetText(const std::string& s);
    // The rectangle the owner allots to the text for this paint; Draw
    // narrows it for the alignment, so an owner sets it before every paint.
    const TRect& TextBounds() const { return bounds_; }
    void SetTextBounds(const TRect& r) { bounds_ = r; }
    TfxVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TfxVAlignment v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    // Rotation in radians.
    double GetAngle() const;

    // Copies the extrusion, the highlight, outline and shade colours, the line
    // spacing, the options, the rotation, the shadow, the style and the text
    // of another engine through the setters; the alignments, the word wrap
    // and the disabled colours stay.
    void Assign(const TPersistent* source) override;

    // ---- the owner's callbacks, for the owned objects
    void AdjustBounds();
    void Invalidate();
    bool OwnerEnabled() const;

    // ---- layout and drawing

    virtual TfxLogFont GetLogFont() const;
    // Width and height of all lines in the canvas's current font.
    virtual TSize GetTextSize();
    // The whole composite (text, extrusion, shadow, outline), rotated; unless
    // `full`, no larger than the bounds.
    virtual TSize GetTextExtent(bool full);
    // Where the face goes, never above or left of the bounds.
    virtual TRect CalcTextRect(bool full);
    // The face one step against the extrusion in HighlightColor, then the
    // face in the font colour.
    virtual void DrawHighlight();
    virtual void DrawOutline();
    virtual void DrawShadow(const TRect& r);
    // Every line once, from `r`, in the canvas's current font colour.
    virtual void DrawLines(const TRect& r);
    // CalcTextRect with the caption's font in the canvas.
    virtual TRect CalcRect(bool full);
    // Repaints the owner.
    virtual void Changed();
    // Alignment, then the style's drawing.
    virtual void Draw();
    virtual void DrawDefault();
    virtual void DrawOutlined();
    virtual void DrawEmbossed(bool raised);
    // Puts the caption's font into the canvas and computes TextRect; paired
    // with ReleaseFont, which gives the canvas its own font back.
    virtual void PrepareFont();
    void ReleaseFont();
    void DrawExtrusion();

protected:
    // The measuring offsets of the shadow and the extrusion.
    TPoint MeasureShadowOffset() const;
    TPoint ExtrusionExtent() const;
    TPoint CentringExtent() const;
    // The lines of Text (cut at CR LF).
    int LineCount() const;
    std::string Line(int index) const;
    void SetFontColor(TColor c);
    void DrawFaceAt(const TRect& r, TColor c);

private:
    TRect textRect_;
    TAlignment alignment_ = taLeftJustify;
    TCanvas* canvas_;
    TOwned<TfxDisabledColors> disabledColors_;
    TOwned<TfxExtrudeEffects> extrude_;
    TOwned<TfxShadowEffects> shadow_;
    TColor highlightColor_ = clBtnHighlight;
    TColor shadeColor_ = clBtnShadow;
    TColor outlineColor_ = clBlack;
    unsigned flags_;
    TFont* font_;
    int lineSpacing_ = 5;
    TfxTextOptions options_{toShowAccel};
    int rotation_ = 0;
    TfxTextStyle style_ = fxlsDefault;
    std::string text_;
    std::function<void()> onInvalidate_;
    std::function<void()> onAdjustBounds_;
    std::function<bool()> onGetEnabled_;
    TRect bounds_;
    TfxVAlignment vAlignment_ = vaTop;
    bool wordWrap_ = false;
    // The canvas's own font while the caption's font is in it.
    std::optional<TFont> savedFont_;
    TCanvas* fontCanvas_ = nullptr;
    int fontDepth_ = 0;
};

// The engine with its settings published ("TextOptions" in form files).
class TfxCaptionText : public TfxText {
    MENVARO_CLASS(TfxCaptionText, TfxText)
public:
    using TfxText::TfxText;
};

}  // namespace menvaro
