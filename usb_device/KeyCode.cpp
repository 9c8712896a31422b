#include "usb_device/KeyCode.h"

#include <algorithm>
#include <bit>

namespace menvaro::quellin {

std::uint8_t DecodeKeyCode(std::uint8_t row, std::uint32_t columns) {
    constexpr std::uint32_t kNoKey = 0xFFFF;
    constexpr int kMaxRow = 6;
    constexpr int kMaxColumn = 13;
    if (columns == kNoKey) return 0xFF;
    const int r = std::min(std::countr_one(row), kMaxRow);
    const int c = std::min(std::countr_one(columns), kMaxColumn);
    return static_cast<std::uint8_t>(r * 16 + c);
}

}  // namespace menvaro::quellin
