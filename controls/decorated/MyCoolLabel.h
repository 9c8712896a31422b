// TMyCoolLabel: a windowless label with a wallpaper or plain background,
// raised or sunken bevels with an inset text area, a glyph beside the text
// (an enabled and a disabled image), a one-colour shadow under the text and
// single lines along chosen edges.
#pragma once

#include <cstdint>
#include <memory>

#include "classes/Sets.h"
#include "decorated/myUtils.h"
#include "gfx/Bitmap.h"
#include "gfx/GraphicsObjects.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace menvaro {

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
MENVARO_DECLARE_ENUM(TEdgeBorder)
using TEdgeBorders = TSet<TEdgeBorder>;

class TMyCoolLabel : public TCustomLabel {
    MENVARO_CLASS(TMyCoolLabel, TCustomLabel)
public:
    explicit TMyCoolLabel(TComponent* owner);
    ~TMyCoolLabel() override;

    // The shadow's colour, offset and side; setting one turns SimpleView off.
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor c);
    std::uint8_t ShadowSize() const { return shadowSize_; }
    void SetShadowSize(std::uint8_t v);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition p);
    // Plain text without a shadow (a disabled label still shows its own).
    bool SimpleView() const { return simpleView_; }
    void SetSimpleView(bool v);
    // The wallpaper stretched over the label instead of tiled.
    bool Stretched() const { return stretched_; }
    void SetStretched(bool v);
    // Made on first use.
    TBitmap* Wallpaper() const { return EnsureWallpaper(wallpaper_, const_cast<TMyCoolLabel*>(this)); }
    void SetWallpaper(const TBitmap* b);
    // 0 or more: no background is painted at all.
    int idWallpaper() const { return idWallpaper_; }
    void SetIdWallpaper(int v);
    // Bevels along the client edges (bvSpace draws none) and the inset of
    // the text inside them; a non-zero inset switches AutoSize off.
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    int BevelsOffset() const { return bevelsOffset_; }
    void SetBevelsOffset(int v);
    // The glyph strip; only its first two images are ever drawn.
    TBitmap* Glyph() const { return glyph_->Strip(); }
    void SetGlyph(const TBitmap* b);
    int NumGlyphs() const { return glyph_->NumGlyphs(); }
    // Above 2 is taken as 2.
    void SetNumGlyphs(int n);
    // Edges that get a line of BorderPen, a pixel inside the client rect.
    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders e);
    TPen* BorderPen() const { return borderPen_.get(); }
    void SetBorderPen(const TPen* p);

    void Loaded() override;

    // The glyph machine behind Glyph.
    myUtils::TGlyph& GlyphImages() const { return *glyph_; }

protected:
    void Paint() override;
    void DoDrawText(TRect& rect, unsigned flags) override;
    // Also widened by the glyph and its spacing, and as high as the glyph;
    // not while the label is read from a form file.
    void AdjustBounds() override;

private:
    void FitBounds();
    void DrawEdgeBorders(TCanvas& canvas);

    TOwned<myUtils::TGlyph> glyph_;
    TColor shadowColor_ = clBtnHighlight;
    std::uint8_t shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool simpleView_ = false;
    bool stretched_ = false;
    mutable std::unique_ptr<TBitmap> wallpaper_;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvNone;
    int bevelsOffset_ = 0;
    int idWallpaper_ = -1;
    TEdgeBorders edgeBorders_;
    std::unique_ptr<TPen> borderPen_;
};

}  // namespace menvaro
