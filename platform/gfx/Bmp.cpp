#include "gfx/Bmp.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "base/Streams.h"

namespace menvaro {

namespace {

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
    o.push_back(std::uint8_t(v));
    o.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(std::uint8_t(v >> (8 * i)));
}

[[noreturn]] void Bad(const std::string& what) { throw EInvalidGraphic("invalid BMP file: " + what); }

struct Header {
    std::uint32_t offBits = 0, fileSize = 0, headerSize = 0, compression = 0, clrUsed = 0;
    std::int32_t width = 0, height = 0;
    int bpp = 0;
    bool topDown = false;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t paletteAt = 0, paletteEntries = 0, paletteEntrySize = 4;
    std::size_t stride = 0, needed = 0;
};

// Parses and checks the headers in the first `avail` bytes; `total` is the
// number of bytes the image may occupy.
Header Parse(const std::uint8_t* d, std::size_t avail, std::uint64_t total) {
    Header h;
    if (avail < 18) Bad("too short for the file header");
    if (d[0] != 'B' || d[1] != 'M') Bad("no \"BM\" signature");
    h.fileSize = U32(d + 2);
    h.offBits = U32(d + 10);
    h.headerSize = U32(d + 14);
    const std::uint32_t hs = h.headerSize;
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124)
        Bad("unknown header size " + std::to_string(hs));
    if (avail < 14 + std::size_t(hs)) Bad("header is cut short");
    const std::uint8_t* ih = d + 14;
    int planes;
    if (hs == 12) {
        h.width = U16(ih + 4);
        h.height = std::int16_t(U16(ih + 6));
        planes = U16(ih + 8);
        h.bpp = U16(ih + 10);
        if (h.height < 0) Bad("negative height in a core header");
        h.paletteEntrySize = 3;
    } else {
        h.width = std::int32_t(U32(ih + 4));
        h.height = std::int32_t(U32(ih + 8));
        planes = U16(ih + 12);
        h.bpp = U16(ih + 14);
        h.compression = U32(ih + 16);
        h.clrUsed = U32(ih + 32);
    }
    if (planes != 1) Bad("planes is " + std::to_string(planes));
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        Bad("unsupported bit count " + std::to_string(h.bpp));
    if (h.compression != 0 && h.compression != 3)
        Bad("unsupported compression " + std::to_string(h.compression));
    if (h.compression == 3 && h.bpp != 16 && h.bpp != 32) Bad("bit fields need 16 or 32 bits a pixel");
    if (h.width <= 0) Bad("width " + std::to_string(h.width));
    if (h.height == 0 || h.height == INT32_MIN) Bad("height " + std::to_string(h.height));
    h.topDown = h.height < 0;
    const std::int64_t absH = h.topDown ? -std::int64_t(h.height) : h.height;
    if (!BitmapSizeFits(h.width, absH))
        Bad("picture of " + std::to_string(h.width) + "x" + std::to_string(absH) + " is too large");
    std::size_t after = 14 + hs;
    if (h.compression == 3) {
        if (hs == 40) {
            if (avail < after + 12) Bad("bit-field masks are cut short");
            for (int i = 0; i < 3; ++i) h.masks[i] = U32(d + after + 4 * i);
            after += 12;
        } else {
            for (int i = 0; i < 3; ++i) h.masks[i] = U32(ih + 40 + 4 * i);
        }
        if (!h.masks[0] && !h.masks[1] && !h.masks[2]) Bad("bit-field masks are all zero");
    } else if (h.bpp == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bpp == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    }
    if (h.bpp <= 8) {
        const std::uint32_t max = 1u << h.bpp;
        if (h.clrUsed > max) Bad("palette of " + std::to_string(h.clrUsed) + " colours for " +
                                 std::to_string(h.bpp) + " bits");
        h.paletteEntries = h.clrUsed ? h.clrUsed : max;
        h.paletteAt = after;
        after += h.paletteEntries * h.paletteEntrySize;
    } else if (h.clrUsed > 256) {
        Bad("colour table of " + std::to_string(h.clrUsed) + " entries");
    }
    if (h.offBits < after && h.bpp <= 8) Bad("pixel data overlaps the palette");
    if (h.offBits < 14 + hs) Bad("pixel data overlaps the header");
    h.stride = std::size_t(DIBStride(h.width, h.bpp));
    const std::uint64_t needed = std::uint64_t(h.offBits) + std::uint64_t(h.stride) * std::uint64_t(absH);
    if (needed > total)
        Bad("pixel data needs " + std::to_string(needed) + " bytes, the file has " + std::to_string(total));
    h.needed = std::size_t(needed);
    if (after > total) Bad("palette is cut short");
    return h;
}

// A bit-field channel: the lowest run of set bits of its mask, scaled to 0..255.
struct Field {
    unsigned shift = 0;
    std::uint32_t max = 0;  // 0: the channel is absent
    explicit Field(std::uint32_t mask) {
        if (!mask) return;
        shift = unsigned(std::countr_zero(mask));
        const int bits = std::countr_one(mask >> shift);
        max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    }
    unsigned Of(std::uint32_t v) const {
        if (!max) return 0;
        return unsigned((std::uint64_t((v >> shift) & max) * 255 + max / 2) / max);
    }
};

void Decode(const std::uint8_t* d, const Header& h, TBitmap& out) {
    const int w = h.width, hgt = h.topDown ? -h.height : h.height;
    std::vector<std::uint32_t> pal;
    for (std::size_t i = 0; i < h.paletteEntries; ++i) {
        const std::uint8_t* e = d + h.paletteAt + i * h.paletteEntrySize;
        pal.push_back(std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0]);
    }
    const Field fr(h.masks[0]), fg(h.masks[1]), fb(h.masks[2]);
    TBitmap bmp(w, hgt);
    for (int row = 0; row < hgt; ++row) {
        const std::uint8_t* src = d + h.offBits + std::size_t(row) * h.stride;
        std::uint32_t* dst = bmp.ScanLine(h.topDown ? row : hgt - 1 - row);
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = 0;
            switch (h.bpp) {
                case 1:
                case 4:
                case 8: {
                    const int per = 8 / h.bpp;
                    const unsigned byte = src[x / per];
                    const int shift = 8 - h.bpp * (x % per + 1);
                    const unsigned idx = (byte >> shift) & ((1u << h.bpp) - 1);
                    px = idx < pal.size() ? pal[idx] : 0;  // an index past the table is black
                    break;
                }
                case 16: {
                    const std::uint32_t v = U16(src + 2 * x);
                    px = fr.Of(v) << 16 | fg.Of(v) << 8 | fb.Of(v);
                    break;
                }
                case 24: px = std::uint32_t(src[3 * x + 2]) << 16 | std::uint32_t(src[3 * x + 1]) << 8 | src[3 * x]; break;
                case 32: {
                    const std::uint32_t v = U32(src + 4 * x);
                    px = fr.Of(v) << 16 | fg.Of(v) << 8 | fb.Of(v);
                    break;
                }
            }
            dst[x] = px;
        }
    }
    TPixelFormat f = pf24bit;
    switch (h.bpp) {
        case 1: f = pf1bit; break;
        case 4: f = pf4bit; break;
        case 8: f = pf8bit; break;
        case 16: f = (h.compression == 3 && h.masks[1] == 0x07E0) ? pf16bit : pf15bit; break;
        case 32: f = pf32bit; break;
    }
    std::vector<TColor> palette;
    for (std::uint32_t p : pal) palette.push_back(PixelToColor(p));
    // A two-colour file other than black and white is not monochrome in memory.
    if (f == pf1bit && !(pal.size() == 2 && ((pal[0] == 0 && pal[1] == 0xFFFFFF) || (pal[0] == 0xFFFFFF && pal[1] == 0))))
        f = pf4bit;
    bmp.SetPixelFormat(f);
    bmp.SetPalette(std::move(palette));
    out = bmp;
}

}  // namespace

void ReadBmp(const void* data, std::size_t size, TBitmap& out) {
    const auto* d = static_cast<const std::uint8_t*>(data);
    const Header h = Parse(d, size, size);
    Decode(d, h, out);
}

void ReadBmp(TStream& stream, TBitmap& out) {
    const std::int64_t start = stream.Position();
    const std::int64_t size = stream.Size();
    const std::uint64_t avail = size > start ? std::uint64_t(size - start) : 0;
    // Headers first (the largest with masks and a full palette), then only
    // the bytes they prove to be there.
    std::vector<std::uint8_t> buf(std::size_t(std::min<std::uint64_t>(avail, 14 + 124 + 12 + 1024)));
    stream.ReadBuffer(buf.data(), buf.size());
    const Header h = Parse(buf.data(), buf.size(), avail);
    if (h.needed > buf.size()) {
        const std::size_t have = buf.size();
        buf.resize(h.needed);
        stream.ReadBuffer(buf.data() + have, h.needed - have);
    }
    Decode(buf.data(), h, out);
    std::uint64_t end = h.needed;
    if (h.fileSize > h.needed && h.fileSize <= avail) end = h.fileSize;
    stream.SetPosition(start + std::int64_t(end));
}

namespace {

std::vector<std::uint32_t> BuildPalette(const TBitmap& bmp, std::size_t cap) {
    std::vector<std::uint32_t> pal;
    for (TColor c : bmp.Palette()) {
        if (pal.size() >= cap) break;
        pal.push_back(ColorToPixel(c));
    }
    if (!pal.empty()) return pal;
    std::map<std::uint32_t, int> seen;
    for (int y = 0; y < bmp.Height() && pal.size() < cap; ++y) {
        const std::uint32_t* row = bmp.ScanLine(y);
        for (int x = 0; x < bmp.Width() && pal.size() < cap; ++x)
            if (seen.emplace(row[x] & 0xFFFFFF, 0).second) pal.push_back(row[x] & 0xFFFFFF);
    }
    if (pal.empty()) pal.push_back(0);
    return pal;
}

unsigned Nearest(const std::vector<std::uint32_t>& pal, std::uint32_t px, std::map<std::uint32_t, unsigned>& cache) {
    if (auto it = cache.find(px); it != cache.end()) return it->second;
    unsigned best = 0;
    long bestD = LONG_MAX;
    for (unsigned i = 0; i < pal.size(); ++i) {
        const long dr = long((pal[i] >> 16) & 0xFF) - long((px >> 16) & 0xFF);
        const long dg = long((pal[i] >> 8) & 0xFF) - long((px >> 8) & 0xFF);
        const long db = long(pal[i] & 0xFF) - long(px & 0xFF);
        const long dist = dr * dr + dg * dg + db * db;
        if (dist < bestD) bestD = dist, best = i;
    }
    cache[px] = best;
    return best;
}

}  // namespace

void WriteBmp(TStream& stream, const TBitmap& bmp) {
    if (bmp.Empty()) throw EInvalidGraphic("cannot save an empty bitmap");
    int bpp = 24;
    switch (bmp.PixelFormat()) {
        case pf1bit: bpp = 1; break;
        case pf4bit: bpp = 4; break;
        case pf8bit: bpp = 8; break;
        case pf15bit:
        case pf16bit: bpp = 16; break;
        case pf32bit: bpp = 32; break;
        default: bpp = 24;
    }
    std::vector<std::uint32_t> pal;
    if (bpp == 1)
        pal = {0, 0xFFFFFF};
    else if (bpp <= 8)
        pal = BuildPalette(bmp, std::size_t(1) << bpp);
    const int w = bmp.Width(), h = bmp.Height();
    const std::size_t stride = std::size_t(DIBStride(w, bpp));
    const std::uint32_t offBits = 14 + 40 + std::uint32_t(pal.size() * 4);
    const std::uint32_t imageSize = std::uint32_t(stride * std::size_t(h));
    std::vector<std::uint8_t> o;
    o.reserve(offBits + imageSize);
    o.push_back('B');
    o.push_back('M');
    Put32(o, offBits + imageSize);
    Put32(o, 0);
    Put32(o, offBits);
    Put32(o, 40);
    Put32(o, std::uint32_t(w));
    Put32(o, std::uint32_t(h));
    Put16(o, 1);
    Put16(o, std::uint16_t(bpp));
    Put32(o, 0);
    Put32(o, imageSize);
    Put32(o, 3780);  // 96 dpi
    Put32(o, 3780);
    Put32(o, std::uint32_t(pal.size()));
    Put32(o, 0);
    for (std::uint32_t p : pal) Put32(o, p & 0xFFFFFF);
    std::map<std::uint32_t, unsigned> cache;
    std::vector<std::uint8_t> row(stride);
    for (int y = h - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        const std::uint32_t* src = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = src[x] & 0xFFFFFF;
            switch (bpp) {
                case 1:
                case 4:
                case 8: {
                    const unsigned idx = bpp == 1 ? (px == 0xFFFFFF ? 1u : 0u) : Nearest(pal, px, cache);
                    const int per = 8 / bpp;
                    row[std::size_t(x / per)] |= std::uint8_t(idx << (8 - bpp * (x % per + 1)));
                    break;
                }
                case 16: {
                    const std::uint16_t v = std::uint16_t(((px >> 19) & 0x1F) << 10 | ((px >> 11) & 0x1F) << 5 | ((px >> 3) & 0x1F));
                    row[2 * std::size_t(x)] = std::uint8_t(v);
                    row[2 * std::size_t(x) + 1] = std::uint8_t(v >> 8);
                    break;
                }
                case 24:
                    row[3 * std::size_t(x)] = std::uint8_t(px);
                    row[3 * std::size_t(x) + 1] = std::uint8_t(px >> 8);
                    row[3 * std::size_t(x) + 2] = std::uint8_t(px >> 16);
                    break;
                case 32:
                    std::memcpy(&row[4 * std::size_t(x)], &px, 4);
                    break;
            }
        }
        o.insert(o.end(), row.begin(), row.end());
    }
    stream.WriteBuffer(o.data(), o.size());
}

std::vector<std::uint8_t> GetDIBits(const TBitmap& bmp, int bitCount, bool bottomUp) {
    if (bitCount != 1 && bitCount != 24 && bitCount != 32)
        throw EInvalidArgument("GetDIBits: bit count " + std::to_string(bitCount));
    const int w = bmp.Width(), h = bmp.Height();
    const std::size_t stride = std::size_t(DIBStride(w, bitCount));
    std::vector<std::uint8_t> out(stride * std::size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* src = bmp.ScanLine(y);
        std::uint8_t* dst = &out[stride * std::size_t(bottomUp ? h - 1 - y : y)];
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = src[x] & 0xFFFFFF;
            if (bitCount == 1) {
                const unsigned sum = (px & 0xFF) + ((px >> 8) & 0xFF) + ((px >> 16) & 0xFF);
                if (px == 0xFFFFFF || (!bmp.Monochrome() && sum > 382)) dst[x / 8] |= std::uint8_t(0x80 >> (x % 8));
            } else if (bitCount == 24) {
                dst[3 * x] = std::uint8_t(px), dst[3 * x + 1] = std::uint8_t(px >> 8), dst[3 * x + 2] = std::uint8_t(px >> 16);
            } else {
                std::memcpy(dst + 4 * x, &px, 4);
            }
        }
    }
    return out;
}

void SetDIBits(TBitmap& bmp, int width, int height, const void* bits, std::size_t size, int bitCount,
               bool bottomUp, const TColor* palette) {
    if (bitCount != 1 && bitCount != 24 && bitCount != 32)
        throw EInvalidArgument("SetDIBits: bit count " + std::to_string(bitCount));
    if (width <= 0 || height <= 0) {
        bmp.SetSize(0, 0);
        return;
    }
    if (!BitmapSizeFits(width, height))
        throw EInvalidArgument("SetDIBits: " + std::to_string(width) + "x" + std::to_string(height) +
                               " is too large");
    const std::size_t stride = std::size_t(DIBStride(width, bitCount));
    if (size / stride < std::size_t(height))
        throw EInvalidArgument("SetDIBits: " + std::to_string(size) + " bytes are too few for " +
                               std::to_string(width) + "x" + std::to_string(height));
    bmp.SetSize(width, height);
    const auto* b = static_cast<const std::uint8_t*>(bits);
    const std::uint32_t c0 = palette ? ColorToPixel(ColorToRGB(palette[0])) & 0xFFFFFF : 0;
    const std::uint32_t c1 = palette ? ColorToPixel(ColorToRGB(palette[1])) & 0xFFFFFF : 0xFFFFFF;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = b + stride * std::size_t(bottomUp ? height - 1 - y : y);
        std::uint32_t* dst = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (bitCount == 1)
                dst[x] = ((src[x / 8] >> (7 - x % 8)) & 1) ? c1 : c0;
            else if (bitCount == 24)
                dst[x] = std::uint32_t(src[3 * x + 2]) << 16 | std::uint32_t(src[3 * x + 1]) << 8 | src[3 * x];
            else
                dst[x] = U32(src + 4 * x) & 0xFFFFFF;
        }
    }
    bmp.Modified();
}

}  // namespace menvaro
