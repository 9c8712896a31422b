// TCustomEdit: the single-line edit window. Its editing is the window's own
// default behaviour (DefWndProc); the properties and methods of the class
// reach it through the same state the edit messages change.
#include <algorithm>
#include <cctype>

#include "base/CodePage.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "ui/StdCtrls.h"

namespace menvaro {

namespace {

constexpr std::uintptr_t kBlinkTimer = 0xED17;
constexpr unsigned kBlinkMs = 530;

// Kinds of edit that one undo step gathers while they follow each other at
// the caret.
enum Group { gNone, gTyping, gBackspace, gDelete };

bool IsWordChar(std::string_view s, std::size_t i) {
    auto ch = static_cast<unsigned char>(s[i]);
    // Every character beyond ASCII (Chinese text) counts as part of a word.
    return ch >= 0x80 || std::isalnum(ch) || ch == '_';
}

// The text up to its first line break, with damaged UTF-8 repaired.
std::string OneLine(std::string_view s) {
    std::size_t end = s.find_first_of("\r\n");
    if (end != std::string_view::npos) s = s.substr(0, end);
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    for (std::size_t i = 0; i < s.size();) AppendUtf8(out, NextCodePoint(s, i));
    return out;
}

int CharCount(std::string_view s) {
    int n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) ++n;
    return n;
}

}  // namespace

struct TCustomEdit::State {
    // A character typed byte by byte: what came so far and how much it needs.
    std::string pending;
    std::size_t pendingNeed = 0;
    bool canUndo = false;
    std::string undoText;
    int undoCaret = 0;
    int undoAnchor = 0;
    int group = gNone;
    int groupEnd = -1;
    bool windowReadOnly = false;
    std::uint32_t align = ES_LEFT;
    bool hasFormatRect = false;
    TRect formatRect;
    int leftMargin = 1;
    int rightMargin = 1;
    bool caretOn = true;
    bool blinking = false;
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
    if (passwordChar_) p.Style |= ES_PASSWORD;
    if (readOnly_) p.Style |= ES_READONLY;
    if (charCase_ == ecUpperCase) p.Style |= ES_UPPERCASE;
    if (charCase_ == ecLowerCase) p.Style |= ES_LOWERCASE;
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
    if (Focused()) StartBlink();
}

void TCustomEdit::DestroyWnd() {
    StopBlink();
    TWinControl::DestroyWnd();
}

void TCustomEdit::ApplyStyleBits(std::uint32_t style) {
    s_->align = style & (ES_CENTER | ES_RIGHT);
    s_->windowReadOnly = readOnly_ || (style & ES_READONLY) != 0;
}

void TCustomEdit::StartBlink() {
    s_->caretOn = true;
    if (!HandleAllocated()) return;
    SetTimer(WindowHandle(), kBlinkTimer, kBlinkMs);
    s_->blinking = true;
}

void TCustomEdit::StopBlink() {
    if (s_->blinking && HandleAllocated()) KillTimer(WindowHandle(), kBlinkTimer);
    s_->blinking = false;
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
    if (c == charCase_) return;
    charCase_ = c;
    std::string t = ApplyCase(Text());
    if (t != Text()) {
        SetTextSilently(t);
        if (HandleAllocated()) SetWindowText(WindowHandle(), t);
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
    if (v == maxLength_) return;
    Send(EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomEdit::SetPasswordChar(char c) {
    if (c == passwordChar_) return;
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

std::string TCustomEdit::ApplyCase(const std::string& s) const {
    if (charCase_ == ecUpperCase) return UpperCase(s);
    if (charCase_ == ecLowerCase) return LowerCase(s);
    return s;
}

void TCustomEdit::SetText(const std::string& raw) {
    std::string s = ApplyCase(raw);
    if (s == Text()) return;
    SetTextSilently(s);
    if (HandleAllocated()) SetWindowText(WindowHandle(), s);
    caret_ = anchor_ = 0;
    scroll_ = 0;
    s_->canUndo = false;
    s_->group = gNone;
    modified_ = false;
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
    NotifyChanged();
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

int TCustomEdit::SelStart() const { return std::min(caret_, anchor_); }
int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }

std::string TCustomEdit::SelText() const {
    return Text().substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength()));
}

void TCustomEdit::SetSelStart(int v) { Send(EM_SETSEL, static_cast<WPARAM>(v), v); }

void TCustomEdit::SetSelLength(int v) { Select(SelStart(), v); }

void TCustomEdit::Select(int start, int length) {
    // Summed wide: a length of "as much as there is" must not overflow.
    Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start) + std::max(0, length));
}

void TCustomEdit::SelectAll() { Send(EM_SETSEL, 0, -1); }

void TCustomEdit::SetSelText(const std::string& s) {
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomEdit::ClearSelection() { Send(WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { Send(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Send(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Send(WM_PASTE, 0, 0); }
bool TCustomEdit::CanUndo() const { return s_->canUndo; }
void TCustomEdit::Undo() { Send(WM_UNDO, 0, 0); }
void TCustomEdit::ClearUndo() { Send(EM_EMPTYUNDOBUFFER, 0, 0); }

// ----------------------------------------------------------------- editing

namespace {

// The nearest character boundary at or before `pos`.
int Boundary(const std::string& s, int pos) {
    pos = std::clamp(pos, 0, static_cast<int>(s.size()));
    while (pos > 0 && pos < static_cast<int>(s.size()) &&
           (static_cast<unsigned char>(s[static_cast<std::size_t>(pos)]) & 0xC0) == 0x80)
        --pos;
    return pos;
}

int PrevChar(const std::string& s, int pos) {
    if (pos <= 0) return 0;
    return Boundary(s, pos - 1);
}

int NextChar(const std::string& s, int pos) {
    if (pos >= static_cast<int>(s.size())) return static_cast<int>(s.size());
    return pos + static_cast<int>(CharLength(s, static_cast<std::size_t>(pos)));
}

int PrevWord(const std::string& s, int pos) {
    while (pos > 0 && !IsWordChar(s, static_cast<std::size_t>(PrevChar(s, pos)))) pos = PrevChar(s, pos);
    while (pos > 0 && IsWordChar(s, static_cast<std::size_t>(PrevChar(s, pos)))) pos = PrevChar(s, pos);
    return pos;
}

int NextWord(const std::string& s, int pos) {
    int n = static_cast<int>(s.size());
    while (pos < n && IsWordChar(s, static_cast<std::size_t>(pos))) pos = NextChar(s, pos);
    while (pos < n && !IsWordChar(s, static_cast<std::size_t>(pos))) pos = NextChar(s, pos);
    return pos;
}

}  // namespace

// Replaces [from, to) with `with`; answers false (and beeps) when nothing
// could be put in because of MaxLength. `group` joins this change to the
// undo step before it when the caret has not moved in between.
bool TCustomEdit::Replace(int from, int to, const std::string& with, bool typed, int group) {
    const std::string& text = Text();
    std::string put = with;
    bool cut = false;
    if (typed && maxLength_ > 0) {
        int room = maxLength_ - (static_cast<int>(text.size()) - (to - from));
        if (static_cast<int>(put.size()) > room) {
            int keep = room <= 0 ? 0 : Boundary(put + ' ', room);
            put.resize(static_cast<std::size_t>(std::max(0, keep)));
            cut = true;
        }
    }
    if (cut) MessageBeep(0);
    if (put.empty() && from == to) return !cut;
    if (group == gNone || group != s_->group || caret_ != s_->groupEnd || !s_->canUndo) {
        s_->undoText = text;
        s_->undoCaret = caret_;
        s_->undoAnchor = anchor_;
        s_->canUndo = true;
    }
    std::string next = text.substr(0, static_cast<std::size_t>(from)) + put + text.substr(static_cast<std::size_t>(to));
    SetTextSilently(next);
    if (HandleAllocated()) SetWindowText(WindowHandle(), next);
    caret_ = anchor_ = from + static_cast<int>(put.size());
    s_->group = group;
    s_->groupEnd = caret_;
    if (typed) modified_ = true;
    s_->caretOn = true;
    EnsureCaretVisible();
    Invalidate();
    Perform(CM_TEXTCHANGED, 0, 0);
    NotifyChanged();
    return !cut;
}

void TCustomEdit::InsertTyped(const std::string& s) {
    if (s_->windowReadOnly) {
        MessageBeep(0);
        return;
    }
    Replace(SelStart(), SelStart() + SelLength(), ApplyCase(s), true, SelLength() == 0 ? gTyping : gNone);
}

void TCustomEdit::SetCaret(int pos, bool extend) {
    caret_ = Boundary(Text(), pos);
    if (!extend) anchor_ = caret_;
    s_->group = gNone;
    s_->caretOn = true;
    EnsureCaretVisible();
    Invalidate();
}

void TCustomEdit::EditChar(unsigned char ch) {
    State& s = *s_;
    if (ch >= 0x80) {
        if ((ch & 0xC0) == 0x80) {
            if (s.pending.empty()) return;  // a stray trail byte
            s.pending.push_back(static_cast<char>(ch));
            if (s.pending.size() < s.pendingNeed) return;
            std::string c = std::move(s.pending);
            s.pending.clear();
            if (IsValidUtf8(c)) InsertTyped(c);
            return;
        }
        s.pending.assign(1, static_cast<char>(ch));
        s.pendingNeed = ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : 2;
        if (ch < 0xC2 || ch > 0xF4) s.pending.clear();
        return;
    }
    s.pending.clear();
    switch (ch) {
        case 1: SelectAll(); return;     // Ctrl+A
        case 3: CopyToClipboard(); return;  // Ctrl+C
        case 22: PasteFromClipboard(); return;  // Ctrl+V
        case 24: CutToClipboard(); return;  // Ctrl+X
        case 26: Undo(); return;            // Ctrl+Z
        case 8: {
            if (s.windowReadOnly) {
                MessageBeep(0);
                return;
            }
            if (SelLength() > 0) {
                Replace(SelStart(), SelStart() + SelLength(), std::string(), true, gNone);
            } else if (caret_ > 0) {
                Replace(PrevChar(Text(), caret_), caret_, std::string(), true, gBackspace);
            }
            return;
        }
        default: break;
    }
    if (ch < 32 || ch == 127) return;  // Enter, Esc, Tab and the other control characters
    InsertTyped(std::string(1, static_cast<char>(ch)));
}

bool TCustomEdit::EditKeyDown(std::uint16_t key, TShiftState shift) {
    const std::string& t = Text();
    bool ext = shift.Contains(ssShift);
    bool ctrl = shift.Contains(ssCtrl);
    switch (key) {
        case VK_LEFT:
        case VK_UP:
            if (!ext && SelLength() > 0 && !ctrl)
                SetCaret(SelStart(), false);
            else
                SetCaret(ctrl ? PrevWord(t, caret_) : PrevChar(t, caret_), ext);
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            if (!ext && SelLength() > 0 && !ctrl)
                SetCaret(SelStart() + SelLength(), false);
            else
                SetCaret(ctrl ? NextWord(t, caret_) : NextChar(t, caret_), ext);
            return true;
        case VK_HOME: SetCaret(0, ext); return true;
        case VK_END: SetCaret(static_cast<int>(t.size()), ext); return true;
        case VK_DELETE:
            if (ext) {
                CutToClipboard();
                return true;
            }
            if (s_->windowReadOnly) {
                MessageBeep(0);
                return true;
            }
            if (SelLength() > 0)
                Replace(SelStart(), SelStart() + SelLength(), std::string(), true, gNone);
            else if (caret_ < static_cast<int>(t.size()))
                Replace(caret_, NextChar(t, caret_), std::string(), true, gDelete);
            return true;
        case VK_INSERT:
            if (ctrl) CopyToClipboard();
            if (ext) PasteFromClipboard();
            return ctrl || ext;
        default: return false;
    }
}

// ---------------------------------------------------------------- geometry

std::string TCustomEdit::DisplayText() const {
    if (!passwordChar_) return Text();
    return std::string(static_cast<std::size_t>(CharCount(Text())), passwordChar_);
}

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
    const std::string& t = Text();
    pos = Boundary(t, pos);
    if (passwordChar_) {
        int chars = CharCount(std::string_view(t).substr(0, static_cast<std::size_t>(pos)));
        return chars * canvas_->TextWidth(std::string(1, passwordChar_));
    }
    return canvas_->TextWidth(std::string_view(t).substr(0, static_cast<std::size_t>(pos)));
}

namespace {
int TextLeft(const TRect& r, int textWidth, std::uint32_t align, int scroll) {
    if (textWidth < r.Width() && align != ES_LEFT)
        return align == ES_RIGHT ? r.Right - textWidth - 1 : r.Left + (r.Width() - textWidth) / 2;
    return r.Left - scroll;
}
}  // namespace

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
        pos = NextChar(t, pos);
    }
}

void TCustomEdit::EnsureCaretVisible() {
    TRect r = EditRect();
    int w = std::max(1, r.Width());
    int total = XOfByte(static_cast<int>(Text().size()));
    int cx = XOfByte(caret_);
    if (total < w) {
        scroll_ = 0;
        return;
    }
    if (cx - scroll_ > w - 1) scroll_ = cx - w * 3 / 4;
    if (cx < scroll_) scroll_ = cx - w / 4;
    scroll_ = std::clamp(scroll_, 0, std::max(0, total - w + 1));
}

// ----------------------------------------------------------------- painting

void TCustomEdit::PaintWindow(HDC dc) {
    TCanvas& c = *canvas_;
    BindCanvasToDC(c, dc, this);
    try {
        TRect client = ClientRect();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(client);
        TRect r = EditRect();
        const std::string shown = DisplayText();
        int total = c.TextWidth(shown);
        int lineH = c.TextMetrics().Height;
        int left = TextLeft(r, total, s_->align, scroll_);
        int top = r.Top + std::max(0, (r.Height() - lineH) / 2);
        c.SaveState();
        c.IntersectClipRect(r);
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(Enabled() ? Font()->Color() : clGrayText);
        c.TextOut(left, top, shown);
        bool focused = Focused();
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
        c.RestoreState();
        if (focused && s_->caretOn) {
            int x = left + XOfByte(caret_);
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(Font()->Color());
            TRect caret{x, top, x + 1, top + lineH};
            IntersectRect(caret, caret, client);
            c.FillRect(caret);
        }
    } catch (...) {
        c.Unbind();
        throw;
    }
    c.Unbind();
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
            StartBlink();
            Invalidate();
            return 0;
        case WM_KILLFOCUS:
            StopBlink();
            selecting_ = false;
            Invalidate();
            return 0;
        case WM_TIMER:
            if (m.WParam == kBlinkTimer) {
                s.caretOn = !s.caretOn;
                Invalidate();
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!Focused() && CanFocus()) SetFocus();
            int pos = ByteFromX(GetXLParam(m.LParam));
            if (m.Msg == WM_LBUTTONDBLCLK) {
                const std::string& t = Text();
                int a = pos, b = pos;
                if (pos < static_cast<int>(t.size()) && IsWordChar(t, static_cast<std::size_t>(pos))) {
                    while (a > 0 && IsWordChar(t, static_cast<std::size_t>(PrevChar(t, a)))) a = PrevChar(t, a);
                    while (b < static_cast<int>(t.size()) && IsWordChar(t, static_cast<std::size_t>(b)))
                        b = NextChar(t, b);
                }
                anchor_ = a;
                SetCaret(b, true);
                return 0;
            }
            SetCaret(pos, (m.WParam & MK_SHIFT) != 0);
            selecting_ = true;
            return 0;
        }
        case WM_MOUSEMOVE:
            if (selecting_ && (m.WParam & MK_LBUTTON)) SetCaret(ByteFromX(GetXLParam(m.LParam)), true);
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
        case EM_SETSEL: {
            int n = static_cast<int>(Text().size());
            auto start = static_cast<std::intptr_t>(m.WParam);
            LPARAM end = m.LParam;
            if (start < 0) {  // no selection, the caret stays
                SetCaret(caret_, false);
                return 0;
            }
            if (end < 0 || end > n) end = n;
            anchor_ = Boundary(Text(), static_cast<int>(std::min<std::intptr_t>(start, n)));
            SetCaret(static_cast<int>(end), true);
            return 0;
        }
        case EM_REPLACESEL: {
            const char* p = reinterpret_cast<const char*>(m.LParam);
            Replace(SelStart(), SelStart() + SelLength(), OneLine(p ? p : ""), false, gNone);
            if (!m.WParam) s.canUndo = false;
            return 0;
        }
        case WM_CLEAR:
            if (s.windowReadOnly || SelLength() == 0) return 0;
            Replace(SelStart(), SelStart() + SelLength(), std::string(), true, gNone);
            return 0;
        case WM_COPY:
            if (SelLength() > 0 && !passwordChar_) SetClipboardText(SelText());
            return 0;
        case WM_CUT:
            if (SelLength() == 0 || passwordChar_) return 0;
            if (s.windowReadOnly) {
                MessageBeep(0);
                return 0;
            }
            SetClipboardText(SelText());
            Replace(SelStart(), SelStart() + SelLength(), std::string(), true, gNone);
            return 0;
        case WM_PASTE: {
            if (s.windowReadOnly) {
                MessageBeep(0);
                return 0;
            }
            std::string clip = OneLine(GetClipboardText());
            if (clip.empty()) return 0;
            Replace(SelStart(), SelStart() + SelLength(), ApplyCase(clip), true, gNone);
            return 0;
        }
        case WM_UNDO:
        case EM_UNDO: {
            if (!s.canUndo || s.windowReadOnly) return 0;
            std::string now = Text();
            int nc = caret_, na = anchor_;
            SetTextSilently(s.undoText);
            if (HandleAllocated()) SetWindowText(WindowHandle(), s.undoText);
            caret_ = s.undoCaret;
            anchor_ = s.undoAnchor;
            // A second undo brings the change back.
            s.undoText = std::move(now);
            s.undoCaret = nc;
            s.undoAnchor = na;
            s.group = gNone;
            modified_ = true;
            EnsureCaretVisible();
            Invalidate();
            Perform(CM_TEXTCHANGED, 0, 0);
            NotifyChanged();
            return 1;
        }
        case EM_CANUNDO: return s.canUndo ? 1 : 0;
        case EM_EMPTYUNDOBUFFER:
            s.canUndo = false;
            s.group = gNone;
            return 0;
        case EM_GETMODIFY: return modified_ ? 1 : 0;
        case EM_SETMODIFY: modified_ = m.WParam != 0; return 0;
        case EM_LIMITTEXT: maxLength_ = static_cast<int>(std::min<WPARAM>(m.WParam, 0x7FFFFFFF)); return 0;
        case EM_GETLIMITTEXT: return maxLength_ > 0 ? maxLength_ : 0x7FFFFFFE;
        case EM_SETREADONLY:
            s.windowReadOnly = m.WParam != 0;
            if (HandleAllocated()) {
                std::uint32_t st = GetWindowLong(WindowHandle(), GWL_STYLE);
                SetWindowLong(WindowHandle(), GWL_STYLE, s.windowReadOnly ? st | ES_READONLY : st & ~ES_READONLY);
            }
            return 1;
        case EM_SETPASSWORDCHAR:
            passwordChar_ = static_cast<char>(m.WParam & 0xFF);
            EnsureCaretVisible();
            Invalidate();
            return 0;
        case EM_GETPASSWORDCHAR: return static_cast<unsigned char>(passwordChar_);
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
        case EM_SCROLLCARET: EnsureCaretVisible(); Invalidate(); return 1;
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
