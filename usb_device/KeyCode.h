// The keypad's key code from the row and column lines of a key record.
#pragma once

#include <cstdint>

namespace menvaro::quellin {

// Lines are active-low: the first cleared bit counting from bit 0 names the
// row (0 to 6) and the column (0 to 13); the code is row * 16 + column.
// Column lines 0xFFFF mean no key: 0xFF.
std::uint8_t DecodeKeyCode(std::uint8_t row, std::uint32_t columns);

}  // namespace menvaro::quellin
