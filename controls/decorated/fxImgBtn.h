// The image button: a decorated push button whose face and window outline
// come from pictures. The up image and the down image are its own, or are
// borrowed from an imager (its work bitmap) or from another image button
// (ExtImage, ExtImageDown). Pixels of the key colour (TransparentColor:
// clNone takes the image's top-left pixel, fxNoKeyColor means no key at all)
// lie outside the window region of each state; the face gets a 3-D rim
// drawn along the image's own outline (DrawShadedImageEdges), a colour tint
// (Color, clNone for none), a dither while latched down in a group without
// a down image, and with fbsRaised a shadow band at the right and bottom.
//
// The regions of both states are cached as region data and made again after
// a change of an image, of the size or of the window.
#pragma once

#include <cstdint>
#include <optional>

#include "decorated/fxBitmap.h"
#include "decorated/fxButton.h"
#include "gfx/Color.h"

namespace menvaro {

class TfxChangeLink;

// As a key colour: no key, no window region, the face drawn opaque.
inline constexpr TColor fxNoKeyColor = 0x0FFFFFFF;

// The offsets of the bit button, and the shift of an image that has no down
// picture of its own while pressed.
class TfxImgDownOffsets : public TfxOffsets {
    MENVARO_CLASS(TfxImgDownOffsets, TfxOffsets)
public:
    explicit TfxImgDownOffsets(TfxCustomBitBtn* button) : TfxOffsets(button) {}

    int ImageDownX() const { return imageDownX_; }
    void SetImageDownX(int v);
    int ImageDownY() const { return imageDownY_; }
    void SetImageDownY(int v);

    void Assign(const TPersistent* source) override;

private:
    int imageDownX_ = 2;
    int imageDownY_ = 2;
};

class TfxCustomImageBtn : public TfxCustomBitBtn {
    MENVARO_CLASS(TfxCustomImageBtn, TfxCustomBitBtn)
public:
    explicit TfxCustomImageBtn(TComponent* owner);
    ~TfxCustomImageBtn() override;

    // ---- properties

    // The latched-down dither's colour; clNone: no dither.
    TColor DitherColor() const { return ditherColor_; }
    void SetDitherColor(TColor v);
    // 0: a checkerboard of silver and DitherColor, 1: DitherColor over the
    // face, 2 and above: DitherColor solid.
    std::uint8_t DitherStyle() const { return ditherStyle_; }
    void SetDitherStyle(std::uint8_t v);
    TfxBitmap* Image() const { return image_.get(); }
    TfxBitmap* ImageDown() const { return imageDown_.get(); }
    // A TfxCustomImager or another TfxCustomImageBtn to take the image from;
    // setting one empties the button's own image. Cleared when it goes.
    TControl* ExtImage() const { return extImage_; }
    void SetExtImage(TControl* source);
    TControl* ExtImageDown() const { return extImageDown_; }
    void SetExtImageDown(TControl* source);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor v);
    // Read from the up image, written to both.
    bool UsePalette() const;
    void SetUsePalette(bool v);
    // The WS_CLIPCHILDREN style of the parent's window (False without a
    // parent). A parent without a window yet gets it with this button's.
    bool ParentClipping() const;
    void SetParentClipping(bool v);
    TfxChangeLink* ExtImageLink() const { return extImageLink_.get(); }

    // ---- operations

    // The picture of a state: the source's when there is one.
    virtual TfxBitmap* GetImage(bool down) const;
    // One state's face without its rim: the image stretched over the
    // button (2 pixels smaller with fbsRaised), tinted and dithered.
    virtual void DrawImage(TfxBitmap& image, TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle);
    virtual void ImageChanged(TObject* sender);
    // The colour of the face drawn now, at a point of it.
    virtual TColor GetColorAt(TPoint p);
    // Bakes the highlighted up and down faces into the two images.
    virtual void RenderImages();
    // The key of a state as an RGB colour, or fxNoKeyColor.
    TColor GetKeyColor(bool down) const;
    // A rim two pixels wide along the outline of everything in `source`
    // that is not `key` (-1: its top-left pixel's colour), written into
    // `dest` of the same size: light at the upper left, dark at the lower
    // right of every run along the 45-degree diagonals (reversed when down).
    void DrawShadedImageEdges(const TfxBitmap& source, TfxBitmap& dest, bool down, TColor key);

    // From another image button: its dither, offsets, palette choice and
    // key, and it becomes the source of both images.
    void Assign(const TPersistent* source) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    TOwned<TfxOffsets> CreateOffsets() override;
    std::optional<TRegion> CreateRegion(bool create, bool down) override;
    bool HasRegionData() const override { return true; }
    void DrawFace(TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle, bool down) override;
    bool UseRegion() const override { return transparentColor_ != fxNoKeyColor; }
    bool UseDownRegion() const override;
    void MakeSquare() override;
    // The cached regions go and the window is made again.
    void Reshape();

private:
    void SetSource(TControl*& field, TControl* source, bool down);
    void Unlink(TControl* source, bool down);
    void Link(TControl* source, bool down);

    TColor ditherColor_ = clWhite;
    std::uint8_t ditherStyle_ = 0;
    TOwned<TfxBitmap> image_;
    TOwned<TfxBitmap> imageDown_;
    TOwned<TfxChangeLink> extImageLink_;
    TControl* extImage_ = nullptr;
    TControl* extImageDown_ = nullptr;
    TColor transparentColor_ = clNone;
    std::optional<bool> parentClipping_;
};

}  // namespace menvaro
