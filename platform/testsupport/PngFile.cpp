#include "testsupport/PngFile.h"

#include <png.h>

namespace menvaro::test {

bool ReadPngFile(const std::string& path, PngImage& out) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGB;
    out.w = int(img.width);
    out.h = int(img.height);
    out.rgb.resize(PNG_IMAGE_SIZE(img));
    const bool ok = png_image_finish_read(&img, nullptr, out.rgb.data(), 0, nullptr) != 0;
    png_image_free(&img);
    return ok;
}

}  // namespace menvaro::test
