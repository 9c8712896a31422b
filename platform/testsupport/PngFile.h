// PNG files read back by tests (the screenshots a UI script writes): their
// pixels as 8-bit red, green and blue.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace menvaro::test {

struct PngImage {
    int w = 0;
    int h = 0;
    std::vector<unsigned char> rgb;  // rows top-down, 3 bytes a pixel
    // 0x00RRGGBB
    unsigned At(int x, int y) const {
        const unsigned char* p = &rgb[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 3];
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    }
};

// False when the file cannot be read as a PNG.
bool ReadPngFile(const std::string& path, PngImage& out);

}  // namespace menvaro::test
