#include "testsupport/Images.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

namespace menvaro::test {

std::string MakeJpeg(int w, int h, bool gray, bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = unsigned(w);
    c.image_height = unsigned(h);
    c.input_components = gray ? 1 : 3;
    c.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(std::size_t(w) * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            if (gray) {
                row[std::size_t(x)] = left ? 40 : 220;
            } else {
                row[3 * std::size_t(x)] = left ? 255 : 0;
                row[3 * std::size_t(x) + 1] = 0;
                row[3 * std::size_t(x) + 2] = left ? 0 : 255;
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    std::free(mem);
    return out;
}

std::vector<std::uint8_t> MakeBmp(const BmpFile& file) {
    std::vector<std::uint8_t> d;
    auto u16 = [&](std::uint32_t v) {
        for (int i = 0; i < 2; ++i) d.push_back(std::uint8_t(v >> (8 * i)));
    };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) d.push_back(std::uint8_t(v >> (8 * i)));
    };
    const std::uint32_t offset = 14 + 40 + 4 * std::uint32_t(file.masks.size() + file.palette.size());
    d.push_back('B');
    d.push_back('M');
    u32(offset + std::uint32_t(file.rows.size()));
    u32(0);
    u32(offset);
    u32(40);
    u32(std::uint32_t(file.width));
    u32(std::uint32_t(file.height));
    u16(1);
    u16(std::uint32_t(file.bitCount));
    u32(file.compression);
    for (int i = 0; i < 3; ++i) u32(0);  // image size, resolution
    u32(file.colorsUsed);
    u32(0);
    for (std::uint32_t m : file.masks) u32(m);
    for (TColor c : file.palette) {
        d.push_back(std::uint8_t(GetBValue(c)));
        d.push_back(std::uint8_t(GetGValue(c)));
        d.push_back(std::uint8_t(GetRValue(c)));
        d.push_back(0);
    }
    d.insert(d.end(), file.rows.begin(), file.rows.end());
    return d;
}

}  // namespace menvaro::test
