// TCustomMemo / TMemo: text of several lines, read-only or editable, with
// the window's own scroll bars as ScrollBars asks.
//
// Lines is the memo's own string list; a change to it shows at once. Text
// is the lines joined by CR LF (no line break after the last). The caret
// stands at a line and a byte of it, always on a character boundary. The
// keyboard: arrows, Home and End (Ctrl: the text's start and end), Page Up
// and Page Down; typing, Backspace, Delete and Enter (with WantReturns)
// edit unless ReadOnly, which beeps instead. The mouse places the caret;
// the wheel scrolls three lines. Lines are not wrapped.
#pragma once

#include <memory>
#include <string>

#include "base/StringList.h"
#include "ui/Controls.h"

namespace menvaro {

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
MENVARO_DECLARE_ENUM(TScrollStyle)

class TCustomMemo : public TWinControl {
    MENVARO_CLASS(TCustomMemo, TWinControl)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStringList* Lines() const { return lines_.get(); }
    void SetLines(const TStringList* lines);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

    // The caret: its line and its byte in that line.
    TPoint CaretPos() const { return {caretCol_, caretLine_}; }
    void SetCaretPos(TPoint p);
    // The first line shown and the first pixel column shown.
    int TopLine() const { return topLine_; }
    int ScrollLeft() const { return scrollLeft_; }
    // The height of a line in the font, and how many whole lines show.
    int LineHeight() const;
    int VisibleLines() const;

    TNotifyEvent OnChange;

    void SetText(const std::string& s) override;
    void Dispatch(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    LRESULT DefWndProc(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    virtual void Change();

private:
    void LinesChanged();
    void Edited();
    bool MemoKeyDown(std::uint16_t key, TShiftState shift);
    void MemoChar(unsigned char ch);
    void InsertText(const std::string& s);
    void DeleteBack();
    void DeleteForward();
    void MoveCaret(int line, int col);
    void EnsureCaretVisible();
    void ScrollTo(int top, int left);
    void UpdateScrollBars();
    void PlaceCaret();
    int MaxTop() const;
    int WidestLine() const;
    int XOfCol(int line, int col) const;
    int ColFromX(int line, int x) const;
    TRect TextRect() const;
    std::string LineAt(int i) const;

    std::unique_ptr<TStringList> lines_;
    std::unique_ptr<TCanvas> canvas_;
    bool readOnly_ = false;
    bool wantReturns_ = true;
    TScrollStyle scrollBars_ = ssNone;
    TBorderStyle borderStyle_ = bsSingle;
    bool modified_ = false;
    int caretLine_ = 0;
    int caretCol_ = 0;
    int wantX_ = -1;  // the column up and down keep to
    int topLine_ = 0;
    int scrollLeft_ = 0;
    bool ownsCaret_ = false;
    int quiet_ = 0;  // changes of our own to Lines, already shown
};

class TMemo : public TCustomMemo {
    MENVARO_CLASS(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};

}  // namespace menvaro
