#include "ui/DateTimePicker.h"

#include <algorithm>
#include <cmath>

#include "base/FormatSettings.h"
#include "classes/ClassBuilder.h"
#include "ui/Forms.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TDateTimeKind, dtkDate, dtkTime)
MENVARO_DEFINE_ENUM(TDTDateMode, dmComboBox, dmUpDown)
MENVARO_DEFINE_ENUM(TDTDateFormat, dfShort, dfLong)
MENVARO_DEFINE_ENUM(TDTCalAlignment, dtaLeft, dtaRight)

namespace {

constexpr int kButtonWidth = 17;
constexpr std::uint16_t kKeyF4 = VK_F1 + 3;

// The same day of another month, kept within that month's length.
TDateTime AddMonths(TDateTime v, int months) {
    int y, m, d;
    DecodeDate(v, y, m, d);
    int index = y * 12 + (m - 1) + months;
    int ny = index / 12, nm = index % 12 + 1;
    if (ny < 1 || ny > 9999) return v;
    return ComposeDateTime(EncodeDate(ny, nm, std::min(d, DaysInMonth(ny, nm))), v);
}

bool IsLetterRun(char c) {
    switch (c) {
        case 'y':
        case 'Y':
        case 'm':
        case 'M':
        case 'd':
        case 'D':
        case 'h':
        case 'H':
        case 'n':
        case 'N':
        case 's':
        case 'S': return true;
        default: return false;
    }
}

// `depth` counts the locale's formats named inside each other ("ddddd" is
// the short date format): one that names itself ends there, as it does
// when the date is formatted.
void SplitInto(std::string_view f, std::vector<TDateSegment>& out, bool& lastWasHour, int depth) {
    if (depth > 2) return;
    auto literal = [&](const std::string& text) {
        if (!out.empty() && out.back().part == TDatePart::Literal)
            out.back().token += text;
        else
            out.push_back({TDatePart::Literal, text});
    };
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        if (c == '\'' || c == '"') {
            std::size_t end = f.find(c, i + 1);
            if (end == std::string_view::npos) end = f.size();
            literal(std::string(f.substr(i + 1, end - i - 1)));
            i = end + 1;
            continue;
        }
        if (c == '/') {
            literal(std::string(1, FormatSettings().DateSeparator));
            ++i;
            continue;
        }
        if (c == ':') {
            literal(std::string(1, FormatSettings().TimeSeparator));
            ++i;
            continue;
        }
        if (!IsLetterRun(c)) {
            literal(std::string(1, c));
            ++i;
            continue;
        }
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t j = i;
        while (j < f.size() && std::tolower(static_cast<unsigned char>(f[j])) == lower) ++j;
        std::string run(j - i, lower);
        i = j;
        switch (lower) {
            case 'y':
                out.push_back({TDatePart::Year, run.size() <= 2 ? "yy" : "yyyy"});
                lastWasHour = false;
                break;
            case 'm':
                if (lastWasHour)
                    out.push_back({TDatePart::Minute, run.size() >= 2 ? "nn" : "n"});
                else
                    out.push_back({TDatePart::Month, run.substr(0, std::min<std::size_t>(run.size(), 4))});
                lastWasHour = false;
                break;
            case 'd':
                if (run.size() >= 6)
                    SplitInto(FormatSettings().LongDateFormat, out, lastWasHour, depth + 1);
                else if (run.size() == 5)
                    SplitInto(FormatSettings().ShortDateFormat, out, lastWasHour, depth + 1);
                else if (run.size() >= 3)
                    out.push_back({TDatePart::WeekDay, run});
                else
                    out.push_back({TDatePart::Day, run});
                lastWasHour = false;
                break;
            case 'h':
                out.push_back({TDatePart::Hour, run.substr(0, 2)});
                lastWasHour = true;
                break;
            case 'n':
                out.push_back({TDatePart::Minute, run.substr(0, 2)});
                lastWasHour = false;
                break;
            case 's':
                out.push_back({TDatePart::Second, run.substr(0, 2)});
                lastWasHour = false;
                break;
            default: break;
        }
    }
}

// The range of a part's value at the date `v`.
void PartRange(TDatePart part, TDateTime v, int& lo, int& hi) {
    int y, m, d;
    DecodeDate(v, y, m, d);
    switch (part) {
        case TDatePart::Year: lo = 1, hi = 9999; break;
        case TDatePart::Month: lo = 1, hi = 12; break;
        case TDatePart::Day: lo = 1, hi = DaysInMonth(y, m); break;
        case TDatePart::Hour: lo = 0, hi = 23; break;
        case TDatePart::Minute:
        case TDatePart::Second: lo = 0, hi = 59; break;
        default: lo = hi = 0; break;
    }
}

int PartValue(TDatePart part, TDateTime v) {
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    switch (part) {
        case TDatePart::Year: return y;
        case TDatePart::Month: return m;
        case TDatePart::Day: return d;
        case TDatePart::Hour: return h;
        case TDatePart::Minute: return n;
        case TDatePart::Second: return s;
        default: return 0;
    }
}

TDateTime WithPart(TDatePart part, TDateTime v, int value) {
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    switch (part) {
        case TDatePart::Year: y = value; break;
        case TDatePart::Month: m = value; break;
        case TDatePart::Day: d = value; break;
        case TDatePart::Hour: h = value; break;
        case TDatePart::Minute: n = value; break;
        case TDatePart::Second: s = value; break;
        default: return v;
    }
    d = std::min(d, DaysInMonth(y, m));
    return ComposeDateTime(EncodeDate(y, m, d), EncodeTime(h, n, s, ms));
}

}  // namespace

std::vector<TDateSegment> SplitDateFormat(std::string_view format) {
    std::vector<TDateSegment> out;
    bool lastWasHour = false;
    SplitInto(format, out, lastWasHour, 0);
    return out;
}

// ---------------------------------------------------------- TDateTimePicker

MENVARO_CLASS_INFO(TDateTimePicker) {
    c.Prop("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate);
    c.Prop("Time", &TDateTimePicker::Time, &TDateTimePicker::SetTime);
    c.Prop("Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind).Default(dtkDate);
    c.Prop("DateMode", &TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode).Default(dmComboBox);
    c.Prop("DateFormat", &TDateTimePicker::DateFormat, &TDateTimePicker::SetDateFormat).Default(dfShort);
    c.Prop("Format", &TDateTimePicker::Format, &TDateTimePicker::SetFormat);
    c.Prop("CalAlignment", &TDateTimePicker::CalAlignment, &TDateTimePicker::SetCalAlignment).Default(dtaLeft);
    // The text is the date; it is never read from a form file.
    c.Redeclare("Caption").Stored(false);
    c.Redeclare("TabStop").Default(true);
    c.Event("OnChange", &TDateTimePicker::OnChange);
    c.Event("OnCloseUp", &TDateTimePicker::OnCloseUp);
    c.Event("OnDropDown", &TDateTimePicker::OnDropDown);
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 186, 21);
    value_ = Now();
    Reformat();
}

TDateTimePicker::~TDateTimePicker() = default;

void TDateTimePicker::BeforeDestruction() {
    CloseUp(false);
    TCustomControl::BeforeDestruction();
}

void TDateTimePicker::SetDateTime(TDateTime v) {
    if (v == value_) return;
    // A value outside the calendar raises here, before the control holds it.
    int y, m, d;
    DecodeDate(v, y, m, d);
    value_ = v;
    Reformat();
}

TDateTime TDateTimePicker::Date() const { return DateOf(value_); }
void TDateTimePicker::SetDate(TDateTime v) { SetDateTime(ComposeDateTime(v, value_)); }
TDateTime TDateTimePicker::Time() const { return TimeOf(value_); }
void TDateTimePicker::SetTime(TDateTime v) { SetDateTime(ComposeDateTime(value_, v)); }

void TDateTimePicker::SetKind(TDateTimeKind k) {
    if (k == kind_) return;
    kind_ = k;
    CloseUp(false);
    Reformat();
}

void TDateTimePicker::SetDateMode(TDTDateMode m) {
    if (m == dateMode_) return;
    dateMode_ = m;
    CloseUp(false);
    Invalidate();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat f) {
    if (f == dateFormat_) return;
    dateFormat_ = f;
    Reformat();
}

void TDateTimePicker::SetFormat(const std::string& f) {
    if (f == format_) return;
    format_ = f;
    Reformat();
}

std::string TDateTimePicker::EffectiveFormat() const {
    if (!format_.empty()) return format_;
    if (kind_ == dtkTime) return FormatSettings().LongTimeFormat;
    return dateFormat_ == dfShort ? FormatSettings().ShortDateFormat : FormatSettings().LongDateFormat;
}

std::string TDateTimePicker::SegmentText(const TDateSegment& s) const {
    if (s.part == TDatePart::Literal) return s.token;
    return FormatDateTime(s.token, value_);
}

bool TDateTimePicker::Editable(int index) const {
    if (index < 0 || index >= static_cast<int>(segments_.size())) return false;
    TDatePart p = segments_[static_cast<std::size_t>(index)].part;
    return p != TDatePart::Literal && p != TDatePart::WeekDay;
}

void TDateTimePicker::Reformat() {
    std::vector<TDateSegment> segments = SplitDateFormat(EffectiveFormat());
    if (segments.size() != segments_.size()) selected_ = -1;
    segments_ = std::move(segments);
    if (!Editable(selected_)) {
        selected_ = -1;
        for (int i = 0; i < static_cast<int>(segments_.size()) && selected_ < 0; ++i)
            if (Editable(i)) selected_ = i;
    }
    std::string text;
    for (const TDateSegment& s : segments_) text += SegmentText(s);
    SetText(text);
    Invalidate();
}

void TDateTimePicker::Loaded() {
    TCustomControl::Loaded();
    Reformat();
}

void TDateTimePicker::Change() {
    if (OnChange) OnChange(this);
}

void TDateTimePicker::UserSet(TDateTime v) {
    if (v == value_) return;
    SetDateTime(v);
    Change();
}

// ------------------------------------------------------------- geometry

TRect TDateTimePicker::ButtonRect() const {
    TRect r = ClientRect();
    return Rect(std::max(r.Left + 2, r.Right - 2 - kButtonWidth), r.Top + 2, r.Right - 2, r.Bottom - 2);
}

TRect TDateTimePicker::SegmentRect(int index) {
    TCanvas measure;
    measure.Font().Assign(*Font());
    int x = 4;
    int h = measure.TextHeight("Wg");
    int top = (ClientHeight() - h) / 2;
    for (int i = 0; i < static_cast<int>(segments_.size()); ++i) {
        std::string text = SegmentText(segments_[static_cast<std::size_t>(i)]);
        if (i == selected_ && !typed_.empty()) text = typed_;
        int w = measure.TextWidth(text);
        if (i == index) return Bounds(x, top, w, h);
        x += w;
    }
    return {};
}

// ------------------------------------------------------------- painting

void TDateTimePicker::Paint() {
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(r);
    TRect button = ButtonRect();
    c.SetClipRect(Rect(r.Left, r.Top, button.Left, r.Bottom));
    bool focused = Focused();
    for (int i = 0; i < static_cast<int>(segments_.size()); ++i) {
        const TDateSegment& s = segments_[static_cast<std::size_t>(i)];
        std::string text = i == selected_ && !typed_.empty() ? typed_ : SegmentText(s);
        TRect sr = SegmentRect(i);
        bool marked = focused && i == selected_ && !dropped_;
        c.Brush().SetStyle(marked ? bsSolid : bsClear);
        if (marked) {
            c.Brush().SetColor(clHighlight);
            c.FillRect(sr);
        }
        c.Font().SetColor(!Enabled() ? clGrayText : marked ? clHighlightText : clWindowText);
        c.TextOut(sr.Left, sr.Top, text);
    }
    c.ClearClip();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(button);
    auto arrow = [&](TRect area, bool up) {
        int cx = area.Left + area.Width() / 2, cy = area.Top + area.Height() / 2;
        c.Pen().SetColor(Enabled() ? clBtnText : clGrayText);
        c.Brush().SetColor(Enabled() ? clBtnText : clGrayText);
        if (up)
            c.Polygon({{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}});
        else
            c.Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
    };
    if (dateMode_ == dmUpDown) {
        TRect up = Rect(button.Left, button.Top, button.Right, button.Top + button.Height() / 2);
        TRect down = Rect(button.Left, up.Bottom, button.Right, button.Bottom);
        TRect e = up;
        c.DrawEdge(e, EDGE_RAISED, BF_RECT);
        e = down;
        c.DrawEdge(e, EDGE_RAISED, BF_RECT);
        arrow(up, true);
        arrow(down, false);
    } else {
        TRect e = button;
        c.DrawEdge(e, dropped_ ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
        arrow(dropped_ ? OffsetRect(button, 1, 1) : button, false);
    }
}

// ---------------------------------------------------------------- input

void TDateTimePicker::SelectSegment(int index) {
    if (!Editable(index) || index == selected_) return;
    CommitTyped();
    selected_ = index;
    Invalidate();
}

void TDateTimePicker::MoveSelection(int step) {
    CommitTyped();
    int n = static_cast<int>(segments_.size());
    for (int i = selected_ + step; i >= 0 && i < n; i += step)
        if (Editable(i)) {
            selected_ = i;
            break;
        }
    Invalidate();
}

void TDateTimePicker::StepPart(int delta) {
    CommitTyped();
    if (!Editable(selected_)) return;
    TDatePart part = segments_[static_cast<std::size_t>(selected_)].part;
    int lo, hi;
    PartRange(part, value_, lo, hi);
    int v = PartValue(part, value_) + delta;
    if (part == TDatePart::Year)
        v = std::clamp(v, lo, hi);
    else if (v > hi)
        v = lo;
    else if (v < lo)
        v = hi;
    UserSet(WithPart(part, value_, v));
}

void TDateTimePicker::TypeDigit(int digit) {
    if (!Editable(selected_)) return;
    const TDateSegment& s = segments_[static_cast<std::size_t>(selected_)];
    if (s.part == TDatePart::Year) {
        typed_ += static_cast<char>('0' + digit);
        Invalidate();
        if (typed_.size() >= (s.token == "yy" ? 2u : 4u)) {
            CommitTyped();
            MoveSelection(1);
        }
        return;
    }
    int lo, hi;
    PartRange(s.part, value_, lo, hi);
    std::string next = typed_ + static_cast<char>('0' + digit);
    int v = std::stoi(next);
    if (v > hi) {
        next = std::string(1, static_cast<char>('0' + digit));
        v = digit;
    }
    typed_ = next;
    if (v >= lo) UserSet(WithPart(s.part, value_, v));
    Invalidate();
    // The part is full when no further digit could keep it in range.
    if (typed_.size() >= 2 || v * 10 > hi) {
        typed_.clear();
        MoveSelection(1);
    }
}

void TDateTimePicker::CommitTyped() {
    if (typed_.empty()) return;
    std::string digits;
    digits.swap(typed_);
    if (!Editable(selected_)) return;
    const TDateSegment& s = segments_[static_cast<std::size_t>(selected_)];
    if (s.part != TDatePart::Year) {
        Invalidate();
        return;
    }
    int y = std::stoi(digits);
    // Two digits or fewer are a year of 1950 to 2049, as dates are read.
    if (digits.size() <= 2) y += y < 50 ? 2000 : 1900;
    if (y >= 1 && y <= 9999) UserSet(WithPart(TDatePart::Year, value_, y));
    Invalidate();
}

void TDateTimePicker::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        TRect b = ButtonRect();
        if (b.Contains({x, y})) {
            if (dateMode_ == dmUpDown)
                StepPart(y < b.Top + b.Height() / 2 ? 1 : -1);
            else if (dropped_)
                CloseUp(false);
            else
                DropDown();
        } else {
            for (int i = 0; i < static_cast<int>(segments_.size()); ++i) {
                TRect r = SegmentRect(i);
                if (x >= r.Left && x < r.Right) {
                    SelectSegment(i);
                    break;
                }
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TDateTimePicker::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    if (dropped_) {
        if (key == kKeyF4 || (key == VK_UP && shift.Contains(ssAlt)))
            CloseUp(true);
        else if (!calendar_->HandleKey(key))
            return;
        key = 0;
        return;
    }
    switch (key) {
        case VK_LEFT: MoveSelection(-1); break;
        case VK_RIGHT: MoveSelection(1); break;
        case VK_UP: StepPart(1); break;
        case VK_DOWN:
            if (shift.Contains(ssAlt))
                DropDown();
            else
                StepPart(-1);
            break;
        case kKeyF4: DropDown(); break;
        default: return;
    }
    key = 0;
}

void TDateTimePicker::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key >= '0' && key <= '9') {
        if (!dropped_) TypeDigit(key - '0');
        key = 0;
    }
}

void TDateTimePicker::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (dropped_ ? LRESULT{DLGC_WANTALLKEYS} : LRESULT{0});
            return;
        case WM_SYSKEYDOWN:
            // Alt+Down and Alt+Up open and close the calendar.
            if (m.WParam == VK_DOWN || m.WParam == VK_UP) {
                std::uint16_t key = static_cast<std::uint16_t>(m.WParam);
                KeyDown(key, TShiftState{ssAlt});
                return;
            }
            break;
        case WM_KILLFOCUS:
            CommitTyped();
            CloseUp(false);
            Invalidate();
            break;
        case WM_SETFOCUS: Invalidate(); break;
        case CM_CANCELMODE:
            if (reinterpret_cast<TControl*>(m.LParam) != this) CloseUp(false);
            break;
        case CM_ENABLEDCHANGED:
        case CM_FONTCHANGED:
            CloseUp(false);
            Invalidate();
            break;
        default: break;
    }
    TCustomControl::Dispatch(m);
}

void TDateTimePicker::DropDown() {
    if (dropped_ || kind_ != dtkDate || dateMode_ != dmComboBox || !Enabled() || !Showing()) return;
    CommitTyped();
    if (OnDropDown) OnDropDown(this);
    if (!calendar_) {
        calendar_ = Create<TMonthCalendarPopup>(this);
    }
    calendar_->Font()->Assign(*Font());
    calendar_->SetSelected(Date());
    TSize size = calendar_->PreferredSize();
    TPoint below = ClientToScreen({calAlignment_ == dtaLeft ? 0 : Width() - size.cx, Height()});
    TRect screen = GetWorkArea();
    if (below.Y + size.cy > screen.Bottom) below.Y = ClientToScreen({0, 0}).Y - size.cy;
    below.X = std::clamp(below.X, screen.Left, std::max(screen.Left, screen.Right - size.cx));
    calendar_->SetBounds(below.X, below.Y, size.cx, size.cy);
    calendar_->HandleNeeded();
    dropped_ = true;
    calendar_->SetVisible(true);
    SetCapture(calendar_->Handle());
    Invalidate();
}

void TDateTimePicker::CloseUp(bool accept) {
    if (!dropped_) return;
    dropped_ = false;
    if (calendar_->HandleAllocated() && GetCapture() == calendar_->WindowHandle()) ReleaseCapture();
    calendar_->SetVisible(false);
    if (accept) UserSet(calendar_->Selected() + Time());
    Invalidate();
    if (OnCloseUp) OnCloseUp(this);
}

// ------------------------------------------------------ TMonthCalendarPopup

namespace {
constexpr int kCellW = 24;
constexpr int kCellH = 18;
constexpr int kEdge = 4;
constexpr int kHeaderH = 24;
constexpr int kWeekRowH = 18;
constexpr int kGridTop = 1 + kHeaderH + kWeekRowH + 3;
constexpr int kCalendarW = 7 * kCellW + 2 * kEdge;
const char* const kWeekDays[] = {"日", "一", "二", "三", "四", "五", "六"};
}  // namespace

MENVARO_CLASS_INFO(TMonthCalendarPopup) {}

TMonthCalendarPopup::TMonthCalendarPopup(TComponent* owner) : TCustomControl(owner) {
    // The picker holds the window's capture itself.
    SetControlStyle(ControlStyle() - csCaptureMouse);
    SetColor(clWindow);
    SetVisible(false);
    TSize s = PreferredSize();
    SetBounds(0, 0, s.cx, s.cy);
}

void TMonthCalendarPopup::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.Style = WS_POPUP;
    p.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    if (auto* picker = Picker()) {
        TCustomForm* form = GetParentForm(picker);
        if (form && form->HandleAllocated()) p.Owner = form->WindowHandle();
    }
}

TDateTimePicker* TMonthCalendarPopup::Picker() const { return dynamic_cast<TDateTimePicker*>(Owner()); }

TSize TMonthCalendarPopup::PreferredSize() const { return {kCalendarW, TodayRect().Bottom + 3}; }

namespace {
// The first and the last day a date can hold.
TDateTime FirstDay() { return EncodeDate(1, 1, 1); }
TDateTime LastDay() { return EncodeDate(9999, 12, 31); }
}  // namespace

void TMonthCalendarPopup::SetSelected(TDateTime day) {
    // The keys step past the first and the last day a date can hold.
    day = std::clamp(DateOf(day), FirstDay(), LastDay());
    selected_ = day;
    ShowMonth(day);
    Invalidate();
}

void TMonthCalendarPopup::ShowMonth(TDateTime anyDay) {
    int y, m, d;
    DecodeDate(anyDay, y, m, d);
    month_ = EncodeDate(y, m, 1);
    Invalidate();
}

TDateTime TMonthCalendarPopup::FirstCell() const {
    // Weeks begin on Sunday; a month starting on Sunday shows the week before too.
    int back = DayOfWeek(month_) - 1;
    return month_ - (back == 0 ? 7 : back);
}

TRect TMonthCalendarPopup::PrevRect() const { return Bounds(kEdge, 4, 18, 18); }
TRect TMonthCalendarPopup::NextRect() const { return Bounds(kCalendarW - kEdge - 18, 4, 18, 18); }
TRect TMonthCalendarPopup::TodayRect() const {
    return Bounds(kEdge, kGridTop + 6 * kCellH + 2, kCalendarW - 2 * kEdge, 18);
}

TRect TMonthCalendarPopup::DayRect(TDateTime day) const {
    int index = static_cast<int>(DateOf(day) - FirstCell());
    if (index < 0 || index >= 42) return {};
    return Bounds(kEdge + (index % 7) * kCellW, kGridTop + (index / 7) * kCellH, kCellW, kCellH);
}

void TMonthCalendarPopup::Paint() {
    TCanvas& c = *Canvas();
    TRect all = ClientRect();
    c.Brush().SetColor(clWindow);
    c.FillRect(all);
    c.Brush().SetColor(clWindowFrame);
    c.FrameRect(all);
    TRect header = Rect(1, 1, all.Right - 1, 1 + kHeaderH);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(header);
    int y, m, d;
    DecodeDate(month_, y, m, d);
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBtnText);
    c.Font().SetStyle(fsBold);
    std::string title = std::to_string(y) + "年" + std::to_string(m) + "月";
    c.DrawText(title, header, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c.Font().SetStyle(0);
    c.Brush().SetStyle(bsSolid);
    auto arrow = [&](TRect r, bool left) {
        TRect e = r;
        c.DrawEdge(e, EDGE_RAISED, BF_RECT);
        int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
        c.Pen().SetColor(clBtnText);
        c.Brush().SetColor(clBtnText);
        if (left)
            c.Polygon({{cx + 2, cy - 4}, {cx + 2, cy + 4}, {cx - 2, cy}});
        else
            c.Polygon({{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}});
    };
    arrow(PrevRect(), true);
    arrow(NextRect(), false);

    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clWindowText);
    for (int i = 0; i < 7; ++i) {
        TRect r = Bounds(kEdge + i * kCellW, 1 + kHeaderH, kCellW, kWeekRowH);
        c.DrawText(kWeekDays[i], r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clBtnShadow);
    c.FillRect(Rect(kEdge, kGridTop - 2, all.Right - kEdge, kGridTop - 1));

    TDateTime today = Date();
    TDateTime first = FirstCell();
    for (int i = 0; i < 42; ++i) {
        TDateTime day = first + i;
        // The grid of January 1 and of December 9999 reaches past the calendar: those cells stay blank.
        if (day < FirstDay() || day > LastDay()) continue;
        TRect r = DayRect(day);
        int dy, dm, dd;
        DecodeDate(day, dy, dm, dd);
        bool isSelected = day == selected_;
        if (isSelected) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clHighlight);
            c.FillRect(r);
        }
        if (day == today) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clRed);
            c.FrameRect(r);
        }
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(isSelected ? clHighlightText : dm == m ? clWindowText : clGrayText);
        c.DrawText(std::to_string(dd), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    c.Font().SetColor(clWindowText);
    TRect todayRect = TodayRect();
    c.DrawText("今天: " + DateToStr(today), todayRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

bool TMonthCalendarPopup::HandleKey(std::uint16_t key) {
    TDateTimePicker* picker = Picker();
    switch (key) {
        case VK_LEFT: SetSelected(selected_ - 1); return true;
        case VK_RIGHT: SetSelected(selected_ + 1); return true;
        case VK_UP: SetSelected(selected_ - 7); return true;
        case VK_DOWN: SetSelected(selected_ + 7); return true;
        case VK_PRIOR: SetSelected(AddMonths(selected_, -1)); return true;
        case VK_NEXT: SetSelected(AddMonths(selected_, 1)); return true;
        case VK_RETURN:
            if (picker) picker->CloseUp(true);
            return true;
        case VK_ESCAPE:
            if (picker) picker->CloseUp(false);
            return true;
        default: return false;
    }
}

void TMonthCalendarPopup::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    TDateTimePicker* picker = Picker();
    if (!picker || button != mbLeft) return;
    TPoint p{x, y};
    if (!ClientRect().Contains(p)) {
        picker->CloseUp(false);
        return;
    }
    if (PrevRect().Contains(p)) {
        ShowMonth(AddMonths(month_, -1));
        return;
    }
    if (NextRect().Contains(p)) {
        ShowMonth(AddMonths(month_, 1));
        return;
    }
    if (TodayRect().Contains(p)) {
        SetSelected(Date());
        picker->CloseUp(true);
        return;
    }
    TDateTime first = FirstCell();
    for (int i = 0; i < 42; ++i)
        if (DayRect(first + i).Contains(p)) {
            SetSelected(first + i);
            picker->CloseUp(true);
            return;
        }
}

void TMonthCalendarPopup::Dispatch(TMessage& m) {
    if (m.Msg == WM_CAPTURECHANGED) {
        // Whoever takes the mouse away closes the calendar.
        if (static_cast<HWND>(m.LParam) != WindowHandle())
            if (TDateTimePicker* picker = Picker(); picker && picker->DroppedDown()) picker->CloseUp(false);
    }
    TCustomControl::Dispatch(m);
}

}  // namespace menvaro
