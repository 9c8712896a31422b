// BMP files and DIB row layouts of a TBitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/Bitmap.h"

namespace menvaro {

class TStream;

// Reads a BMP file image (file header, then a core, info, V4 or V5 header)
// of 1, 4, 8, 16, 24 or 32 bits, with palettes, bit fields, either row order.
// Every field is checked against the data: a damaged file raises
// EInvalidGraphic naming what is wrong, before anything large is allocated.
// The stream is left after the image. The bitmap's PixelFormat becomes the
// file's depth and a palette is kept for saving.
void ReadBmp(TStream& stream, TBitmap& out);
void ReadBmp(const void* data, std::size_t size, TBitmap& out);

// Writes a BMP file image (info header, bottom-up rows) in the bitmap's
// PixelFormat: pf1bit, pf4bit, pf8bit with a palette (the kept one, else
// the picture's colours, nearest match past 16 / 256), pf15bit and pf16bit
// as 5-5-5, pf32bit as 32 bits, everything else as 24 bits.
void WriteBmp(TStream& stream, const TBitmap& bmp);

// The pixels in DIB row layout: bitCount 1 (1 = white; other colours by
// brightness), 24 (blue, green, red) or 32 (blue, green, red, 0); each row
// padded to a multiple of 4 bytes; top-down unless `bottomUp`.
std::vector<std::uint8_t> GetDIBits(const TBitmap& bmp, int bitCount, bool bottomUp = false);
inline int DIBStride(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }
// Sets size and pixels from such rows; 1-bit rows use `palette` (two
// TColor values; black and white when null). Raises EInvalidArgument when
// the size is past what BitmapSizeFits allows or `size` is too small for
// the rows.
void SetDIBits(TBitmap& bmp, int width, int height, const void* bits, std::size_t size, int bitCount,
               bool bottomUp = false, const TColor* palette = nullptr);

}  // namespace menvaro
