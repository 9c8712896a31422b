// The imager: a windowless control that shows a picture through a chain of
// bitmap effects (TfxBitmapOptions), in one of five draw styles, optionally
// sized to the picture. Every change of a setting runs the whole chain again
// from the source picture, so effects never pile up; while the owner loads
// from a form file nothing runs, and Loaded runs the chain once.
//
// The chain, each step only when its setting is on, in this order: gray
// scale, lightness, alpha blend, colour tint (Color), colorize (half of
// TintColor), sponge, saturation, gaussian blur, emboss, invert, contrast,
// sharpen, horizontal flip, vertical flip, wave, rotation.
//
// Change links (TfxChangeLink) listed with AddChangeLink hear of every new
// result, with the work bitmap as their Sender; one link may be listed more
// than once (an image button that takes its up and its down picture from one
// imager), and RemoveChangeLink takes out one listing.
#pragma once

#include <cstdint>
#include <vector>

#include "classes/Classes.h"
#include "classes/Events.h"
#include "decorated/fxBitmap.h"
#include "gfx/Color.h"
#include "ui/Controls.h"
#include "ui/Picture.h"

namespace menvaro {

class TfxBitmapOptions;
class TfxChangeLink;
class TfxCustomImager;

enum TfxImagerDrawStyle { idsNormal, idsCenter, idsStretch, idsTile, idsProportional };
MENVARO_DECLARE_ENUM(TfxImagerDrawStyle)

// The centre (-1: the middle of the picture) and the angle, in degrees, of
// the rotation step.
class TfxRotate : public TPersistent {
    MENVARO_CLASS(TfxRotate, TPersistent)
public:
    explicit TfxRotate(TfxBitmapOptions* owner) : owner_(owner) {}

    int CenterX() const { return centerX_; }
    void SetCenterX(int v);
    int CenterY() const { return centerY_; }
    void SetCenterY(int v);
    int Angle() const { return angle_; }
    void SetAngle(int v);

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    void Set(int& field, int v);
    TfxBitmapOptions* owner_;
    int centerX_ = -1;
    int centerY_ = -1;
    int angle_ = 0;
};

// The picture mixed in by the alpha-blend step. Only Amount runs the chain
// again; a new Bitmap or Transparent shows with the next change of any
// setting.
class TfxAlphaBlend : public TPersistent {
    MENVARO_CLASS(TfxAlphaBlend, TPersistent)
public:
    explicit TfxAlphaBlend(TfxBitmapOptions* owner);
    ~TfxAlphaBlend() override;

    std::uint8_t Amount() const { return amount_; }
    void SetAmount(std::uint8_t v);
    TfxBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the picture into the owned one.
    void SetBitmap(const TfxBitmap* b);
    bool Transparent() const;
    void SetTransparent(bool v);
    // The owner's Changed, unless already inside this call.
    virtual void BitmapChanged();

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    TfxBitmapOptions* owner_;
    std::uint8_t amount_ = 0;
    TOwned<TfxBitmap> bitmap_;
    bool changing_ = false;
};

// The wave step: it runs only while Ratio, XDiv and YDiv are all non-zero.
class TfxWave : public TPersistent {
    MENVARO_CLASS(TfxWave, TPersistent)
public:
    explicit TfxWave(TfxBitmapOptions* owner) : owner_(owner) {}

    int XDiv() const { return xDiv_; }
    void SetXDiv(int v);
    int YDiv() const { return yDiv_; }
    void SetYDiv(int v);
    int Ratio() const { return ratio_; }
    void SetRatio(int v);
    bool Wrap() const { return wrap_; }
    void SetWrap(bool v);

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    void Set(int& field, int v);
    TfxBitmapOptions* owner_;
    int xDiv_ = 0, yDiv_ = 0, ratio_ = 0;
    bool wrap_ = false;
};

// The settings of the chain. Each setter stores a value that differs and
// runs the chain (Changed) into DestBitmap from OrigPicture.
class TfxBitmapOptions : public TPersistent {
    MENVARO_CLASS(TfxBitmapOptions, TPersistent)
public:
    explicit TfxBitmapOptions(TComponent* owner);
    ~TfxBitmapOptions() override;

    TfxAlphaBlend* AlphaBlend() const { return alphaBlend_.get(); }
    // clNone: off.
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Contrast() const { return contrast_; }
    void SetContrast(int v);
    bool Embossed() const { return embossed_; }
    void SetEmbossed(bool v);
    // clNone: off.
    TColor TintColor() const { return tintColor_; }
    void SetTintColor(TColor v);
    int GaussianBlur() const { return gaussianBlur_; }
    void SetGaussianBlur(int v);
    bool GrayScale() const { return grayScale_; }
    void SetGrayScale(bool v);
    bool HorizontallyFlipped() const { return horizontallyFlipped_; }
    void SetHorizontallyFlipped(bool v);
    bool Inverted() const { return inverted_; }
    void SetInverted(bool v);
    int Lightness() const { return lightness_; }
    void SetLightness(int v);
    TfxRotate* Rotation() const { return rotation_.get(); }
    // -1: off.
    int Saturation() const { return saturation_; }
    void SetSaturation(int v);
    int Sharpen() const { return sharpen_; }
    void SetSharpen(int v);
    int Sponge() const { return sponge_; }
    void SetSponge(int v);
    bool VerticallyFlipped() const { return verticallyFlipped_; }
    void SetVerticallyFlipped(bool v);
    TfxWave* Wave() const { return wave_.get(); }
    // Tiles the source over a result of another size instead of stretching
    // it; stored only, the next change shows it.
    bool Tile() const { return tile_; }
    void SetTile(bool v) { tile_ = v; }

    // The source and the result; neither is owned.
    TPicture* OrigPicture() const { return origPicture_; }
    void SetOrigPicture(TPicture* p) { origPicture_ = p; }
    TfxBitmap* DestBitmap() const { return destBitmap_; }
    void SetDestBitmap(TfxBitmap* b) { destBitmap_ = b; }
    TComponent* Owner() const { return owner_; }

    // Called with the options when a run of the chain is done.
    TNotifyEvent OnChange;

    int UpdateLock() const { return updateLock_; }
    // While the lock is above 0 the chain does not run.
    virtual void BeginUpdate();
    // Lowers the lock; at 0 the chain runs once.
    virtual void EndUpdate();
    // Runs the chain: nothing while the owner loads, the lock is held, the
    // result has no size or the source no picture.
    virtual void Changed();

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    template <class T>
    void Set(T& field, T v);

    TComponent* owner_;
    TOwned<TfxAlphaBlend> alphaBlend_;
    TColor color_ = clNone;
    int contrast_ = 0;
    bool embossed_ = false;
    TColor tintColor_ = clNone;
    int gaussianBlur_ = 0;
    bool grayScale_ = false;
    bool horizontallyFlipped_ = false;
    bool inverted_ = false;
    int lightness_ = 0;
    TOwned<TfxRotate> rotation_;
    int saturation_ = -1;
    int sharpen_ = 0;
    int sponge_ = 0;
    bool tile_ = false;
    bool verticallyFlipped_ = false;
    TOwned<TfxWave> wave_;
    TPicture* origPicture_ = nullptr;
    TfxBitmap* destBitmap_ = nullptr;
    int updateLock_ = 0;
};

class TfxCustomImager : public TGraphicControl {
    MENVARO_CLASS(TfxCustomImager, TGraphicControl)
public:
    explicit TfxCustomImager(TComponent* owner);
    ~TfxCustomImager() override;

    TPicture* Picture() const { return picture_.get(); }
    TfxBitmapOptions* BitmapOptions() const { return bitmapOptions_.get(); }
    // The result of the chain; its Smooth is the imager's smoothing choice
    // (bilinear or plain stretching of the source into it).
    TfxBitmap* WorkBitmap() const { return workBitmap_.get(); }
    TfxImagerDrawStyle DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(TfxImagerDrawStyle v);
    // Runs the chain at the picture's size (true) or, for the stretching,
    // tiling and proportional styles, at the control's size.
    bool PreProcess() const { return preProcess_; }
    void SetPreProcess(bool v);
    // With AutoSize the control takes the picture's size.
    void SetAutoSize(bool v) override;

    virtual void AddChangeLink(TfxChangeLink* link);
    virtual void RemoveChangeLink(TfxChangeLink* link);
    const std::vector<TfxChangeLink*>& ChangeLinks() const { return changeLinks_; }
    virtual bool PictureIsEmpty() const;
    // The work bitmap's size by the style, the rotation and the picture;
    // then the chain and the automatic size.
    virtual void SizeWorkBitmap();
    // Runs the chain, sizing the work bitmap first when it has no size.
    virtual void ApplyOptions();
    // The work bitmap onto the clipboard.
    virtual void CopyToClipboard();
    // Where Paint puts the work bitmap.
    TRect DrawRect() const;

    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    void Loaded() override;

protected:
    virtual void OptionsChanged(TObject* sender);
    virtual void AdjustSize();
    void Paint() override;

private:
    void PictureChanged();
    void NotifyLinks();
    void SetWorkBitmapSize();

    TOwned<TfxBitmapOptions> bitmapOptions_;
    TfxImagerDrawStyle drawStyle_ = idsNormal;
    bool preProcess_ = true;
    TOwned<TfxBitmap> workBitmap_;
    TOwned<TPicture> picture_;
    std::vector<TfxChangeLink*> changeLinks_;
    bool inAutoSize_ = false;
    bool inSetBounds_ = false;
};

}  // namespace menvaro
