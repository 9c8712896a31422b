// Standard controls: the label (TCustomLabel / TLabel), the push button
// (TButtonControl / TButton) and the single-line edit (TCustomEdit / TEdit).
//
// The edit stands for a built-in window kind: its editing behaviour (caret,
// selection, clipboard, undo, limits) is the window's own default answer to
// messages, in DefWndProc, so that a descendant sees every message first and
// can take it, change it or pass it on; the editing rules themselves are a
// TEditBuffer's. Positions in the text (SelStart, EM_GETSEL) count bytes of
// the UTF-8 text and always fall on character boundaries; a character is
// never split, as a double-byte character never is. Typed text arrives one
// byte a WM_CHAR and is put together there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/EditBuffer.h"
#include "ui/Forms.h"

namespace menvaro {

enum TTextLayout { tlTop, tlCenter, tlBottom };
MENVARO_DECLARE_ENUM(TTextLayout)

// ------------------------------------------------------------------ label

class TCustomLabel : public TGraphicControl {
    MENVARO_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    // A transparent label paints only its text; the parent shows around it.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    // The control that the caption's accelerator ("&x") focuses.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c);

    void SetAutoSize(bool v) override;
    void Dispatch(TMessage& m) override;
    void Loaded() override;

protected:
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption in `rect`.
    virtual void DoDrawText(TRect& rect, unsigned flags);
    virtual std::string GetLabelText() const { return Caption(); }
    // Fits the bounds to the caption when AutoSize is on (a right-aligned
    // label keeps its right edge, a word-wrapped one its width).
    virtual void AdjustBounds();
    void Notification(TComponent* component, TOperation operation) override;

private:
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
    MENVARO_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ----------------------------------------------------------------- button

class TButtonControl : public TWinControl {
    MENVARO_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* owner);
};

// A push button: pressed by the mouse or Space, clicked by Enter when it is
// the form's default button (or the focused button), by Esc when it is the
// cancel button, and by its caption's accelerator. A click hands ModalResult
// to the parent form.
class TButton : public TButtonControl {
    MENVARO_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* owner);
    ~TButton() override;

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    // Enter clicks this button now: it is focused, or it is the default one
    // and no other button is focused.
    bool IsActiveDefault() const { return active_; }
    // Drawn pressed (mouse held inside, or Space held).
    bool Pressed() const { return pressed_; }

    void Click() override;
    void Dispatch(TMessage& m) override;

protected:
    void PaintWindow(HDC dc) override;
    // Draws what sits on the face (the caption) inside `r`; `pressed`
    // moves it by a pixel.
    virtual void DrawFace(TCanvas& canvas, const TRect& r, bool pressed);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyUp(std::uint16_t& key, TShiftState shift) override;

private:
    void SetPressed(bool v);
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    bool active_ = false;
    bool pressed_ = false;
    bool mouseDown_ = false;
    bool spaceDown_ = false;
    std::unique_ptr<TCanvas> canvas_;
};

// Owner-drawn buttons (BS_OWNERDRAW in the style): the control paints the
// whole window itself when it receives CN_DRAWITEM with a TDrawItemStruct
// (lParam), and answers CN_MEASUREITEM with a TMeasureItemStruct.
enum : std::uint32_t { BS_PUSHBUTTON = 0x00, BS_DEFPUSHBUTTON = 0x01, BS_OWNERDRAW = 0x0B };
enum : UINT { ODT_BUTTON = 4 };
enum : UINT { ODA_DRAWENTIRE = 0x1, ODA_SELECT = 0x2, ODA_FOCUS = 0x4 };
enum : UINT { ODS_SELECTED = 0x1, ODS_DISABLED = 0x4, ODS_FOCUS = 0x10 };
struct TDrawItemStruct {
    UINT CtlType = ODT_BUTTON;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    HWND hwndItem = 0;
    HDC hDC = nullptr;
    TRect rcItem;
};
struct TMeasureItemStruct {
    UINT CtlType = ODT_BUTTON;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
};

// ------------------------------------------------------------------- edit

// Edit messages and notifications (the numbers the controls' code uses).
enum : UINT {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SETRECTNP = 0x00B4,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_REPLACESEL = 0x00C2,
    EM_LIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_SETPASSWORDCHAR = 0x00CC,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_GETPASSWORDCHAR = 0x00D2,
    EM_SETMARGINS = 0x00D3,
    EM_GETMARGINS = 0x00D4,
    EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,
};
enum : std::uint16_t { EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300, EN_MAXTEXT = 0x0501 };
enum : WPARAM { EC_LEFTMARGIN = 0x0001, EC_RIGHTMARGIN = 0x0002 };
// Edit styles (low word of the window style).
enum : std::uint32_t {
    ES_LEFT = 0x0000,
    ES_CENTER = 0x0001,
    ES_RIGHT = 0x0002,
    ES_MULTILINE = 0x0004,
    ES_UPPERCASE = 0x0008,
    ES_LOWERCASE = 0x0010,
    ES_PASSWORD = 0x0020,
    ES_AUTOHSCROLL = 0x0080,
    ES_NOHIDESEL = 0x0100,
    ES_READONLY = 0x0800,
};

class TCustomEdit : public TWinControl {
    MENVARO_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    // Selects everything when the focus arrives by the keyboard.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    TEditCharCase CharCase() const { return buffer_.CharCase(); }
    void SetCharCase(TEditCharCase c);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);
    // At most this many bytes of text; 0 is no limit. Typing and pasting
    // stop there (a character that does not fit is left out whole); text
    // set by the program is not cut.
    int MaxLength() const { return buffer_.MaxLength(); }
    void SetMaxLength(int v);
    char PasswordChar() const { return buffer_.PasswordChar(); }
    void SetPasswordChar(char c);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool Modified() const { return buffer_.Modified(); }
    void SetModified(bool v) { buffer_.SetModified(v); }

    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    // Replaces the selection (not refused by ReadOnly: it is the program's).
    void SetSelText(const std::string& s);
    void Select(int start, int length);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();
    void ClearUndo();
    void Clear() { SetText(std::string()); }

    // The caret's byte position; the selection runs between it and the anchor.
    int CaretPos() const { return buffer_.CaretPos(); }
    // The first visible pixel column of the text (horizontal scrolling).
    int ScrollOffset() const { return scroll_; }
    // The rectangle the text is laid out in, in client coordinates.
    TRect EditRect() const;

    TNotifyEvent OnChange;

    void SetText(const std::string& s) override;
    void SetAutoSize(bool v) override;
    void Dispatch(TMessage& m) override;
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    LRESULT DefWndProc(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    void DoEnter() override;
    // Every change of the text (typed or set): OnChange.
    virtual void Change();
    bool CanAutoSize(int& width, int& height) override;
    // The editing core, for a descendant with editing rules of its own (a
    // mask's), and showing what an operation on it did.
    TEditBuffer& Buffer() { return buffer_; }
    const TEditBuffer& Buffer() const { return buffer_; }
    void ShowEditResult(const TEditResult& r) { ShowResult(r); }

private:
    struct State;
    LRESULT Send(UINT msg, WPARAM w, LPARAM l);
    void ApplyStyleBits(std::uint32_t style);
    bool EditKeyDown(std::uint16_t key, TShiftState shift);
    void EditChar(unsigned char ch);
    // Shows what the buffer did: the beep, the new text and caret, the change told.
    void ShowResult(const TEditResult& r);
    void SyncText();
    void EnsureCaretVisible();
    void NotifyChanged();
    int ByteFromX(int x);
    int XOfByte(int pos);
    void MakeCaret();
    void DropCaret();
    void PlaceCaret();
    void UpdateHeight();

    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    bool hideSelection_ = true;
    // The property; the buffer's ReadOnly is the window's state, which
    // EM_SETREADONLY and the window style can set apart from it.
    bool readOnly_ = false;
    int scroll_ = 0;
    bool selecting_ = false;  // the mouse is selecting
    TEditBuffer buffer_;
    std::unique_ptr<State> s_;
    std::unique_ptr<TCanvas> canvas_;
};

class TEdit : public TCustomEdit {
    MENVARO_CLASS(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

// -------------------------------------------------------------- group box

// A frame with a caption in its top edge that holds other controls; they
// are laid out inside the frame, below the caption's line.
class TCustomGroupBox : public TCustomControl {
    MENVARO_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* owner);
    void Dispatch(TMessage& m) override;

protected:
    void AdjustClientRect(TRect& rect) override;
    // The frame, from half the caption's height (the height of "0") less
    // one down to the bottom: etched with Ctl3D, else a line in
    // clWindowFrame. Then a caption that is not empty.
    void Paint() override;
    // Draws the caption, whose text takes `r` (8 pixels in from the left,
    // from the right with right-to-left alignment), with the canvas font:
    // on a strip of Color over the frame, disabled in clGrayText.
    virtual void PaintCaption(TCanvas& canvas, TRect r);
};

class TGroupBox : public TCustomGroupBox {
    MENVARO_CLASS(TGroupBox, TCustomGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

}  // namespace menvaro
