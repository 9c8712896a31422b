// Ternary raster operations: the result of combining pattern P (the brush),
// source S and destination D, bit by bit. The operation's byte (bits 16..23
// of the code) is a truth table indexed by P*4 + S*2 + D.
#pragma once

#include <cstdint>

namespace menvaro {

enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,      // S
    SRCPAINT = 0x00EE0086,     // S | D
    SRCAND = 0x008800C6,       // S & D
    SRCINVERT = 0x00660046,    // S ^ D
    SRCERASE = 0x00440328,     // S & ~D
    NOTSRCCOPY = 0x00330008,   // ~S
    NOTSRCERASE = 0x001100A6,  // ~(S | D)
    MERGECOPY = 0x00C000CA,    // P & S
    MERGEPAINT = 0x00BB0226,   // ~S | D
    PATCOPY = 0x00F00021,      // P
    PATPAINT = 0x00FB0A09,     // P | ~S | D
    PATINVERT = 0x005A0049,    // P ^ D
    DSTINVERT = 0x00550009,    // ~D
    BLACKNESS = 0x00000042,    // 0
    WHITENESS = 0x00FF0062,    // 1
    ROP_DSna = 0x00220326,     // D & ~S: clears where the source is set
    ROP_DSPDxax = 0x00E20746,  // ((P ^ D) & S) ^ D: the pattern where S is set, D elsewhere
};

// The truth-table byte of a raster operation code.
inline constexpr unsigned RopByte(std::uint32_t rop) { return (rop >> 16) & 0xFF; }
inline constexpr bool RopUsesSource(std::uint32_t rop) {
    const unsigned b = RopByte(rop);
    return ((b >> 2) & 0x33) != (b & 0x33);
}
inline constexpr bool RopUsesPattern(std::uint32_t rop) {
    const unsigned b = RopByte(rop);
    return ((b >> 4) & 0x0F) != (b & 0x0F);
}

// Applies the operation to 24-bit values (the top byte of the result is 0).
std::uint32_t ApplyRop3(unsigned ropByte, std::uint32_t p, std::uint32_t s, std::uint32_t d);

}  // namespace menvaro
