// The position a scroll notice (WM_VSCROLL / WM_HSCROLL) asks for: the
// SB_ code of wParam applied to `pos` with the steps of a line and a page,
// kept within 0 .. `max`.
#pragma once

#include <algorithm>

#include "classes/Messages.h"

namespace menvaro {

inline int ScrollCodePosition(WPARAM wParam, int pos, int line, int page, int max) {
    switch (LoWord(wParam)) {
        case SB_LINEUP: pos -= line; break;
        case SB_LINEDOWN: pos += line; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = HiWord(wParam); break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = max; break;
        default: break;
    }
    return std::clamp(pos, 0, std::max(0, max));
}

}  // namespace menvaro
