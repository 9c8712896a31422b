// The engine of the decorated push buttons: an owner-drawn window whose
// face a descendant paints off-screen into a TfxBitmap (DrawFace), with a
// glyph and a caption (drawn by the caption engine, "TextOptions") laid out
// on top. It presses by the mouse and Space, follows the mouse dragged out
// and back in, latches in groups (GroupIndex, Down, AllowAllUp), answers
// Enter as the default button and Esc as the cancel button, clicks on its
// accelerator, has the stock kinds of the bitmap button, hot tracking,
// change links, and a window region per state (up and down) for shaped
// descendants, cached as region data until the size changes.
//
// Regions: "no region" (std::nullopt: the window is its whole rectangle)
// and an empty region (no pixels, no clicks) are different things
// everywhere here. In a form file the region data of each state is a
// little-endian int32 byte count followed by that many bytes of region data
// (Region.h), count 0 and nothing else for none.
//
// A button without boFocusable never takes the focus: a click on it while
// its window is inactive is eaten and posted again without activating.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "classes/Events.h"
#include "decorated/fxText.h"
#include "gfx/Bitmap.h"
#include "gfx/Region.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace menvaro {

class TfxBitmap;
class TfxChangeLink;
class TfxCustomBitBtn;

enum TfxShadeStyle { fbsNormal, fbsRaised, fbsHighlight, fbsFlat };
MENVARO_DECLARE_ENUM(TfxShadeStyle)
enum TfxButtonOption { boFocusable, boOverrideActionGlyph, boToggleOnUp, boFocusRect, boAutoBold };
MENVARO_DECLARE_ENUM(TfxButtonOption)
using TfxButtonOptions = TSet<TfxButtonOption>;

// Where the glyph and the caption move, and how far both move while down.
class TfxOffsets : public TPersistent {
    MENVARO_CLASS(TfxOffsets, TPersistent)
public:
    explicit TfxOffsets(TfxCustomBitBtn* button) : button_(button) {}

    int GlyphX() const { return glyphX_; }
    void SetGlyphX(int v);
    int GlyphY() const { return glyphY_; }
    void SetGlyphY(int v);
    int TextX() const { return textX_; }
    void SetTextX(int v);
    int TextY() const { return textY_; }
    void SetTextY(int v);
    // Stored only: the next paint uses them.
    int TextDownX() const { return textDownX_; }
    void SetTextDownX(int v) { textDownX_ = v; }
    int TextDownY() const { return textDownY_; }
    void SetTextDownY(int v) { textDownY_ = v; }

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

protected:
    TfxCustomBitBtn* Button() const { return button_; }
    void Changed();

private:
    TfxCustomBitBtn* button_;
    int glyphX_ = 0, glyphY_ = 0, textX_ = 0, textY_ = 0;
    int textDownX_ = 1, textDownY_ = 1;
};

// The colours descendants shade their faces with.
class TfxShadeColors : public TPersistent {
    MENVARO_CLASS(TfxShadeColors, TPersistent)
public:
    explicit TfxShadeColors(TfxCustomBitBtn* button) : button_(button) {}

    TColor BtnHighlight() const { return btnHighlight_; }
    void SetBtnHighlight(TColor v);
    TColor Btn3DLight() const { return btn3DLight_; }
    void SetBtn3DLight(TColor v);
    TColor BtnShadow() const { return btnShadow_; }
    void SetBtnShadow(TColor v);
    TColor BtnBlack() const { return btnBlack_; }
    void SetBtnBlack(TColor v);
    TColor BtnFocus() const { return btnFocus_; }
    void SetBtnFocus(TColor v);
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor v);

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    void Set(TColor& field, TColor v);
    TfxCustomBitBtn* button_;
    TColor btnHighlight_ = clBtnHighlight;
    TColor btn3DLight_ = cl3DLight;
    TColor btnShadow_ = clBtnShadow;
    TColor btnBlack_ = clBlack;
    TColor btnFocus_ = clBlack;
    TColor shadow_ = clBlack;
};

class TfxCustomBitBtn : public TWinControl {
    MENVARO_CLASS(TfxCustomBitBtn, TWinControl)
public:
    explicit TfxCustomBitBtn(TComponent* owner);
    ~TfxCustomBitBtn() override;
    // Makes the offsets (CreateOffsets of the most derived class).
    void AfterConstruction() override;

    // ---- properties

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    // Down survives only on a group button (or while loading).
    bool Down() const { return down_; }
    void SetDown(bool v);
    // A strip of NumGlyphs images side by side: up, disabled, down, hot.
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(const TBitmap* b);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    // Reads back bkCustom (and becomes it) once Default, Cancel or
    // ModalResult no longer match the kind.
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind k);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    // -1: automatic (4 pixels); values below -1 are refused.
    int Margin() const { return margin_; }
    void SetMargin(int v);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    // 1..4; a fresh button holds 0, which counts as one image.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);
    TfxOffsets* Offsets() const { return offsets_.get(); }
    TfxButtonOptions Options() const { return options_; }
    void SetOptions(TfxButtonOptions v);
    TfxShadeColors* ShadeColors() const { return shadeColors_.get(); }
    TfxShadeStyle ShadeStyle() const { return shadeStyle_; }
    void SetShadeStyle(TfxShadeStyle v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle v);
    TfxCaptionText* TextOptions() const { return textOptions_.get(); }
    // Draws the caption once more on the window itself, over the face.
    bool SmoothFont() const { return smoothFont_; }
    void SetSmoothFont(bool v);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnSelChange;

    // ---- state

    // Enter clicks this button now.
    bool IsActiveDefault() const { return isActiveDefault_; }
    bool MousePressed() const { return mousePressed_; }
    bool ClickInProgress() const { return clickInProgress_; }
    // Where the last paint put the glyph and the caption.
    const TRect& GlyphRect() const { return glyphRect_; }
    const TRect& CaptionRect() const { return captionRect_; }
    // The window region in force and a copy of the last one.
    const std::optional<TRegion>& Region() const { return region_; }
    const std::optional<TRegion>& PreviousRegion() const { return previousRegion_; }
    // The cached region data of a state; empty when there is none.
    const std::vector<std::uint8_t>& RegionData(bool down) const { return down ? downRegionData_ : regionData_; }
    TCanvas* Canvas() const { return canvas_.get(); }

    void AddChangeLink(TfxChangeLink* link);
    void RemoveChangeLink(TfxChangeLink* link);
    // The shade colours darkened and lightened from `color` (50 percent steps).
    void SetShadeColorsFrom(TColor color);
    // Whether the point (client coordinates; -1, -1: the cursor) is over
    // this button; with `requirePressed` only while the mouse presses it.
    bool IsMouseInControl(int x, int y, bool requirePressed);

    // Copies the colour, offsets, layout, margin, glyph count, options,
    // shade colours, spacing, tab stop and text options of another button.
    void Assign(const TPersistent* source) override;
    void Click() override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;
    void Dispatch(TMessage& m) override;

    // Stored tests of the streamed properties.
    virtual bool IsGlyphStored() const;
    virtual bool IsCaptionStored() const;

protected:
    virtual TOwned<TfxOffsets> CreateOffsets();
    // The region of a state from its stored data (nothing to create here).
    virtual std::optional<TRegion> CreateRegion(bool create, bool down);
    virtual void CalcLayout(TCanvas& canvas, const TRect& rect, TSize textSize, TRect& glyphRect, TRect& captionRect);
    virtual int GetGlyphWidth() const;
    virtual bool HasRegionData() const { return false; }
    virtual void UpdateRegion();
    virtual void DestroyRegions();
    virtual void FreeRegionData(bool down);
    virtual void DrawGlyph(TCanvas& canvas, const TRect& rect);
    virtual void DrawCaption(TCanvas& canvas, const TRect& rect);
    virtual void DrawItem(const TDrawItemStruct& item);
    // The face of one state; descendants paint it, this class leaves the
    // bitmap empty.
    virtual void DrawFace(TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle, bool down);
    virtual void GlyphChanged();
    virtual void NotifyChange();
    virtual void NotifyChanging();
    virtual void NotifyLoaded();
    virtual void PaintButton();
    // Paints at once, outside the paint cycle.
    virtual void RepaintNow();
    virtual void ReadRegionData(TStream& stream);
    virtual void ReadDownRegionData(TStream& stream);
    virtual void SaveRegion(const std::optional<TRegion>& region, bool down);
    virtual void SelChange();
    virtual void WriteRegionData(TStream& stream);
    virtual void WriteDownRegionData(TStream& stream);
    virtual void UpdateExclusive();
    virtual bool UseRegion() const { return false; }
    virtual void ApplyRegion();
    virtual void InvalidateOutside(bool erase);
    virtual void DrawContents(TCanvas& canvas, const TRect& rect);
    virtual bool UseDownRegion() const { return false; }
    virtual void MakeSquare() {}
    virtual bool GetTextEnabled() const { return Enabled(); }
    virtual void AdjustTextBounds() {}

    void SetDownState(bool down, bool invalidate, bool exclusive = false);
    void Press();
    void Release(bool inside);

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void PaintWindow(HDC dc) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void ReadData(TStream& stream, std::vector<std::uint8_t>& data);
    void WriteData(TStream& stream, const std::vector<std::uint8_t>& data);
    void MouseActivate(TMessage& m);

    bool isActiveDefault_ = false;
    bool allowAllUp_ = false;
    bool cancel_ = false;
    bool default_ = false;
    bool down_ = false;
    std::unique_ptr<TBitmap> glyph_;
    int groupIndex_ = 0;
    mutable TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    TModalResult modalResult_ = mrNone;
    int numGlyphs_ = 0;
    std::optional<TRegion> region_;
    std::optional<TRegion> previousRegion_;
    TOwned<TfxShadeColors> shadeColors_;
    TfxShadeStyle shadeStyle_ = fbsNormal;
    int spacing_ = 4;
    TButtonStyle style_ = bsAutoDetect;
    std::unique_ptr<TCanvas> canvas_;
    TOwned<TfxCaptionText> textOptions_;
    bool smoothFont_ = false;
    TRect glyphRect_;
    TRect captionRect_;
    TOwned<TfxOffsets> offsets_;
    TfxButtonOptions options_;
    std::vector<TfxChangeLink*> changeLinks_;
    bool mousePressed_ = false;
    bool downBeforePress_ = false;
    std::vector<std::uint8_t> downRegionData_;
    std::vector<std::uint8_t> regionData_;
    bool clickInProgress_ = false;
};

}  // namespace menvaro
