// DrawState: text drawn in a state, as captions of disabled controls show
// it.
#pragma once

#include <string_view>

#include "gfx/Canvas.h"

namespace menvaro {

// What is drawn, and in which state.
enum : unsigned {
    DST_TEXT = 0x0001,
    DST_PREFIXTEXT = 0x0002,
    DSS_NORMAL = 0x0000,
    DSS_UNION = 0x0010,
    DSS_DISABLED = 0x0020,
    DSS_MONO = 0x0080,
};

// Draws `text` with the canvas's font, laid out from (x, y) and clipped to
// cx x cy pixels there (0 for both: the text's own extent). DST_PREFIXTEXT
// underlines the character after "&" ("&&" is one "&"), DST_TEXT shows the
// text as it is. DSS_NORMAL draws it in the text colour; DSS_DISABLED
// embosses it: once in clBtnHighlight a pixel right and down, then in
// clBtnShadow over it. The background is left alone and the canvas's state
// is kept. False, drawing nothing, for the kinds and states not drawn here.
bool DrawState(TCanvas& canvas, std::string_view text, int x, int y, int cx, int cy, unsigned flags);

}  // namespace menvaro
