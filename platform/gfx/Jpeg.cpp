#include "gfx/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "base/Streams.h"
#include "gfx/Canvas.h"

namespace menvaro {

namespace {

struct ErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool dataLost = false;
};

void OnError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<ErrorMgr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

// Warnings are not shown. Those of a file cut short (data ending early, or a
// marker where picture data was due) are remembered: libjpeg makes up the
// missing part in grey and carries on.
void OnMessage(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level >= 0 || (code != JWRN_JPEG_EOF && code != JWRN_HIT_MARKER)) return;
    auto* e = reinterpret_cast<ErrorMgr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    e->dataLost = true;
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    bool adobe = false;
    std::vector<std::uint8_t> rows;  // width * components bytes a row
};

// C-style decoding: libjpeg reports errors by longjmp, so nothing with a
// destructor may live in this frame between setjmp and the jump. Answers
// an empty string on success, else the reason.
const char* DecodeRaw(const std::uint8_t* data, std::size_t size, Decoded* out, char* reason) {
    jpeg_decompress_struct cinfo;
    ErrorMgr err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::strncpy(reason, err.message, JMSG_LENGTH_MAX - 1);
        reason[JMSG_LENGTH_MAX - 1] = 0;
        return reason;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        !BitmapSizeFits(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return "picture is too large";
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        cinfo.out_color_space = JCS_CMYK;
    else if (cinfo.jpeg_color_space == JCS_GRAYSCALE)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else
        cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out->width = int(cinfo.output_width);
    out->height = int(cinfo.output_height);
    out->components = cinfo.output_components;
    out->adobe = cinfo.saw_Adobe_marker;
    const std::size_t stride = std::size_t(out->width) * std::size_t(out->components);
    out->rows.resize(stride * std::size_t(out->height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->rows.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    // Damaged all the same: out through the error path, with the warning's text.
    if (err.dataLost) std::longjmp(err.jump, 1);
    jpeg_destroy_decompress(&cinfo);
    return "";
}

}  // namespace

TJPEGImage::TJPEGImage(const TJPEGImage& o)
    : TGraphic(o), data_(o.data_), bitmap_(o.bitmap_), grayscale_(o.grayscale_) {}

TJPEGImage& TJPEGImage::operator=(const TJPEGImage& o) {
    if (this == &o) return *this;
    TGraphic::operator=(o);
    data_ = o.data_, bitmap_ = o.bitmap_, grayscale_ = o.grayscale_;
    Changed();
    return *this;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    const std::int64_t size = stream.Size() - stream.Position();
    if (size <= 0) throw EInvalidGraphic("invalid JPEG file: no data");
    if (size > (std::int64_t(1) << 28)) throw EInvalidGraphic("invalid JPEG file: larger than 256 MiB");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.ReadBuffer(bytes.data(), bytes.size());
    LoadFromMemory(bytes.data(), bytes.size());
}

void TJPEGImage::LoadFromMemory(const void* data, std::size_t size) {
    Decoded d;
    char reason[JMSG_LENGTH_MAX];
    const char* r = DecodeRaw(static_cast<const std::uint8_t*>(data), size, &d, reason);
    if (*r) throw EInvalidGraphic(std::string("invalid JPEG file: ") + r);
    TBitmap bmp(d.width, d.height);
    for (int y = 0; y < d.height; ++y) {
        const std::uint8_t* src = &d.rows[std::size_t(y) * std::size_t(d.width) * std::size_t(d.components)];
        std::uint32_t* dst = bmp.ScanLine(y);
        for (int x = 0; x < d.width; ++x) {
            const std::uint8_t* p = src + std::size_t(x) * std::size_t(d.components);
            std::uint32_t r8, g8, b8;
            if (d.components == 1) {
                r8 = g8 = b8 = p[0];
            } else if (d.components == 4) {
                // Adobe writes CMYK inverted.
                const unsigned c = d.adobe ? p[0] : 255 - p[0], m = d.adobe ? p[1] : 255 - p[1];
                const unsigned yy = d.adobe ? p[2] : 255 - p[2], k = d.adobe ? p[3] : 255 - p[3];
                r8 = c * k / 255, g8 = m * k / 255, b8 = yy * k / 255;
            } else {
                r8 = p[0], g8 = p[1], b8 = p[2];
            }
            dst[x] = r8 << 16 | g8 << 8 | b8;
        }
    }
    bmp.SetPixelFormat(pf24bit);
    data_.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    bitmap_ = std::move(bmp);
    grayscale_ = d.components == 1;
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    if (data_.empty()) throw EInvalidGraphic("cannot save an empty JPEG image");
    stream.WriteBuffer(data_.data(), data_.size());
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) const {
    if (Empty()) return;
    TBitmap& b = const_cast<TBitmap&>(bitmap_);
    canvas.StretchBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), b.Canvas(), 0, 0, b.Width(), b.Height(),
                      canvas.CopyMode());
}

}  // namespace menvaro
