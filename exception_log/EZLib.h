// EZLib: what the logger asks of zlib beyond reading its own data: the PNG
// file of an 8-bit palette image, its rows deflated at level 9 and cut into
// "IDAT" chunks of at most 262143 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace menvaro {

// One full output buffer of deflate makes one "IDAT" chunk.
inline constexpr std::size_t kPngDeflateBufferSize = 0x3FFFF;

// An 8-bit image with its 256-entry colour table, held as a bottom-up
// device-independent bitmap: Height rows of Stride() bytes (Width padded to
// a multiple of 4), the last row the top of the picture.
struct TPaletteImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;
    std::array<std::uint32_t, 256> Palette{};  // 0x00RRGGBB

    int Stride() const { return (Width + 3) & ~3; }
    // Row `y` counted from the top of the picture.
    const std::uint8_t* TopDownRow(int y) const {
        return Pixels.data() + static_cast<std::size_t>(Height - 1 - y) * static_cast<std::size_t>(Stride());
    }
};

// CRC-32 (ISO 3309, reflected 0xEDB88320) carried on over `length` bytes,
// without the initial and final complement.
std::uint32_t UpdateCrc32(std::uint32_t crc, const void* data, std::size_t length);
std::uint32_t SwapBytes32(std::uint32_t value);

// The bytes of the PNG file: signature, "IHDR" (colour type 3, depth 8),
// "PLTE", the "IDAT" chunks, "IEND". Raises EInvalidArgument for an image
// without pixels and EOutOfMemory / EInvalidOperation when deflate fails.
std::string PngFileBytes(const TPaletteImage& image);

}  // namespace menvaro
