// Image files made for tests by other means than the code under test:
// JPEG files by libjpeg itself, BMP files written field by field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Color.h"

namespace menvaro::test {

// Left half red, right half blue (grey: dark and light); baseline, or
// progressive in several scans.
std::string MakeJpeg(int w, int h, bool gray = false, bool progressive = false);

// A BMP file with the 40-byte info header: the file header, the info
// header, the masks (bit fields), the palette, then the rows as given.
struct BmpFile {
    int width = 1;
    int height = 1;  // negative: the rows run top-down
    int bitCount = 24;
    std::uint32_t compression = 0;  // 3: bit fields
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks = {};
    std::vector<TColor> palette = {};
    std::vector<std::uint8_t> rows = {};
};
std::vector<std::uint8_t> MakeBmp(const BmpFile& file);

}  // namespace menvaro::test
