#include "EZLib.h"

#include <zlib.h>

#include <cstring>

#include "base/Exceptions.h"
#include "base/ScopeGuard.h"

namespace menvaro {

namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void PutBigEndian32(std::string& out, std::uint32_t v) {
    const std::uint32_t be = SwapBytes32(v);
    out.append(reinterpret_cast<const char*>(&be), 4);
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::string& out, const char (&type)[5], const void* data, std::size_t length) {
    PutBigEndian32(out, static_cast<std::uint32_t>(length));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    if (length > 0) out.append(static_cast<const char*>(data), length);
    const std::uint32_t crc = UpdateCrc32(0xFFFFFFFFu, out.data() + typeAt, 4 + length) ^ 0xFFFFFFFFu;
    PutBigEndian32(out, crc);
}

[[noreturn]] void DeflateFailed(int code, const z_stream& z) {
    const std::string why = z.msg ? z.msg : "code " + std::to_string(code);
    if (code == Z_MEM_ERROR) throw EOutOfMemory("Out of memory while compressing the screenshot.");
    throw EInvalidOperation("The screenshot cannot be compressed: " + why + ".");
}

}  // namespace

std::uint32_t UpdateCrc32(std::uint32_t crc, const void* data, std::size_t length) {
    const auto& table = CrcTable();
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint32_t SwapBytes32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

std::string PngFileBytes(const TPaletteImage& image) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() < static_cast<std::size_t>(image.Stride()) * static_cast<std::size_t>(image.Height))
        throw EInvalidArgument("A PNG image needs pixels.");
    std::string out("\x89PNG\r\n\x1A\n", 8);

    std::uint8_t header[13] = {};
    const std::uint32_t w = SwapBytes32(static_cast<std::uint32_t>(image.Width));
    const std::uint32_t h = SwapBytes32(static_cast<std::uint32_t>(image.Height));
    std::memcpy(header, &w, 4);
    std::memcpy(header + 4, &h, 4);
    header[8] = 8;  // bits per index
    header[9] = 3;  // palette
    PutChunk(out, "IHDR", header, sizeof header);

    std::uint8_t palette[768];
    for (int i = 0; i < 256; ++i) {
        palette[3 * i] = static_cast<std::uint8_t>(image.Palette[i] >> 16);
        palette[3 * i + 1] = static_cast<std::uint8_t>(image.Palette[i] >> 8);
        palette[3 * i + 2] = static_cast<std::uint8_t>(image.Palette[i]);
    }
    PutChunk(out, "PLTE", palette, sizeof palette);

    z_stream z{};
    int r = deflateInit(&z, 9);
    if (r != Z_OK) DeflateFailed(r, z);
    ScopeGuard end([&z] { deflateEnd(&z); });
    std::vector<std::uint8_t> buffer(kPngDeflateBufferSize);
    const auto restart = [&] {
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.size());
    };
    // A full buffer is one chunk of its own.
    const auto drain = [&] {
        if (z.avail_out != 0) return;
        PutChunk(out, "IDAT", buffer.data(), buffer.size());
        restart();
    };
    restart();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.Width) + 1);
    for (int y = 0; y < image.Height; ++y) {
        row[0] = 0;  // no filter
        std::memcpy(row.data() + 1, image.TopDownRow(y), static_cast<std::size_t>(image.Width));
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        // Deflate may take the row in several rounds when the output fills.
        while (z.avail_in > 0) {
            r = deflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_BUF_ERROR) DeflateFailed(r, z);
            drain();
        }
    }
    for (;;) {
        r = deflate(&z, Z_FINISH);
        if (r == Z_STREAM_END) break;
        if (r != Z_OK && r != Z_BUF_ERROR) DeflateFailed(r, z);
        drain();
    }
    const std::size_t rest = buffer.size() - z.avail_out;
    if (rest > 0) PutChunk(out, "IDAT", buffer.data(), rest);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace menvaro
