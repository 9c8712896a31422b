#include "gfx/Png.h"

#include <png.h>

#include <csetjmp>

#include "base/Files.h"
#include "base/Streams.h"
#include "gfx/Bitmap.h"

namespace menvaro {

namespace {

void OnWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void OnFlush(png_structp) {}
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// C-style: libpng reports errors by longjmp. `row` is a caller-owned buffer
// of 3 * width bytes. Answers false on failure.
bool Encode(const TSurfaceView& v, std::vector<std::uint8_t>* out, std::uint8_t* row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, OnWrite, OnFlush);
    png_set_IHDR(png, info, png_uint_32(v.Width), png_uint_32(v.Height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < v.Height; ++y) {
        const std::uint32_t* src = v.Row(y);
        for (int x = 0; x < v.Width; ++x) {
            row[3 * x] = std::uint8_t(src[x] >> 16);
            row[3 * x + 1] = std::uint8_t(src[x] >> 8);
            row[3 * x + 2] = std::uint8_t(src[x]);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePNG(const TSurfaceView& view) {
    if (view.IsEmpty()) throw EInvalidGraphic("cannot save an empty picture as PNG");
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> row(std::size_t(view.Width) * 3);
    if (!Encode(view, &out, row.data())) throw EInvalidGraphic("PNG encoding failed");
    return out;
}

void SavePNG(const TSurfaceView& view, TStream& stream) {
    const std::vector<std::uint8_t> bytes = EncodePNG(view);
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void SavePNGFile(const TSurfaceView& view, const std::string& path) {
    const std::vector<std::uint8_t> bytes = EncodePNG(view);
    WriteFileAtomic(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void SavePNGFile(const TBitmap& bmp, const std::string& path) { SavePNGFile(bmp.Surface(), path); }

}  // namespace menvaro
