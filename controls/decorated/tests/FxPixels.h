// The pixels of a TfxBitmap as the decorated controls' tests write and
// read them: 0x00RRGGBB values, row by row, straight from the pixel block.
#pragma once

#include <cstdint>
#include <vector>

#include "decorated/fxBitmap.h"

namespace menvaro::fxtest {

using Pixels = std::vector<std::uint32_t>;

inline TOwned<TfxBitmap> Picture(int w, int h, const Pixels& px) {
    TOwned<TfxBitmap> b(Create<TfxBitmap>());
    b->SetSize(w, h);
    std::uint8_t* const* rows = b->RowTable();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = px[std::size_t(y * w + x)];
            rows[y][3 * x] = std::uint8_t(p), rows[y][3 * x + 1] = std::uint8_t(p >> 8);
            rows[y][3 * x + 2] = std::uint8_t(p >> 16);
        }
    return b;
}

inline Pixels Read(const TfxBitmap& b) {
    Pixels out;
    const std::uint8_t* const* rows = b.RowTable();
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            out.push_back(std::uint32_t(rows[y][3 * x + 2]) << 16 | std::uint32_t(rows[y][3 * x + 1]) << 8 |
                          rows[y][3 * x]);
    return out;
}

}  // namespace menvaro::fxtest
