// TUGlassPanel: a panel whose background is a wallpaper (tiled or
// stretched), a plain colour or the background of an ancestor window
// showing through it, with bevels, border and the centred caption over it.
#pragma once

#include <cstdint>
#include <memory>

#include "decorated/myUtils.h"
#include "gfx/Bitmap.h"
#include "ui/ExtCtrls.h"

namespace menvaro {

class TUGlassPanel : public TCustomPanel {
    MENVARO_CLASS(TUGlassPanel, TCustomPanel)
public:
    explicit TUGlassPanel(TComponent* owner);
    ~TUGlassPanel() override;

    // Made on first use; a wallpaper set turns Transparent off.
    TBitmap* Wallpaper() const { return EnsureWallpaper(wallpaper_, const_cast<TUGlassPanel*>(this)); }
    void SetWallpaper(const TBitmap* b);
    // See-through: the background of the ancestor TransparencyLevel parents
    // up shows through the panel.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    std::uint8_t TransparencyLevel() const { return transparencyLevel_; }
    void SetTransparencyLevel(std::uint8_t v);
    bool Stretched() const { return stretched_; }
    void SetStretched(bool v);
    // Kept for form files; painting does not use them.
    int idWallpaper() const { return idWallpaper_; }
    void SetIdWallpaper(int v);
    TColor InactiveFontColor() const { return inactiveFontColor_; }
    void SetInactiveFontColor(TColor c) { inactiveFontColor_ = c; }

    void Dispatch(TMessage& m) override;

protected:
    void Paint() override;

private:
    mutable std::unique_ptr<TBitmap> wallpaper_;
    bool transparent_ = false;
    std::uint8_t transparencyLevel_ = 0;
    bool stretched_ = false;
    int idWallpaper_ = -1;
    TColor inactiveFontColor_ = clWhite;
};

}  // namespace menvaro
