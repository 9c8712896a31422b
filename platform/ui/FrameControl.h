// DrawFrameControl: the faces of push buttons and scroll arrows (the arrows
// of scroll bars and the drop-down arrow of a combo box) in the system's
// colours, as the edits' buttons and the scroll bars draw them.
#pragma once

#include "gfx/Canvas.h"
#include "gfx/Types.h"

namespace menvaro {

// What to draw.
enum : unsigned { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
// Its kind and state.
enum : unsigned {
    DFCS_BUTTONPUSH = 0x0010,
    DFCS_SCROLLUP = 0x0000,
    DFCS_SCROLLDOWN = 0x0001,
    DFCS_SCROLLLEFT = 0x0002,
    DFCS_SCROLLRIGHT = 0x0003,
    DFCS_SCROLLCOMBOBOX = 0x0005,
    DFCS_INACTIVE = 0x0100,
    DFCS_PUSHED = 0x0200,
    DFCS_CHECKED = 0x0400,
    DFCS_ADJUSTRECT = 0x2000,
    DFCS_FLAT = 0x4000,
    DFCS_MONO = 0x8000,
};

// Draws into `r` of `canvas`: a push button face (DFC_BUTTON with
// DFCS_BUTTONPUSH) or a scroll arrow (DFC_SCROLL with DFCS_SCROLLUP, DOWN,
// LEFT, RIGHT or COMBOBOX, the last a down arrow). Raised; sunken when
// DFCS_PUSHED or DFCS_CHECKED (an arrow then a flat shadow frame, its glyph
// a pixel right and down); DFCS_FLAT a one-pixel shadow frame instead of the
// edges; DFCS_INACTIVE an embossed grey glyph. DFCS_ADJUSTRECT leaves in
// `r` what lies inside the border. False for kinds not drawn here.
bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state);

}  // namespace menvaro
