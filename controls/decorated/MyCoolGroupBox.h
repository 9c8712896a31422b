// TMyCoolGroupBox: a group box whose caption is drawn with a one-colour
// shadow over a wallpaper, a plain colour or the background of an ancestor
// window showing through it.
#pragma once

#include <cstdint>
#include <memory>

#include "decorated/myUtils.h"
#include "gfx/Bitmap.h"
#include "ui/StdCtrls.h"

namespace menvaro {

class TMyCoolGroupBox : public TCustomGroupBox {
    MENVARO_CLASS(TMyCoolGroupBox, TCustomGroupBox)
public:
    explicit TMyCoolGroupBox(TComponent* owner);
    ~TMyCoolGroupBox() override;

    // See-through: the background of the ancestor TransparencyLevel parents
    // up shows through the box.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    std::uint8_t TransparencyLevel() const { return transparencyLevel_; }
    void SetTransparencyLevel(std::uint8_t v);
    // Made on first use.
    TBitmap* Wallpaper() const { return EnsureWallpaper(wallpaper_, const_cast<TMyCoolGroupBox*>(this)); }
    void SetWallpaper(const TBitmap* b);
    bool Stretched() const { return stretched_; }
    void SetStretched(bool v);
    // 0 or more: the background is left as it is.
    int idWallpaper() const { return idWallpaper_; }
    void SetIdWallpaper(int v);
    // The caption's shadow; setting one turns SimpleView off.
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor c);
    std::uint8_t ShadowSize() const { return shadowSize_; }
    void SetShadowSize(std::uint8_t v);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition p);
    bool SimpleView() const { return simpleView_; }
    void SetSimpleView(bool v);

    void Dispatch(TMessage& m) override;

protected:
    // Over a see-through, wallpaper or Color background, with its shadow;
    // disabled embossed.
    void PaintCaption(TCanvas& canvas, TRect r) override;

private:
    void ShadowChanged();
    void TellParent();

    bool transparent_ = false;
    mutable std::unique_ptr<TBitmap> wallpaper_;
    TColor shadowColor_ = clBtnHighlight;
    std::uint8_t shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool simpleView_ = false;
    std::uint8_t transparencyLevel_ = 0;
    bool stretched_ = false;
    int idWallpaper_ = -1;
};

}  // namespace menvaro
