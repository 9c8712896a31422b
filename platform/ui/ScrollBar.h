// TScrollBar: the scroll-bar control. Its window is the system's scroll
// bar (ScrollBarControlProc); the control keeps Min, Max, Position and
// PageSize, moves Position by SmallChange and LargeChange when the user
// scrolls, and tells by OnScroll (which may change the new position) and
// OnChange.
#pragma once

#include "ui/Controls.h"

namespace menvaro {

enum TScrollBarKind { sbHorizontal, sbVertical };
MENVARO_DECLARE_ENUM(TScrollBarKind)
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
MENVARO_DECLARE_ENUM(TScrollCode)
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
    MENVARO_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* owner);

    // Changing the kind turns the control: width and height trade places.
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind k);
    int Min() const { return min_; }
    void SetMin(int v) { SetParams(position_, v, max_); }
    int Max() const { return max_; }
    void SetMax(int v) { SetParams(position_, min_, v); }
    int Position() const { return position_; }
    void SetPosition(int v) { SetParams(v, min_, max_); }
    // The part of the range one page shows (the thumb's share); 0 is none.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int v) { smallChange_ = v; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int v) { largeChange_ = v; }
    // The position is kept within min..max; a max below min raises
    // EInvalidOperation.
    void SetParams(int position, int min, int max);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT DefWndProc(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    virtual void Change();
    virtual void Scroll(TScrollCode code, int& pos);

private:
    void SendInfo();
    void DoScroll(const TMessage& m);

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int pageSize_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
};

}  // namespace menvaro
