// Panels, bevels and images: TCustomPanel / TPanel (a container with raised
// or lowered bevels, a border and a caption), TBevel (lines, boxes and
// frames) and TImage (a picture, stretched, centred or fitted).
#pragma once

#include <memory>

#include "ui/Controls.h"
#include "ui/Picture.h"

namespace menvaro {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
MENVARO_DECLARE_ENUM(TBevelCut)
using TPanelBevel = TBevelCut;
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
MENVARO_DECLARE_ENUM(TBevelShape)
enum TBevelStyle { bsLowered, bsRaised };
MENVARO_DECLARE_ENUM(TBevelStyle)
using TBevelWidth = int;

class TCustomPanel : public TCustomControl {
    MENVARO_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    // Space between the two bevels.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    // Kept for form files: a panel always repaints as a whole here, and
    // nothing docks into it.
    bool FullRepaint = true;
    bool Locked = false;

    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // Aligned children sit inside the bevels and the border.
    void AdjustClientRect(TRect& rect) override;
    void Paint() override;

private:
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
};

class TPanel : public TCustomPanel {
    MENVARO_CLASS(TPanel, TCustomPanel)
public:
    using TCustomPanel::TCustomPanel;
};

class TBevel : public TGraphicControl {
    MENVARO_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape s);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle s);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
MENVARO_DECLARE_ENUM(TShapeType)

// A shape outlined with Pen and filled with Brush (both owned; a change of
// either repaints). The square and circle kinds take the smaller side,
// centred.
class TShape : public TGraphicControl {
    MENVARO_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    ~TShape() override;

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType s);
    TPen* Pen() const { return pen_.get(); }
    void SetPen(const TPen* p);
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(const TBrush* b);

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
};

class TImage : public TGraphicControl {
    MENVARO_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(TPicture* p);
    // Stretch fills the control (Proportional keeps the picture's shape);
    // Proportional alone only shrinks a picture that does not fit; Center
    // puts what is drawn in the middle.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool v);
    // Drawn with the picture's transparent colour left out (bitmaps: the
    // bottom-left pixel).
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);

    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;
    void SetAutoSize(bool v) override;

protected:
    void Paint() override;

private:
    void PictureChanged();
    TOwned<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
};

}  // namespace menvaro
