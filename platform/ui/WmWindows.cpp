// The window tree: creation, geometry, styles, visibility, regions, and
// painting (update regions, device contexts, default frame drawing).
#include <algorithm>

#include "base/Exceptions.h"
#include "ui/WmInternal.h"

namespace menvaro {

using namespace wm;

namespace wm {

Globals& G() {
    static Globals* g = [] {
        auto* globals = new Globals;  // outlives every static that may still post or paint
        // Headless time is the program's own from the start, also before a
        // window brings up the backend.
        globals->virtualTime = BackendChoice() == "headless";
        if (globals->virtualTime) globals->virtualNow = 1;
        return globals;
    }();
    return *g;
}

Window* FindLocked(HWND hwnd) {
    auto& ws = G().windows;
    auto it = ws.find(hwnd);
    return it == ws.end() ? nullptr : it->second.get();
}

Window* RootLocked(Window* w) {
    while (w && w->parent) w = FindLocked(w->parent);
    return w;
}

TRect WindowRectScreenLocked(const Window* w) {
    if (w->TopLevel()) return w->rect;
    const Window* p = FindLocked(w->parent);
    TPoint o = p ? ClientOriginScreenLocked(p) : TPoint{};
    return OffsetRect(w->rect, o.X, o.Y);
}

TPoint ClientOriginScreenLocked(const Window* w) {
    TRect r = WindowRectScreenLocked(w);
    return {r.Left + w->client.Left, r.Top + w->client.Top};
}

bool IsVisibleLocked(const Window* w) {
    for (; w; w = w->parent ? FindLocked(w->parent) : nullptr)
        if (!w->Visible()) return false;
    return true;
}

bool IsEnabledLocked(const Window* w) { return w && w->Enabled(); }

static TRegion ShapeScreenLocked(const Window* w) {
    TRect r = WindowRectScreenLocked(w);
    if (!w->region) return TRegion(r);
    TRegion g = *w->region;
    g.Offset(r.Left, r.Top);
    g.Intersect(r);
    return g;
}

TRegion VisibleRegionLocked(const Window* w, bool clientOnly, bool clipChildren) {
    if (!IsVisibleLocked(w)) return TRegion();
    TRegion vis = ShapeScreenLocked(w);
    if (clientOnly) {
        TPoint o = ClientOriginScreenLocked(w);
        vis.Intersect(Bounds(o.X, o.Y, w->client.Width(), w->client.Height()));
    }
    if (clipChildren) {
        for (HWND h : w->children) {
            const Window* c = FindLocked(h);
            if (c && c->Visible()) vis.Subtract(ShapeScreenLocked(c));
        }
    }
    const Window* cur = w;
    while (cur->parent) {
        const Window* p = FindLocked(cur->parent);
        if (!p) return TRegion();
        TPoint o = ClientOriginScreenLocked(p);
        vis.Intersect(Bounds(o.X, o.Y, p->client.Width(), p->client.Height()));
        if (p->region) {
            TRegion pr = ShapeScreenLocked(p);
            vis.Intersect(pr);
        }
        // Siblings above this one cover it.
        auto it = std::find(p->children.begin(), p->children.end(), cur->handle);
        for (++it; it != p->children.end(); ++it) {
            const Window* s = FindLocked(*it);
            if (s && s->Visible()) vis.Subtract(ShapeScreenLocked(s));
        }
        cur = p;
    }
    vis.Intersect(cur->surfaceRect);
    return vis;
}

HWND WindowFromPointLocked(TPoint screen) {
    auto& g = G();
    for (auto it = g.topLevels.rbegin(); it != g.topLevels.rend(); ++it) {
        const Window* top = FindLocked(*it);
        if (!top || top->messageOnly || !top->Visible()) continue;
        if (!ShapeScreenLocked(top).Contains(screen)) continue;
        // Down the tree: the topmost visible child under the point.
        const Window* cur = top;
        while (true) {
            TPoint o = ClientOriginScreenLocked(cur);
            if (!Bounds(o.X, o.Y, cur->client.Width(), cur->client.Height()).Contains(screen)) break;
            const Window* hit = nullptr;
            for (auto c = cur->children.rbegin(); c != cur->children.rend(); ++c) {
                const Window* cw = FindLocked(*c);
                if (cw && cw->Visible() && (cw->exStyle & WS_EX_TRANSPARENT) == 0 &&
                    ShapeScreenLocked(cw).Contains(screen)) {
                    hit = cw;
                    break;
                }
            }
            // A disabled child leaves the point to its parent.
            if (!hit || !hit->Enabled()) break;
            cur = hit;
        }
        return cur->handle;
    }
    return 0;
}

bool NeedsPaintLocked(const Window* w) { return !w->update.IsEmpty() || w->ncPaint; }

void InvalidateLocked(Window* w, const TRegion& clientRgn, bool erase, bool children) {
    TRegion part = clientRgn;
    part.Intersect(Bounds(0, 0, w->client.Width(), w->client.Height()));
    if (!part.IsEmpty()) {
        w->update.Union(part);
        if (erase) w->erase = true;
    }
    if (!children && (w->style & WS_CLIPCHILDREN)) return;
    for (HWND h : w->children) {
        Window* c = FindLocked(h);
        if (!c || !c->Visible()) continue;
        if (!clientRgn.Overlaps(c->rect)) continue;
        TRegion inChild = clientRgn;
        inChild.Offset(-c->rect.Left, -c->rect.Top);  // window coordinates of the child
        TRegion nc = inChild;
        nc.Intersect(Bounds(0, 0, c->rect.Width(), c->rect.Height()));
        TRegion clientPart = nc;
        clientPart.Intersect(c->client);
        nc.Subtract(TRegion(c->client));
        if (!nc.IsEmpty()) c->ncPaint = true;
        clientPart.Offset(-c->client.Left, -c->client.Top);
        InvalidateLocked(c, clientPart, erase, children);
    }
}

void InvalidateWholeLocked(Window* w, bool erase) {
    w->ncPaint = true;
    InvalidateLocked(w, TRegion(Bounds(0, 0, w->client.Width(), w->client.Height())), erase, true);
}

Window* FindPaintLocked(ThreadState* ts, HWND filter) {
    auto& g = G();
    if (filter) {
        Window* w = FindLocked(filter);
        return w && w->thread == ts && IsVisibleLocked(w) && NeedsPaintLocked(w) ? w : nullptr;
    }
    std::vector<Window*> stack;
    for (HWND h : g.topLevels) {
        Window* top = FindLocked(h);
        if (!top || top->thread != ts || !top->Visible() || top->messageOnly) continue;
        stack.push_back(top);
        while (!stack.empty()) {
            Window* w = stack.back();
            stack.pop_back();
            if (NeedsPaintLocked(w)) return w;  // parents before their children
            for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
                Window* c = FindLocked(*it);
                if (c && c->Visible()) stack.push_back(c);
            }
        }
    }
    return nullptr;
}

void PresentLocked() {
    auto& g = G();
    if (!g.backend) return;
    for (HWND h : g.topLevels) {
        Window* w = FindLocked(h);
        if (!w || !w->backendShown || !w->surface || w->dirty.IsEmpty()) continue;
        g.backend->Present(w->backendId, w->surface->Surface(), w->dirty);
        w->dirty = {};
    }
}

void PushTopLevelLocked(HWND h) {
    auto& tl = G().topLevels;
    tl.erase(std::remove(tl.begin(), tl.end(), h), tl.end());
    Window* w = FindLocked(h);
    bool topMost = w && (w->exStyle & WS_EX_TOPMOST);
    auto pos = tl.end();
    if (!topMost) {
        pos = std::find_if(tl.begin(), tl.end(), [](HWND x) {
            Window* o = FindLocked(x);
            return o && (o->exStyle & WS_EX_TOPMOST);
        });
    }
    tl.insert(pos, h);
}

}  // namespace wm

namespace {

using Lock = std::unique_lock<std::recursive_mutex>;

}  // namespace

TRect WindowFrameInsets(std::uint32_t style, std::uint32_t exStyle, bool topLevel) {
    TRect in = BorderInsets(style, exStyle, topLevel);
    if (style & WS_VSCROLL) in.Right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) in.Bottom += GetSystemMetrics(SM_CYHSCROLL);
    return in;
}

namespace wm {

TRect BorderInsets(std::uint32_t style, std::uint32_t exStyle, bool topLevel) {
    int t = 0;
    if (topLevel && (style & WS_CAPTION) == WS_CAPTION) {
        int frame = (style & WS_THICKFRAME) ? GetSystemMetrics(SM_CXFRAME) : GetSystemMetrics(SM_CXDLGFRAME);
        int caption = (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
        return {frame, frame + caption, frame, frame};
    }
    if (style & WS_THICKFRAME)
        t += GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        t += GetSystemMetrics(SM_CXDLGFRAME);
    if (style & WS_BORDER) t += 1;
    if (exStyle & WS_EX_CLIENTEDGE) t += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) t += 1;
    return {t, t, t, t};
}

}  // namespace wm

namespace {

bool Decorated(const Window* w) {
    return w->TopLevel() && !w->messageOnly && !w->ownFrame && (w->style & WS_CAPTION) == WS_CAPTION;
}

void UpdateSurfaceLocked(Window* w) {
    if (!w->TopLevel() || w->messageOnly) {
        w->surface.reset();
        return;
    }
    w->decorated = Decorated(w);
    TRect sr = w->decorated ? OffsetRect(w->client, w->rect.Left, w->rect.Top) : w->rect;
    // A window larger than the largest bitmap (BitmapSizeFits: 32767 a side,
    // 2^26 pixels) shows the part that fits, from its top-left corner.
    const int width = std::clamp(sr.Width(), 0, kMaxCoord);
    const int height = std::clamp(sr.Height(), 0, std::min(kMaxCoord, width ? (1 << 26) / width : kMaxCoord));
    sr = Bounds(sr.Left, sr.Top, width, height);
    bool resized = !w->surface || sr.Width() != w->surfaceRect.Width() || sr.Height() != w->surfaceRect.Height();
    bool moved = sr.TopLeft() != w->surfaceRect.TopLeft();
    w->surfaceRect = sr;
    if (!w->surface) w->surface = std::make_unique<TBitmap>();
    if (resized) {
        w->surface->SetSize(std::max(0, sr.Width()), std::max(0, sr.Height()));
        w->dirty = Bounds(0, 0, sr.Width(), sr.Height());
    }
    auto& g = G();
    if (w->backendId && g.backend && (resized || moved)) g.backend->SetBounds(w->backendId, sr);
}

// Asks the window for its client area (WM_NCCALCSIZE) and updates it.
void RecalcClient(HWND hwnd) {
    TRect r;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return;
        r = w->rect;
    }
    TRect windowRect = r;
    CallProc(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&r));
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return;
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    w->client = OffsetRect(r, -windowRect.Left, -windowRect.Top);
    UpdateSurfaceLocked(w);
}

void EnsureBackendWindowLocked(Window* w) {
    auto& g = G();
    if (w->backendId || !w->TopLevel() || w->messageOnly || !g.backend) return;
    TBackendWindowParams p;
    p.Title = w->text;
    p.Bounds = w->surfaceRect;
    p.Decorated = w->decorated;
    p.Popup = w->DropDown();
    p.TopMost = (w->exStyle & WS_EX_TOPMOST) != 0;
    p.ToolWindow = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
    p.Resizable = (w->style & WS_THICKFRAME) != 0;
    w->backendId = g.backend->CreateWindow(p);
}

void RemoveFromParentLocked(Window* w) {
    auto& g = G();
    if (w->parent) {
        if (Window* p = FindLocked(w->parent)) {
            auto& c = p->children;
            c.erase(std::remove(c.begin(), c.end(), w->handle), c.end());
        }
    } else {
        g.topLevels.erase(std::remove(g.topLevels.begin(), g.topLevels.end(), w->handle), g.topLevels.end());
    }
}

// The area a window covers in its parent, made invalid there (it moved or
// vanished).
void InvalidateUnderLocked(Window* w) {
    if (!w->parent) return;
    Window* p = FindLocked(w->parent);
    if (!p) return;
    TRegion under = w->region ? *w->region : TRegion(Bounds(0, 0, w->rect.Width(), w->rect.Height()));
    under.Offset(w->rect.Left, w->rect.Top);
    InvalidateLocked(p, under, true, true);
}

void DrawDefaultFrame(HWND hwnd) {
    std::uint32_t style, ex;
    TRect wr;
    bool ownCaption = false, active = false;
    std::string title;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w || (w->TopLevel() && w->decorated)) return;
        style = w->style;
        ex = w->exStyle;
        wr = Bounds(0, 0, w->rect.Width(), w->rect.Height());
        ownCaption = w->ownFrame && (style & WS_CAPTION) == WS_CAPTION;
        active = w->thread && w->thread->active == hwnd;
        title = w->text;
    }
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    TRect r = wr;
    if (ownCaption) {
        // A plain frame and caption band; a program that paints its own
        // frame answers WM_NCPAINT itself.
        TRect in = BorderInsets(style, ex, true);
        dc->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc->Brush().SetColor(clBtnFace);
        dc->Brush().SetStyle(bsSolid);
        while (r.Left < in.Left) {
            dc->FrameRect(r);
            r = InflateRect(r, -1, -1);
        }
        TRect band{in.Left, in.Left, wr.Right - in.Right, in.Top - 1};
        dc->Brush().SetColor(active ? clActiveCaption : clInactiveCaption);
        dc->FillRect(band);
        dc->Brush().SetStyle(bsClear);
        dc->Font().SetColor(active ? clCaptionText : clInactiveCaptionText);
        dc->Font().SetStyle(fsBold);
        TRect text = band;
        text.Left += 4;
        dc->DrawText(title, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ReleaseDC(hwnd, dc);
        return;
    }
    if (style & WS_THICKFRAME) {
        dc->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc->Brush().SetColor(clBtnFace);
        dc->Brush().SetStyle(bsSolid);
        for (int i = 2; i < GetSystemMetrics(SM_CXFRAME); ++i) {
            dc->FrameRect(r);
            r = InflateRect(r, -1, -1);
        }
    } else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) {
        dc->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc->Brush().SetColor(clBtnFace);
        dc->Brush().SetStyle(bsSolid);
        dc->FrameRect(r);
        r = InflateRect(r, -1, -1);
    }
    if (style & WS_BORDER) {
        dc->Brush().SetColor(clWindowFrame);
        dc->Brush().SetStyle(bsSolid);
        dc->FrameRect(r);
        r = InflateRect(r, -1, -1);
    }
    if (ex & WS_EX_CLIENTEDGE) dc->DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (ex & WS_EX_STATICEDGE) dc->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (style & (WS_HSCROLL | WS_VSCROLL)) DrawWindowScrollBars(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

HDC MakeDCLocked(Window* w, bool clientOnly, const TRegion* limit) {
    auto& g = G();
    Window* root = RootLocked(w);
    if (!root || !root->surface) return nullptr;
    TRegion vis = VisibleRegionLocked(w, clientOnly, (w->style & WS_CLIPCHILDREN) != 0);
    TPoint origin = clientOnly ? ClientOriginScreenLocked(w) : WindowRectScreenLocked(w).TopLeft();
    if (limit) {
        TRegion l = *limit;
        l.Offset(origin.X, origin.Y);
        vis.Intersect(l);
    }
    TPoint so = root->surfaceRect.TopLeft();
    vis.Offset(-so.X, -so.Y);
    auto canvas = std::make_unique<TCanvas>(root->surface->Surface());
    canvas->SetOrigin({origin.X - so.X, origin.Y - so.Y});
    vis.Offset(-(origin.X - so.X), -(origin.Y - so.Y));
    canvas->SetClipRegion(vis);
    TCanvas* raw = canvas.get();
    g.dcs.emplace(raw, std::move(canvas));
    g.dcRoots.emplace(raw, root->handle);
    return raw;
}

}  // namespace

// ------------------------------------------------------------- creation

HWND CreateWindowEx(const TCreateParams& params, TWindowProc proc) {
    // A window that shows needs the backend; the first one brings it up.
    if (!params.Parent && !params.MessageOnly) Backend();
    HWND handle;
    {
        Lock l(G().lock);
        auto& g = G();
        Window* parent = nullptr;
        if (params.Parent) {
            parent = FindLocked(params.Parent);
            if (!parent) throw EInvalidOperation("CreateWindow: the parent window does not exist");
        }
        auto w = std::make_unique<Window>();
        handle = g.nextHandle++;
        w->handle = handle;
        w->parent = params.Parent;
        w->owner = params.Parent ? 0 : params.Owner;
        w->rect = params.Bounds;
        w->client = Bounds(0, 0, params.Bounds.Width(), params.Bounds.Height());
        w->style = params.Style & ~WS_VISIBLE;
        w->exStyle = params.ExStyle;
        w->classStyle = params.ClassStyle;
        w->text = params.Caption;
        w->proc = std::move(proc);
        w->userData = params.UserData;
        w->thread = &CurrentThread();
        w->messageOnly = params.MessageOnly && !params.Parent;
        w->ownFrame = params.PaintsOwnFrame && !params.Parent;
        w->className = params.ClassName;
        if (parent)
            parent->children.push_back(handle);
        else
            PushTopLevelLocked(handle);
        g.windows.emplace(handle, std::move(w));
    }
    RecalcClient(handle);
    CallProc(handle, WM_CREATE, 0, 0);
    if (params.Style & WS_VISIBLE) ShowWindow(handle, SW_SHOWNA);
    return handle;
}

void* GetWindowUserData(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->userData : nullptr;
}

bool IsWindow(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w && !w->destroying;
}

namespace {

void DestroyTree(HWND hwnd) {
    std::vector<HWND> children;
    std::vector<HWND> owned;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return;
        w->destroying = true;
        children = w->children;
        for (HWND h : G().topLevels) {
            Window* o = FindLocked(h);
            if (o && o->owner == hwnd) owned.push_back(h);
        }
    }
    for (HWND h : owned) DestroyWindow(h);
    CallProc(hwnd, WM_DESTROY, 0, 0);
    for (HWND c : children) DestroyTree(c);
    CallProc(hwnd, WM_NCDESTROY, 0, 0);
    std::unique_ptr<Window> gone;
    std::uintptr_t backendId = 0;
    {
        Lock l(G().lock);
        auto& g = G();
        Window* w = FindLocked(hwnd);
        if (!w) return;
        RemoveFromParentLocked(w);
        ThreadState* ts = w->thread;
        if (ts->focus == hwnd) ts->focus = 0;
        if (ts->active == hwnd) ts->active = 0;
        if (g.capture == hwnd) g.capture = 0;
        if (g.mouseWindow == hwnd) g.mouseWindow = 0;
        if (g.foreground == hwnd) g.foreground = 0;
        if (g.lastDown.hwnd == hwnd) g.lastDown = {};
        ForgetCaretLocked(hwnd);
        if (ts->scrollTrack.hwnd == hwnd) ts->scrollTrack = ScrollTrack{};
        ts->timers.erase(
            std::remove_if(ts->timers.begin(), ts->timers.end(), [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
            ts->timers.end());
        backendId = w->backendId;
        auto it = g.windows.find(hwnd);
        gone = std::move(it->second);
        g.windows.erase(it);
        if (backendId && g.backend) g.backend->DestroyWindow(backendId);
    }
}

// After the active window went: the owner, else the top visible, enabled window.
void ActivateSuccessor(ThreadState* ts, HWND owner) {
    HWND next = 0;
    {
        Lock l(G().lock);
        if (ts->active) return;
        Window* o = FindLocked(owner);
        if (o && o->Visible() && o->Enabled() && o->thread == ts) {
            next = owner;
        } else {
            auto& tl = G().topLevels;
            for (auto it = tl.rbegin(); it != tl.rend(); ++it) {
                Window* w = FindLocked(*it);
                if (w && w->thread == ts && w->Visible() && w->Enabled() && !w->messageOnly &&
                    !((w->style & WS_POPUP) && (w->exStyle & WS_EX_TOOLWINDOW))) {
                    next = *it;
                    break;
                }
            }
        }
    }
    if (next) SetActiveWindow(next);
}

}  // namespace

bool DestroyWindow(HWND hwnd) {
    HWND owner = 0;
    bool wasActive = false;
    ThreadState* ts = nullptr;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w || w->destroying) return false;
        ts = w->thread;
        owner = w->owner;
        wasActive = ts->active == hwnd;
        if (w->Visible()) InvalidateUnderLocked(w);
    }
    // Focus and activation leave before the window goes.
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(0);
    if (GetCapture() && (GetCapture() == hwnd || IsChild(hwnd, GetCapture()))) ReleaseCapture();
    DestroyTree(hwnd);
    if (wasActive) ActivateSuccessor(ts, owner);
    return true;
}

// ---------------------------------------------------------------- the tree

HWND GetParent(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->parent : 0;
}

HWND GetWindowOwner(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->owner : 0;
}

HWND GetAncestorRoot(HWND hwnd) {
    Lock l(G().lock);
    Window* r = RootLocked(FindLocked(hwnd));
    return r ? r->handle : 0;
}

bool IsChild(HWND parent, HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    while (w && w->parent) {
        if (w->parent == parent) return true;
        w = FindLocked(w->parent);
    }
    return false;
}

std::vector<HWND> GetChildWindows(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->children : std::vector<HWND>();
}

std::vector<HWND> GetTopLevelWindows(bool callingThreadOnly) {
    Lock l(G().lock);
    std::vector<HWND> out;
    ThreadState* ts = callingThreadOnly ? &CurrentThread() : nullptr;
    for (HWND h : G().topLevels) {
        Window* w = FindLocked(h);
        if (w && !w->messageOnly && (!ts || w->thread == ts)) out.push_back(h);
    }
    return out;
}

HWND SetParent(HWND hwnd, HWND parent) {
    HWND old;
    bool visible;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w || hwnd == parent) return 0;
        Window* p = parent ? FindLocked(parent) : nullptr;
        if (parent && !p) return 0;
        old = w->parent;
        if (old == parent) return old;
        visible = w->Visible();
        if (visible) InvalidateUnderLocked(w);
        // Keep the place on the screen.
        TRect screen = WindowRectScreenLocked(w);
        RemoveFromParentLocked(w);
        w->parent = parent;
        if (p) {
            p->children.push_back(hwnd);
            TPoint o = ClientOriginScreenLocked(p);
            w->rect = OffsetRect(screen, -o.X, -o.Y);
            if (w->backendId && G().backend) G().backend->DestroyWindow(w->backendId);
            w->backendId = 0;
            w->backendShown = false;
            w->surface.reset();
        } else {
            w->rect = screen;
            PushTopLevelLocked(hwnd);
        }
    }
    RecalcClient(hwnd);
    // Same place on the screen, new coordinates: the window hears of them.
    TRect now;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        now = w ? w->rect : TRect{};
    }
    CallProc(hwnd, WM_MOVE, 0, MakeLParam(now.Left, now.Top));
    if (visible) {
        ShowWindow(hwnd, SW_HIDE);
        ShowWindow(hwnd, SW_SHOWNA);
    }
    return old;
}

// ------------------------------------------------------------ style, text

std::uint32_t GetWindowLong(HWND hwnd, int index) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return 0;
    return index == GWL_EXSTYLE ? w->exStyle : w->style;
}

std::string GetClassName(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->className : std::string();
}

std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value) {
    std::uint32_t old;
    bool showChange = false;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return 0;
        if (index == GWL_EXSTYLE) {
            old = w->exStyle;
            w->exStyle = value;
        } else {
            old = w->style;
            // WS_VISIBLE and WS_DISABLED change through ShowWindow and EnableWindow.
            showChange = ((old ^ value) & WS_VISIBLE) != 0;
            w->style = (value & ~(WS_VISIBLE | WS_DISABLED)) | (old & (WS_VISIBLE | WS_DISABLED));
        }
    }
    if (showChange) ShowWindow(hwnd, (value & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    if (((old & WS_DISABLED) != 0) != ((value & WS_DISABLED) != 0) && index == GWL_STYLE)
        EnableWindow(hwnd, (value & WS_DISABLED) == 0);
    return old;
}

std::string GetWindowText(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->text : std::string();
}

void SetWindowText(HWND hwnd, const std::string& text) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w || w->text == text) return;
    w->text = text;
    if (w->backendId && G().backend) G().backend->SetTitle(w->backendId, text);
}

// ------------------------------------------------------ visibility, state

bool ShowWindow(HWND hwnd, int command) {
    bool show = command != SW_HIDE && command != SW_MINIMIZE;
    bool activate = command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_SHOWMAXIMIZED ||
                    command == SW_RESTORE;
    if (GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) activate = false;
    bool was;
    bool topLevel;
    {
        Lock l(G().lock);
        auto& g = G();
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        was = w->Visible();
        topLevel = w->TopLevel();
        if (was == show) {
            if (!show || !activate || !topLevel) return was;
        } else if (show) {
            w->style |= WS_VISIBLE;
            InvalidateWholeLocked(w, true);
            if (topLevel && !w->messageOnly) {
                PushTopLevelLocked(hwnd);
                EnsureBackendWindowLocked(w);
                if (w->backendId) {
                    w->dirty = Bounds(0, 0, w->surfaceRect.Width(), w->surfaceRect.Height());
                    g.backend->ShowWindow(w->backendId, true, activate);
                    w->backendShown = true;
                }
            }
        } else {
            InvalidateUnderLocked(w);
            w->style &= ~WS_VISIBLE;
            if (w->backendId && g.backend) {
                g.backend->ShowWindow(w->backendId, false, false);
                w->backendShown = false;
            }
        }
    }
    if (was != show) CallProc(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (!show) {
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) {
            // Focus leaves a hidden window, to its parent or nowhere.
            HWND parent = GetParent(hwnd);
            SetFocus(parent && IsWindowVisible(parent) ? parent : 0);
        }
        if (topLevel && GetActiveWindow() == hwnd) {
            ThreadState& ts = CurrentThread();
            HWND owner = GetWindowOwner(hwnd);
            SetActiveWindow(0);
            ActivateSuccessor(&ts, owner);
        }
    } else if (topLevel && activate) {
        SetActiveWindow(hwnd);
    }
    return was;
}

bool IsWindowVisible(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w && IsVisibleLocked(w);
}

bool EnableWindow(HWND hwnd, bool enable) {
    bool wasDisabled;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        wasDisabled = !w->Enabled();
        if (wasDisabled == !enable) return wasDisabled;
        if (enable)
            w->style &= ~WS_DISABLED;
        else
            w->style |= WS_DISABLED;
    }
    if (!enable) {
        HWND cap = GetCapture();
        if (cap && (cap == hwnd || IsChild(hwnd, cap))) {
            SendMessage(cap, WM_CANCELMODE, 0, 0);
            if (GetCapture() == cap) ReleaseCapture();
        }
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(0);
    }
    CallProc(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w && w->Enabled();
}

// --------------------------------------------------------------- geometry

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    bool moved = false, sized = false;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        TRect r = w->rect;
        if (flags & SWP_NOMOVE) {
            x = r.Left;
            y = r.Top;
        }
        if (flags & SWP_NOSIZE) {
            cx = r.Width();
            cy = r.Height();
        }
        cx = std::max(cx, 0);
        cy = std::max(cy, 0);
        moved = x != r.Left || y != r.Top;
        sized = cx != r.Width() || cy != r.Height();
        if ((moved || sized) && w->Visible() && !(flags & SWP_NOREDRAW)) InvalidateUnderLocked(w);
        w->rect = Bounds(x, y, cx, cy);
        if (!(flags & SWP_NOZORDER)) {
            auto* list = &G().topLevels;
            if (w->parent) list = &FindLocked(w->parent)->children;
            if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
            if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
            list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
            if (insertAfter == HWND_BOTTOM) {
                list->insert(list->begin(), hwnd);
            } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
                if (w->parent)
                    list->push_back(hwnd);
                else
                    PushTopLevelLocked(hwnd);
            } else {
                auto it = std::find(list->begin(), list->end(), insertAfter);
                // "insert after" names the window just above in z-order.
                list->insert(it == list->end() ? list->end() : it, hwnd);
            }
            if (w->Visible()) InvalidateWholeLocked(w, true);
        }
    }
    if (sized || moved || (flags & SWP_FRAMECHANGED)) RecalcClient(hwnd);
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        if ((sized || moved || (flags & SWP_FRAMECHANGED)) && w->Visible() && !(flags & SWP_NOREDRAW))
            InvalidateWholeLocked(w, true);
    }
    if (moved || sized) {
        CallProc(hwnd, WM_WINDOWPOSCHANGED, 0, 0);
        TRect c;
        GetClientRect(hwnd, c);
        if (moved) {
            TRect wr;
            GetWindowRect(hwnd, wr);
            CallProc(hwnd, WM_MOVE, 0, MakeLParam(wr.Left, wr.Top));
        }
        if (sized) CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MakeLParam(c.Width(), c.Height()));
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(hwnd, 0, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : UINT(SWP_NOREDRAW)));
}

bool BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

bool GetWindowRect(HWND hwnd, TRect& r) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    r = WindowRectScreenLocked(w);
    return true;
}

bool GetClientRect(HWND hwnd, TRect& r) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    r = Bounds(0, 0, w->client.Width(), w->client.Height());
    return true;
}

TPoint ClientToScreen(HWND hwnd, TPoint p) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return p;
    TPoint o = ClientOriginScreenLocked(w);
    return {p.X + o.X, p.Y + o.Y};
}

TPoint ScreenToClient(HWND hwnd, TPoint p) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return p;
    TPoint o = ClientOriginScreenLocked(w);
    return {p.X - o.X, p.Y - o.Y};
}

TPoint MapWindowPoint(HWND from, HWND to, TPoint p) {
    TPoint s = from ? ClientToScreen(from, p) : p;
    return to ? ScreenToClient(to, s) : s;
}

TRect MapWindowRect(HWND from, HWND to, TRect r) {
    TPoint a = MapWindowPoint(from, to, r.TopLeft());
    return Bounds(a.X, a.Y, r.Width(), r.Height());
}

bool SetWindowRgn(HWND hwnd, std::optional<TRegion> region, bool redraw) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    if (w->Visible()) InvalidateUnderLocked(w);
    w->region = std::move(region);
    if (w->Visible() && redraw) InvalidateWholeLocked(w, true);
    return true;
}

std::optional<TRegion> GetWindowRgn(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->region : std::nullopt;
}

HWND WindowFromPoint(TPoint screen) {
    Lock l(G().lock);
    return WindowFromPointLocked(screen);
}

HWND ChildWindowFromPoint(HWND parent, TPoint client) {
    Lock l(G().lock);
    Window* p = FindLocked(parent);
    if (!p) return 0;
    if (!Bounds(0, 0, p->client.Width(), p->client.Height()).Contains(client)) return 0;
    TPoint o = ClientOriginScreenLocked(p);
    TPoint screen{client.X + o.X, client.Y + o.Y};
    for (auto it = p->children.rbegin(); it != p->children.rend(); ++it) {
        Window* c = FindLocked(*it);
        if (c && c->Visible() && ShapeScreenLocked(c).Contains(screen)) return c->handle;
    }
    return parent;
}

// --------------------------------------------------------------- painting

bool InvalidateRect(HWND hwnd, const TRect* r, bool erase) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    TRegion rgn(r ? *r : Bounds(0, 0, w->client.Width(), w->client.Height()));
    InvalidateLocked(w, rgn, erase, false);
    WakeLocked(w->thread);
    return true;
}

bool InvalidateRgn(HWND hwnd, const TRegion* r, bool erase) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    InvalidateLocked(w, r ? *r : TRegion(Bounds(0, 0, w->client.Width(), w->client.Height())), erase, false);
    WakeLocked(w->thread);
    return true;
}

bool ValidateRect(HWND hwnd, const TRect* r) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    if (r)
        w->update.Subtract(TRegion(*r));
    else
        w->update.Clear();
    if (w->update.IsEmpty()) w->erase = false;
    return true;
}

bool GetUpdateRect(HWND hwnd, TRect& r) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w) return false;
    r = w->update.BoundingBox();
    return !w->update.IsEmpty();
}

bool RedrawWindow(HWND hwnd, const TRect* r, const TRegion* rgn, UINT flags) {
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        TRegion area = rgn ? *rgn : TRegion(r ? *r : Bounds(0, 0, w->client.Width(), w->client.Height()));
        if (flags & RDW_INVALIDATE) {
            if (flags & RDW_FRAME) w->ncPaint = true;
            InvalidateLocked(w, area, (flags & RDW_ERASE) != 0, (flags & RDW_ALLCHILDREN) != 0);
        }
        if (flags & RDW_VALIDATE) {
            w->update.Subtract(area);
            if (flags & RDW_NOERASE) w->erase = false;
        }
        WakeLocked(w->thread);
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
    return true;
}

bool UpdateWindow(HWND hwnd) {
    std::vector<HWND> order;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return false;
        std::vector<Window*> stack{w};
        while (!stack.empty()) {
            Window* cur = stack.back();
            stack.pop_back();
            if (!cur->Visible()) continue;
            order.push_back(cur->handle);
            for (auto it = cur->children.rbegin(); it != cur->children.rend(); ++it)
                if (Window* c = FindLocked(*it)) stack.push_back(c);
        }
    }
    for (HWND h : order) {
        bool needs;
        {
            Lock l(G().lock);
            Window* w = FindLocked(h);
            needs = w && IsVisibleLocked(w) && NeedsPaintLocked(w);
            if (needs) w->painted = false;
        }
        if (!needs) continue;
        CallProc(h, WM_PAINT, 0, 0);
        Lock l(G().lock);
        Window* w = FindLocked(h);
        if (w && !w->painted) {  // a window that ignores WM_PAINT would be asked forever
            w->update.Clear();
            w->erase = false;
            w->ncPaint = false;
        }
    }
    return true;
}

HDC BeginPaint(HWND hwnd, TPaintStruct& ps) {
    bool nc = false;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return nullptr;
        nc = w->ncPaint;
        w->ncPaint = false;
    }
    if (nc) CallProc(hwnd, WM_NCPAINT, 1, 0);
    HDC dc;
    bool erase;
    TRegion rgn;
    {
        Lock l(G().lock);
        Window* w = FindLocked(hwnd);
        if (!w) return nullptr;
        rgn = w->update;
        erase = w->erase;
        w->update.Clear();
        w->erase = false;
        w->painted = true;
        dc = MakeDCLocked(w, true, &rgn);
    }
    ps.hdc = dc;
    ps.rcPaint = rgn.BoundingBox();
    ps.fErase = false;
    if (dc && erase) ps.fErase = CallProc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    return dc;
}

void EndPaint(HWND hwnd, const TPaintStruct& ps) {
    if (ps.hdc) ReleaseDC(hwnd, ps.hdc);
}

HDC GetDC(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? MakeDCLocked(w, true, nullptr) : nullptr;
}

HDC GetWindowDC(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? MakeDCLocked(w, false, nullptr) : nullptr;
}

void ReleaseDC(HWND, HDC dc) {
    Lock l(G().lock);
    auto& g = G();
    auto it = g.dcs.find(dc);
    if (it == g.dcs.end()) return;
    auto root = g.dcRoots.find(dc);
    if (root != g.dcRoots.end()) {
        if (Window* r = FindLocked(root->second)) {
            TRect box = dc->ClipRegion().BoundingBox();
            box = OffsetRect(box, dc->Origin().X, dc->Origin().Y);
            UnionRect(r->dirty, r->dirty, box);
        }
        g.dcRoots.erase(root);
    }
    g.dcs.erase(it);
}

const TBitmap* GetWindowSurface(HWND hwnd) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    return w ? w->surface.get() : nullptr;
}

void PresentWindows() {
    Lock l(G().lock);
    if (IsBackendThread()) PresentLocked();
}

bool ReadBackWindow(HWND hwnd, TBitmap& out) {
    Lock l(G().lock);
    Window* w = FindLocked(hwnd);
    if (!w || !w->backendId || !G().backend) return false;
    return G().backend->ReadBack(w->backendId, out);
}

// --------------------------------------------------------- default answers

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCALCSIZE: {
            auto* r = reinterpret_cast<TRect*>(lParam);
            std::uint32_t style, ex;
            bool top;
            {
                Lock l(G().lock);
                Window* w = FindLocked(hwnd);
                if (!w) return 0;
                style = w->style;
                ex = w->exStyle;
                top = w->TopLevel() && !w->messageOnly;
            }
            TRect in = WindowFrameInsets(style, ex, top);
            *r = {r->Left + in.Left, r->Top + in.Top, r->Right - in.Right, r->Bottom - in.Bottom};
            return 0;
        }
        case WM_NCPAINT: DrawDefaultFrame(hwnd); return 0;
        case WM_NCACTIVATE: {
            bool own;
            {
                Lock l(G().lock);
                Window* w = FindLocked(hwnd);
                own = w && w->ownFrame;
            }
            if (own) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return 1;
        }
        case WM_PAINT: {
            TPaintStruct ps;
            BeginPaint(hwnd, ps);
            EndPaint(hwnd, ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<HDC>(wParam);
            if (!dc) return 0;
            TRect r;
            GetClientRect(hwnd, r);
            dc->Brush().SetColor(clBtnFace);
            dc->Brush().SetStyle(bsSolid);
            dc->FillRect(r);
            return 1;
        }
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) PostMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_CANCELMODE:
            CancelScrollTrack(hwnd);
            if (GetCapture() == hwnd) ReleaseCapture();
            return 0;
        case WM_NCMOUSEMOVE:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCLBUTTONUP: WindowScrollBarMouse(hwnd, msg, wParam, lParam); return 0;
        case WM_MOUSEACTIVATE: {
            HWND parent = GetParent(hwnd);
            if (parent) {
                LRESULT r = SendMessage(parent, WM_MOUSEACTIVATE, wParam, lParam);
                if (r) return r;
            }
            return MA_ACTIVATE;
        }
        case WM_SETCURSOR: {
            HWND parent = GetParent(hwnd);
            if (parent && SendMessage(parent, WM_SETCURSOR, wParam, lParam)) return 1;
            if (reinterpret_cast<HWND>(wParam) == hwnd) SetCursor(crArrow);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            HWND parent = GetParent(hwnd);
            return parent ? SendMessage(parent, WM_MOUSEWHEEL, wParam, lParam) : 0;
        }
        case WM_ACTIVATE:
            if (LoWord(wParam) != WA_INACTIVE) {
                HWND focus = GetFocus();
                if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) SetFocus(hwnd);
            }
            return 0;
        case WM_GETTEXT: {
            auto* out = reinterpret_cast<std::string*>(lParam);
            if (out) *out = GetWindowText(hwnd);
            return out ? static_cast<LRESULT>(out->size()) : 0;
        }
        case WM_SETTEXT: {
            auto* in = reinterpret_cast<const std::string*>(lParam);
            if (in) SetWindowText(hwnd, *in);
            return 1;
        }
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(GetWindowText(hwnd).size());
        default: return 0;
    }
}

}  // namespace menvaro
