// TCustomEdit: the single-line edit window. Its editing is the window's own
// default behaviour (DefWndProc) over a TEditBuffer; the properties and
// methods of the class reach it through the same state the edit messages
// change.
#include <algorithm>

#include "classes/ClassBuilder.h"
#include "ui/StdCtrls.h"

namespace menvaro {

namespace {

// Where a line of text starts in `r`.
int TextLeft(const TRect& r, int textWidth, std::uint32_t align, int scroll) {
    if (textWidth < r.Width() && align != ES_LEFT)
        return align == ES_RIGHT ? r.Right - textWidth - 1 : r.Left + (r.Width() - textWidth) / 2;
    return r.Left - scroll;
}

// The system's clipboard, as the buffer takes it.
class TSystemClipboard final : public TEditClipboard {
public:
    std::string Text() override { return GetClipboardText(); }
    void SetText(const std::string& text) override { SetClipboardText(text); }
};

}  // namespace

struct TCustomEdit::State {
    std::uint32_t align = ES_LEFT;
    bool hasFormatRect = false;
    TRect formatRect;
    int leftMargin = 1;
    int rightMargin = 1;
    bool ownsCaret = false;  // the window's caret is this edit's
};

MENVARO_CLASS_INFO(TCustomEdit) {
    c.Prop("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
    c.Redeclare("AutoSize").Default(true);
    c.Prop("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
    c.Prop("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
    c.Prop("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
    c.Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    c.Prop("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default('\0');
    c.Prop("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
    c.Redeclare("TabStop").Default(true);
    c.Prop("Text", &TControl::Text, &TCustomEdit::SetText);
    c.Event("OnChange", &TCustomEdit::OnChange);
}

MENVARO_CLASS_INFO(TEdit) {}

TCustomEdit::TCustomEdit(TComponent* owner)
    : TWinControl(owner), s_(std::make_unique<State>()), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetAutoSize(true);
}

TCustomEdit::~TCustomEdit() = default;

// ---------------------------------------------------------------- window

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= ES_AUTOHSCROLL;
    if (!hideSelection_) p.Style |= ES_NOHIDESEL;
    if (PasswordChar()) p.Style |= ES_PASSWORD;
    if (readOnly_) p.Style |= ES_READONLY;
    if (CharCase() == ecUpperCase) p.Style |= ES_UPPERCASE;
    if (CharCase() == ecLowerCase) p.Style |= ES_LOWERCASE;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyStyleBits(GetWindowLong(WindowHandle(), GWL_STYLE));
    if (Focused()) MakeCaret();
}

void TCustomEdit::DestroyWnd() {
    DropCaret();
    TWinControl::DestroyWnd();
}

void TCustomEdit::ApplyStyleBits(std::uint32_t style) {
    s_->align = style & (ES_CENTER | ES_RIGHT);
    buffer_.SetReadOnly(readOnly_ || (style & ES_READONLY) != 0);
}

// The window's caret while it has the focus: one pixel wide, a line high.
void TCustomEdit::MakeCaret() {
    if (!HandleAllocated()) return;
    canvas_->Font().Assign(*Font());
    s_->ownsCaret = CreateCaret(WindowHandle(), 1, canvas_->TextMetrics().Height);
    PlaceCaret();
    ShowCaret(WindowHandle());
}

void TCustomEdit::DropCaret() {
    if (s_->ownsCaret) DestroyCaret();
    s_->ownsCaret = false;
}

// Where the caret stands in the text, as the painting puts the text.
void TCustomEdit::PlaceCaret() {
    if (!s_->ownsCaret) return;
    canvas_->Font().Assign(*Font());
    TRect r = EditRect();
    int lineH = canvas_->TextMetrics().Height;
    int left = TextLeft(r, XOfByte(static_cast<int>(Text().size())), s_->align, scroll_);
    SetCaretPos(left + XOfByte(CaretPos()), r.Top + std::max(0, (r.Height() - lineH) / 2));
}

void TCustomEdit::Loaded() {
    TWinControl::Loaded();
    AdjustSize();
}

bool TCustomEdit::CanAutoSize(int& width, int& height) {
    if (borderStyle_ != bsSingle) return false;
    canvas_->Font().Assign(*Font());
    height = canvas_->TextMetrics().Height + (Ctl3D() ? 8 : 6);
    (void)width;
    return true;
}

void TCustomEdit::SetAutoSize(bool v) {
    if (v == AutoSize()) return;
    TWinControl::SetAutoSize(v);
}

void TCustomEdit::UpdateHeight() { AdjustSize(); }

// -------------------------------------------------------------- properties

void TCustomEdit::SetBorderStyle(TBorderStyle s) {
    if (s != bsNone && s != bsSingle) s = bsSingle;
    if (s == borderStyle_) return;
    borderStyle_ = s;
    RecreateWnd();
    UpdateHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase c) {
    if (c == CharCase()) return;
    if (buffer_.SetCharCase(c)) {
        SyncText();
        Perform(CM_TEXTCHANGED, 0, 0);
        NotifyChanged();
    }
    Invalidate();
}

void TCustomEdit::SetHideSelection(bool v) {
    if (v == hideSelection_) return;
    hideSelection_ = v;
    Invalidate();
}

void TCustomEdit::SetMaxLength(int v) {
    if (v < 0) v = 0;
    if (v == MaxLength()) return;
    Send(EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomEdit::SetPasswordChar(char c) {
    if (c == PasswordChar()) return;
    Send(EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
    if (v == readOnly_) return;
    readOnly_ = v;
    Send(EM_SETREADONLY, v ? 1 : 0, 0);
}

// The window's state changes with or without the window: without one the
// message goes straight to the edit's own handling.
LRESULT TCustomEdit::Send(UINT msg, WPARAM w, LPARAM l) {
    if (HandleAllocated()) return Perform(msg, w, l);
    TMessage m{msg, w, l, 0};
    return DefWndProc(m);
}

void TCustomEdit::SetText(const std::string& raw) {
    if (!buffer_.SetText(raw)) return;
    SyncText();
    scroll_ = 0;
    PlaceCaret();
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
    NotifyChanged();
}

// The control's text is the buffer's.
void TCustomEdit::SyncText() {
    SetTextSilently(buffer_.Text());
    if (HandleAllocated()) SetWindowText(WindowHandle(), buffer_.Text());
}

void TCustomEdit::NotifyChanged() {
    // The window tells its control as the class library's reflected
    // notification; nothing is told before the window exists or while loading.
    if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
    Perform(CN_COMMAND, MakeWParam(0, EN_CHANGE), static_cast<LPARAM>(WindowHandle()));
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- selection

int TCustomEdit::SelStart() const { return buffer_.SelStart(); }
int TCustomEdit::SelLength() const { return buffer_.SelLength(); }
std::string TCustomEdit::SelText() const { return buffer_.SelText(); }

void TCustomEdit::SetSelStart(int v) { Send(EM_SETSEL, static_cast<WPARAM>(v), v); }

void TCustomEdit::SetSelLength(int v) { Select(SelStart(), v); }

void TCustomEdit::Select(int start, int length) {
    // Summed wide: a length of "as much as there is" must not overflow.
    Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start) + std::max(0, length));
}

void TCustomEdit::SelectAll() { Send(EM_SETSEL, 0, -1); }

void TCustomEdit::SetSelText(const std::string& s) { Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(s.c_str())); }

void TCustomEdit::ClearSelection() { Send(WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { Send(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Send(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Send(WM_PASTE, 0, 0); }
bool TCustomEdit::CanUndo() const { return buffer_.CanUndo(); }
void TCustomEdit::Undo() { Send(WM_UNDO, 0, 0); }
void TCustomEdit::ClearUndo() { Send(EM_EMPTYUNDOBUFFER, 0, 0); }

// ----------------------------------------------------------------- editing

void TCustomEdit::ShowResult(const TEditResult& r) {
    if (r.beep) MessageBeep(0);
    if (!r.textChanged && !r.caretPlaced) return;
    if (r.textChanged) SyncText();
    EnsureCaretVisible();
    Invalidate();
    if (!r.textChanged) return;
    Perform(CM_TEXTCHANGED, 0, 0);
    NotifyChanged();
}

void TCustomEdit::EditChar(unsigned char ch) {
    ShowResult(buffer_.TypeByte(ch));
    // The shortcuts go as messages, so that a descendant sees them.
    switch (ch) {
        case 1: SelectAll(); return;            // Ctrl+A
        case 3: CopyToClipboard(); return;      // Ctrl+C
        case 22: PasteFromClipboard(); return;  // Ctrl+V
        case 24: CutToClipboard(); return;      // Ctrl+X
        case 26: Undo(); return;                // Ctrl+Z
        default: return;
    }
}

bool TCustomEdit::EditKeyDown(std::uint16_t key, TShiftState shift) {
    bool ext = shift.Contains(ssShift);
    bool ctrl = shift.Contains(ssCtrl);
    switch (key) {
        case VK_LEFT:
        case VK_UP: ShowResult(buffer_.MoveLeft(ctrl, ext)); return true;
        case VK_RIGHT:
        case VK_DOWN: ShowResult(buffer_.MoveRight(ctrl, ext)); return true;
        case VK_HOME: ShowResult(buffer_.MoveHome(ext)); return true;
        case VK_END: ShowResult(buffer_.MoveEnd(ext)); return true;
        case VK_DELETE:
            if (ext)
                CutToClipboard();
            else
                ShowResult(buffer_.Delete());
            return true;
        case VK_INSERT:
            if (ctrl) CopyToClipboard();
            if (ext) PasteFromClipboard();
            return ctrl || ext;
        default: return false;
    }
}

// ---------------------------------------------------------------- geometry

TRect TCustomEdit::EditRect() const {
    if (s_->hasFormatRect) return s_->formatRect;
    TRect r = ClientRect();
    r.Left += s_->leftMargin;
    r.Right -= s_->rightMargin;
    return r;
}

// Pixel offset of byte `pos` from the start of the text.
int TCustomEdit::XOfByte(int pos) {
    canvas_->Font().Assign(*Font());
    pos = buffer_.Boundary(pos);
    if (PasswordChar()) return buffer_.CharsBefore(pos) * canvas_->TextWidth(std::string(1, PasswordChar()));
    return canvas_->TextWidth(std::string_view(Text()).substr(0, static_cast<std::size_t>(pos)));
}

// The character boundary nearest to client x.
int TCustomEdit::ByteFromX(int x) {
    const std::string& t = Text();
    TRect r = EditRect();
    int left = TextLeft(r, XOfByte(static_cast<int>(t.size())), s_->align, scroll_);
    int prevPos = 0, prevX = 0;
    for (int pos = 0;;) {
        int px = left + XOfByte(pos);
        if (px >= x) return (pos > 0 && x - (left + prevX) < px - x) ? prevPos : pos;
        if (pos >= static_cast<int>(t.size())) return pos;
        prevPos = pos;
        prevX = px - left;
        pos = buffer_.NextChar(pos);
    }
}

void TCustomEdit::EnsureCaretVisible() {
    TRect r = EditRect();
    int w = std::max(1, r.Width());
    int total = XOfByte(static_cast<int>(Text().size()));
    int cx = XOfByte(CaretPos());
    if (total < w) {
        scroll_ = 0;
    } else {
        if (cx - scroll_ > w - 1) scroll_ = cx - w * 3 / 4;
        if (cx < scroll_) scroll_ = cx - w / 4;
        scroll_ = std::clamp(scroll_, 0, std::max(0, total - w + 1));
    }
    PlaceCaret();
}

// ----------------------------------------------------------------- painting

void TCustomEdit::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    TCanvasOnDC bound(c, dc, this);
    TRect client = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(client);
    TRect r = EditRect();
    const std::string shown = buffer_.DisplayText();
    int total = c.TextWidth(shown);
    int lineH = c.TextMetrics().Height;
    int left = TextLeft(r, total, s_->align, scroll_);
    int top = r.Top + std::max(0, (r.Height() - lineH) / 2);
    bool focused = Focused();
    {
        TCanvasStateSaver saved(c);
        c.IntersectClipRect(r);
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(Enabled() ? Font()->Color() : clGrayText);
        c.TextOut(left, top, shown);
        if (SelLength() > 0 && (focused || !hideSelection_)) {
            int x1 = left + XOfByte(SelStart());
            int x2 = left + XOfByte(SelStart() + SelLength());
            TRect sel{x1, top, x2, top + lineH};
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(focused ? clHighlight : clBtnFace);
            c.FillRect(sel);
            c.IntersectClipRect(sel);
            c.Brush().SetStyle(bsClear);
            c.Font().SetColor(focused ? clHighlightText : Font()->Color());
            c.TextOut(left, top, shown);
        }
    }
    TRect caret;
    if (focused && GetCaretShownRect(WindowHandle(), caret)) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Font()->Color());
        IntersectRect(caret, caret, client);
        c.FillRect(caret);
    }
}

// ------------------------------------------------------------------ messages

void TCustomEdit::DoEnter() {
    if (autoSelect_ && !ControlState().Contains(csLButtonDown) && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // The window's own handling (caret, focus) comes before the
            // control's mouse events, and knows that the button is down.
            SetControlState(ControlState() + csLButtonDown);
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case CN_COMMAND:
            if (HiWord(m.WParam) == EN_CHANGE) Change();
            return;
        case CM_FONTCHANGED:
            TWinControl::Dispatch(m);
            UpdateHeight();
            return;
        case CM_CTL3DCHANGED:
            RecreateWnd();
            UpdateHeight();
            TWinControl::Dispatch(m);
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        default: TWinControl::Dispatch(m);
    }
}

LRESULT TCustomEdit::DefWndProc(TMessage& m) {
    State& s = *s_;
    switch (m.Msg) {
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        case WM_CHAR: EditChar(static_cast<unsigned char>(m.WParam & 0xFF)); return 0;
        case WM_KEYDOWN:
            if (EditKeyDown(static_cast<std::uint16_t>(m.WParam), GetShiftState())) return 0;
            break;
        case WM_SETFOCUS:
            MakeCaret();
            Invalidate();
            return 0;
        case WM_KILLFOCUS:
            DropCaret();
            selecting_ = false;
            Invalidate();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!Focused() && CanFocus()) SetFocus();
            int pos = ByteFromX(GetXLParam(m.LParam));
            if (m.Msg == WM_LBUTTONDBLCLK) {
                ShowResult(buffer_.SelectWordAt(pos));
                return 0;
            }
            ShowResult(buffer_.SetCaret(pos, (m.WParam & MK_SHIFT) != 0));
            selecting_ = true;
            return 0;
        }
        case WM_MOUSEMOVE:
            if (selecting_ && (m.WParam & MK_LBUTTON))
                ShowResult(buffer_.SetCaret(ByteFromX(GetXLParam(m.LParam)), true));
            return 0;
        case WM_LBUTTONUP:
        case WM_CANCELMODE: selecting_ = false; break;
        case WM_SIZE:
            EnsureCaretVisible();
            Invalidate();
            break;
        case EM_GETSEL: {
            int a = SelStart(), b = SelStart() + SelLength();
            if (m.WParam) *reinterpret_cast<int*>(m.WParam) = a;
            if (m.LParam) *reinterpret_cast<int*>(m.LParam) = b;
            return static_cast<LRESULT>(MakeWParam(a, b));
        }
        case EM_SETSEL: ShowResult(buffer_.Select(static_cast<std::intptr_t>(m.WParam), m.LParam)); return 0;
        case EM_REPLACESEL: {
            const char* p = reinterpret_cast<const char*>(m.LParam);
            ShowResult(buffer_.ReplaceSelection(p ? p : ""));
            if (!m.WParam) buffer_.ClearUndo();
            return 0;
        }
        case WM_CLEAR: ShowResult(buffer_.ClearSelection()); return 0;
        case WM_COPY: {
            TSystemClipboard clipboard;
            buffer_.Copy(clipboard);
            return 0;
        }
        case WM_CUT: {
            TSystemClipboard clipboard;
            ShowResult(buffer_.Cut(clipboard));
            return 0;
        }
        case WM_PASTE: {
            TSystemClipboard clipboard;
            ShowResult(buffer_.Paste(clipboard));
            return 0;
        }
        case WM_UNDO:
        case EM_UNDO:
            if (!buffer_.Undo()) return 0;
            SyncText();
            EnsureCaretVisible();
            Invalidate();
            Perform(CM_TEXTCHANGED, 0, 0);
            NotifyChanged();
            return 1;
        case EM_CANUNDO: return CanUndo() ? 1 : 0;
        case EM_EMPTYUNDOBUFFER: buffer_.ClearUndo(); return 0;
        case EM_GETMODIFY: return Modified() ? 1 : 0;
        case EM_SETMODIFY: SetModified(m.WParam != 0); return 0;
        case EM_LIMITTEXT: buffer_.SetMaxLength(static_cast<int>(std::min<WPARAM>(m.WParam, 0x7FFFFFFF))); return 0;
        case EM_GETLIMITTEXT: return MaxLength() > 0 ? MaxLength() : 0x7FFFFFFE;
        case EM_SETREADONLY:
            buffer_.SetReadOnly(m.WParam != 0);
            if (HandleAllocated()) {
                std::uint32_t st = GetWindowLong(WindowHandle(), GWL_STYLE);
                SetWindowLong(WindowHandle(), GWL_STYLE, buffer_.ReadOnly() ? st | ES_READONLY : st & ~ES_READONLY);
            }
            return 1;
        case EM_SETPASSWORDCHAR:
            buffer_.SetPasswordChar(static_cast<char>(m.WParam & 0xFF));
            EnsureCaretVisible();
            Invalidate();
            return 0;
        case EM_GETPASSWORDCHAR: return static_cast<unsigned char>(PasswordChar());
        case EM_GETRECT:
            if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = EditRect();
            return 0;
        case EM_SETRECT:
        case EM_SETRECTNP:
            if (m.LParam) {
                s.hasFormatRect = true;
                s.formatRect = *reinterpret_cast<const TRect*>(m.LParam);
            } else {
                s.hasFormatRect = false;
            }
            EnsureCaretVisible();
            if (m.Msg == EM_SETRECT) Invalidate();
            return 0;
        case EM_SCROLLCARET:
            EnsureCaretVisible();
            Invalidate();
            return 1;
        case EM_SETMARGINS:
            if (m.WParam & EC_LEFTMARGIN) s.leftMargin = LoWord(static_cast<std::uintptr_t>(m.LParam));
            if (m.WParam & EC_RIGHTMARGIN) s.rightMargin = HiWord(static_cast<std::uintptr_t>(m.LParam));
            EnsureCaretVisible();
            Invalidate();
            return 0;
        case EM_GETMARGINS: return static_cast<LRESULT>(MakeWParam(s.leftMargin, s.rightMargin));
        case EM_GETFIRSTVISIBLELINE: return 0;
        default: break;
    }
    return TWinControl::DefWndProc(m);
}

}  // namespace menvaro
