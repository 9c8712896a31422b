// The drawing helpers of the cool label, the cool group box and the glass
// panel: a wallpaper tiled or stretched, the background of an ancestor
// window painted under a see-through control, text with a one-colour
// shadow, and the glyph machine that turns a glyph strip into an enabled
// and a disabled image kept in image lists shared by every glyph of one
// image size. Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "classes/Classes.h"
#include "classes/Events.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/Types.h"
#include "ui/Controls.h"
#include "ui/ImgList.h"

namespace menvaro {

// Where the shadow lies relative to the text.
enum TShadowPosition : std::uint8_t { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
MENVARO_DECLARE_ENUM(TShadowPosition)

// Paints `bitmap` over `rect` with the raster operation: stretched to it, or
// tiled from its top-left corner, the last tiles cut at its right and bottom
// edges. Only the tiles that reach into the clip are drawn. An empty bitmap
// paints nothing.
void BlitWallpaper(HDC dc, TBitmap& bitmap, const TRect& rect, std::uint32_t rop, bool stretched);

// The ancestor `level` parents up from `control` (the control itself for 0),
// stopping at a control without a parent.
TControl* TransparencyAncestor(TControl* control, std::uint8_t level);

// Paints into `dc`, the context of `painted` (`control` when not given), the
// background of `control`'s parent window, or of `control` itself when
// `useParent` is false or it has no parent (a form): its erase and its
// windowless children, lined up with `painted` wherever that sits below it.
// The context's state is kept, also when the painting raises.
void PaintParentBackground(TControl* control, HDC dc, bool useParent, const TControl* painted = nullptr);
// The same, clipped to `rect`.
void PaintParentBackgroundClipped(TControl* control, HDC dc, const TRect& rect, bool useParent,
                                  const TControl* painted = nullptr);

// Draws `text` by the DrawText flags twice: in `shadowColor` with the
// background mode the context has, then transparent in `textColor`, `size`
// pixels apart as `position` says. `rect` is where the text goes and comes
// back moved with it (with DT_CALCRECT: the moved extent of the text).
void DrawShadowText(HDC dc, TRect& rect, TShadowPosition position, std::uint8_t size, TColor shadowColor,
                    TColor textColor, unsigned format, std::string_view text);

// The wallpaper step of the cool controls: true when the background is done,
// either left as it is (idWallpaper 0 or more) or painted with `wallpaper`;
// false when there is no wallpaper to paint and the caller fills it.
bool PaintWallpaper(HDC dc, TBitmap* wallpaper, int idWallpaper, const TRect& rect, std::uint32_t rop, bool stretched);
// The erase of a see-through or wallpapered control into `dc`: the
// background of TransparencyAncestor(control, level) when `transparent`,
// else the wallpaper step on its client rect. False when neither painted
// anything and the control's own erase must.
bool EraseCoolBackground(TControl* control, HDC dc, bool transparent, std::uint8_t level, TBitmap* wallpaper,
                         int idWallpaper, bool stretched);
// A control's wallpaper, made when first needed; its changes repaint the
// control and tell it its colour changed, so that children that take their
// colour from it repaint too.
TBitmap* EnsureWallpaper(std::unique_ptr<TBitmap>& wallpaper, TControl* control);

namespace myUtils {

// An image list whose images all have one size. Its slots are used or
// free; a freed slot keeps its image until a new one takes it.
class TGlyphList : public TImageList {
    MENVARO_CLASS(TGlyphList, TImageList)
public:
    TGlyphList(int width, int height);

    // Stores `image` in a free slot, masked by `maskColor` (clDefault: the
    // image's bottom-left pixel); answers the slot.
    int AddImage(const TBitmap& image, TColor maskColor);
    // Frees the slot; a free slot, or one beyond the slots, is left alone.
    void ReleaseImage(int index);
    int UsedCount() const { return usedCount_; }

private:
    int AllocateSlot();
    std::vector<bool> used_;
    int usedCount_ = 0;
};

// The image lists of the glyphs, one for each image size.
class TGlyphCache : public TObject {
    MENVARO_CLASS(TGlyphCache, TObject)
public:
    TGlyphList* ListForSize(int width, int height);
    // Frees the list when no slot of it is used.
    void ReturnList(TGlyphList* list);
    bool IsEmpty() const { return lists_.empty(); }
    bool Holds(const TGlyphList* list) const;

private:
    std::vector<TOwned<TGlyphList>> lists_;
};

// The cache every glyph of the program shares; nullptr while none is made.
TGlyphCache* SharedGlyphCache();

// A glyph strip of NumGlyphs equal images side by side, of which image 0
// shows when enabled and image 1 when disabled (with one image, the
// disabled look is made from it). The images are made on first drawing and
// dropped whenever the strip, its transparent colour or NumGlyphs change.
class TGlyph : public TObject {
    MENVARO_CLASS(TGlyph, TObject)
public:
    TGlyph();
    ~TGlyph() override;

    TBitmap* Strip() const { return strip_.get(); }
    // Copies the strip (nullptr empties it); a strip whose width is a whole
    // multiple of its height up to 4 gives NumGlyphs.
    void SetGlyph(const TBitmap* bitmap);
    int NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored.
    void SetNumGlyphs(std::uint8_t n);
    TColor TransparentColor() const { return transparentColor_; }
    // The width of one image: 0 when the strip holds none (it is empty, or
    // narrower than NumGlyphs).
    int ImageWidth() const;
    bool HasImage() const { return ImageWidth() > 0; }

    // The image of the state in the list, made once; -1 when there is none.
    int ImageFor(bool enabled);
    // Draws the image of the state at `p`: transparent (blended 50% with
    // `colour` unless that is clNone), or on `colour`.
    void Draw(TCanvas& canvas, TPoint p, TColor colour, bool transparent, bool enabled);
    // The list the images are in; nullptr while none is made.
    TGlyphList* List() const { return list_; }

    // After the strip changed.
    TNotifyEvent OnChange;

private:
    void StripChanged();
    void ReleaseImages();
    // The list this glyph holds, when the shared cache still has it.
    TGlyphList* HeldList();
    void MakeDisabledImage(TBitmap& scratch, int iw, int ih);

    std::unique_ptr<TBitmap> strip_;
    TGlyphList* list_ = nullptr;
    int imageIndex_[2] = {-1, -1};  // disabled, enabled
    TColor transparentColor_ = clOlive;
    std::uint8_t numGlyphs_ = 1;
};

}  // namespace myUtils

}  // namespace menvaro
