// The shaped button: an image button whose face is a geometric shape drawn
// over a key colour (pure red, or pure blue on a red button), its window
// region the shape's painted pixels. Round shapes (round rectangle,
// ellipse) get the image button's rim along their outline; polygons
// (triangle, arrow, diamond, rectangle, star, trapezoid, custom points) a
// bevel along each edge, lit from the top left and turned over while down.
// A polygon points up and turns by quarter turns clockwise to the other
// orientations.
//
// Custom points: one line of PointList a point, "x, y", each an expression
// of TfxEvaluator in which "width" and "height" (any letter case) stand for
// the button's width and height less one. With fewer than three lines the
// button has no face and an empty window. A line the evaluator cannot read,
// or one without a comma, turns the button into a rectangle; the error goes
// once to the application's exception handler and the button carries on as
// a rectangle.
#pragma once

#include <memory>
#include <vector>

#include "base/StringList.h"
#include "decorated/fxImgBtn.h"

namespace menvaro {

enum TfxButtonShape { bsRoundRect, bsEllipse, bsTriangle, bsArrow, bsDiamond, bsRect, bsStar, bsTrapezoid, bsCustom };
MENVARO_DECLARE_ENUM(TfxButtonShape)
enum TfxShapeOrientation { soLeft, soRight, soUp, soDown };
MENVARO_DECLARE_ENUM(TfxShapeOrientation)

class TfxCustomShapeBtn : public TfxCustomImageBtn {
    MENVARO_CLASS(TfxCustomShapeBtn, TfxCustomImageBtn)
public:
    explicit TfxCustomShapeBtn(TComponent* owner);
    ~TfxCustomShapeBtn() override;

    TStringList* PointList() const { return pointList_.get(); }
    // Copies the lines.
    void SetPointList(const TStringList* list);
    TfxButtonShape Shape() const { return shape_; }
    void SetShape(TfxButtonShape v);
    TfxShapeOrientation Orientation() const { return orientation_; }
    void SetOrientation(TfxShapeOrientation v);
    // Width and height of the corner ellipses of bsRoundRect.
    int RoundRectBias() const { return roundRectBias_; }
    void SetRoundRectBias(int v);

    virtual bool IsRoundShape() const { return shape_ == bsRoundRect || shape_ == bsEllipse; }
    // The closed polygon of the shape in the orientation (the first point
    // again at the end); empty for the round shapes and for fewer than three
    // custom points. A bad custom line raises, the shape having become bsRect.
    std::vector<TPoint> GetShapePoints();
    // What is not the shape on the face.
    TColor KeyColor() const;
    // Color as RGB, for the display.
    TColor FaceColor() const;

    // From another shaped button: its shape, orientation, points and bias,
    // then what the image button takes.
    void Assign(const TPersistent* source) override;

protected:
    std::optional<TRegion> CreateRegion(bool create, bool down) override;
    bool HasRegionData() const override { return false; }
    void DrawFace(TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle, bool down) override;
    bool UseRegion() const override { return true; }
    bool UseDownRegion() const override { return false; }
    void MakeSquare() override;
    // The bevel along every edge of the polygon.
    virtual void DrawShadedEdges(TfxBitmap& bitmap, const std::vector<TPoint>& points);
    std::vector<TPoint> GetCustomPoints() const;

private:
    std::unique_ptr<TStringList> pointList_;
    TfxButtonShape shape_ = bsRect;
    TfxShapeOrientation orientation_ = soUp;
    int roundRectBias_ = 25;
};

class TfxShapeBtn : public TfxCustomShapeBtn {
    MENVARO_CLASS(TfxShapeBtn, TfxCustomShapeBtn)
public:
    using TfxCustomShapeBtn::TfxCustomShapeBtn;
};

}  // namespace menvaro
