// The shaped button on a headless form: the points of every shape in every
// orientation (worked out by hand from the shape's rules and the quarter
// turn x, y -> W - W*y/H, H*x/W), regions checked by hit tests, the bevel and
// the rim on chosen pixels of up and down faces, clicks through and outside
// the shape, custom points and what a bad one falls back to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ButtonTest.h"
#include "classes/ClassBuilder.h"
#include "classes/FormWriter.h"
#include "decorated/fxShapeBtn.h"
#include "ui/ExtCtrls.h"

namespace menvaro {

// The protected parts a test looks at.
class TShapeProbe : public TfxShapeBtn {
    MENVARO_CLASS(TShapeProbe, TfxShapeBtn)
public:
    using TfxShapeBtn::CreateRegion;
    using TfxShapeBtn::DrawFace;
    using TfxShapeBtn::MakeSquare;
    using TfxShapeBtn::TfxShapeBtn;
};

MENVARO_CLASS_INFO(TShapeProbe) {}

namespace {

using Points = std::vector<TPoint>;

struct PointsCase {
    TfxButtonShape shape;
    int width, height;
    TfxShapeOrientation orientation;
    Points points;
};

// The custom shape of the table, in both letter cases and with and
// without the blank after the comma.
const TStringList kCustom{"width/4, 0", "Width, height/2", "width/4,height", "0,HEIGHT - 10"};

// clang-format off
const std::vector<PointsCase> kPoints = {
        {bsTriangle, 100, 50, soUp, {{49, 0}, {99, 49}, {0, 49}, {49, 0}}},
        {bsTriangle, 100, 50, soRight, {{99, 24}, {0, 49}, {0, 0}, {99, 24}}},
        {bsTriangle, 100, 50, soDown, {{51, 49}, {0, 0}, {99, 0}, {51, 49}}},
        {bsTriangle, 100, 50, soLeft, {{0, 25}, {99, 0}, {99, 49}, {0, 25}}},
        {bsTriangle, 100, 100, soUp, {{49, 0}, {99, 99}, {0, 99}, {49, 0}}},
        {bsTriangle, 100, 100, soRight, {{99, 49}, {0, 99}, {0, 0}, {99, 49}}},
        {bsTriangle, 100, 100, soDown, {{50, 99}, {0, 0}, {99, 0}, {50, 99}}},
        {bsTriangle, 100, 100, soLeft, {{0, 50}, {99, 0}, {99, 99}, {0, 50}}},
        {bsArrow, 100, 50, soUp, {{0, 16}, {49, 0}, {99, 16}, {75, 16}, {75, 49}, {24, 49}, {24, 16}, {0, 16}}},
        {bsArrow, 100, 50, soRight, {{67, 0}, {99, 24}, {67, 49}, {67, 37}, {0, 37}, {0, 11}, {67, 11}, {67, 0}}},
        {bsArrow, 100, 50, soDown, {{99, 33}, {51, 49}, {0, 33}, {25, 33}, {25, 0}, {77, 0}, {77, 33}, {99, 33}}},
        {bsArrow, 100, 50, soLeft, {{33, 49}, {0, 25}, {33, 0}, {33, 12}, {99, 12}, {99, 38}, {33, 38}, {33, 49}}},
        {bsArrow, 100, 100, soUp, {{0, 33}, {49, 0}, {99, 33}, {75, 33}, {75, 99}, {24, 99}, {24, 33}, {0, 33}}},
        {bsArrow, 100, 100, soRight, {{66, 0}, {99, 49}, {66, 99}, {66, 75}, {0, 75}, {0, 24}, {66, 24}, {66, 0}}},
        {bsArrow, 100, 100, soDown, {{99, 66}, {50, 99}, {0, 66}, {24, 66}, {24, 0}, {75, 0}, {75, 66}, {99, 66}}},
        {bsArrow, 100, 100, soLeft, {{33, 99}, {0, 50}, {33, 0}, {33, 24}, {99, 24}, {99, 75}, {33, 75}, {33, 99}}},
        {bsDiamond, 100, 50, soUp, {{49, 0}, {99, 24}, {49, 49}, {0, 24}, {49, 0}}},
        {bsDiamond, 100, 50, soRight, {{99, 24}, {51, 49}, {0, 24}, {51, 0}, {99, 24}}},
        {bsDiamond, 100, 50, soDown, {{51, 49}, {0, 25}, {51, 0}, {99, 25}, {51, 49}}},
        {bsDiamond, 100, 50, soLeft, {{0, 25}, {49, 0}, {99, 25}, {49, 49}, {0, 25}}},
        {bsDiamond, 100, 100, soUp, {{49, 0}, {99, 49}, {49, 99}, {0, 49}, {49, 0}}},
        {bsDiamond, 100, 100, soRight, {{99, 49}, {50, 99}, {0, 49}, {50, 0}, {99, 49}}},
        {bsDiamond, 100, 100, soDown, {{50, 99}, {0, 50}, {50, 0}, {99, 50}, {50, 99}}},
        {bsDiamond, 100, 100, soLeft, {{0, 50}, {49, 0}, {99, 50}, {49, 99}, {0, 50}}},
        {bsRect, 100, 50, soUp, {{0, 0}, {99, 0}, {99, 49}, {0, 49}, {0, 0}}},
        {bsRect, 100, 50, soRight, {{99, 0}, {99, 49}, {0, 49}, {0, 0}, {99, 0}}},
        {bsRect, 100, 50, soDown, {{99, 49}, {0, 49}, {0, 0}, {99, 0}, {99, 49}}},
        {bsRect, 100, 50, soLeft, {{0, 49}, {0, 0}, {99, 0}, {99, 49}, {0, 49}}},
        {bsRect, 100, 100, soUp, {{0, 0}, {99, 0}, {99, 99}, {0, 99}, {0, 0}}},
        {bsRect, 100, 100, soRight, {{99, 0}, {99, 99}, {0, 99}, {0, 0}, {99, 0}}},
        {bsRect, 100, 100, soDown, {{99, 99}, {0, 99}, {0, 0}, {99, 0}, {99, 99}}},
        {bsRect, 100, 100, soLeft, {{0, 99}, {0, 0}, {99, 0}, {99, 99}, {0, 99}}},
        {bsTrapezoid, 100, 50, soUp, {{24, 0}, {75, 0}, {99, 49}, {0, 49}, {24, 0}}},
        {bsTrapezoid, 100, 50, soRight, {{99, 11}, {99, 37}, {0, 49}, {0, 0}, {99, 11}}},
        {bsTrapezoid, 100, 50, soDown, {{77, 49}, {25, 49}, {0, 0}, {99, 0}, {77, 49}}},
        {bsTrapezoid, 100, 50, soLeft, {{0, 38}, {0, 12}, {99, 0}, {99, 49}, {0, 38}}},
        {bsTrapezoid, 100, 100, soUp, {{24, 0}, {75, 0}, {99, 99}, {0, 99}, {24, 0}}},
        {bsTrapezoid, 100, 100, soRight, {{99, 24}, {99, 75}, {0, 99}, {0, 0}, {99, 24}}},
        {bsTrapezoid, 100, 100, soDown, {{75, 99}, {24, 99}, {0, 0}, {99, 0}, {75, 99}}},
        {bsTrapezoid, 100, 100, soLeft, {{0, 75}, {0, 24}, {99, 0}, {99, 99}, {0, 75}}},
        {bsStar, 100, 50, soUp, {{49, 0}, {55, 18}, {99, 18}, {59, 30}, {64, 49}, {49, 38}, {34, 49}, {40, 30}, {0, 18}, {44, 18}, {49, 0}}},
        {bsStar, 100, 50, soRight, {{99, 24}, {63, 27}, {63, 49}, {39, 29}, {0, 31}, {23, 24}, {0, 16}, {39, 19}, {63, 0}, {63, 21}, {99, 24}}},
        {bsStar, 100, 50, soDown, {{51, 49}, {45, 31}, {0, 31}, {41, 19}, {37, 0}, {51, 11}, {67, 0}, {61, 19}, {99, 31}, {57, 31}, {51, 49}}},
        {bsStar, 100, 50, soLeft, {{0, 25}, {37, 22}, {37, 0}, {61, 20}, {99, 18}, {77, 25}, {99, 33}, {61, 30}, {37, 49}, {37, 28}, {0, 25}}},
        {bsStar, 100, 100, soUp, {{49, 0}, {62, 37}, {99, 37}, {70, 61}, {81, 99}, {49, 77}, {17, 99}, {29, 61}, {0, 37}, {37, 37}, {49, 0}}},
        {bsStar, 100, 100, soRight, {{99, 49}, {62, 62}, {62, 99}, {38, 70}, {0, 81}, {22, 49}, {0, 17}, {38, 29}, {62, 0}, {62, 37}, {99, 49}}},
        {bsStar, 100, 100, soDown, {{50, 99}, {37, 62}, {0, 62}, {29, 38}, {18, 0}, {50, 22}, {82, 0}, {70, 38}, {99, 62}, {62, 62}, {50, 99}}},
        {bsStar, 100, 100, soLeft, {{0, 50}, {37, 37}, {37, 0}, {61, 29}, {99, 18}, {77, 50}, {99, 82}, {61, 70}, {37, 99}, {37, 62}, {0, 50}}},
        {bsCustom, 100, 50, soUp, {{24, 0}, {99, 24}, {24, 49}, {0, 39}, {24, 0}}},
        {bsCustom, 100, 50, soRight, {{99, 11}, {51, 49}, {0, 11}, {21, 0}, {99, 11}}},
        {bsCustom, 100, 50, soDown, {{77, 49}, {0, 25}, {77, 0}, {99, 10}, {77, 49}}},
        {bsCustom, 100, 50, soLeft, {{0, 38}, {49, 0}, {99, 38}, {79, 49}, {0, 38}}},
        {bsCustom, 100, 100, soUp, {{24, 0}, {99, 49}, {24, 99}, {0, 89}, {24, 0}}},
        {bsCustom, 100, 100, soRight, {{99, 24}, {50, 99}, {0, 24}, {10, 0}, {99, 24}}},
        {bsCustom, 100, 100, soDown, {{75, 99}, {0, 50}, {75, 0}, {99, 10}, {75, 99}}},
        {bsCustom, 100, 100, soLeft, {{0, 75}, {49, 0}, {99, 75}, {89, 99}, {0, 75}}},

};
// clang-format on

class ShapeBtn : public test::ButtonTest {
protected:
    TShapeProbe* Button(TfxButtonShape shape, int left, int top, int width = 100, int height = 50) {
        auto* b = Put<TShapeProbe>(left, top, width, height);
        b->SetShape(shape);
        b->OnClick = [this](TObject*) { ++clicks; };
        return b;
    }
    // The exceptions that reach the application, instead of failing the test.
    std::vector<std::string>& Caught() {
        Application->OnException = [this](TObject*, const std::exception& e) { caught.push_back(e.what()); };
        return caught;
    }
    std::vector<std::string> caught;
};

TEST_F(ShapeBtn, PointsOfEveryShapeInEveryOrientation) {
    auto* b = Button(bsRect, 0, 0);
    b->SetPointList(&kCustom);
    for (const PointsCase& c : kPoints) {
        b->SetBounds(0, 0, c.width, c.height);
        b->SetShape(c.shape);
        b->SetOrientation(c.orientation);
        EXPECT_EQ(b->GetShapePoints(), c.points)
            << EnumInfoOf<TfxButtonShape>().Names[c.shape] << " " << c.width << "x" << c.height << " "
            << EnumInfoOf<TfxShapeOrientation>().Names[c.orientation];
    }
    // The round shapes are no polygons.
    for (TfxButtonShape round : {bsRoundRect, bsEllipse}) {
        b->SetShape(round);
        EXPECT_TRUE(b->IsRoundShape());
        EXPECT_TRUE(b->GetShapePoints().empty());
    }
}

TEST_F(ShapeBtn, AOnePixelWideOrHighButtonLeavesThePointsUnturned) {
    auto* b = Button(bsTriangle, 0, 0, 1, 40);  // W = 0
    b->SetOrientation(soRight);
    EXPECT_EQ(b->GetShapePoints(), (Points{{0, 0}, {0, 39}, {0, 39}, {0, 0}}));
    b->SetBounds(0, 0, 40, 1);  // H = 0
    b->SetOrientation(soLeft);
    EXPECT_EQ(b->GetShapePoints(), (Points{{19, 0}, {39, 0}, {0, 0}, {19, 0}}));
    b->SetShape(bsStar);
    EXPECT_EQ(b->GetShapePoints().size(), 11u);
    // Painted and given a region all the same.
    Pump();
    EXPECT_TRUE(b->Region().has_value());
}

struct HitCase {
    TfxButtonShape shape;
    TfxShapeOrientation orientation;
    int width, height;
    Points inside, outside;
};

TEST_F(ShapeBtn, TheWindowIsTheShape) {
    // clang-format off
    const std::vector<HitCase> cases = {
        {bsRect, soUp, 100, 50, {{0, 0}, {99, 49}, {50, 25}}, {}},
        {bsTriangle, soUp, 100, 50, {{49, 2}, {50, 45}, {3, 48}}, {{3, 3}, {96, 3}, {20, 10}}},
        {bsTriangle, soRight, 100, 50, {{90, 24}, {3, 3}, {3, 46}}, {{96, 3}, {50, 2}, {96, 46}}},
        {bsEllipse, soUp, 100, 50, {{49, 24}, {1, 24}, {98, 24}, {49, 1}}, {{2, 2}, {97, 47}, {99, 24}, {49, 49}}},
        {bsRoundRect, soUp, 120, 50, {{60, 25}, {0, 25}, {118, 25}, {60, 0}, {60, 48}},
         {{0, 0}, {118, 48}, {119, 25}, {60, 49}}},
        {bsDiamond, soUp, 100, 50, {{49, 24}, {49, 1}, {97, 24}}, {{5, 5}, {95, 45}, {10, 40}}},
        {bsArrow, soUp, 100, 50, {{49, 5}, {50, 40}, {5, 15}}, {{5, 30}, {90, 40}, {5, 2}}},
        {bsArrow, soDown, 100, 50, {{50, 45}, {50, 5}, {80, 34}}, {{5, 20}, {90, 10}, {5, 47}}},
        {bsStar, soUp, 100, 50, {{49, 20}, {49, 5}, {5, 18}, {62, 46}}, {{49, 45}, {5, 5}, {90, 40}, {20, 40}}},
        {bsTrapezoid, soUp, 100, 50, {{50, 2}, {2, 48}, {97, 48}}, {{5, 2}, {95, 2}}},
        {bsTrapezoid, soLeft, 100, 50, {{2, 25}, {97, 2}, {97, 47}}, {{2, 2}, {2, 47}}},
        {bsCustom, soUp, 100, 50, {{30, 20}, {95, 24}}, {{5, 5}, {90, 45}}},
    };
    // clang-format on
    auto* b = Button(bsRect, 20, 20);
    b->SetPointList(&kCustom);
    for (const HitCase& c : cases) {
        const std::string what = EnumInfoOf<TfxButtonShape>().Names[c.shape] + " " +
                                 EnumInfoOf<TfxShapeOrientation>().Names[c.orientation];
        b->SetBounds(20, 20, c.width, c.height);
        b->SetShape(c.shape);
        b->SetOrientation(c.orientation);
        Pump();
        ASSERT_TRUE(b->Region().has_value()) << what;
        for (const TPoint p : c.inside) {
            EXPECT_TRUE(b->Region()->Contains(p)) << what << " " << p.X << "," << p.Y;
            EXPECT_TRUE(Hits(b, p.X, p.Y)) << what << " " << p.X << "," << p.Y;
        }
        for (const TPoint p : c.outside) {
            EXPECT_FALSE(b->Region()->Contains(p)) << what << " " << p.X << "," << p.Y;
            EXPECT_FALSE(Hits(b, p.X, p.Y)) << what << " " << p.X << "," << p.Y;
            EXPECT_EQ(At(b, p.X, p.Y), Rgb(clBtnFace)) << "the form shows through " << what;
        }
    }
}

TEST_F(ShapeBtn, AClickThroughTheShapeClicksAndOneBesideItDoesNot) {
    auto* b = Button(bsTriangle, 20, 20);
    Click(b, 50, 40);
    EXPECT_EQ(clicks, 1);
    // Inside the rectangle, outside the triangle: the form's.
    Click(b, 3, 3);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Down());
    // Pressed on the shape, let go beside it: no click.
    Hold(b, 50, 40);
    EXPECT_TRUE(b->Down());
    MoveTo(b, 96, 3);
    EXPECT_FALSE(b->Down()) << "dragged off the shape";
    Release();
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShapeBtn, ThePolygonsBevelIsLitFromTheTopLeftAndTurnsOverWhileDown) {
    auto* b = Button(bsRect, 20, 20);
    const TColor light = Rgb(clBtnHighlight), light3d = Rgb(cl3DLight), shadow = Rgb(clBtnShadow), black = 0;
    auto bevel = [&](TColor top0, TColor top1, TColor bottom1, TColor bottom0) {
        EXPECT_EQ(At(b, 10, 0), top0);
        EXPECT_EQ(At(b, 10, 1), top1);
        EXPECT_EQ(At(b, 0, 25), top0);
        EXPECT_EQ(At(b, 1, 25), top1);
        EXPECT_EQ(At(b, 10, 48), bottom1);
        EXPECT_EQ(At(b, 10, 49), bottom0);
        EXPECT_EQ(At(b, 98, 25), bottom1);
        EXPECT_EQ(At(b, 99, 25), bottom0);
        EXPECT_EQ(At(b, 50, 25), Rgb(clBtnFace));
    };
    bevel(light, light3d, shadow, black);
    Hold(b, 50, 25);
    ASSERT_TRUE(b->Down());
    bevel(black, shadow, light3d, light);
    Release();
    bevel(light, light3d, shadow, black);
    // Default: the focus colour on the outline, the bevel one pixel in.
    b->ShadeColors()->SetBtnFocus(clRed);
    b->SetDefault(true);
    EXPECT_EQ(At(b, 10, 0), clRed);
    EXPECT_EQ(At(b, 10, 1), light);
    EXPECT_EQ(At(b, 10, 2), light3d);
    EXPECT_EQ(At(b, 10, 49), clRed);
    EXPECT_EQ(At(b, 10, 48), black);
    EXPECT_EQ(At(b, 10, 47), shadow);
    // Flat: a bevel only while the mouse is on it.
    b->SetDefault(false);
    b->SetShadeStyle(fbsFlat);
    synthetic::MouseMove(ScreenAt(b, 200, 200));
    Pump();
    EXPECT_EQ(At(b, 10, 0), Rgb(clBtnFace));
    synthetic::MouseMove(ScreenAt(b, 50, 25));
    Pump();
    EXPECT_EQ(At(b, 10, 0), light);
}

TEST_F(ShapeBtn, TheRoundRectanglesRimFollowsItsOutline) {
    // The backup tool's buttons: 120 x 50, bias 25, highlight shading.
    auto* b = Button(bsRoundRect, 20, 20, 120, 50);
    EXPECT_EQ(b->RoundRectBias(), 25);
    EXPECT_EQ(b->ShadeStyle(), fbsHighlight);
    EXPECT_EQ(b->Region(), CreateRoundRectRgn(0, 0, 119, 49, 25, 25));
    const TColor light = Rgb(clBtnHighlight), light3d = Rgb(cl3DLight), shadow = Rgb(clBtnShadow), black = 0;
    auto rim = [&](TColor outerLit, TColor innerLit, TColor innerDark, TColor outerDark) {
        EXPECT_EQ(At(b, 60, 0), outerLit);
        EXPECT_EQ(At(b, 60, 1), innerLit);
        EXPECT_EQ(At(b, 0, 25), outerLit);
        EXPECT_EQ(At(b, 1, 25), innerLit);
        EXPECT_EQ(At(b, 60, 47), innerDark);
        EXPECT_EQ(At(b, 60, 48), outerDark);
        EXPECT_EQ(At(b, 117, 25), innerDark);
        EXPECT_EQ(At(b, 118, 25), outerDark);
        EXPECT_EQ(At(b, 60, 25), Rgb(clBtnFace));
    };
    rim(light, light3d, shadow, black);
    Hold(b, 60, 25);
    rim(black, shadow, light3d, light);
    Release();
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShapeBtn, ARedButtonKeysOutBlue) {
    auto* b = Button(bsTriangle, 20, 20);
    EXPECT_EQ(b->KeyColor(), 0x0000FF);
    b->SetColor(clRed);
    EXPECT_EQ(b->KeyColor(), 0xFF0000);
    EXPECT_EQ(At(b, 50, 30), clRed);
    EXPECT_FALSE(Hits(b, 3, 3));
    EXPECT_TRUE(Hits(b, 50, 30));
}

TEST_F(ShapeBtn, ALatchedGroupButtonShowsADitheredFace) {
    auto* b = Button(bsEllipse, 20, 20);
    b->SetGroupIndex(1);
    b->SetDown(true);
    const TColor a = At(b, 50, 25), c = At(b, 51, 25);
    EXPECT_NE(a, c);
    EXPECT_TRUE((a == clWhite && c == Rgb(clBtnFace)) || (a == Rgb(clBtnFace) && c == clWhite)) << a << " " << c;
    b->SetDitherColor(clNone);
    EXPECT_EQ(At(b, 50, 25), Rgb(clBtnFace));
    EXPECT_EQ(At(b, 51, 25), Rgb(clBtnFace));
}

TEST_F(ShapeBtn, CustomPointsWithTheButtonsWidthAndHeight) {
    auto* b = Button(bsCustom, 20, 20);
    const TStringList list{"WIDTH/2, 0", "width,height", "0,  Height", "width - 90, height/2"};
    b->SetPointList(&list);
    EXPECT_EQ(b->GetShapePoints(), (Points{{49, 0}, {99, 49}, {0, 49}, {9, 24}, {49, 0}}));
    Pump();
    EXPECT_TRUE(Hits(b, 50, 40));
    EXPECT_FALSE(Hits(b, 90, 5));
    // Two lines are no shape: no face, and a window of no pixels.
    const TStringList two{"0, 0", "width, height"};
    b->SetPointList(&two);
    EXPECT_TRUE(b->GetShapePoints().empty());
    Pump();
    ASSERT_TRUE(b->Region().has_value());
    EXPECT_TRUE(b->Region()->IsEmpty());
    EXPECT_EQ(At(b, 50, 25), Rgb(clBtnFace));
    Click(b, 50, 25);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->Shape(), bsCustom);
}

TEST_F(ShapeBtn, ABadCustomLineFallsBackToTheRectangleAndIsToldOnce) {
    struct Bad {
        TStringList lines;
        std::string message;
    };
    const std::vector<Bad> cases = {
        {{"0, 0", "width 0", "0, height"},
         "Invalid Custom Points Format.  X and Y Coordinates must be separated by a comma and space."},
        {{"0, 0", "width/0, 0", "0, height"}, "Divide By Zero Error"},
        // The blank before the comma stays with x.
        {{"0, 0", "10 ,20", "0, height"}, "'10 ' is not a valid integer value"},
    };
    std::vector<std::string>& told = Caught();
    for (const Bad& c : cases) {
        told.clear();
        auto* b = Button(bsCustom, 20, 20);
        b->SetPointList(&c.lines);
        EXPECT_EQ(b->Shape(), bsRect);
        EXPECT_EQ(b->Region(), CreateRectRgn(0, 0, 100, 50));
        // Painting, a new size and a new window tell no more.
        Pump();
        b->SetBounds(20, 20, 110, 60);
        Pump();
        b->RecreateWnd();
        b->Invalidate();
        Pump();
        EXPECT_EQ(told, std::vector<std::string>{c.message});
        EXPECT_TRUE(Hits(b, 2, 2));
        b->Free();
    }
    // Also when the error comes with the window's creation.
    told.clear();
    auto* late = Create<TShapeProbe>(form);
    late->SetBounds(20, 20, 100, 50);
    late->SetShape(bsCustom);
    late->SetPointList(&cases[0].lines);
    EXPECT_TRUE(told.empty());
    late->SetParent(form);
    Pump();
    EXPECT_EQ(told, std::vector<std::string>{cases[0].message});
    EXPECT_EQ(late->Shape(), bsRect);
}

TEST_F(ShapeBtn, AFormFileStoresThePublishedPropertiesAgainstTheirDeclaredDefaults) {
    auto* panel = Put<TPanel>(0, 0, 300, 200);
    panel->SetName("pnl");
    auto* b = Create<TfxShapeBtn>(form);
    b->SetName("btn");
    b->SetParent(panel);
    b->SetBounds(10, 10, 120, 50);
    b->SetCaption("开始备份");
    auto text = [&] { return WriteComponentText(form); };
    const std::string fresh = text();
    for (const char* line : {"RoundRectBias = 25", "ShadeStyle = fbsHighlight", "DitherColor = clWhite",
                             "ParentClipping = False", "Color = clBtnFace", "Caption = '"})
        EXPECT_NE(fresh.find(line), std::string::npos) << line << "\n" << fresh;
    for (const char* name : {"Shape =", "Orientation =", "PointList", "RegionData", "ImageDownX"})
        EXPECT_EQ(fresh.find(name), std::string::npos) << name << "\n" << fresh;
    // A bias of 0 is stored too, or it would come back as a new button's 25.
    b->SetRoundRectBias(0);
    b->SetShape(bsStar);
    b->SetOrientation(soDown);
    const TStringList points{"0, 0", "width, 0", "0, height"};
    b->SetPointList(&points);
    b->SetParentClipping(true);
    dynamic_cast<TfxImgDownOffsets*>(b->Offsets())->SetImageDownX(3);
    const std::string changed = text();
    for (const char* line : {"RoundRectBias = 0", "Shape = bsStar", "Orientation = soDown", "PointList.Strings = (",
                             "ParentClipping = True", "Offsets.ImageDownX = 3"})
        EXPECT_NE(changed.find(line), std::string::npos) << line << "\n" << changed;
    // Read back, it is what was written.
    TForm* again = FormFromText(changed, "Again.form");
    auto* read = Part<TfxShapeBtn>(again, "btn");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Shape(), bsStar);
    EXPECT_EQ(read->Orientation(), soDown);
    EXPECT_EQ(read->RoundRectBias(), 0);
    EXPECT_EQ(*read->PointList(), points);
    EXPECT_EQ(read->Caption(), "开始备份");
    EXPECT_EQ(dynamic_cast<TfxImgDownOffsets*>(read->Offsets())->ImageDownX(), 3);
    // The panel had no window while the file was read: it gets the style
    // with its window.
    EXPECT_TRUE(read->ParentClipping());
    again->Show();
    Pump();
    EXPECT_NE(GetWindowLong(Part<TPanel>(again, "pnl")->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0u);
    EXPECT_TRUE(read->ParentClipping());
}

TEST_F(ShapeBtn, AssignTakesTheShapeAndMakeSquareTheLargerSide) {
    auto* a = Button(bsStar, 20, 20);
    a->SetOrientation(soLeft);
    a->SetRoundRectBias(7);
    const TStringList points{"0, 0", "width, 0", "0, height"};
    a->SetPointList(&points);
    auto* b = Button(bsRect, 20, 100);
    b->Assign(a);
    EXPECT_EQ(b->Shape(), bsStar);
    EXPECT_EQ(b->Orientation(), soLeft);
    EXPECT_EQ(b->RoundRectBias(), 7);
    EXPECT_EQ(*b->PointList(), points);
    EXPECT_EQ(b->ExtImage(), a);
    b->MakeSquare();
    EXPECT_EQ(b->Width(), 100);
    EXPECT_EQ(b->Height(), 100);
}

}  // namespace
}  // namespace menvaro
