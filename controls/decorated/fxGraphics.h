// Byte order of colour tables.
#pragma once

#include <cstdint>

namespace menvaro {

// In place, from the last value to the first: bytes 0 and 2 change places
// and byte 3 becomes 0, so that colour-table entries (blue, green, red,
// reserved) become palette entries (red, green, blue, flags 0).
void fxSwapRGB(std::uint32_t* values, int count);

}  // namespace menvaro
