#include "gfx/RasterOp.h"

namespace menvaro {

std::uint32_t ApplyRop3(unsigned rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r;
    switch (rop & 0xFF) {
        case 0x00: r = 0; break;
        case 0xFF: r = ~0u; break;
        case 0xCC: r = s; break;
        case 0xEE: r = s | d; break;
        case 0x88: r = s & d; break;
        case 0x66: r = s ^ d; break;
        case 0x33: r = ~s; break;
        case 0x55: r = ~d; break;
        case 0xF0: r = p; break;
        case 0x5A: r = p ^ d; break;
        case 0xAA: r = d; break;
        case 0x22: r = d & ~s; break;
        case 0xE2: r = ((d ^ p) & s) ^ d; break;
        case 0xB8: r = ((d ^ p) & s) ^ p; break;
        default: {
            // Sum of the minterms the table selects.
            r = 0;
            for (unsigned m = 0; m < 8; ++m) {
                if (!((rop >> m) & 1)) continue;
                r |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
            }
        }
    }
    return r & 0x00FFFFFF;
}

}  // namespace menvaro
