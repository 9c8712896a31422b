// The bit button base on a headless form, driven by synthetic mouse and key
// input: pressing, dragging out and back, Space, Enter and Esc, groups, the
// stock kinds, the layout of glyph and caption, the glyph images, the
// inactive window's click, and the window regions with their cache.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "classes/ClassBuilder.h"
#include "classes/FormWriter.h"
#include "decorated/fxBitmap.h"
#include "decorated/fxButton.h"
#include "decorated/fxChangeLink.h"
#include "decorated/fxCommon.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/UiTest.h"
#include "ui/StdCtrls.h"

namespace menvaro {

// A button with a plain face in its colour, grey while down, and regions
// made on demand from `shape` and kept as region data.
class TFaceBtn : public TfxCustomBitBtn {
    MENVARO_CLASS(TFaceBtn, TfxCustomBitBtn)
public:
    using TfxCustomBitBtn::TfxCustomBitBtn;
    bool regions = false;
    bool storeRegions = false;
    std::function<std::optional<TRegion>(bool down)> shape;
    int made = 0;

    std::optional<TRegion> CreateRegion(bool create, bool down) override {
        std::optional<TRegion> r = TfxCustomBitBtn::CreateRegion(create, down);
        if (r || !create || !shape) return r;
        ++made;
        r = shape(down);
        SaveRegion(r, down);
        return r;
    }

protected:
    void DrawFace(TfxBitmap& bitmap, bool, TfxShadeStyle, bool down) override {
        bitmap.SetSize(Width(), Height());
        TCanvas& c = bitmap.Canvas();
        c.Brush().SetColor(down ? clGray : Color());
        c.FillRect({0, 0, Width(), Height()});
    }
    bool UseRegion() const override { return regions; }
    bool HasRegionData() const override { return storeRegions; }
};

MENVARO_CLASS_INFO(TFaceBtn) {}

namespace {

class FxButton : public ControlTest {
protected:
    TFaceBtn* Button(int left, int top, const std::string& caption = "Go", int width = 80, int height = 30) {
        auto* b = Put<TFaceBtn>(left, top, width, height);
        b->SetCaption(caption);
        b->SetColor(clYellow);
        b->OnClick = [this, b](TObject*) { ++clicks[b]; };
        return b;
    }
    void Down(const TControl* c, int x, int y) {
        synthetic::MouseMove(ScreenAt(c, x, y));
        synthetic::MouseDown(1);
        Pump();
    }
    void MoveTo(const TControl* c, int x, int y) {
        synthetic::MouseMove(ScreenAt(c, x, y));
        Pump();
    }
    void Up() {
        synthetic::MouseUp(1);
        Pump();
    }
    std::map<const TControl*, int> clicks;
};

// A strip of images of one colour each, with the olive bottom row that
// makes the transparent colour.
TBitmap Strip(std::initializer_list<TColor> colours, int size = 16) {
    TBitmap b(size * int(colours.size()), size);
    int i = 0;
    for (TColor c : colours) {
        b.Canvas().Brush().SetColor(c);
        b.Canvas().FillRect(Bounds(i * size, 0, size, size - 1));
        b.Canvas().Brush().SetColor(clOlive);
        b.Canvas().FillRect(Bounds(i * size, size - 1, size, 1));
        ++i;
    }
    return b;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) s += {digits[b >> 4], digits[b & 15]};
    return s;
}

}  // namespace

TEST_F(FxButton, PressingDraggingOutAndBackAndReleasing) {
    TFaceBtn* b = Button(20, 20);
    Down(b, 40, 15);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(b->MousePressed());
    EXPECT_EQ(At(b, 3, 3), Rgb(clGray));
    MoveTo(b, 150, 15);
    EXPECT_FALSE(b->Down());  // dragged off, it comes up
    EXPECT_EQ(At(b, 3, 3), clYellow);
    MoveTo(b, 40, 15);
    EXPECT_TRUE(b->Down());  // and back in, down again
    Up();
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->MousePressed());
    EXPECT_EQ(clicks[b], 1);
    // Released outside: no click.
    Down(b, 40, 15);
    MoveTo(b, 150, 15);
    Up();
    EXPECT_EQ(clicks[b], 1);
    EXPECT_FALSE(b->Down());
    // Not focusable (the default): the press leaves the focus where it was.
    EXPECT_FALSE(b->Focused());
}

TEST_F(FxButton, SpacePressesReleasesAndClicksAtOnce) {
    TFaceBtn* b = Button(20, 20);
    b->SetOptions({boFocusable});
    EXPECT_TRUE(b->TabStop());
    b->SetFocus();
    Pump();
    Press(VK_SPACE);
    EXPECT_EQ(clicks[b], 1);
    EXPECT_FALSE(b->Down());
    // A group button that toggles on release toggles on Space too.
    TFaceBtn* g = Button(20, 60);
    g->SetGroupIndex(1);
    g->SetOptions({boFocusable, boToggleOnUp});
    g->SetFocus();
    Pump();
    Press(VK_SPACE);
    EXPECT_TRUE(g->Down());
    Press(VK_SPACE);
    EXPECT_TRUE(g->Down());  // the last of its group stays down
    g->SetAllowAllUp(true);
    Press(VK_SPACE);
    EXPECT_FALSE(g->Down());
    EXPECT_EQ(clicks[g], 3);
}

TEST_F(FxButton, TheFocusRectangleComesAndGoesWithTheFocus) {
    auto* edit = Put<TEdit>(200, 20, 100, 24);
    TFaceBtn* b = Button(20, 20, "Focus", 100, 40);
    b->SetOptions({boFocusable, boFocusRect});
    edit->SetFocus();
    At(b, 0, 0);
    const int face = CountPixels(b, b->ClientRect(), clYellow);
    Press(VK_TAB, {ssShift});
    ASSERT_TRUE(b->Focused());
    EXPECT_LT(CountPixels(b, b->ClientRect(), clYellow), face - 20);
    edit->SetFocus();
    At(b, 0, 0);
    EXPECT_EQ(CountPixels(b, b->ClientRect(), clYellow), face);
}

TEST_F(FxButton, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
    auto* edit = Put<TEdit>(200, 20, 100, 24);
    TFaceBtn* ok = Button(20, 20, "OK");
    TFaceBtn* cancel = Button(20, 60, "Cancel");
    TFaceBtn* other = Button(20, 100, "Other");
    other->SetOptions({boFocusable});
    ok->SetDefault(true);
    cancel->SetCancel(true);
    edit->SetFocus();
    Pump();
    EXPECT_TRUE(ok->IsActiveDefault());
    Press(VK_RETURN);
    EXPECT_EQ(clicks[ok], 1);
    Press(VK_ESCAPE);
    EXPECT_EQ(clicks[cancel], 1);
    Press(VK_RETURN, {ssShift});
    EXPECT_EQ(clicks[ok], 1);
    // While another decorated button holds the focus, Enter is that one's.
    other->SetFocus();
    Pump();
    EXPECT_FALSE(ok->IsActiveDefault());
    Press(VK_RETURN);
    EXPECT_EQ(clicks[ok], 1);
    EXPECT_EQ(clicks[other], 1);
    edit->SetFocus();
    Pump();
    Press(VK_RETURN);
    EXPECT_EQ(clicks[ok], 2);
    // No longer the default: Enter clicks nothing.
    ok->SetDefault(false);
    EXPECT_FALSE(ok->IsActiveDefault());
    Press(VK_RETURN);
    EXPECT_EQ(clicks[ok], 2);
}

TEST_F(FxButton, TheCaptionsAcceleratorClicks) {
    TFaceBtn* b = Button(20, 20, "&Go");
    Press('G', {ssAlt});
    EXPECT_EQ(clicks[b], 1);
    Press('X', {ssAlt});
    EXPECT_EQ(clicks[b], 1);
}

// Whichever button of a group latches, every other member runs SelChange
// (its OnSelChange and its change links), whether it goes up or was up.
TEST_F(FxButton, EveryOtherMemberOfAGroupHearsOfItsSelection) {
    TFaceBtn* a = Button(20, 20, "A");
    TFaceBtn* b = Button(20, 60, "B");
    TFaceBtn* c = Button(20, 100, "C");
    TFaceBtn* elsewhere = Button(120, 20, "D");
    std::map<const TControl*, int> sel;
    for (TFaceBtn* x : {a, b, c, elsewhere}) x->OnSelChange = [&sel, x](TObject*) { ++sel[x]; };
    for (TFaceBtn* x : {a, b, c}) x->SetGroupIndex(1);
    elsewhere->SetGroupIndex(2);
    TOwned<TfxChangeLink> link(Create<TfxChangeLink>());
    int linked = 0;
    link->OnChange = [&](TObject* sender) { linked += sender == c; };
    c->AddChangeLink(link.get());
    using Counts = std::map<const TControl*, int>;

    Click(a, 10, 10);
    EXPECT_EQ(sel, (Counts{{a, 1}, {b, 1}, {c, 1}}));
    EXPECT_EQ(linked, 1);
    Click(b, 10, 10);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_FALSE(c->Down());
    EXPECT_EQ(sel, (Counts{{a, 2}, {b, 2}, {c, 2}}));
    EXPECT_EQ(linked, 2);
    // Latched through the property: the others hear of it first.
    std::vector<const TControl*> order;
    for (TFaceBtn* x : {a, b, c}) x->OnSelChange = [&order, x](TObject*) { order.push_back(x); };
    c->SetDown(true);
    EXPECT_TRUE(c->Down());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(order, (std::vector<const TControl*>{a, b, c}));
    EXPECT_EQ(linked, 3);
    // Let up by a click: the group is told while it is still down, then it
    // goes up and tells its own change.
    c->SetAllowAllUp(true);
    order.clear();
    Click(c, 10, 10);
    EXPECT_FALSE(c->Down());
    EXPECT_EQ(order, (std::vector<const TControl*>{a, b, c}));
    c->RemoveChangeLink(link.get());
}

TEST_F(FxButton, AGroupLatchesOneButtonAndAllowAllUpLetsItUp) {
    TFaceBtn* a = Button(20, 20, "A");
    TFaceBtn* b = Button(20, 60, "B");
    TFaceBtn* loose = Button(20, 100, "C");
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    int aSel = 0, bSel = 0;
    a->OnSelChange = [&](TObject*) { ++aSel; };
    b->OnSelChange = [&](TObject*) { ++bSel; };
    Click(a, 10, 10);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(aSel, 1);
    EXPECT_EQ(bSel, 1);  // told, though it stays up
    Click(b, 10, 10);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(aSel, 2);
    EXPECT_EQ(bSel, 2);
    EXPECT_EQ(At(a, 3, 3), clYellow);
    EXPECT_EQ(At(b, 3, 3), Rgb(clGray));
    Click(b, 10, 10);
    EXPECT_TRUE(b->Down());  // pressing the latched one keeps it down
    b->SetAllowAllUp(true);
    Click(b, 10, 10);
    EXPECT_FALSE(b->Down());
    // Down through the property, and only in a group.
    a->SetDown(true);
    EXPECT_TRUE(a->Down());
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    loose->SetDown(true);
    EXPECT_FALSE(loose->Down());
    // A change link hears of every selection change.
    TOwned<TfxChangeLink> link(Create<TfxChangeLink>());
    int changed = 0;
    link->OnChange = [&](TObject* sender) { changed += sender == a; };
    a->AddChangeLink(link.get());
    a->SetDown(true);
    EXPECT_EQ(changed, 1);
    a->RemoveChangeLink(link.get());
    // Dragged off a latched button and released outside, it stays down.
    Down(a, 10, 10);
    MoveTo(a, 200, 10);
    EXPECT_TRUE(a->Down());
    Up();
    EXPECT_TRUE(a->Down());
}

TEST_F(FxButton, ToggleOnUpClicksOnReleaseAnywhereButNotOnARightClick) {
    TFaceBtn* b = Button(20, 20);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->SetOptions({boToggleOnUp});
    Down(b, 10, 10);
    EXPECT_FALSE(b->Down());  // nothing happens before the release
    MoveTo(b, 200, 10);
    Up();
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks[b], 1);
    synthetic::Click(ScreenAt(b, 10, 10), 2);
    Pump();
    EXPECT_EQ(clicks[b], 1);
    EXPECT_TRUE(b->Down());
    Click(b, 10, 10);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(clicks[b], 2);
}

TEST_F(FxButton, KindsSetCaptionGlyphResultAndDefaultOrCancel) {
    for (TBitBtnKind k : {bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll}) {
        TFaceBtn* b = Button(20, 20, "");
        b->SetKind(k);
        EXPECT_EQ(b->Kind(), k);
        EXPECT_EQ(b->Caption(), BitBtnKindCaption(k)) << int(k);
        EXPECT_EQ(b->ModalResult(), BitBtnKindModalResult(k)) << int(k);
        EXPECT_EQ(b->Default(), k == bkOK || k == bkYes) << int(k);
        EXPECT_EQ(b->Cancel(), k == bkCancel || k == bkNo) << int(k);
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Glyph()->Width(), BitBtnStockGlyph(k).Width());
        EXPECT_EQ(b->Glyph()->Height(), k == bkAll ? 19 : 18);
        EXPECT_FALSE(b->IsGlyphStored());
        EXPECT_FALSE(b->IsCaptionStored());
        b->Free();
    }
    TFaceBtn* ok = Button(20, 20, "");
    ok->SetKind(bkOK);
    Click(ok, 10, 10);
    EXPECT_EQ(form->ModalResult(), mrOk);
    ok->SetModalResult(mrCancel);
    EXPECT_EQ(ok->Kind(), bkCustom);  // silently a custom button now
    EXPECT_TRUE(ok->IsGlyphStored());
    EXPECT_TRUE(ok->IsCaptionStored());
    // Close closes the form.
    TFaceBtn* close = Button(20, 60, "");
    close->SetKind(bkClose);
    Click(close, 10, 10);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FxButton, AFormFileStoresOnlyWhatDiffersFromTheKind) {
    TForm* f = FormFromText(
        "object Holder: TForm\n"
        "  object btnOk: TFaceBtn\n"
        "    Caption = '确认'\n"
        "    Kind = bkOK\n"
        "  end\n"
        "  object btnCancel: TFaceBtn\n"
        "    Kind = bkCancel\n"
        "  end\n"
        "  object btnLatched: TFaceBtn\n"
        "    Down = True\n"
        "  end\n"
        "end\n",
        "Holder.form");
    auto* ok = Part<TFaceBtn>(f, "btnOk");
    auto* cancel = Part<TFaceBtn>(f, "btnCancel");
    EXPECT_EQ(ok->Caption(), "确认");  // read before the kind, it stays
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(cancel->Caption(), "Cancel");
    EXPECT_TRUE(Part<TFaceBtn>(f, "btnLatched")->Down());  // while loading, also outside a group
    const std::string text = WriteComponentText(f);
    EXPECT_NE(text.find("Caption = '确认'"), std::string::npos) << text;
    EXPECT_NE(text.find("Kind = bkOK"), std::string::npos) << text;
    EXPECT_NE(text.find("ShadeStyle = fbsNormal"), std::string::npos) << text;  // no stored default
    EXPECT_NE(text.find("TextOptions.Alignment = taCenter"), std::string::npos) << text;
    EXPECT_NE(text.find("TextOptions.VAlignment = vaVCenter"), std::string::npos) << text;
    for (const char* absent : {"Glyph.Data", "Caption = 'Cancel'", " Options =", "Offsets", "ShadeColors", "RegionData",
                               "Spacing", "Margin", "SmoothFont"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
}

TEST_F(FxButton, GlyphAndCaptionAreLaidOutAroundTheAnchor) {
    TFaceBtn* b = Button(20, 20, "Hello", 120, 40);
    TBitmap glyph = Strip({clRed});
    b->SetGlyph(&glyph);
    At(b, 0, 0);
    const TRect text = b->TextOptions()->CalcRect(true);
    const TSize ts{text.Width(), text.Height()};
    const int extent = 16 + 4 + ts.cx;
    // Centred: the block of glyph, spacing and caption around the middle.
    EXPECT_EQ(b->GlyphRect(), Bounds(60 - extent / 2, 20 - 17 / 2, 16, 16));
    EXPECT_EQ(b->CaptionRect().Left, 60 - extent / 2 + 20);
    EXPECT_EQ(At(b, b->GlyphRect().Left + 8, b->GlyphRect().Top + 8), clRed);
    EXPECT_GT(CountPixels(b, b->CaptionRect(), Rgb(clWindowText)), 10);
    // Left-aligned with the automatic margin: 4 pixels from the edge.
    b->TextOptions()->SetAlignment(taLeftJustify);
    At(b, 0, 0);
    EXPECT_EQ(b->GlyphRect().Left, 4);
    // Right-aligned with a margin of 6: the caption ends 6 from the right.
    b->TextOptions()->SetAlignment(taRightJustify);
    b->SetMargin(6);
    b->SetMargin(-2);  // refused
    EXPECT_EQ(b->Margin(), 6);
    At(b, 0, 0);
    EXPECT_EQ(b->CaptionRect().Right, 120 - 6 + extent % 2);
    // The glyph on the right.
    b->SetLayout(blGlyphRight);
    At(b, 0, 0);
    EXPECT_EQ(b->GlyphRect().Right, 120 - 6 + extent % 2);
    EXPECT_LT(b->CaptionRect().Right, b->GlyphRect().Left);
    // Offsets move each; while down both move by the down offsets.
    const TRect glyphUp = b->GlyphRect(), captionUp = b->CaptionRect();
    b->Offsets()->SetTextX(3);
    b->Offsets()->SetGlyphY(-2);
    At(b, 0, 0);
    EXPECT_EQ(b->CaptionRect(), OffsetRect(captionUp, 3, 0));
    EXPECT_EQ(b->GlyphRect(), OffsetRect(glyphUp, 0, -2));
    b->SetGroupIndex(1);
    b->SetDown(true);
    At(b, 0, 0);
    EXPECT_EQ(b->GlyphRect(), OffsetRect(glyphUp, 1, -1));
    // Without a glyph there is no spacing (the shared layout's rule for a
    // missing glyph then applies).
    TFaceBtn* bare = Button(20, 80, "Hello", 120, 40);
    At(bare, 0, 0);
    TRect expected;
    fxLayoutGlyphAndText({60, 20}, &expected, nullptr, 0, blGlyphLeft, {0, 0}, ts);
    EXPECT_EQ(bare->CaptionRect(), expected);
}

TEST_F(FxButton, TheGlyphImageFollowsTheState) {
    TFaceBtn* b = Button(20, 20, "", 40, 40);
    TBitmap four = Strip({clRed, clBlue, clLime, clFuchsia});
    b->SetGlyph(&four);
    b->SetNumGlyphs(4);
    b->SetGroupIndex(1);
    auto centre = [&] { return At(b, b->GlyphRect().Left + 8, b->GlyphRect().Top + 6); };
    MoveTo(form, 300, 250);
    EXPECT_EQ(centre(), clRed);
    MoveTo(b, 2, 2);
    EXPECT_EQ(centre(), clFuchsia);  // hot
    b->SetDown(true);
    EXPECT_EQ(centre(), clLime);
    b->SetEnabled(false);
    EXPECT_EQ(centre(), clBlue);
    // A disabled single image is embossed (its white pixels, by the shared
    // disabled look) and keyed on the face it leaves; with two images the
    // second shows.
    TBitmap one(16, 16);
    one.Fill(clOlive);
    one.Canvas().Brush().SetColor(clWhite);
    one.Canvas().FillRect({4, 3, 12, 11});
    b->SetGlyph(&one);
    b->SetNumGlyphs(1);
    EXPECT_EQ(centre(), Rgb(clBtnShadow));
    EXPECT_EQ(At(b, b->GlyphRect().Left + 12, b->GlyphRect().Top + 11), Rgb(clBtnHighlight));
    EXPECT_EQ(At(b, b->GlyphRect().Left, b->GlyphRect().Bottom - 1), Rgb(clGray));  // the face, down
    TBitmap two = Strip({clNavy, clBlue});
    b->SetGlyph(&two);
    b->SetNumGlyphs(2);
    EXPECT_EQ(centre(), clBlue);
    b->SetEnabled(true);
    b->SetDown(false);
    EXPECT_EQ(centre(), clNavy);
    // The transparent bottom row shows the face.
    EXPECT_EQ(At(b, b->GlyphRect().Left + 8, b->GlyphRect().Bottom - 1), clYellow);
}

TEST_F(FxButton, AClickOnAnInactiveWindowNeitherActivatesNorFocuses) {
    TFaceBtn* plain = Button(20, 20);
    TFaceBtn* focusable = Button(20, 60);
    focusable->SetOptions({boFocusable});
    TForm* other = Create<TForm>(Application);
    other->SetBounds(600, 100, 200, 150);
    other->Show();
    Pump();
    ASSERT_EQ(GetActiveWindow(), other->Handle());
    Click(plain, 10, 10);
    EXPECT_EQ(clicks[plain], 1);
    EXPECT_EQ(GetActiveWindow(), other->Handle());
    EXPECT_FALSE(plain->Focused());
    // A focusable one activates its form and takes the focus.
    Click(focusable, 10, 10);
    EXPECT_EQ(clicks[focusable], 1);
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    EXPECT_TRUE(focusable->Focused());
}

TEST_F(FxButton, TheRegionCacheIsEmptiedWhenTheSizeChanges) {
    TFaceBtn* b = Button(20, 20);
    b->regions = true;
    b->storeRegions = true;
    b->shape = [b](bool) { return std::optional<TRegion>(CreateEllipticRgn(0, 0, b->Width(), b->Height())); };
    b->SetWidth(81);
    EXPECT_EQ(b->made, 1);
    EXPECT_FALSE(b->RegionData(false).empty());
    EXPECT_EQ(GetWindowRgn(b->Handle()), CreateEllipticRgn(0, 0, 81, 30));
    // A new window takes the region from the cache.
    b->RecreateWnd();
    b->HandleNeeded();
    EXPECT_EQ(b->made, 1);
    EXPECT_EQ(GetWindowRgn(b->Handle()), CreateEllipticRgn(0, 0, 81, 30));
    // A new size empties it: the region is made again for the new size.
    b->SetBounds(20, 20, 100, 50);
    EXPECT_EQ(b->made, 2);
    EXPECT_EQ(GetWindowRgn(b->Handle()), CreateEllipticRgn(0, 0, 100, 50));
    // Corners outside the ellipse are no longer the button's.
    Click(b, 1, 1);
    EXPECT_EQ(clicks[b], 0);
    Click(b, 50, 25);
    EXPECT_EQ(clicks[b], 1);

    // The cache streams as region data and comes back without making.
    const std::string text = WriteComponentText(form);
    EXPECT_NE(text.find("RegionData = {"), std::string::npos) << text;
    EXPECT_NE(text.find("DownRegionData = {\n      00000000}"), std::string::npos) << text;
}

TEST_F(FxButton, AnEmptyRegionIsAnEmptyWindowNotAWholeOne) {
    TFaceBtn* b = Button(20, 20);
    b->regions = true;
    b->shape = [](bool) { return std::optional<TRegion>(TRegion()); };
    b->SetWidth(81);
    ASSERT_TRUE(b->Region().has_value());
    EXPECT_TRUE(b->Region()->IsEmpty());
    const std::optional<TRegion> window = GetWindowRgn(b->Handle());
    ASSERT_TRUE(window.has_value());
    EXPECT_TRUE(window->IsEmpty());
    EXPECT_NE(WindowFromPoint(ScreenAt(b, 40, 15)), b->Handle());
    Click(b, 40, 15);
    EXPECT_EQ(clicks[b], 0);
    // Its data is kept as an empty region, not as none.
    EXPECT_EQ(b->RegionData(false).size(), 32u);
    ASSERT_TRUE(b->CreateRegion(false, false).has_value());
    EXPECT_TRUE(b->CreateRegion(false, false)->IsEmpty());
    // Without regions the window is whole.
    b->regions = false;
    b->RecreateWnd();
    b->HandleNeeded();
    EXPECT_FALSE(GetWindowRgn(b->Handle()).has_value());
    Click(b, 40, 15);
    EXPECT_EQ(clicks[b], 1);
}

TEST_F(FxButton, RegionDataFromAFormFileIsChecked) {
    auto read = [&](const std::string& data) {
        return FormFromText(
            "object Holder: TForm\n"
            "  object btn: TFaceBtn\n"
            "    RegionData = {" +
                data +
                "}\n"
                "  end\n"
                "end\n",
            "Holder.form");
    };
    EXPECT_EQ(test::ErrorMessage<EReadError>([&] { read("FFFFFFFF"); }),
              "Holder.form:3: btn.RegionData: region data: the byte count -1 is negative");
    EXPECT_EQ(test::ErrorMessage<EReadError>([&] { read("10000000 0102"); }),
              "Holder.form:3: btn.RegionData: region data: the byte count says 16 bytes, 2 follow");
    EXPECT_EQ(test::ErrorMessage<EReadError>([&] { read("0100"); }),
              "Holder.form:3: btn.RegionData: region data: the byte count is missing");
    // Well sized but no region: dropped.
    TForm* bad = read("04000000 01020304");
    EXPECT_TRUE(Part<TFaceBtn>(bad, "btn")->RegionData(false).empty());
    // A region's own data: kept, and the button's region is that one.
    const TRegion square(TRect{2, 2, 10, 10});
    const std::vector<std::uint8_t> bytes = square.Data();
    const std::uint32_t n = std::uint32_t(bytes.size());
    TForm* good = read(Hex({std::uint8_t(n), std::uint8_t(n >> 8), 0, 0}) + Hex(bytes));
    auto* btn = Part<TFaceBtn>(good, "btn");
    EXPECT_EQ(btn->RegionData(false), bytes);
    EXPECT_EQ(btn->CreateRegion(false, false), square);
    EXPECT_EQ(btn->made, 0);
}

TEST_F(FxButton, AssignCopiesTheLook) {
    TFaceBtn* a = Button(20, 20);
    TFaceBtn* b = Button(20, 60);
    a->SetColor(clAqua);
    a->SetLayout(blGlyphTop);
    a->SetMargin(3);
    a->SetSpacing(7);
    a->SetNumGlyphs(3);
    a->SetOptions({boFocusable, boFocusRect});
    a->Offsets()->SetTextX(5);
    a->ShadeColors()->SetBtnFocus(clRed);
    a->TextOptions()->SetStyle(fxlsRaised);
    a->SetCaption("not copied");
    b->Assign(a);
    EXPECT_EQ(b->Color(), clAqua);
    EXPECT_EQ(b->Layout(), blGlyphTop);
    EXPECT_EQ(b->Margin(), 3);
    EXPECT_EQ(b->Spacing(), 7);
    EXPECT_EQ(b->NumGlyphs(), 3);
    EXPECT_EQ(b->Options(), (TfxButtonOptions{boFocusable, boFocusRect}));
    EXPECT_TRUE(b->TabStop());
    EXPECT_EQ(b->Offsets()->TextX(), 5);
    EXPECT_EQ(b->ShadeColors()->BtnFocus(), clRed);
    EXPECT_EQ(b->TextOptions()->Style(), fxlsRaised);
    EXPECT_EQ(b->Caption(), "Go");
    // Shade colours from one colour, in 50 percent steps.
    b->SetShadeColorsFrom(RGB(100, 100, 100));
    EXPECT_EQ(b->ShadeColors()->BtnShadow(), RGB(50, 50, 50));
    EXPECT_EQ(b->ShadeColors()->BtnBlack(), RGB(25, 25, 25));
    EXPECT_EQ(b->ShadeColors()->Btn3DLight(), RGB(177, 177, 177));
    EXPECT_EQ(b->ShadeColors()->BtnHighlight(), RGB(216, 216, 216));
}

}  // namespace menvaro
