#include "ui/DrawState.h"

namespace menvaro {

bool DrawState(TCanvas& canvas, std::string_view text, int x, int y, int cx, int cy, unsigned flags) {
    const unsigned kind = flags & 0x000F;
    const unsigned state = flags & ~0x000Fu;
    if ((kind != DST_TEXT && kind != DST_PREFIXTEXT) || (state != DSS_NORMAL && state != DSS_DISABLED)) return false;
    const unsigned format = DT_LEFT | DT_TOP | (kind == DST_TEXT ? unsigned(DT_NOPREFIX) : 0u);
    TCanvasStateSaver saved(canvas);
    if (cx == 0 && cy == 0) {
        TRect extent{0, 0, 0, 0};
        canvas.DrawText(text, extent, format | DT_CALCRECT);
        cx = extent.Width();
        cy = extent.Height();
    }
    canvas.SetBkMode(TRANSPARENT);
    // DrawText clips each copy to its own box.
    auto draw = [&](int at, TColor colour) {
        if (colour != clNone) canvas.SetTextColor(ColorToRGB(colour));
        TRect box = Bounds(x + at, y + at, cx, cy);
        canvas.DrawText(text, box, format);
    };
    if (state == DSS_DISABLED) {
        draw(1, clBtnHighlight);
        draw(0, clBtnShadow);
    } else {
        draw(0, clNone);
    }
    return true;
}

}  // namespace menvaro
