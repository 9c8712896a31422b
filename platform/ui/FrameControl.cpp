#include "ui/FrameControl.h"

#include <algorithm>

#include "gfx/Color.h"

namespace menvaro {

namespace {

enum Direction { dUp, dDown, dLeft, dRight };

// A filled triangle pointing `dir`, 2k+1 pixels across its base and k+1
// deep, with its box's top-left at (x, y).
void Arrow(TCanvas& c, int x, int y, int k, Direction dir, TColor colour) {
    c.Brush().SetColor(colour);
    c.Brush().SetStyle(bsSolid);
    const int base = 2 * k + 1;
    for (int i = 0; i <= k; ++i) {
        // Row i from the base: from i to base - i.
        switch (dir) {
            case dDown: c.FillRect({x + i, y + i, x + base - i, y + i + 1}); break;
            case dUp: c.FillRect({x + i, y + k - i, x + base - i, y + k - i + 1}); break;
            case dRight: c.FillRect({x + i, y + i, x + i + 1, y + base - i}); break;
            case dLeft: c.FillRect({x + k - i, y + i, x + k - i + 1, y + base - i}); break;
        }
    }
}

// The sunken, raised or flat border of a face and its middle; `r` is left
// inside the border.
void Face(TCanvas& c, TRect& r, unsigned state, bool arrow) {
    const bool pushed = (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
    c.Brush().SetColor(clBtnFace);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(r);
    if (state & DFCS_FLAT) {
        c.Brush().SetColor(clBtnShadow);
        c.FrameRect(r);
        r = InflateRect(r, -1, -1);
    } else if (pushed && arrow) {
        // A pressed arrow sinks flat.
        c.DrawEdge(r, BDR_SUNKENOUTER | BDR_SUNKENINNER, BF_RECT | BF_FLAT | BF_ADJUST);
    } else {
        c.DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
}

}  // namespace

bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state) {
    const unsigned kind = state & 0xFF;
    const bool scroll = type == DFC_SCROLL && (kind <= DFCS_SCROLLRIGHT || kind == DFCS_SCROLLCOMBOBOX);
    const bool push = type == DFC_BUTTON && (kind & DFCS_BUTTONPUSH) != 0;
    if (!scroll && !push) return false;
    TRect inside = r;
    {
        TCanvasStateSaver saved(canvas);
        Face(canvas, inside, state, scroll);
        if (scroll) {
            const int w = r.Width(), h = r.Height();
            const int k = std::max(1, (std::min(w, h) - 6) / 3);
            Direction dir = kind == DFCS_SCROLLUP      ? dUp
                            : kind == DFCS_SCROLLLEFT  ? dLeft
                            : kind == DFCS_SCROLLRIGHT ? dRight
                                                       : dDown;
            const bool across = dir == dUp || dir == dDown;
            const int aw = across ? 2 * k + 1 : k + 1, ah = across ? k + 1 : 2 * k + 1;
            const int shift = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? 1 : 0;
            const int x = r.Left + (w - aw) / 2 + shift, y = r.Top + (h - ah) / 2 + shift;
            canvas.IntersectClipRect(inside);
            if (state & DFCS_INACTIVE) {
                Arrow(canvas, x + 1, y + 1, k, dir, clBtnHighlight);
                Arrow(canvas, x, y, k, dir, clBtnShadow);
            } else {
                Arrow(canvas, x, y, k, dir, clBtnText);
            }
        }
    }
    if (state & DFCS_ADJUSTRECT) r = inside;
    return true;
}

}  // namespace menvaro
