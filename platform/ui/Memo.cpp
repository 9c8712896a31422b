#include "ui/Memo.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "ui/ScrollCodes.h"
#include "ui/WindowManager.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)

MENVARO_CLASS_INFO(TCustomMemo) {
    c.Prop("ReadOnly", &TCustomMemo::ReadOnly, &TCustomMemo::SetReadOnly).Default(false);
    c.Prop("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
    c.Prop("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
    c.Redeclare("TabStop").Default(true);
    c.Redeclare("Color").Default(clWindow);
}

MENVARO_CLASS_INFO(TMemo) {}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

int PrevChar(const std::string& s, int pos) {
    if (pos <= 0) return 0;
    --pos;
    while (pos > 0 && IsContinuation(static_cast<unsigned char>(s[static_cast<std::size_t>(pos)]))) --pos;
    return pos;
}

int NextChar(const std::string& s, int pos) {
    int n = static_cast<int>(s.size());
    if (pos >= n) return n;
    ++pos;
    while (pos < n && IsContinuation(static_cast<unsigned char>(s[static_cast<std::size_t>(pos)]))) ++pos;
    return pos;
}

constexpr int kMargin = 2;

}  // namespace

TCustomMemo::TCustomMemo(TComponent* owner)
    : TWinControl(owner), lines_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
    SetControlStyle({csCaptureMouse, csDoubleClicks, csOpaque, csClickEvents});
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
    lines_->OnChange = [this](TStringList&) {
        if (!quiet_) LinesChanged();
    };
}

TCustomMemo::~TCustomMemo() { lines_->OnChange = nullptr; }

std::string TCustomMemo::LineAt(int i) const {
    return i >= 0 && i < lines_->Count() ? lines_->Strings(i) : std::string();
}

// ------------------------------------------------------------- properties

void TCustomMemo::SetLines(const TStringList* lines) {
    if (lines) lines_->Assign(*lines);
}

void TCustomMemo::SetText(const std::string& s) {
    ++quiet_;
    lines_->SetText(s);
    --quiet_;
    LinesChanged();
}

void TCustomMemo::SetReadOnly(bool v) { readOnly_ = v; }

void TCustomMemo::SetScrollBars(TScrollStyle s) {
    if (s == scrollBars_) return;
    scrollBars_ = s;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomMemo::SetBorderStyle(TBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomMemo::SetCaretPos(TPoint p) {
    MoveCaret(p.Y, p.X);
    wantX_ = -1;
}

int TCustomMemo::LineHeight() const {
    canvas_->Font().Assign(*Font());
    return std::max(1, canvas_->TextMetrics().Height);
}

int TCustomMemo::VisibleLines() const { return std::max(1, TextRect().Height() / LineHeight()); }

TRect TCustomMemo::TextRect() const {
    TRect r = ClientRect();
    r.Left += kMargin;
    return r;
}

int TCustomMemo::MaxTop() const { return std::max(0, lines_->Count() - VisibleLines()); }

int TCustomMemo::WidestLine() const {
    canvas_->Font().Assign(*Font());
    int w = 0;
    for (int i = 0; i < lines_->Count(); ++i) w = std::max(w, canvas_->TextWidth(lines_->Strings(i)));
    return w;
}

int TCustomMemo::XOfCol(int line, int col) const {
    canvas_->Font().Assign(*Font());
    return canvas_->TextWidth(LineAt(line).substr(0, static_cast<std::size_t>(col)));
}

int TCustomMemo::ColFromX(int line, int x) const {
    std::string s = LineAt(line);
    int pos = 0;
    while (pos < static_cast<int>(s.size())) {
        int next = NextChar(s, pos);
        int a = XOfCol(line, pos), b = XOfCol(line, next);
        if (x < (a + b) / 2) break;
        pos = next;
    }
    return pos;
}

// ---------------------------------------------------------------- editing

void TCustomMemo::LinesChanged() {
    std::string joined = lines_->Text();
    if (joined.size() >= 2 && joined.compare(joined.size() - 2, 2, "\r\n") == 0) joined.resize(joined.size() - 2);
    SetTextSilently(joined);
    caretLine_ = std::clamp(caretLine_, 0, std::max(0, lines_->Count() - 1));
    caretCol_ = std::min(caretCol_, static_cast<int>(LineAt(caretLine_).size()));
    ScrollTo(topLine_, scrollLeft_);
    UpdateScrollBars();
    PlaceCaret();
    Invalidate();
    Change();
}

void TCustomMemo::Edited() {
    modified_ = true;
    LinesChanged();
    EnsureCaretVisible();
}

void TCustomMemo::Change() {
    if (OnChange) OnChange(this);
}

void TCustomMemo::InsertText(const std::string& s) {
    ++quiet_;
    if (lines_->Count() == 0) lines_->Add(std::string());
    std::string line = lines_->Strings(caretLine_);
    std::string head = line.substr(0, static_cast<std::size_t>(caretCol_));
    std::string tail = line.substr(static_cast<std::size_t>(caretCol_));
    if (s == "\n") {
        lines_->SetStrings(caretLine_, head);
        lines_->Insert(caretLine_ + 1, tail);
        ++caretLine_;
        caretCol_ = 0;
    } else {
        lines_->SetStrings(caretLine_, head + s + tail);
        caretCol_ += static_cast<int>(s.size());
    }
    --quiet_;
    wantX_ = -1;
    Edited();
}

void TCustomMemo::DeleteBack() {
    if (caretCol_ > 0) {
        std::string line = lines_->Strings(caretLine_);
        int from = PrevChar(line, caretCol_);
        line.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(caretCol_ - from));
        ++quiet_;
        lines_->SetStrings(caretLine_, line);
        --quiet_;
        caretCol_ = from;
    } else if (caretLine_ > 0) {
        std::string prev = lines_->Strings(caretLine_ - 1);
        ++quiet_;
        lines_->SetStrings(caretLine_ - 1, prev + lines_->Strings(caretLine_));
        lines_->Delete(caretLine_);
        --quiet_;
        --caretLine_;
        caretCol_ = static_cast<int>(prev.size());
    } else {
        return;
    }
    wantX_ = -1;
    Edited();
}

void TCustomMemo::DeleteForward() {
    if (lines_->Count() == 0) return;
    std::string line = lines_->Strings(caretLine_);
    if (caretCol_ < static_cast<int>(line.size())) {
        int to = NextChar(line, caretCol_);
        line.erase(static_cast<std::size_t>(caretCol_), static_cast<std::size_t>(to - caretCol_));
        ++quiet_;
        lines_->SetStrings(caretLine_, line);
        --quiet_;
    } else if (caretLine_ + 1 < lines_->Count()) {
        ++quiet_;
        lines_->SetStrings(caretLine_, line + lines_->Strings(caretLine_ + 1));
        lines_->Delete(caretLine_ + 1);
        --quiet_;
    } else {
        return;
    }
    Edited();
}

void TCustomMemo::MoveCaret(int line, int col) {
    int last = std::max(0, lines_->Count() - 1);
    caretLine_ = std::clamp(line, 0, last);
    std::string s = LineAt(caretLine_);
    col = std::clamp(col, 0, static_cast<int>(s.size()));
    while (col > 0 && col < static_cast<int>(s.size()) && IsContinuation(static_cast<unsigned char>(s[static_cast<std::size_t>(col)])))
        --col;
    caretCol_ = col;
    EnsureCaretVisible();
    PlaceCaret();
    Invalidate();
}

bool TCustomMemo::MemoKeyDown(std::uint16_t key, TShiftState shift) {
    const bool ctrl = shift.Contains(ssCtrl);
    const std::string line = LineAt(caretLine_);
    auto vertical = [&](int delta) {
        if (wantX_ < 0) wantX_ = XOfCol(caretLine_, caretCol_);
        int target = std::clamp(caretLine_ + delta, 0, std::max(0, lines_->Count() - 1));
        int keep = wantX_;
        MoveCaret(target, ColFromX(target, keep));
        wantX_ = keep;
    };
    switch (key) {
        case VK_LEFT:
            if (caretCol_ > 0)
                MoveCaret(caretLine_, PrevChar(line, caretCol_));
            else if (caretLine_ > 0)
                MoveCaret(caretLine_ - 1, static_cast<int>(LineAt(caretLine_ - 1).size()));
            wantX_ = -1;
            return true;
        case VK_RIGHT:
            if (caretCol_ < static_cast<int>(line.size()))
                MoveCaret(caretLine_, NextChar(line, caretCol_));
            else if (caretLine_ + 1 < lines_->Count())
                MoveCaret(caretLine_ + 1, 0);
            wantX_ = -1;
            return true;
        case VK_UP: vertical(-1); return true;
        case VK_DOWN: vertical(1); return true;
        case VK_PRIOR:
            ScrollTo(topLine_ - VisibleLines(), scrollLeft_);
            vertical(-VisibleLines());
            return true;
        case VK_NEXT:
            ScrollTo(topLine_ + VisibleLines(), scrollLeft_);
            vertical(VisibleLines());
            return true;
        case VK_HOME:
            MoveCaret(ctrl ? 0 : caretLine_, 0);
            wantX_ = -1;
            return true;
        case VK_END:
            if (ctrl)
                MoveCaret(lines_->Count() - 1, static_cast<int>(LineAt(lines_->Count() - 1).size()));
            else
                MoveCaret(caretLine_, static_cast<int>(line.size()));
            wantX_ = -1;
            return true;
        case VK_DELETE:
            if (readOnly_)
                MessageBeep(0);
            else
                DeleteForward();
            return true;
        default: return false;
    }
}

void TCustomMemo::MemoChar(unsigned char ch) {
    if (ch == '\t' || ch == 27 || (ch < 32 && ch != 8 && ch != 13)) return;
    if (ch == 13 && !wantReturns_) return;
    if (readOnly_) {
        MessageBeep(0);
        return;
    }
    if (ch == 8)
        DeleteBack();
    else if (ch == 13)
        InsertText("\n");
    else
        InsertText(std::string(1, static_cast<char>(ch)));
}

// -------------------------------------------------------------- scrolling

void TCustomMemo::ScrollTo(int top, int left) {
    top = std::clamp(top, 0, MaxTop());
    left = std::clamp(left, 0, std::max(0, WidestLine()));
    if (top == topLine_ && left == scrollLeft_) return;
    topLine_ = top;
    scrollLeft_ = left;
    UpdateScrollBars();
    PlaceCaret();
    Invalidate();
}

void TCustomMemo::EnsureCaretVisible() {
    int top = topLine_;
    if (caretLine_ < top) top = caretLine_;
    if (caretLine_ >= top + VisibleLines()) top = caretLine_ - VisibleLines() + 1;
    int x = XOfCol(caretLine_, caretCol_);
    int left = scrollLeft_;
    int width = std::max(1, TextRect().Width() - 2);
    if (x < left) left = std::max(0, x - width / 4);
    if (x >= left + width) left = x - width + width / 4;
    ScrollTo(top, left);
}

void TCustomMemo::UpdateScrollBars() {
    if (!HandleAllocated()) return;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
        TScrollInfo v;
        v.fMask = SIF_ALL;
        v.nMax = std::max(0, lines_->Count() - 1);
        v.nPage = static_cast<UINT>(VisibleLines());
        v.nPos = topLine_;
        SetScrollInfo(WindowHandle(), SB_VERT, v, true);
    }
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
        TScrollInfo h;
        h.fMask = SIF_ALL;
        h.nMax = WidestLine() + kMargin;
        h.nPage = static_cast<UINT>(std::max(1, TextRect().Width()));
        h.nPos = scrollLeft_;
        SetScrollInfo(WindowHandle(), SB_HORZ, h, true);
    }
}

// ------------------------------------------------------------ the window

void TCustomMemo::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= 0x0004 /* ES_MULTILINE */;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) p.Style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) p.Style |= WS_HSCROLL;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomMemo::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TCustomMemo::DestroyWnd() {
    if (ownsCaret_) DestroyCaret();
    ownsCaret_ = false;
    TWinControl::DestroyWnd();
}

void TCustomMemo::PlaceCaret() {
    if (!ownsCaret_ || !HandleAllocated()) return;
    TRect r = TextRect();
    ::menvaro::SetCaretPos(r.Left + XOfCol(caretLine_, caretCol_) - scrollLeft_,
                           r.Top + (caretLine_ - topLine_) * LineHeight());
}

void TCustomMemo::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            DefaultHandler(m);
            TWinControl::Dispatch(m);
            return;
        case WM_ERASEBKGND: m.Result = 1; return;
        case CM_FONTCHANGED:
            TWinControl::Dispatch(m);
            UpdateScrollBars();
            Invalidate();
            return;
        default: TWinControl::Dispatch(m);
    }
}

LRESULT TCustomMemo::DefWndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (wantReturns_ ? LRESULT(DLGC_WANTALLKEYS) : LRESULT(0));
        case WM_CHAR: MemoChar(static_cast<unsigned char>(m.WParam & 0xFF)); return 0;
        case WM_KEYDOWN:
            if (MemoKeyDown(static_cast<std::uint16_t>(m.WParam), GetShiftState())) return 0;
            break;
        case WM_SETFOCUS:
            ownsCaret_ = CreateCaret(WindowHandle(), 1, LineHeight());
            PlaceCaret();
            ShowCaret(WindowHandle());
            Invalidate();
            return 0;
        case WM_KILLFOCUS:
            if (ownsCaret_) DestroyCaret();
            ownsCaret_ = false;
            Invalidate();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!Focused() && CanFocus()) SetFocus();
            TRect r = TextRect();
            int line = topLine_ + (GetYLParam(m.LParam) - r.Top) / LineHeight();
            line = std::clamp(line, 0, std::max(0, lines_->Count() - 1));
            SetCaretPos({ColFromX(line, GetXLParam(m.LParam) - r.Left + scrollLeft_), line});
            return 0;
        }
        case WM_MOUSEWHEEL: {
            int notches = static_cast<std::int16_t>(HiWord(m.WParam)) / 120;
            ScrollTo(topLine_ - notches * 3, scrollLeft_);
            return 1;
        }
        case WM_VSCROLL:
        case WM_HSCROLL: {
            const bool vert = m.Msg == WM_VSCROLL;
            int pos = vert ? ScrollCodePosition(m.WParam, topLine_, 1, std::max(1, VisibleLines() - 1), MaxTop())
                           : ScrollCodePosition(m.WParam, scrollLeft_, LineHeight(),
                                                std::max(1, TextRect().Width() - LineHeight()), WidestLine());
            if (vert)
                ScrollTo(pos, scrollLeft_);
            else
                ScrollTo(topLine_, pos);
            return 0;
        }
        case WM_SIZE:
            ScrollTo(topLine_, scrollLeft_);
            UpdateScrollBars();
            Invalidate();
            break;
        default: break;
    }
    if (!HandleAllocated()) return 0;
    return TWinControl::DefWndProc(m);
}

void TCustomMemo::PaintWindow(HDC dc) {
    TCanvasOnDC bound(*canvas_, dc, this);
    TCanvas& c = *canvas_;
    const TRect client = ClientRect();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(client);
    c.Font().Assign(*Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    const TRect r = TextRect();
    const int lh = LineHeight();
    for (int i = topLine_, y = r.Top; i < lines_->Count() && y < r.Bottom; ++i, y += lh)
        c.TextOut(r.Left - scrollLeft_, y, lines_->Strings(i));
    TRect caret;
    if (Focused() && GetCaretShownRect(WindowHandle(), caret)) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Font()->Color());
        IntersectRect(caret, caret, client);
        c.FillRect(caret);
    }
}

}  // namespace menvaro
