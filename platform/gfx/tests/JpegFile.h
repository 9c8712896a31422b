// A JPEG file made by libjpeg itself, for the tests of the pictures that
// read one.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

namespace menvaro::test {

// Left half red, right half blue (grey: dark and light); baseline, or
// progressive in several scans.
inline std::string MakeJpeg(int w, int h, bool gray = false, bool progressive = false) {
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

}  // namespace menvaro::test
