#include "ui/Menus.h"

#include <algorithm>
#include <cctype>

#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "ui/Forms.h"

namespace menvaro {

MENVARO_DEFINE_ENUM(TPopupAlignment, paLeft, paRight, paCenter)

// ------------------------------------------------------------- shortcuts

namespace {

struct TKeyName {
    std::uint16_t key;
    const char* name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(std::uint16_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
    for (const TKeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    return std::string();
}

}  // namespace

TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
    if (key & 0xFF00) return scNone;
    TShortCut s = key;
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, std::uint16_t& key, TShiftState& shift) {
    key = shortCut & 0xFF;
    shift = {};
    if (shortCut & scShift) shift += ssShift;
    if (shortCut & scCtrl) shift += ssCtrl;
    if (shortCut & scAlt) shift += ssAlt;
}

std::string ShortCutToText(TShortCut shortCut) {
    std::string name = KeyName(shortCut & 0xFF);
    if (name.empty()) return name;
    std::string out;
    if (shortCut & scShift) out += "Shift+";
    if (shortCut & scCtrl) out += "Ctrl+";
    if (shortCut & scAlt) out += "Alt+";
    return out + name;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string_view rest = text;
    TShortCut mods = 0;
    for (bool more = true; more;) {
        more = false;
        for (auto [prefix, bit] : {std::pair{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            std::string_view p = prefix;
            if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
                mods |= bit;
                rest.remove_prefix(p.size());
                more = true;
            }
        }
    }
    for (unsigned key = 1; key < 0x100; ++key) {
        std::string name = KeyName(static_cast<std::uint16_t>(key));
        if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | mods);
    }
    return scNone;
}

// ------------------------------------------------------------- TMenuItem

namespace {
std::uint32_t gNextCommand = 0;
}  // namespace

MENVARO_CLASS_INFO(TMenuItem) {
    c.Prop("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    c.Prop("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
    c.Prop("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
    c.Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    c.Prop("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    c.Prop("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0);
    c.Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    c.Event("OnClick", &TMenuItem::OnClick);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(++gNextCommand) {}

TMenuItem::~TMenuItem() = default;

void TMenuItem::BeforeDestruction() {
    if (parent_) parent_->Remove(this);
    while (!items_.empty()) {
        TMenuItem* last = items_.back();
        items_.pop_back();
        last->parent_ = nullptr;
        last->Free();
    }
    TComponent::BeforeDestruction();
}

void TMenuItem::SetCaption(const std::string& s) {
    if (s == caption_) return;
    caption_ = s;
    Changed();
}

void TMenuItem::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Changed();
}

void TMenuItem::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    Changed();
}

void TMenuItem::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Changed();
}

void TMenuItem::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut s) {
    if (s == shortCut_) return;
    shortCut_ = s;
    Changed();
}

void TMenuItem::Changed() {
    TMenu* menu = GetParentMenu();
    if (auto* popup = dynamic_cast<TPopupMenu*>(menu); popup && popup->PopupWindow())
        popup->PopupWindow()->Invalidate();
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->parent_) throw EInvalidOperation("Menu inserted twice");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw EInvalidOperation("A menu item cannot hold itself");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Delete(int index) { Remove(Items(index)); }

void TMenuItem::Clear() {
    while (!items_.empty()) items_.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

namespace {
std::string StripAccel(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}
}  // namespace

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    std::string want = StripAccel(caption);
    for (TMenuItem* item : items_)
        if (SameText(StripAccel(item->caption_), want)) return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* top = this;
    while (top->parent_) top = top->parent_;
    return top->menu_;
}

TComponent* TMenuItem::GetParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
    if (parent_) parent_->Remove(this);
    if (auto* menu = dynamic_cast<TMenu*>(parent))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent))
        item->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (TMenuItem* item : items_)
        if (item->Owner() == root) proc(item);
}

// ----------------------------------------------------------------- TMenu

MENVARO_CLASS_INFO(TMenu) {}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(Create<TMenuItem>(this)) { items_->menu_ = this; }

TMenu::~TMenu() = default;

void TMenu::BeforeDestruction() {
    // The items go with their menu, also those a form owns.
    if (items_) {
        TMenuItem* root = items_;
        items_ = nullptr;
        root->Free();
    }
    TComponent::BeforeDestruction();
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (items_) items_->GetChildren(proc, root);
}

namespace {
TMenuItem* FindShortCut(const TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        if (item->ShortCut() == shortCut) return item;
        if (TMenuItem* below = FindShortCut(item, shortCut)) return below;
    }
    return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut shortCut) const {
    if (!items_ || shortCut == scNone) return nullptr;
    return FindShortCut(items_, shortCut);
}

bool TMenu::IsShortCut(std::uint16_t key, TShiftState shift) {
    TMenuItem* item = FindItemByShortCut(ShortCut(key, shift));
    if (!item || !item->Enabled()) return false;
    item->Click();
    return true;
}

// ----------------------------------------------------- the popup window

namespace {

constexpr int kBorder = 3;
constexpr int kCheckWidth = 18;
constexpr int kRightMargin = 14;
constexpr int kShortCutGap = 24;
constexpr int kLineHeight = 8;

// The window of a popup menu that shows: its items in rows.
class TPopupMenuWindow : public TCustomControl {
    MENVARO_CLASS(TPopupMenuWindow, TCustomControl)
public:
    explicit TPopupMenuWindow(TComponent* owner) : TCustomControl(owner) {
        SetControlStyle(ControlStyle() - csCaptureMouse);
        SetVisible(false);
        SetColor(clMenu);
        // The desktop's menu font.
        Font()->SetName("宋体");
        Font()->SetHeight(-12);
    }

    struct Row {
        TMenuItem* item;
        TRect rect;  // client coordinates
    };

    // Rows for the visible items of `root`; answers the size they need.
    TSize Build(const TMenuItem* root) {
        rows_.clear();
        TBitmap scratch;
        scratch.SetSize(1, 1);
        TCanvas& m = scratch.Canvas();
        m.Font().Assign(*Font());
        const int itemH = m.TextHeight("Wg") + 6;
        int captionW = 0, shortCutW = 0, y = kBorder;
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            if (!item->Visible()) continue;
            int h = item->IsLine() ? kLineHeight : itemH;
            if (!item->IsLine()) {
                m.Font().SetStyle(item->Default() ? TFontStyles{fsBold} : TFontStyles{0});
                TRect r{0, 0, 0, 0};
                m.DrawText(item->Caption(), r, DT_CALCRECT | DT_SINGLELINE);
                captionW = std::max(captionW, r.Width());
                if (item->ShortCut()) shortCutW = std::max(shortCutW, m.TextWidth(ShortCutToText(item->ShortCut())));
            }
            rows_.push_back({item, {kBorder, y, 0, y + h}});
            y += h;
        }
        int width = kBorder + kCheckWidth + captionW + (shortCutW ? kShortCutGap + shortCutW : 0) + kRightMargin +
                    kBorder;
        for (Row& r : rows_) r.rect.Right = width - kBorder;
        return {width, y + kBorder};
    }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const Row& RowAt(int i) const { return rows_[static_cast<std::size_t>(i)]; }
    int Hot() const { return hot_; }

    void SetHot(int i) {
        if (i == hot_) return;
        hot_ = i;
        Invalidate();
    }

    // The row under a screen point, -1 for none or a separator.
    int RowAtScreen(TPoint screen) const {
        TPoint p = ScreenToClient(screen);
        for (int i = 0; i < RowCount(); ++i)
            if (rows_[static_cast<std::size_t>(i)].rect.Contains(p))
                return rows_[static_cast<std::size_t>(i)].item->IsLine() ? -1 : i;
        return -1;
    }

    bool Selectable(int i) const { return i >= 0 && i < RowCount() && !RowAt(i).item->IsLine(); }

    // The next row that can be highlighted from `from` going `step`, round.
    int Step(int from, int step) const {
        int n = RowCount();
        for (int k = 1; k <= n; ++k) {
            int i = ((from < 0 ? (step > 0 ? -1 : n) : from) + step * k) % n;
            if (i < 0) i += n;
            if (Selectable(i)) return i;
        }
        return -1;
    }

protected:
    void CreateParams(TCreateParams& p) override {
        TCustomControl::CreateParams(p);
        p.Style = WS_POPUP;
        p.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
        if (HWND active = GetActiveWindow()) p.Owner = active;
    }

    void Paint() override {
        TCanvas& c = *Canvas();
        TRect all = ClientRect();
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(clMenu);
        c.FillRect(all);
        TRect edge = all;
        c.DrawEdge(edge, EDGE_RAISED, BF_RECT);
        for (int i = 0; i < RowCount(); ++i) PaintRow(c, RowAt(i), i == hot_);
    }

private:
    void PaintRow(TCanvas& c, const Row& row, bool hot) {
        const TMenuItem& item = *row.item;
        TRect r = row.rect;
        if (item.IsLine()) {
            int y = r.Top + r.Height() / 2 - 1;
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(clBtnShadow);
            c.FillRect({r.Left + 1, y, r.Right - 1, y + 1});
            c.Brush().SetColor(clBtnHighlight);
            c.FillRect({r.Left + 1, y + 1, r.Right - 1, y + 2});
            return;
        }
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(hot ? clHighlight : clMenu);
        c.FillRect(r);
        c.Font().Assign(*Font());
        c.Font().SetStyle(item.Default() ? TFontStyles{fsBold} : TFontStyles{0});
        TRect text{r.Left + kCheckWidth, r.Top, r.Right - kRightMargin, r.Bottom};
        auto draw = [&](TColor colour, int dx) {
            c.Brush().SetStyle(bsClear);
            c.Font().SetColor(colour);
            TRect t = OffsetRect(text, dx, dx);
            c.DrawText(item.Caption(), t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            if (item.ShortCut()) {
                TRect s = t;
                c.DrawText(ShortCutToText(item.ShortCut()), s, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
            }
            if (item.Checked()) {
                // A tick in the check column.
                int x = r.Left + 4 + dx, y = r.Top + r.Height() / 2 - 1 + dx;
                c.Brush().SetStyle(bsSolid);
                c.Brush().SetColor(colour);
                for (int i = 0; i < 7; ++i) {
                    int yy = i < 3 ? y + i : y + 4 - i + 2;
                    c.FillRect({x + i, yy, x + i + 1, yy + 3});
                }
            }
        };
        if (!item.Enabled() && !hot) {
            draw(clBtnHighlight, 1);
            draw(clBtnShadow, 0);
        } else {
            draw(!item.Enabled() ? clGrayText : hot ? clHighlightText : clMenuText, 0);
        }
    }

    std::vector<Row> rows_;
    int hot_ = -1;
};

bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

bool IsMouseMessage(UINT m) {
    return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCRBUTTONDBLCLK);
}

bool IsButtonDown(UINT m) {
    switch (m) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONDBLCLK: return true;
        default: return false;
    }
}

bool IsButtonUp(UINT m) { return m == WM_LBUTTONUP || m == WM_RBUTTONUP; }

// Where the menu goes so that it stays on the work area of the monitor of
// the point: to the other side of the point when it does not fit.
TPoint PlaceMenu(TPoint at, TSize size, TPopupAlignment alignment) {
    TMonitorInfo mi;
    GetMonitorInfo(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), mi);
    const TRect work = mi.rcWork;
    int x = alignment == paLeft ? at.X : alignment == paRight ? at.X - size.cx : at.X - size.cx / 2;
    int y = at.Y;
    if (x + size.cx > work.Right) x = alignment == paLeft ? at.X - size.cx : work.Right - size.cx;
    if (x < work.Left) x = alignment == paRight ? at.X : work.Left;
    if (x + size.cx > work.Right) x = work.Right - size.cx;
    x = std::max(x, work.Left);
    if (y + size.cy > work.Bottom) y = at.Y - size.cy;
    if (y < work.Top) y = work.Top;
    return {x, y};
}

}  // namespace

MENVARO_CLASS_INFO(TPopupMenuWindow) {}

// ------------------------------------------------------------ TPopupMenu

MENVARO_CLASS_INFO(TPopupMenu) {
    c.Prop("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
    c.Prop("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
    c.Event("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::SetPopupComponent(TComponent* c) {
    if (c == popupComponent_) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = c;
    if (c) c->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TMenu::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == popupComponent_) popupComponent_ = nullptr;
    if (component == window_) window_ = nullptr;
}

void TPopupMenu::BeforeDestruction() {
    *alive_ = false;
    if (commandWindow_) DeallocateHWnd(commandWindow_);
    commandWindow_ = 0;
    TMenu::BeforeDestruction();
}

namespace {
TMenuItem* FindCommand(TMenuItem* parent, std::uint32_t command) {
    for (int i = 0; parent && i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->Command() == command) return item;
        if (TMenuItem* below = FindCommand(item, command)) return below;
    }
    return nullptr;
}
}  // namespace

void TPopupMenu::PostCommand(TMenuItem* item) {
    if (!commandWindow_) {
        commandWindow_ = AllocateHWnd([this](TMessage& m) {
            if (m.Msg != WM_COMMAND) return;
            // The item may have gone since it was chosen.
            if (TMenuItem* chosen = FindCommand(Items(), static_cast<std::uint32_t>(m.WParam))) chosen->Click();
        });
    }
    PostMessage(commandWindow_, WM_COMMAND, item->Command(), 0);
}

void TPopupMenu::Popup(int x, int y) {
    if (window_ || ComponentState().Contains(csDestroying)) return;
    // A menu freed by what runs meanwhile is never touched again.
    std::shared_ptr<bool> alive = alive_;
    if (OnPopup) OnPopup(this);
    if (!*alive || !Items()) return;
    auto* w = Create<TPopupMenuWindow>(this);
    window_ = w;
    // The window goes when the menu closes, also when a handler raises; a
    // menu freed meanwhile took it along.
    ScopeGuard closed([&] {
        if (!*alive || !window_) return;
        window_ = nullptr;
        w->Free();
    });
    TSize size = w->Build(Items());
    if (w->RowCount() == 0) return;
    TPoint at = PlaceMenu({x, y}, size, alignment_);
    w->SetBounds(at.X, at.Y, size.cx, size.cy);
    // The menu takes the mouse from whoever held it.
    if (HWND cap = GetCapture()) {
        SendMessage(cap, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    w->HandleNeeded();
    w->SetVisible(true);
    UpdateWindow(w->Handle());

    TMenuItem* chosen = nullptr;
    bool done = false;
    auto choose = [&](int row) {
        if (!w->Selectable(row) || !w->RowAt(row).item->Enabled()) return;
        chosen = w->RowAt(row).item;
        done = true;
    };
    while (!done && *alive && window_) {
        TMsg msg;
        if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE)) {
            if (Application->Terminated()) break;
            Application->Idle();
            continue;
        }
        if (msg.message == WM_QUIT) {
            // For the loop outside.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsKeyMessage(msg.message)) {
            if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
                switch (msg.wParam) {
                    case VK_UP: w->SetHot(w->Step(w->Hot(), -1)); break;
                    case VK_DOWN: w->SetHot(w->Step(w->Hot(), 1)); break;
                    case VK_HOME: w->SetHot(w->Step(-1, 1)); break;
                    case VK_END: w->SetHot(w->Step(-1, -1)); break;
                    case VK_RETURN: choose(w->Hot()); break;
                    case VK_ESCAPE:
                    case VK_MENU: done = true; break;
                    default: break;
                }
            } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
                // An accelerator: its item when it is the only one, else the
                // next of those that have it.
                char ch = static_cast<char>(msg.wParam & 0xFF);
                std::vector<int> hits;
                for (int i = 0; i < w->RowCount(); ++i)
                    if (w->Selectable(i) && IsAccel(ch, w->RowAt(i).item->Caption())) hits.push_back(i);
                if (hits.size() == 1) {
                    w->SetHot(hits[0]);
                    choose(hits[0]);
                } else if (!hits.empty()) {
                    auto next = std::upper_bound(hits.begin(), hits.end(), w->Hot());
                    w->SetHot(next == hits.end() ? hits[0] : *next);
                }
            }
            continue;
        }
        if (IsMouseMessage(msg.message)) {
            TRect bounds;
            GetWindowRect(w->Handle(), bounds);
            bool inside = bounds.Contains(msg.pt);
            if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
                w->SetHot(inside ? w->RowAtScreen(msg.pt) : -1);
            } else if (IsButtonDown(msg.message) && !inside) {
                // Dismissed; the press goes on to where it was made once the
                // menu is gone, before anything posted after it.
                done = true;
                if (HWND target = WindowFromPoint(msg.pt); target && target != w->WindowHandle()) {
                    LPARAM where = msg.lParam;
                    if (msg.message < WM_NCMOUSEMOVE || msg.message > WM_NCRBUTTONDBLCLK) {
                        TPoint c = ScreenToClient(target, msg.pt);
                        where = MakeLParam(c.X, c.Y);
                    }
                    PostMessage(target, msg.message, msg.wParam, where);
                }
            } else if (IsButtonUp(msg.message) && inside) {
                choose(w->RowAtScreen(msg.pt));
            }
            continue;
        }
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    if (!*alive) return;
    if (chosen) PostCommand(chosen);
}

}  // namespace menvaro
