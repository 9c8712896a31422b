// A view of 32-bit pixels that a canvas paints on. Bitmaps and the window
// backends both hand one out; the view does not own the pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/Types.h"

namespace menvaro {

// Pixels are native uint32 values 0x00RRGGBB (the top byte is ignored and
// written as 0), rows top-down, `Stride` bytes from one row to the next
// (at least 4 * Width, a multiple of 4).
struct TSurfaceView {
    std::uint32_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;

    bool IsEmpty() const { return Pixels == nullptr || Width <= 0 || Height <= 0; }
    std::uint32_t* Row(int y) const {
        return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(Pixels) +
                                                std::ptrdiff_t(y) * Stride);
    }
    std::uint32_t& At(int x, int y) const { return Row(y)[x]; }
    TRect BoundsRect() const { return {0, 0, Width, Height}; }
};

}  // namespace menvaro
