#include <gtest/gtest.h>

#include "testsupport/ErrorMessage.h"
#include "testsupport/UiTest.h"
#include "ui/ScrollBar.h"

namespace menvaro {
namespace {

// A horizontal bar 200 x 17 from 0 to 100: arrows 17 wide at both ends.
class ScrollBarTest : public ControlTest {
protected:
    TScrollBar* MakeBar() {
        auto* sb = Put<TScrollBar>(10, 10, 200, 17);
        sb->SetLargeChange(10);
        sb->OnChange = [this](TObject*) { ++changes; };
        sb->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
            codes.push_back(code);
            if (limit >= 0) pos = std::min(pos, limit);
        };
        Pump();
        return sb;
    }
    TScrollBarLayout Layout(TScrollBar* sb) {
        TScrollInfo info;
        GetScrollInfo(sb->Handle(), SB_CTL, info);
        return LayoutScrollBar(sb->ClientRect(), false, info);
    }
    int changes = 0;
    std::vector<TScrollCode> codes;
    int limit = -1;
};

TEST_F(ScrollBarTest, ArrowsAndTheTrackMoveThePositionBySmallAndLargeChange) {
    TScrollBar* sb = MakeBar();
    Click(sb, 200 - 8, 8);
    EXPECT_EQ(sb->Position(), 1);
    EXPECT_EQ(codes, (std::vector<TScrollCode>{scLineDown, scEndScroll}));
    Click(sb, 170, 8);  // right of the thumb
    EXPECT_EQ(sb->Position(), 11);
    Click(sb, 8, 8);
    EXPECT_EQ(sb->Position(), 10);
    Click(sb, 18, 8);  // left of the thumb
    EXPECT_EQ(sb->Position(), 0);
    Click(sb, 8, 8);  // nothing left to go
    EXPECT_EQ(sb->Position(), 0);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(GetScrollPos(sb->Handle(), SB_CTL), 0);
}

TEST_F(ScrollBarTest, TheThumbFollowsTheMouseAndOnScrollMayHoldItBack) {
    TScrollBar* sb = MakeBar();
    limit = 50;
    TScrollBarLayout l = Layout(sb);
    ASSERT_FALSE(l.Thumb.IsEmpty());
    synthetic::MouseMove(ScreenAt(sb, l.Thumb.Left + 2, 8));
    synthetic::MouseDown();
    Pump();
    EXPECT_EQ(GetCapture(), sb->Handle());
    synthetic::MouseMove(ScreenAt(sb, l.Track.Left + (l.Track.Width() - l.Thumb.Width()) / 2 + 2, 8));
    Pump();
    EXPECT_EQ(sb->Position(), 50);
    synthetic::MouseMove(ScreenAt(sb, 400, 8));  // the whole way, beyond the bar
    Pump();
    EXPECT_EQ(sb->Position(), 50);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), scTrack);
    synthetic::MouseUp();
    Pump();
    EXPECT_EQ(codes[codes.size() - 2], scPosition);
    EXPECT_EQ(codes.back(), scEndScroll);
    EXPECT_EQ(sb->Position(), 50);
    EXPECT_EQ(GetCapture(), HWND(0));
}

TEST_F(ScrollBarTest, TheKeysScrollAFocusedBar) {
    TScrollBar* sb = MakeBar();
    sb->SetFocus();
    Pump();
    Press(VK_RIGHT);
    Press(VK_RIGHT);
    EXPECT_EQ(sb->Position(), 2);
    Press(VK_NEXT);
    EXPECT_EQ(sb->Position(), 12);
    Press(VK_END);
    EXPECT_EQ(sb->Position(), 100);
    Press(VK_HOME);
    EXPECT_EQ(sb->Position(), 0);
    Press(VK_LEFT);
    EXPECT_EQ(sb->Position(), 0);
}

TEST_F(ScrollBarTest, ParamsKeepThePositionInTheRangeAndRefuseAnUpsideDownOne) {
    TScrollBar* sb = MakeBar();
    sb->SetParams(150, 0, 120);
    EXPECT_EQ(sb->Position(), 120);
    EXPECT_EQ(changes, 1);
    sb->SetParams(120, 0, 120);
    EXPECT_EQ(changes, 1);
    EXPECT_THROW(sb->SetMin(130), EInvalidOperation);
    EXPECT_EQ(sb->Min(), 0);
    EXPECT_EQ(test::ErrorMessage<EInvalidOperation>([&] { sb->SetParams(0, 10, 5); }),
              "Scrollbar property out of range");
    // A page shows as the thumb's share of the track.
    sb->SetParams(0, 0, 99);
    sb->SetPageSize(50);
    TScrollBarLayout l = Layout(sb);
    EXPECT_EQ(l.Thumb.Width(), l.Track.Width() / 2);
    sb->SetPageSize(500);
    EXPECT_EQ(sb->PageSize(), 50);
}

TEST_F(ScrollBarTest, AVerticalBarTurnsAndScrollsDown) {
    TScrollBar* sb = MakeBar();
    sb->SetKind(sbVertical);
    EXPECT_EQ(sb->Width(), 17);
    EXPECT_EQ(sb->Height(), 200);
    Pump();
    Click(sb, 8, 200 - 8);
    EXPECT_EQ(sb->Position(), 1);
    EXPECT_EQ(codes.front(), scLineDown);
}

TEST_F(ScrollBarTest, ADisabledBarGreysItsArrows) {
    TScrollBar* sb = MakeBar();
    // Inside the arrow's edges.
    auto count = [&](TColor c) { return CountPixels(sb, Bounds(2, 2, 13, 13), Rgb(c)); };
    Pump();
    const int text = count(clBtnText), shadow = count(clBtnShadow);
    EXPECT_GT(text, 5);
    sb->SetEnabled(false);
    Pump();
    EXPECT_EQ(count(clBtnText), 0);
    EXPECT_EQ(count(clBtnShadow), shadow + text);
}

}  // namespace
}  // namespace menvaro
