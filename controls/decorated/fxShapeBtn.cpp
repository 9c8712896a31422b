#include "decorated/fxShapeBtn.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include "base/Exceptions.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "classes/ExceptionHandler.h"
#include "classes/Setters.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxCommon.h"
#include "decorated/fxEvaluator.h"
#include "gfx/Bitmap.h"
#include "ui/GraphicsClasses.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TfxButtonShape, bsRoundRect, bsEllipse, bsTriangle, bsArrow, bsDiamond, bsRect, bsStar, bsTrapezoid,
                    bsCustom)
MENVARO_DEFINE_ENUM(TfxShapeOrientation, soLeft, soRight, soUp, soDown)

namespace {

// Whether the screen shows light grey as drawn; asked once a run.
bool ReproducesLightGrey() {
    static const bool answer = [] {
        TOwned<TfxBitmap> grey(Create<TfxBitmap>());
        grey->SetSize(1, 1);
        grey->Canvas().Brush().SetColor(RGB(192, 192, 192));
        grey->Canvas().FillRect({0, 0, 1, 1});
        TBitmap shown(1, 1);
        shown.Canvas().Draw(0, 0, *grey);
        const TColor c = shown.Pixel(0, 0);
        return GetRValue(c) < 200 && GetGValue(c) < 200 && GetBValue(c) < 200;
    }();
    return answer;
}

int Halve(int v) { return v / 2; }

}  // namespace

MENVARO_CLASS_INFO(TfxCustomShapeBtn) {}

MENVARO_CLASS_INFO(TfxShapeBtn) {
    using B = TfxShapeBtn;
    c.Prop("DitherColor", &B::DitherColor, &B::SetDitherColor).Idents(ColorIdents());
    c.Prop("Orientation", &B::Orientation, &B::SetOrientation).Default(soUp);
    c.Prop("ParentClipping", &B::ParentClipping, &B::SetParentClipping);
    c.Prop("PointList", &B::PointList, &B::SetPointList);
    // Always stored: against a default of 0 a bias of 0 would be left out
    // and come back from the file as a new button's 25.
    c.Prop("RoundRectBias", &B::RoundRectBias, &B::SetRoundRectBias);
    c.Prop("Shape", &B::Shape, &B::SetShape).Default(bsRect);
}

TfxCustomShapeBtn::TfxCustomShapeBtn(TComponent* owner)
    : TfxCustomImageBtn(owner), pointList_(std::make_unique<TStringList>()) {
    SetColor(clBtnFace);
    SetShadeStyle(fbsHighlight);
}

TfxCustomShapeBtn::~TfxCustomShapeBtn() = default;

// ---- properties

void TfxCustomShapeBtn::SetPointList(const TStringList* list) {
    if (list == pointList_.get()) return;
    if (list)
        pointList_->Assign(*list);
    else
        pointList_->Clear();
    Reshape();
}

void TfxCustomShapeBtn::SetShape(TfxButtonShape v) {
    if (!Change(shape_, v)) return;
    Reshape();
    if (Parent() && fxIsClassNamed(Parent()->ClassType(), "TfxCustomButtonGroup"))
        fxInvalidateParentArea(Parent(), true);
}

void TfxCustomShapeBtn::SetOrientation(TfxShapeOrientation v) {
    if (Change(orientation_, v)) Reshape();
}

void TfxCustomShapeBtn::SetRoundRectBias(int v) {
    if (Change(roundRectBias_, v)) Reshape();
}

void TfxCustomShapeBtn::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TfxCustomShapeBtn*>(source); s && s != this) {
        SetOrientation(s->Orientation());
        SetPointList(s->PointList());
        SetRoundRectBias(s->RoundRectBias());
        SetShape(s->Shape());
    }
    TfxCustomImageBtn::Assign(source);
}

void TfxCustomShapeBtn::MakeSquare() {
    const int side = std::max(Width(), Height());
    SetBounds(Left(), Top(), side, side);
}

// ---- colours

TColor TfxCustomShapeBtn::KeyColor() const { return Color() == 0x0000FF ? 0xFF0000 : 0x0000FF; }

TColor TfxCustomShapeBtn::FaceColor() const {
    TColor c = ColorToRGB(Color()) & 0xFFFFFF;
    if (ReproducesLightGrey()) return c;
    // A display that turns light grey into white would show these channels
    // one step lighter than drawn.
    int channel[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    for (int& v : channel)
        if (v != 0 && v % 8 == 0) --v;
    return RGB(channel[0], channel[1], channel[2]);
}

// ---- points

std::vector<TPoint> TfxCustomShapeBtn::GetCustomPoints() const {
    std::vector<TPoint> points;
    if (pointList_->Count() <= 2) return points;
    const int w = Width() - 1, h = Height() - 1;
    for (const std::string& line : *pointList_) {
        std::string s = UpperCase(line);
        if (s.find(',') == std::string::npos)
            throw EInvalidOperation(
                "Invalid Custom Points Format.  X and Y Coordinates must be separated by a comma and space.");
        s = fxReplaceAll(s, ",", ", ");
        s = fxReplaceAll(s, ",  ", ", ");
        s = fxReplaceAll(s, "WIDTH", IntToStr(w));
        s = fxReplaceAll(s, "HEIGHT", IntToStr(h));
        const int y = TfxEvaluator::Evaluate(fxGetToken(s, ", ", 1));
        const int x = TfxEvaluator::Evaluate(fxGetToken(s, ", ", 0));
        points.push_back({x, y});
    }
    return points;
}

std::vector<TPoint> TfxCustomShapeBtn::GetShapePoints() {
    const int w = Width() - 1, h = Height() - 1;
    std::vector<TPoint> p;
    switch (shape_) {
        case bsRoundRect:
        case bsEllipse: return p;
        case bsTriangle: p = {{Halve(w), 0}, {w, h}, {0, h}}; break;
        case bsArrow:
            p = {{0, h / 3}, {Halve(w), 0}, {w, h / 3}, {w - w / 4, h / 3}, {w - w / 4, h}, {w / 4, h}, {w / 4, h / 3}};
            break;
        case bsDiamond: p = {{Halve(w), 0}, {w, Halve(h)}, {Halve(w), h}, {0, Halve(h)}}; break;
        case bsRect: p = {{0, 0}, {w, 0}, {w, h}, {0, h}}; break;
        case bsTrapezoid: {
            const int b = std::min(Halve(h), Halve(Halve(w)));
            p = {{b, 0}, {w - b, 0}, {w, h}, {0, h}};
            break;
        }
        case bsStar: {
            const double rad = std::numbers::pi / 180;
            const double cos18 = std::cos(18 * rad), sin18 = std::sin(18 * rad);
            const int c = int(std::trunc(h / cos18));
            const int d = int(std::trunc(c / (2 * sin18 + 2)));
            const int e = int(std::trunc(cos18 * d));
            const int f = int(std::trunc(h * std::tan(18 * rad)));
            const int g = Halve(w);
            const int m = c - 2 * d;
            const TPoint p1{g + m / 2, e};
            const TPoint p3{p1.X + int(std::trunc(m * sin18)), p1.Y + int(std::trunc(m * cos18))};
            p = {{g, 0},     p1,
                 {w, e},     p3,
                 {g + f, h}, {g, h - int(std::trunc(d * std::sin(36 * rad)))},
                 {g - f, h}, {w - p3.X, p3.Y},
                 {0, e},     {w - p1.X, p1.Y}};
            break;
        }
        case bsCustom: try { p = GetCustomPoints();
            } catch (...) {
                shape_ = bsRect;
                throw;
            }
            break;
    }
    if (p.empty()) return p;
    p.push_back(p.front());
    // Quarter turns clockwise; a button one pixel wide or high has nothing
    // to turn (and the turn would divide by zero).
    const int turns = orientation_ == soRight ? 1 : orientation_ == soDown ? 2 : orientation_ == soLeft ? 3 : 0;
    if (w == 0 || h == 0) return p;
    for (int i = 0; i < turns; ++i)
        for (TPoint& pt : p) {
            const std::int64_t x = pt.X, y = pt.Y;
            pt = {fxWrap32(w - std::int64_t(w) * y / h), fxWrap32(std::int64_t(h) * x / w)};
        }
    return p;
}

// ---- the face

void TfxCustomShapeBtn::DrawFace(TfxBitmap& bitmap, bool regionOnly, TfxShadeStyle shadeStyle, bool down) {
    bool edges = true;
    if (shadeStyle == fbsFlat && !ComponentState().Contains(csDesigning))
        edges = down || IsMouseInControl(-1, -1, false);
    bitmap.SetDimensions(Width(), Height());
    if (Width() <= 0 || Height() <= 0 || bitmap.Empty()) return;
    const TColor key = KeyColor(), face = FaceColor();
    TCanvas& c = bitmap.Canvas();
    c.Brush().SetColor(key);
    c.FillRect({0, 0, Width(), Height()});
    c.Brush().SetColor(face);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(edges && DitherColor() != clNone ? ColorToRGB(DitherColor()) : face);
    if (down && DitherColor() != clNone && GroupIndex() != 0) {
        // A latched group button: the face dithered in both colours.
        c.Brush().Assign(fxCreateDitherBrush());
        c.SetBkColor(ColorToRGB(DitherColor()));
        c.SetTextColor(ColorToRGB(Color()));
    }
    const int w = Width() - 1, h = Height() - 1;
    if (IsRoundShape()) {
        c.Pen().SetColor(face);
        if (shape_ == bsRoundRect)
            c.RoundRect(0, 0, w, h, roundRectBias_, roundRectBias_);
        else
            c.Ellipse(0, 0, w, h);
        if (edges && !regionOnly) DrawShadedImageEdges(bitmap, bitmap, down, key);
        return;
    }
    std::vector<TPoint> points;
    try {
        points = GetShapePoints();
    } catch (...) {
        // The shape is a rectangle now, so this is told once, not at every
        // paint.
        HandleCurrentException(this);
        points = GetShapePoints();
    }
    if (points.empty()) return;
    c.Polygon(points);
    if (edges && !regionOnly) DrawShadedEdges(bitmap, points);
}

void TfxCustomShapeBtn::DrawShadedEdges(TfxBitmap& bitmap, const std::vector<TPoint>& points) {
    const int count = int(points.size());
    if (count < 2) return;
    const TRegion inside = CreatePolygonRgn(points.data(), count, WINDING);
    struct TEdge {
        TPoint a, b, normal;
        bool lit;
    };
    std::vector<TEdge> edges;
    for (int i = 0; i + 1 < count; ++i) {
        const TPoint a = points[std::size_t(i)], b = points[std::size_t(i) + 1];
        const int dx = b.X - a.X, dy = b.Y - a.Y;
        const TPoint mid{a.X + Halve(dx), a.Y + Halve(dy)};
        TEdge e{a, b, {}, false};
        if (std::abs(dy) < std::abs(dx)) {
            e.lit = inside.Contains(mid.X, mid.Y + 1);
            e.normal = {0, e.lit ? 1 : -1};
        } else {
            e.lit = inside.Contains(mid.X + 1, mid.Y);
            e.normal = {e.lit ? 1 : -1, 0};
        }
        if (dx == 0) e.normal.Y = inside.Contains(a.X, std::max(a.Y, b.Y) + 1) ? 1 : -1;
        if (dy == 0) e.normal.X = inside.Contains(std::max(a.X, b.X), a.Y) ? 1 : -1;
        edges.push_back(e);
    }
    TCanvas& c = bitmap.Canvas();
    const TfxShadeColors& s = *ShadeColors();
    const int w = Focused() || Default() ? 1 : 0;
    auto pass = [&](int by, TColor litAsDown, TColor otherwise) {
        for (const TEdge& e : edges) {
            c.Pen().SetColor(e.lit == Down() ? litAsDown : otherwise);
            const TPoint d{e.normal.X * by, e.normal.Y * by};
            c.Polyline({TPoint{e.a.X + d.X, e.a.Y + d.Y}, TPoint{e.b.X + d.X, e.b.Y + d.Y}});
        }
    };
    pass(w + 1, s.BtnShadow(), s.Btn3DLight());
    pass(w, s.BtnBlack(), s.BtnHighlight());
    if (w) pass(0, s.BtnFocus(), s.BtnFocus());
}

std::optional<TRegion> TfxCustomShapeBtn::CreateRegion(bool create, bool down) {
    std::optional<TRegion> cached = TfxCustomImageBtn::CreateRegion(false, down);
    if (cached || !create) return cached;
    TOwned<TfxBitmap> face(Create<TfxBitmap>());
    DrawFace(*face, true, ShadeStyle(), down);
    // Nothing drawn (too few custom points): a window of no pixels.
    TRegion r = fxRegionFromBitmap(*face, KeyColor()).value_or(TRegion());
    SaveRegion(r, down);
    return r;
}

}  // namespace menvaro
