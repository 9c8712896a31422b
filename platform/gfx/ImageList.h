// TImageListData: the images of an image list (what an image-list
// component holds as its handle): images of one size, each with a
// monochrome mask (white = transparent), drawn normal, transparent,
// mask-only or blended.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Color.h"

namespace menvaro {

class TCanvas;

// Drawing styles of DrawEx.
enum : unsigned {
    ILD_NORMAL = 0x0,
    ILD_TRANSPARENT = 0x1,
    ILD_BLEND25 = 0x2,
    ILD_FOCUS = ILD_BLEND25,
    ILD_BLEND50 = 0x4,
    ILD_SELECTED = ILD_BLEND50,
    ILD_BLEND = ILD_BLEND50,
    ILD_MASK = 0x10,
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TImageListData {
public:
    explicit TImageListData(int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size clears the list.
    void SetSize(int width, int height);
    int Count() const { return int(images_.size()); }

    // Background colour of ILD_NORMAL drawing; clNone draws transparently.
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor c);
    // Colour of blended drawing; clDefault is the highlight colour, clNone
    // blends with what is underneath.
    TColor BlendColor() const { return blendColor_; }
    void SetBlendColor(TColor c);
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle s);
    TImageType ImageType() const { return imageType_; }
    void SetImageType(TImageType t);

    // Adds the images of a strip (image width / Width() images; a narrower
    // or shorter picture is padded with transparent pixels). The mask is a
    // picture of the same size whose white pixels are transparent; without
    // one, every pixel is opaque. Answers the index of the first image added.
    int Add(const TBitmap& image, const TBitmap* mask = nullptr);
    // The mask comes from the pixels of `maskColor` (clDefault: the picture's
    // bottom-left pixel), which turn black in the stored image.
    int AddMasked(const TBitmap& image, TColor maskColor);
    void Replace(int index, const TBitmap& image, const TBitmap* mask = nullptr);
    void ReplaceMasked(int index, const TBitmap& image, TColor maskColor);
    void Delete(int index);
    void Clear();

    // Copies of image `index` and its mask (monochrome).
    void GetBitmap(int index, TBitmap& out) const;
    void GetMask(int index, TBitmap& out) const;

    // ImageList_DrawEx: rgbBk is CLR_NONE (transparent), CLR_DEFAULT (the
    // list's BkColor) or an RGB value that fills the transparent pixels;
    // rgbFg is the blend colour (CLR_NONE: the destination, CLR_DEFAULT: the
    // highlight colour). ILD_MASK draws the mask in black and white. An index
    // out of range draws nothing and answers false.
    bool DrawEx(TCanvas& canvas, int index, int x, int y, std::uint32_t rgbBk, std::uint32_t rgbFg,
                unsigned style) const;
    // Draws with DrawingStyle and ImageType; disabled images are embossed:
    // the mask in clBtnHighlight one pixel down and right, then in clBtnShadow.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

    std::function<void()> OnChange;

private:
    struct Entry {
        TBitmap image;
        TBitmap mask;
    };
    Entry Cut(const TBitmap& image, const TBitmap* mask, int left) const;
    Entry CutMasked(const TBitmap& image, TColor key, int left) const;
    void Changed();
    void CheckIndex(int index) const;

    int width_, height_;
    TColor bkColor_ = clNone;
    TColor blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    TImageType imageType_ = itImage;
    std::vector<Entry> images_;
};

// The image-list form of a colour: clNone is CLR_NONE, clDefault CLR_DEFAULT,
// anything else its RGB value.
std::uint32_t ImageListColor(TColor c);

}  // namespace menvaro
