#include "decorated/fxGraphics.h"

namespace menvaro {

void fxSwapRGB(std::uint32_t* values, int count) {
    for (int i = count - 1; i >= 0; --i) {
        const std::uint32_t v = values[i];
        values[i] = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
    }
}

}  // namespace menvaro
